#pragma once
// Module-user counting behind the exported entry points. The host calls
// InitDll/ExitDll (or, on Linux, ModuleEntry/ModuleExit) in pairs; all four
// share one process-wide count.
//
// Enter: adds a user; the call that finds no user records the module handle
// (the editor's window code may need it). Returns true.
// Leave: removes a user and returns true, or returns false and changes
// nothing when there was no user (an unbalanced exit). The last user's exit
// has nothing to release. Any thread.

namespace iplug::vst3 {

bool ModuleEnter(void* moduleHandle);
bool ModuleLeave();
int ModuleUserCount();
// The handle recorded by the first Enter; nullptr before.
void* ModuleHandle();
// This module's handle, for InitDll, which has no handle argument: on Windows
// the HINSTANCE that DllMain received (the module's load address), on Linux
// the load address of the shared library. Implemented per platform.
void* ModuleBaseAddress();

} // namespace iplug::vst3
