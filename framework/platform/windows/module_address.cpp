// The module's handle on Windows: the HINSTANCE that DllMain received when
// the DLL was loaded (DllMain is compiled into the plug-in module itself:
// framework/platform/windows/entry/dll_main.cpp).
#include <windows.h>

#include <atomic>

#include "framework/platform/windows/module_instance.h"
#include "framework/vst3/module.h"

namespace iplug::vst3 {
namespace {
std::atomic<void*> gInstance{nullptr};
} // namespace

void SetModuleInstance(void* instance) { gInstance.store(instance); }

void* ModuleBaseAddress() {
  if (void* instance = gInstance.load()) return instance;
  // Code linked into a program rather than a DLL: the module holding this function.
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ModuleBaseAddress), &module);
  return module;
}

} // namespace iplug::vst3
