// The module's exported entry points (compiled into the bundle only).
// GetPluginFactory returns the factory with Varnock's one class; InitDll/
// ExitDll and, on Linux, ModuleEntry/ModuleExit count the module's users.
#include "framework/vst3/factory.h"
#include "framework/vst3/module.h"
#include "plugin/factory_info.h"

extern "C" {

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
  return iplug::vst3::GetFactory(varnock::kFactoryInfo, varnock::kClassInfo);
}

SMTG_EXPORT_SYMBOL bool InitDll() { return iplug::vst3::ModuleEnter(iplug::vst3::ModuleBaseAddress()); }

SMTG_EXPORT_SYMBOL bool ExitDll() { return iplug::vst3::ModuleLeave(); }

// Linux: the host passes its handle of this shared library.
SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
  return iplug::vst3::ModuleEnter(sharedLibraryHandle);
}

// Returns false, and changes nothing, when no ModuleEntry/InitDll is outstanding.
SMTG_EXPORT_SYMBOL bool ModuleExit() { return iplug::vst3::ModuleLeave(); }

} // extern "C"
