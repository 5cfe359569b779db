// Modules that are broken in one way each, chosen at compile time, to test
// the host library's error reports:
//   FIXTURE_NO_FACTORY: no GetPluginFactory export;
//   FIXTURE_NO_ENTRY: neither ModuleEntry nor InitDll;
//   FIXTURE_ENTRY_FAILS: ModuleEntry returns false.
#include "pluginterfaces/base/ipluginbase.h"

extern "C" {

#ifndef FIXTURE_NO_FACTORY
__attribute__((visibility("default"))) Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
  return nullptr;
}
#endif

#ifndef FIXTURE_NO_ENTRY
__attribute__((visibility("default"))) bool ModuleEntry(void*) {
#ifdef FIXTURE_ENTRY_FAILS
  return false;
#else
  return true;
#endif
}
__attribute__((visibility("default"))) bool ModuleExit() { return true; }
#endif

}
