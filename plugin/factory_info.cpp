#include "plugin/factory_info.h"

#include "plugin/identity.h"
#include "plugin/varnock.h"

namespace varnock {

const iplug::vst3::FactoryInfo kFactoryInfo{kMakerName, kMakerWebAddress, kMakerEmail, Steinberg::PFactoryInfo::kUnicode};

const iplug::vst3::ClassInfo kClassInfo{
  {kClassIdWords[0], kClassIdWords[1], kClassIdWords[2], kClassIdWords[3]},
  Steinberg::PClassInfo::kManyInstances,
  kClassCategory,
  kPluginName,
  kClassFlags,
  kSubCategories,
  "",                                          // empty: the factory's vendor applies
  kVersionText,
  kSdkVersionText,
  &iplug::vst3::CreateInstance<Varnock>,
};

} // namespace varnock
