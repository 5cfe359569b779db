#pragma once
// The module's plug-in factory: factory information and one registered class.
//
// The factory is created by the first GetFactory() call and returned by every
// later call with an added reference (the host releases each). Once the last
// reference is released it is deleted, and a later call creates a new one.
// Instances are created under the process-wide creation lock, so no two
// plug-in constructors ever run at the same time. Any thread.
#include <cstdint>
#include <mutex>

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace iplug::vst3 {

struct FactoryInfo {
  const char* vendor = "";
  const char* url = "";
  const char* email = "";
  Steinberg::int32 flags = Steinberg::PFactoryInfo::kUnicode;
};

// The one class the factory offers (class information version 2).
struct ClassInfo {
  // Class ID as four 32-bit words; the bytes follow each platform's VST3 UID
  // layout (INLINE_UID), so hosts see one class identity everywhere.
  uint32_t cid[4] = {0, 0, 0, 0};
  Steinberg::int32 cardinality = Steinberg::PClassInfo::kManyInstances;
  const char* category = "";
  const char* name = "";
  uint32_t classFlags = 0;
  const char* subCategories = "";
  const char* vendor = "";
  const char* version = "";
  const char* sdkVersion = "";
  // Creates an instance with one reference; called under the creation lock.
  Steinberg::FUnknown* (*createInstance)() = nullptr;
};

// The process-wide factory for `factory` and `cls` (which must stay valid
// while the module is loaded). The caller owns one reference.
Steinberg::IPluginFactory* GetFactory(const FactoryInfo& factory, const ClassInfo& cls);

// The process-wide lock around instance construction.
std::mutex& CreationLock();

// A ClassInfo::createInstance for plug-in class T: constructs it under the
// creation lock and returns its audio-processor interface.
template <class T> Steinberg::FUnknown* CreateInstance() {
  std::lock_guard<std::mutex> lock(CreationLock());
  return static_cast<Steinberg::Vst::IAudioProcessor*>(new T());
}

} // namespace iplug::vst3
