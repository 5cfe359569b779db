#include "host/parameter_changes.h"

#include "host/ref_count.h"

using namespace Steinberg;

namespace vst3host {

ParamValueQueue::ParamValueQueue(int maxPoints) : points_(static_cast<size_t>(maxPoints)) {}

void ParamValueQueue::reset(Vst::ParamID id) {
  id_ = id;
  count_ = 0;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, Vst::ParamValue& value) {
  if (index < 0 || index >= count_) return kResultFalse;
  sampleOffset = points_[static_cast<size_t>(index)].sampleOffset;
  value = points_[static_cast<size_t>(index)].value;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, Vst::ParamValue value, int32& index) {
  int32 at = count_;
  while (at > 0 && points_[static_cast<size_t>(at - 1)].sampleOffset >= sampleOffset) --at;
  if (at < count_ && points_[static_cast<size_t>(at)].sampleOffset == sampleOffset) {
    points_[static_cast<size_t>(at)].value = value;
    index = at;
    return kResultOk;
  }
  if (count_ == static_cast<int32>(points_.size())) return kResultFalse;
  for (int32 i = count_; i > at; --i) points_[static_cast<size_t>(i)] = points_[static_cast<size_t>(i - 1)];
  points_[static_cast<size_t>(at)] = {sampleOffset, value};
  ++count_;
  index = at;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IParamValueQueue>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

ParameterChanges::ParameterChanges(int maxParameters, int maxPointsPerParameter)
    : queues_(static_cast<size_t>(maxParameters), ParamValueQueue(maxPointsPerParameter)) {}

bool ParameterChanges::add(Vst::ParamID id, int32 sampleOffset, Vst::ParamValue value) {
  int32 index = 0;
  Vst::IParamValueQueue* queue = addParameterData(id, index);
  return queue && queue->addPoint(sampleOffset, value, index) == kResultOk;
}

ParamValueQueue* ParameterChanges::find(Vst::ParamID id) {
  for (int32 i = 0; i < used_; ++i)
    if (queues_[static_cast<size_t>(i)].getParameterId() == id) return &queues_[static_cast<size_t>(i)];
  return nullptr;
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index) {
  if (index < 0 || index >= used_) return nullptr;
  return &queues_[static_cast<size_t>(index)];
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const Vst::ParamID& id, int32& index) {
  for (int32 i = 0; i < used_; ++i) {
    if (queues_[static_cast<size_t>(i)].getParameterId() == id) {
      index = i;
      return &queues_[static_cast<size_t>(i)];
    }
  }
  if (used_ == static_cast<int32>(queues_.size())) return nullptr;
  index = used_++;
  queues_[static_cast<size_t>(index)].reset(id);
  return &queues_[static_cast<size_t>(index)];
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IParameterChanges>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
