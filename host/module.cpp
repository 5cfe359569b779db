#include "host/module.h"

#include <filesystem>

#include "host/shared_library.h"

using namespace Steinberg;

namespace vst3host {
namespace {

using ModuleEntryFunction = bool (*)(void*);
using InitDllFunction = bool (*)();
using ExitFunction = bool (*)();
using GetFactoryFunction = IPluginFactory* (PLUGIN_API*)();

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

std::string moduleLibraryPath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(path, ec)) return path;
  fs::path bundle(path);
  if (!bundle.has_filename()) bundle = bundle.parent_path();
  return (bundle / "Contents" / kBundleArchitectureFolder / (bundle.stem().string() + kBundleLibrarySuffix)).string();
}

std::unique_ptr<Module> loadModule(const std::string& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    setError(error, "no such plug-in: " + path);
    return nullptr;
  }
  const std::string library = moduleLibraryPath(path);
  if (!std::filesystem::is_regular_file(library, ec)) {
    setError(error, "bundle " + path + " has no library " + library);
    return nullptr;
  }
  std::unique_ptr<SharedLibrary> shared = SharedLibrary::open(library, error);
  if (!shared) return nullptr;

  auto moduleEntry = reinterpret_cast<ModuleEntryFunction>(shared->symbol("ModuleEntry"));
  auto initDll = reinterpret_cast<InitDllFunction>(shared->symbol("InitDll"));
  auto moduleExit = reinterpret_cast<ExitFunction>(shared->symbol("ModuleExit"));
  auto exitDll = reinterpret_cast<ExitFunction>(shared->symbol("ExitDll"));
  auto getFactory = reinterpret_cast<GetFactoryFunction>(shared->symbol("GetPluginFactory"));
  if (!getFactory) {
    setError(error, library + " does not export GetPluginFactory");
    return nullptr;
  }
  if (!moduleEntry && !initDll) {
    setError(error, library + " exports neither ModuleEntry nor InitDll");
    return nullptr;
  }
  const bool entered = moduleEntry ? moduleEntry(shared->handle()) : initDll();
  ExitFunction exit = moduleEntry ? moduleExit : exitDll;
  if (!entered) {
    // A module whose entry failed has nothing to exit.
    setError(error, library + (moduleEntry ? ": ModuleEntry failed" : ": InitDll failed"));
    return nullptr;
  }
  IPluginFactory* factory = getFactory();
  if (!factory) {
    setError(error, library + ": GetPluginFactory returned no factory");
    if (exit) exit();
    return nullptr;
  }

  std::unique_ptr<Module> module(new Module);
  module->library_ = std::move(shared);
  module->exit_ = exit;
  module->libraryPath_ = library;
  module->factory_ = std::make_unique<Factory>(factory);
  return module;
}

Module::~Module() {
  factory_.reset();
  if (exit_) exit_();
  library_.reset();
}

}  // namespace vst3host
