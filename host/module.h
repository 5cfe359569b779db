#pragma once
// A loaded VST3 module: the shared library of a .vst3 bundle (or a plain
// .so), entered through ModuleEntry (or InitDll when it has none), with its
// class factory. Destruction releases the factory, calls ModuleExit (or
// ExitDll) and unloads the library, so every plug-in object created from the
// module must be gone first. UI thread.
#include <memory>
#include <string>

#include "host/factory.h"
#include "host/shared_library.h"

namespace vst3host {

class Module {
 public:
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  Factory& factory() { return *factory_; }
  // The shared library actually loaded.
  const std::string& libraryPath() const { return libraryPath_; }

 private:
  friend std::unique_ptr<Module> loadModule(const std::string& path, std::string* error);
  Module() = default;

  std::unique_ptr<SharedLibrary> library_;
  bool (*exit_)() = nullptr;  // ModuleExit or ExitDll
  std::unique_ptr<Factory> factory_;
  std::string libraryPath_;
};

// The shared library inside a bundle directory for this platform:
// <bundle>/Contents/x86_64-linux/<Name>.so on Linux,
// <bundle>/Contents/x86_64-win/<Name>.vst3 on Windows, where <Name> is the
// bundle's name without ".vst3"; a path that is not a directory is returned
// as it is.
std::string moduleLibraryPath(const std::string& path);

// Loads `path` (a bundle directory or a .so); null and *error on failure:
// a missing file, a library that does not load, a missing or failing entry
// point, no factory.
std::unique_ptr<Module> loadModule(const std::string& path, std::string* error);

}  // namespace vst3host
