#include <dlfcn.h>

#include "host/shared_library.h"

namespace vst3host {

const char* const kBundleArchitectureFolder = "x86_64-linux";
const char* const kBundleLibrarySuffix = ".so";

std::unique_ptr<SharedLibrary> SharedLibrary::open(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    if (error) *error = "cannot load " + path + ": " + (reason ? reason : "unknown reason");
    return nullptr;
  }
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() { dlclose(handle_); }

void* SharedLibrary::symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace vst3host
