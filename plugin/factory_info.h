#pragma once
// What the module's plug-in factory publishes: the maker's factory
// information and Varnock's one class.
#include "framework/vst3/factory.h"

namespace varnock {

extern const iplug::vst3::FactoryInfo kFactoryInfo;
extern const iplug::vst3::ClassInfo kClassInfo;

} // namespace varnock
