#pragma once
// A component handler that records every call a plug-in makes on it, in
// order: edit gestures (beginEdit, performEdit, endEdit) with their
// parameter IDs and values, and restartComponent requests with their flags.
// It answers kResultOk and takes no other action; callers inspect events().
//
// Threads: edits arrive on the UI thread, restart requests also on the audio
// thread (latency changes). Recording takes a short lock; room for
// kReservedEvents is reserved up front so that recording does not allocate
// until that many events are held. Reference counted like every host object.
#include <mutex>
#include <vector>

#include "host/ref_count.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace vst3host {

struct HandlerEvent {
  enum class Kind { BeginEdit, PerformEdit, EndEdit, RestartComponent };
  Kind kind;
  Steinberg::Vst::ParamID id = 0;  // edits only
  double value = 0;                // performEdit only: the normalised value
  Steinberg::int32 flags = 0;      // restartComponent only: Vst::RestartFlags bits
};

class RecordingComponentHandler final : public Steinberg::Vst::IComponentHandler {
 public:
  static constexpr size_t kReservedEvents = 4096;

  RecordingComponentHandler();

  // A copy of the events so far, oldest first.
  std::vector<HandlerEvent> events() const;
  void clear();
  // How many restart requests carried any of the bits in `flagMask`.
  int restartCount(Steinberg::int32 flagMask) const;

  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                            Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_REFCOUNT_METHODS

 private:
  void record(const HandlerEvent& event);

  RefCount refCount_;
  mutable std::mutex mutex_;
  std::vector<HandlerEvent> events_;
};

}  // namespace vst3host
