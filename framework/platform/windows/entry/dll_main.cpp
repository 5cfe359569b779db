// DllMain of the plug-in module on Windows, compiled into the module itself:
// records the module's HINSTANCE, which InitDll hands to the module-user
// count and the editor's window class uses. Nothing else may run here (the
// loader lock is held).
#include <windows.h>

#include "framework/platform/windows/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    iplug::vst3::SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
