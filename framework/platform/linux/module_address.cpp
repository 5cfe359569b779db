// The module's handle on Linux: the load address of the shared library that
// holds this code.
#include <dlfcn.h>

#include "framework/vst3/module.h"

namespace iplug::vst3 {

void* ModuleBaseAddress() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleBaseAddress), &info) == 0) return nullptr;
  return info.dli_fbase;
}

} // namespace iplug::vst3
