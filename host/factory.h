#pragma once
// A plug-in module's class factory (IPluginFactory, with the extras of
// IPluginFactory2 and IPluginFactory3 when the module offers them): factory
// information, the classes it offers, and instance creation by class ID.
// Owned by its Module; UI thread.
#include <array>
#include <string>
#include <vector>

#include "pluginterfaces/base/ipluginbase.h"

namespace vst3host {

// A 16-byte class ID as the factory reports it (the SDK's TUID byte order).
using ClassId = std::array<char, 16>;

// 32 upper-case hex digits, bytes in the order given.
std::string classIdToString(const ClassId& id);

struct FactoryDescription {
  std::string vendor, url, email;
  Steinberg::int32 flags = 0;  // PFactoryInfo::FactoryFlags
};

// One class: PClassInfo, plus the PClassInfo2 fields when `hasInfo2`
// (taken from the Unicode PClassInfoW when the factory offers it).
struct ClassDescription {
  ClassId id{};
  Steinberg::int32 cardinality = 0;
  std::string category;  // "Audio Module Class" for a processor component
  std::string name;
  bool hasInfo2 = false;
  Steinberg::uint32 classFlags = 0;
  std::string subCategories, vendor, version, sdkVersion;
};

class Factory {
 public:
  // Takes over one reference to `factory`, released by the destructor.
  explicit Factory(Steinberg::IPluginFactory* factory);
  ~Factory();
  Factory(const Factory&) = delete;
  Factory& operator=(const Factory&) = delete;

  FactoryDescription info() const;
  const std::vector<ClassDescription>& classes() const { return classes_; }
  // The first class of `category`, or null.
  const ClassDescription* findClass(const std::string& category) const;

  // Creates an object of class `id` and returns its interface `iid` holding
  // one reference for the caller; null and *error on failure.
  Steinberg::FUnknown* createInstance(const ClassId& id, const Steinberg::TUID iid, std::string* error) const;

  // Hands the host context to an IPluginFactory3; false when the factory is older.
  bool setHostContext(Steinberg::FUnknown* context);

  Steinberg::IPluginFactory* raw() const { return factory_; }

 private:
  void readClasses();

  Steinberg::IPluginFactory* factory_;
  std::vector<ClassDescription> classes_;
};

}  // namespace vst3host
