// The Linux module entry points, compiled into the plug-in module itself
// (not the framework library): hosts on Linux call ModuleEntry with their
// handle of the shared library and ModuleExit when they are done. They share
// the module-user count of InitDll/ExitDll.
#include "framework/vst3/module.h"
#include "pluginterfaces/base/fplatform.h"

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
  return iplug::vst3::ModuleEnter(sharedLibraryHandle);
}

// Returns false, and changes nothing, when no ModuleEntry/InitDll is outstanding.
SMTG_EXPORT_SYMBOL bool ModuleExit() { return iplug::vst3::ModuleLeave(); }

} // extern "C"
