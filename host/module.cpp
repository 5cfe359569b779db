#include "host/module.h"

#include <dlfcn.h>

#include <filesystem>

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
  return (bundle / "Contents" / "x86_64-linux" / (bundle.stem().string() + ".so")).string();
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
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    setError(error, "cannot load " + library + ": " + (reason ? reason : "unknown reason"));
    return nullptr;
  }

  auto moduleEntry = reinterpret_cast<ModuleEntryFunction>(dlsym(handle, "ModuleEntry"));
  auto initDll = reinterpret_cast<InitDllFunction>(dlsym(handle, "InitDll"));
  auto moduleExit = reinterpret_cast<ExitFunction>(dlsym(handle, "ModuleExit"));
  auto exitDll = reinterpret_cast<ExitFunction>(dlsym(handle, "ExitDll"));
  auto getFactory = reinterpret_cast<GetFactoryFunction>(dlsym(handle, "GetPluginFactory"));
  if (!getFactory) {
    setError(error, library + " does not export GetPluginFactory");
    dlclose(handle);
    return nullptr;
  }
  if (!moduleEntry && !initDll) {
    setError(error, library + " exports neither ModuleEntry nor InitDll");
    dlclose(handle);
    return nullptr;
  }
  const bool entered = moduleEntry ? moduleEntry(handle) : initDll();
  ExitFunction exit = moduleEntry ? moduleExit : exitDll;
  if (!entered) {
    // A module whose entry failed has nothing to exit.
    setError(error, library + (moduleEntry ? ": ModuleEntry failed" : ": InitDll failed"));
    dlclose(handle);
    return nullptr;
  }
  IPluginFactory* factory = getFactory();
  if (!factory) {
    setError(error, library + ": GetPluginFactory returned no factory");
    if (exit) exit();
    dlclose(handle);
    return nullptr;
  }

  std::unique_ptr<Module> module(new Module);
  module->handle_ = handle;
  module->exit_ = exit;
  module->libraryPath_ = library;
  module->factory_ = std::make_unique<Factory>(factory);
  return module;
}

Module::~Module() {
  factory_.reset();
  if (exit_) exit_();
  if (handle_) dlclose(handle_);
}

}  // namespace vst3host
