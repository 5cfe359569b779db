#pragma once
// One plug-in instance hosted the way a VST3 host does it: the component
// (IComponent + IAudioProcessor), its edit controller (the same object, or a
// separate controller class, connected through IConnectionPoint), a host
// context and a component handler that records everything.
//
// Lifecycle: create() -> setupProcessing() -> setActive(true) ->
// setProcessing(true) -> process() per block -> setProcessing(false) ->
// setActive(false) -> destroy. Any step left out at the end is done by the
// destructor, in reverse order. The Module that made the factory must
// outlive the HostedPlugin.
//
// Threads: process(), queueParameterChange() and the audio-side queries
// (latencySamples, tailSamples) run on the audio thread, or on one thread
// that alternates them with the rest; process() never allocates, since every
// buffer is sized by setupProcessing(). Everything else is UI-thread work.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/component_handler.h"
#include "host/factory.h"
#include "host/host_context.h"
#include "host/memory_stream.h"
#include "host/parameter_changes.h"
#include "host/process_buffers.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace vst3host {

enum class SampleSize { Float32, Float64 };

struct ProcessingSetup {
  double sampleRate = 48000.0;  // Hz
  int maxBlockFrames = 1024;    // largest numFrames that process() will be given
  SampleSize sampleSize = SampleSize::Float32;
  bool offline = false;         // Vst::kOffline instead of Vst::kRealtime
};

// A parameter as the controller describes it (Vst::ParameterInfo in UTF-8).
struct ParameterDescription {
  Steinberg::Vst::ParamID id = 0;
  std::string title, shortTitle, units;
  Steinberg::int32 stepCount = 0;      // 0: continuous; n: n + 1 discrete values
  double defaultNormalized = 0;
  Steinberg::Vst::UnitID unitId = 0;
  Steinberg::int32 flags = 0;          // Vst::ParameterInfo::ParameterFlags
};

class HostedPlugin {
 public:
  // Creates class `classId` from `factory` and initialises it with `context`
  // (a new default HostContext when null); finds or creates and initialises
  // its controller, connects a separate one, hands the controller the
  // component's state and installs the recording handler.
  // UI thread; null and *error on failure, with everything made so far undone.
  static std::unique_ptr<HostedPlugin> create(const Factory& factory, const ClassId& classId, std::string* error,
                                              HostContext* context = nullptr);
  ~HostedPlugin();
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  // The plug-in's interfaces, valid while this object lives (no reference added).
  Steinberg::Vst::IComponent* component() const { return component_; }
  Steinberg::Vst::IAudioProcessor* processor() const { return processor_; }
  Steinberg::Vst::IEditController* controller() const { return controller_; }
  bool hasSeparateController() const { return separateController_; }
  RecordingComponentHandler& handler() const { return *handler_; }
  HostContext& context() const { return *context_; }

  // ---- Processing set-up (UI thread) ----

  // While inactive: asks for stereo on every audio bus (keeping the plug-in's
  // own layout if it refuses), activates the audio busses, passes the set-up
  // to the processor and sizes the buffers. false and *error on failure.
  bool setupProcessing(const ProcessingSetup& setup, std::string* error);
  // IComponent::setActive. Activating needs a successful setupProcessing().
  bool setActive(bool active);
  // IAudioProcessor::setProcessing.
  bool setProcessing(bool processing);
  bool isActive() const { return active_; }
  bool isProcessing() const { return processing_; }
  // Channels of the main (first) audio busses once set up; 0 without one.
  int mainInputChannels() const { return buffers_.inputChannels(0); }
  int mainOutputChannels() const { return buffers_.outputChannels(0); }

  // ---- Audio thread ----

  // Queues a change for the next process() call (offset in frames into that
  // block); several points per parameter are allowed. false when the queue is full.
  bool queueParameterChange(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset, double normalized);
  // Processes `numFrames` (0 … maxBlockFrames) frames while active. `inputs`
  // holds one pointer per main input channel (null: silence) and `outputs`
  // one per main output channel; other busses get silence. The sample type
  // may differ from the set-up's; it is converted. Delivers and then clears
  // the queued parameter changes, and advances the transport. false when not
  // active or the plug-in's process() fails.
  bool process(const float* const* inputs, float* const* outputs, int numFrames);
  bool process(const double* const* inputs, double* const* outputs, int numFrames);
  // What the plug-in reported in the last process() call.
  ParameterChanges& outputParameterChanges() { return outputChanges_; }
  Steinberg::uint32 latencySamples() const { return processor_->getLatencySamples(); }
  Steinberg::uint32 tailSamples() const { return processor_->getTailSamples(); }

  // ---- Parameters, on the controller (UI thread) ----

  int parameterCount() const { return controller_->getParameterCount(); }
  // false when `index` is out of range or the controller refuses.
  bool parameterInfo(int index, ParameterDescription* out) const;
  std::vector<ParameterDescription> parameters() const;
  // The ID of the parameter whose title is `title` (exact match); false when none.
  bool findParameter(std::string_view title, Steinberg::Vst::ParamID* id) const;
  double normalizedValue(Steinberg::Vst::ParamID id) const { return controller_->getParamNormalized(id); }
  bool setNormalizedValue(Steinberg::Vst::ParamID id, double normalized);
  double normalizedToPlain(Steinberg::Vst::ParamID id, double normalized) const;
  double plainToNormalized(Steinberg::Vst::ParamID id, double plain) const;
  // The plug-in's own text for a normalised value; false when it has none.
  bool valueToText(Steinberg::Vst::ParamID id, double normalized, std::string* text) const;
  // The plug-in's own parse of a text; false when it refuses the text.
  bool textToValue(Steinberg::Vst::ParamID id, std::string_view text, double* normalized) const;

  // ---- State (UI thread) ----

  // Appends the component's state at the stream's position.
  bool getState(MemoryStream& stream);
  // Hands the component the stream from its position; a separate controller
  // then gets the same bytes through setComponentState. false when the
  // component reports failure.
  bool setState(MemoryStream& stream);
  bool getState(std::vector<uint8_t>* bytes);
  bool setState(const std::vector<uint8_t>& bytes);
  // The controller's own state (IEditController::getState/setState).
  bool getControllerState(MemoryStream& stream);
  bool setControllerState(MemoryStream& stream);

 private:
  HostedPlugin() = default;
  bool attachController(const Factory& factory, std::string* error);
  template <class Sample>
  bool processBlock(const Sample* const* inputs, Sample* const* outputs, int numFrames);

  HostContext* context_ = nullptr;                  // one reference
  RecordingComponentHandler* handler_ = nullptr;    // one reference
  Steinberg::Vst::IComponent* component_ = nullptr;        // one reference
  Steinberg::Vst::IAudioProcessor* processor_ = nullptr;   // one reference
  Steinberg::Vst::IEditController* controller_ = nullptr;  // one reference
  Steinberg::Vst::IConnectionPoint* componentPoint_ = nullptr;   // one reference while connected
  Steinberg::Vst::IConnectionPoint* controllerPoint_ = nullptr;  // one reference while connected
  bool componentInitialised_ = false;
  bool separateController_ = false;
  bool controllerInitialised_ = false;
  bool setUp_ = false;
  bool active_ = false;
  bool processing_ = false;

  ProcessBuffers buffers_;
  ParameterChanges inputChanges_;
  ParameterChanges outputChanges_;
  Steinberg::Vst::ProcessContext processContext_{};
  Steinberg::Vst::ProcessSetup processSetup_{};
};

}  // namespace vst3host
