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
// This module's load address: what InitDll records, as the platform has no
// handle argument for it (on Windows the module handle is that address too).
void* ModuleBaseAddress();

} // namespace iplug::vst3
