#pragma once
// The DLL's HINSTANCE as DllMain received it; ModuleBaseAddress() returns it.
namespace iplug::vst3 {

void SetModuleInstance(void* instance);

} // namespace iplug::vst3
