#include "host/factory.h"

#include <cstdio>
#include <cstring>

#include "host/text.h"

using namespace Steinberg;

namespace vst3host {
namespace {

// A fixed char array from the SDK that may lack its final 0.
template <size_t N>
std::string fixedString(const char8 (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

template <size_t N>
std::string fixedString(const char16 (&text)[N]) {
  return utf16ToUtf8(text, N);
}

template <class Interface>
Interface* queryFactory(IPluginFactory* factory) {
  void* obj = nullptr;
  if (factory->queryInterface(Interface::iid, &obj) != kResultOk) return nullptr;
  return static_cast<Interface*>(obj);
}

}  // namespace

std::string classIdToString(const ClassId& id) {
  std::string out;
  char digits[3];
  for (char byte : id) {
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(byte));
    out += digits;
  }
  return out;
}

Factory::Factory(IPluginFactory* factory) : factory_(factory) { readClasses(); }

Factory::~Factory() {
  if (factory_) factory_->release();
}

FactoryDescription Factory::info() const {
  FactoryDescription out;
  PFactoryInfo raw;
  if (factory_->getFactoryInfo(&raw) != kResultOk) return out;
  out.vendor = fixedString(raw.vendor);
  out.url = fixedString(raw.url);
  out.email = fixedString(raw.email);
  out.flags = raw.flags;
  return out;
}

void Factory::readClasses() {
  IPluginFactory2* factory2 = queryFactory<IPluginFactory2>(factory_);
  IPluginFactory3* factory3 = queryFactory<IPluginFactory3>(factory_);
  const int32 count = factory_->countClasses();
  for (int32 i = 0; i < count; ++i) {
    ClassDescription d;
    PClassInfo info;
    if (factory_->getClassInfo(i, &info) != kResultOk) continue;
    std::memcpy(d.id.data(), info.cid, d.id.size());
    d.cardinality = info.cardinality;
    d.category = fixedString(info.category);
    d.name = fixedString(info.name);
    PClassInfoW infoW;
    PClassInfo2 info2;
    if (factory3 && factory3->getClassInfoUnicode(i, &infoW) == kResultOk) {
      d.hasInfo2 = true;
      d.name = fixedString(infoW.name);
      d.classFlags = infoW.classFlags;
      d.subCategories = fixedString(infoW.subCategories);
      d.vendor = fixedString(infoW.vendor);
      d.version = fixedString(infoW.version);
      d.sdkVersion = fixedString(infoW.sdkVersion);
    } else if (factory2 && factory2->getClassInfo2(i, &info2) == kResultOk) {
      d.hasInfo2 = true;
      d.classFlags = info2.classFlags;
      d.subCategories = fixedString(info2.subCategories);
      d.vendor = fixedString(info2.vendor);
      d.version = fixedString(info2.version);
      d.sdkVersion = fixedString(info2.sdkVersion);
    }
    classes_.push_back(std::move(d));
  }
  if (factory3) factory3->release();
  if (factory2) factory2->release();
}

const ClassDescription* Factory::findClass(const std::string& category) const {
  for (const ClassDescription& d : classes_)
    if (d.category == category) return &d;
  return nullptr;
}

FUnknown* Factory::createInstance(const ClassId& id, const TUID iid, std::string* error) const {
  void* obj = nullptr;
  const tresult result = factory_->createInstance(id.data(), iid, &obj);
  if (result != kResultOk || !obj) {
    if (error) *error = "the factory could not create class " + classIdToString(id) + " (result " +
                        std::to_string(result) + ")";
    return nullptr;
  }
  return static_cast<FUnknown*>(obj);
}

bool Factory::setHostContext(FUnknown* context) {
  IPluginFactory3* factory3 = queryFactory<IPluginFactory3>(factory_);
  if (!factory3) return false;
  const bool ok = factory3->setHostContext(context) == kResultOk;
  factory3->release();
  return ok;
}

}  // namespace vst3host
