#include "framework/vst3/factory.h"

#include <atomic>
#include <cstring>
#include <new>

#include "framework/vst3/abi_guard.h"
#include "framework/vst3/utf16.h"

namespace iplug::vst3 {

using namespace Steinberg;

namespace {

void copyText(char8* dest, const char* src, size_t size) {
  std::strncpy(dest, src ? src : "", size - 1);
  dest[size - 1] = 0;
}

class PluginFactory;

std::mutex& factoryMutex() {
  static std::mutex m;
  return m;
}

PluginFactory* gFactory = nullptr;            // guarded by factoryMutex()

class PluginFactory final : public IPluginFactory3 {
public:
  PluginFactory(const FactoryInfo& factory, const ClassInfo& cls) : mFactory(factory), mClass(cls) {
    const FUID id(cls.cid[0], cls.cid[1], cls.cid[2], cls.cid[3]);
    id.toTUID(mCid);
  }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid)) {
      addRef();
      *obj = static_cast<IPluginFactory3*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }

  uint32 PLUGIN_API addRef() override { return ++mRefCount; }

  uint32 PLUGIN_API release() override {
    std::lock_guard<std::mutex> lock(factoryMutex());
    const uint32 left = --mRefCount;
    if (left == 0) {
      if (gFactory == this) gFactory = nullptr;
      delete this;
    }
    return left;
  }

  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    *info = PFactoryInfo();
    copyText(info->vendor, mFactory.vendor, PFactoryInfo::kNameSize);
    copyText(info->url, mFactory.url, PFactoryInfo::kURLSize);
    copyText(info->email, mFactory.email, PFactoryInfo::kEmailSize);
    info->flags = mFactory.flags;
    return kResultOk;
  }

  int32 PLUGIN_API countClasses() override { return 1; }

  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
    if (!info) return kInvalidArgument;
    if (index != 0) return kInvalidArgument;
    *info = PClassInfo();
    std::memcpy(info->cid, mCid, sizeof(TUID));
    info->cardinality = mClass.cardinality;
    copyText(info->category, mClass.category, PClassInfo::kCategorySize);
    copyText(info->name, mClass.name, PClassInfo::kNameSize);
    return kResultOk;
  }

  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
    if (!info) return kInvalidArgument;
    if (index != 0) return kInvalidArgument;
    *info = PClassInfo2();
    std::memcpy(info->cid, mCid, sizeof(TUID));
    info->cardinality = mClass.cardinality;
    copyText(info->category, mClass.category, PClassInfo::kCategorySize);
    copyText(info->name, mClass.name, PClassInfo::kNameSize);
    info->classFlags = mClass.classFlags;
    copyText(info->subCategories, mClass.subCategories, PClassInfo2::kSubCategoriesSize);
    copyText(info->vendor, mClass.vendor, PClassInfo2::kVendorSize);
    copyText(info->version, mClass.version, PClassInfo2::kVersionSize);
    copyText(info->sdkVersion, mClass.sdkVersion, PClassInfo2::kVersionSize);
    return kResultOk;
  }

  tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (!info) return kInvalidArgument;
    if (index != 0) return kInvalidArgument;
    *info = PClassInfoW();
    std::memcpy(info->cid, mCid, sizeof(TUID));
    info->cardinality = mClass.cardinality;
    copyText(info->category, mClass.category, PClassInfo::kCategorySize);
    CopyUtf8ToUtf16(mClass.name, info->name, PClassInfo::kNameSize);
    info->classFlags = mClass.classFlags;
    copyText(info->subCategories, mClass.subCategories, PClassInfoW::kSubCategoriesSize);
    CopyUtf8ToUtf16(mClass.vendor, info->vendor, PClassInfoW::kVendorSize);
    CopyUtf8ToUtf16(mClass.version, info->version, PClassInfoW::kVersionSize);
    CopyUtf8ToUtf16(mClass.sdkVersion, info->sdkVersion, PClassInfoW::kVersionSize);
    return kResultOk;
  }

  tresult PLUGIN_API setHostContext(FUnknown*) override { return kNotImplemented; }

  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid || !FUnknownPrivate::iidEqual(cid, mCid) || !mClass.createInstance) return kInvalidArgument;
    // A constructor that runs out of memory leaves nothing behind (its
    // members are unwound) and the host gets kOutOfMemory.
    return Guarded([&]() -> tresult {
      FUnknown* instance = mClass.createInstance();
      if (!instance) return kOutOfMemory;
      const tresult result = instance->queryInterface(iid, obj);
      instance->release();                      // the queried interface holds the reference now
      return result == kResultOk ? kResultOk : kNoInterface;
    });
  }

private:
  ~PluginFactory() = default;

  FactoryInfo mFactory;
  ClassInfo mClass;
  TUID mCid;
  std::atomic<uint32> mRefCount{1};
};

} // namespace

IPluginFactory* GetFactory(const FactoryInfo& factory, const ClassInfo& cls) {
  std::lock_guard<std::mutex> lock(factoryMutex());
  if (gFactory) {
    gFactory->addRef();
  } else {
    gFactory = new (std::nothrow) PluginFactory(factory, cls);   // null: the host sees no factory
  }
  return gFactory;
}

std::mutex& CreationLock() {
  static std::mutex lock;
  return lock;
}

} // namespace iplug::vst3
