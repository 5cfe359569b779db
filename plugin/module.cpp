// The module's exported entry points (compiled into the bundle only).
// GetPluginFactory returns the factory with Varnock's one class; InitDll and
// ExitDll count the module's users (with the framework's ModuleEntry and
// ModuleExit on Linux).
#include "framework/vst3/factory.h"
#include "framework/vst3/module.h"
#include "plugin/factory_info.h"

extern "C" {

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
  return iplug::vst3::GetFactory(varnock::kFactoryInfo, varnock::kClassInfo);
}

SMTG_EXPORT_SYMBOL bool InitDll() { return iplug::vst3::ModuleEnter(iplug::vst3::ModuleBaseAddress()); }

SMTG_EXPORT_SYMBOL bool ExitDll() { return iplug::vst3::ModuleLeave(); }

} // extern "C"
