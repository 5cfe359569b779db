#include "host/component_handler.h"

using namespace Steinberg;

namespace vst3host {

RecordingComponentHandler::RecordingComponentHandler() { events_.reserve(kReservedEvents); }

std::vector<HandlerEvent> RecordingComponentHandler::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

void RecordingComponentHandler::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

int RecordingComponentHandler::restartCount(int32 flagMask) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int count = 0;
  for (const HandlerEvent& e : events_)
    if (e.kind == HandlerEvent::Kind::RestartComponent && (e.flags & flagMask) != 0) ++count;
  return count;
}

void RecordingComponentHandler::record(const HandlerEvent& event) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(event);
}

tresult PLUGIN_API RecordingComponentHandler::beginEdit(Vst::ParamID id) {
  record({HandlerEvent::Kind::BeginEdit, id, 0, 0});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(Vst::ParamID id, Vst::ParamValue valueNormalized) {
  record({HandlerEvent::Kind::PerformEdit, id, valueNormalized, 0});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(Vst::ParamID id) {
  record({HandlerEvent::Kind::EndEdit, id, 0, 0});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(int32 flags) {
  record({HandlerEvent::Kind::RestartComponent, 0, 0, flags});
  return kResultOk;
}

tresult PLUGIN_API RecordingComponentHandler::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IComponentHandler>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
