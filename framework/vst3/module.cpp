#include "framework/vst3/module.h"

#include <mutex>

namespace iplug::vst3 {

namespace {

std::mutex& moduleMutex() {
  static std::mutex m;
  return m;
}

int gUsers = 0;                               // guarded by moduleMutex()
void* gHandle = nullptr;

} // namespace

bool ModuleEnter(void* moduleHandle) {
  std::lock_guard<std::mutex> lock(moduleMutex());
  if (gUsers == 0) gHandle = moduleHandle;
  ++gUsers;
  return true;
}

bool ModuleLeave() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  if (gUsers == 0) return false;
  --gUsers;
  return true;
}

int ModuleUserCount() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  return gUsers;
}

void* ModuleHandle() {
  std::lock_guard<std::mutex> lock(moduleMutex());
  return gHandle;
}

} // namespace iplug::vst3
