#pragma once
// A loaded shared library, the platform's way: dlopen on Linux, LoadLibraryW
// on Windows. Closing happens in the destructor. UI thread.
#include <memory>
#include <string>

namespace vst3host {

class SharedLibrary {
 public:
  // The library at `path` (UTF-8); null and *error when it does not load.
  static std::unique_ptr<SharedLibrary> open(const std::string& path, std::string* error);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The exported symbol `name`, or null.
  void* symbol(const char* name) const;
  // The platform's handle (what a Linux module's ModuleEntry expects).
  void* handle() const { return handle_; }

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

// Where a bundle keeps the library for this platform:
// <bundle>/Contents/<folder>/<name><suffix>.
extern const char* const kBundleArchitectureFolder;   // "x86_64-linux", "x86_64-win"
extern const char* const kBundleLibrarySuffix;        // ".so", ".vst3"

}  // namespace vst3host
