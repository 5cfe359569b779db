#include "host/hosted_plugin.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;

namespace vst3host {
namespace {

template <class Interface>
Interface* queryOn(FUnknown* object) {
  void* obj = nullptr;
  if (!object || object->queryInterface(Interface::iid, &obj) != kResultOk) return nullptr;
  return static_cast<Interface*>(obj);
}

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

constexpr double kTempoBpm = 120.0;

}  // namespace

std::unique_ptr<HostedPlugin> HostedPlugin::create(const Factory& factory, const ClassId& classId,
                                                   std::string* error, HostContext* context) {
  std::unique_ptr<HostedPlugin> plugin(new HostedPlugin);
  if (context) context->addRef();
  plugin->context_ = context ? context : new HostContext;
  plugin->handler_ = new RecordingComponentHandler;

  FUnknown* made = factory.createInstance(classId, Vst::IComponent::iid, error);
  if (!made) return nullptr;
  plugin->component_ = static_cast<Vst::IComponent*>(made);
  if (plugin->component_->initialize(plugin->context_) != kResultOk) {
    setError(error, "the component refused to initialise");
    return nullptr;
  }
  plugin->componentInitialised_ = true;
  plugin->processor_ = queryOn<Vst::IAudioProcessor>(plugin->component_);
  if (!plugin->processor_) {
    setError(error, "the component is not an audio processor (no IAudioProcessor)");
    return nullptr;
  }
  if (!plugin->attachController(factory, error)) return nullptr;
  plugin->controller_->setComponentHandler(plugin->handler_);
  return plugin;
}

bool HostedPlugin::attachController(const Factory& factory, std::string* error) {
  controller_ = queryOn<Vst::IEditController>(component_);
  if (controller_) return true;

  TUID controllerId = {};
  if (component_->getControllerClassId(controllerId) != kResultOk) {
    setError(error, "the component has no edit controller (neither IEditController nor a controller class ID)");
    return false;
  }
  ClassId id;
  std::memcpy(id.data(), controllerId, id.size());
  FUnknown* made = factory.createInstance(id, Vst::IEditController::iid, error);
  if (!made) return false;
  controller_ = static_cast<Vst::IEditController*>(made);
  separateController_ = true;
  if (controller_->initialize(context_) != kResultOk) {
    setError(error, "the edit controller refused to initialise");
    return false;
  }
  controllerInitialised_ = true;

  componentPoint_ = queryOn<Vst::IConnectionPoint>(component_);
  controllerPoint_ = queryOn<Vst::IConnectionPoint>(controller_);
  if (componentPoint_ && controllerPoint_) {
    componentPoint_->connect(controllerPoint_);
    controllerPoint_->connect(componentPoint_);
  } else {
    if (componentPoint_) componentPoint_->release();
    if (controllerPoint_) controllerPoint_->release();
    componentPoint_ = controllerPoint_ = nullptr;
  }

  // The controller starts from the component's current state, as in any host.
  MemoryStream state;
  if (component_->getState(&state) == kResultOk) {
    state.rewind();
    controller_->setComponentState(&state);
  }
  return true;
}

HostedPlugin::~HostedPlugin() {
  if (processing_) processor_->setProcessing(false);
  if (active_) component_->setActive(false);
  if (componentPoint_ && controllerPoint_) {
    componentPoint_->disconnect(controllerPoint_);
    controllerPoint_->disconnect(componentPoint_);
    componentPoint_->release();
    controllerPoint_->release();
  }
  if (controller_) {
    controller_->setComponentHandler(nullptr);
    if (controllerInitialised_) controller_->terminate();
    controller_->release();
  }
  if (processor_) processor_->release();
  if (component_) {
    if (componentInitialised_) component_->terminate();
    component_->release();
  }
  handler_->release();
  context_->release();
}

bool HostedPlugin::setupProcessing(const ProcessingSetup& setup, std::string* error) {
  if (active_) {
    setError(error, "processing cannot be set up while the plug-in is active");
    return false;
  }
  if (setup.maxBlockFrames <= 0 || !(setup.sampleRate > 0)) {
    setError(error, "the sample rate and the maximum block size must be positive");
    return false;
  }
  const int32 numIn = component_->getBusCount(Vst::kAudio, Vst::kInput);
  const int32 numOut = component_->getBusCount(Vst::kAudio, Vst::kOutput);
  std::vector<Vst::SpeakerArrangement> inArr(static_cast<size_t>(numIn), Vst::SpeakerArr::kStereo);
  std::vector<Vst::SpeakerArrangement> outArr(static_cast<size_t>(numOut), Vst::SpeakerArr::kStereo);
  // A plug-in that refuses stereo keeps its own layout, read back below.
  processor_->setBusArrangements(inArr.data(), numIn, outArr.data(), numOut);

  std::vector<int> inChannels, outChannels;
  for (int32 dir = Vst::kInput; dir <= Vst::kOutput; ++dir) {
    const int32 count = dir == Vst::kInput ? numIn : numOut;
    for (int32 i = 0; i < count; ++i) {
      Vst::BusInfo info{};
      component_->getBusInfo(Vst::kAudio, dir, i, info);
      component_->activateBus(Vst::kAudio, dir, i, true);
      (dir == Vst::kInput ? inChannels : outChannels).push_back(info.channelCount);
    }
  }

  const int32 sampleSize = setup.sampleSize == SampleSize::Float64 ? Vst::kSample64 : Vst::kSample32;
  if (processor_->canProcessSampleSize(sampleSize) != kResultOk) {
    setError(error, std::string("the plug-in cannot process ") +
                        (sampleSize == Vst::kSample64 ? "64-bit" : "32-bit") + " samples");
    return false;
  }
  processSetup_ = Vst::ProcessSetup{setup.offline ? Vst::kOffline : Vst::kRealtime, sampleSize,
                                    setup.maxBlockFrames, setup.sampleRate};
  if (processor_->setupProcessing(processSetup_) != kResultOk) {
    setError(error, "the plug-in refused the processing set-up");
    return false;
  }
  buffers_.setup(inChannels, outChannels, setup.maxBlockFrames, sampleSize);

  processContext_ = Vst::ProcessContext{};
  processContext_.state = Vst::ProcessContext::kPlaying | Vst::ProcessContext::kTempoValid |
                          Vst::ProcessContext::kTimeSigValid | Vst::ProcessContext::kContTimeValid |
                          Vst::ProcessContext::kProjectTimeMusicValid;
  processContext_.sampleRate = setup.sampleRate;
  processContext_.tempo = kTempoBpm;
  processContext_.timeSigNumerator = 4;
  processContext_.timeSigDenominator = 4;
  setUp_ = true;
  return true;
}

bool HostedPlugin::setActive(bool active) {
  if (active == active_) return true;
  if (active && !setUp_) return false;
  if (!active && processing_) setProcessing(false);
  if (component_->setActive(active) != kResultOk) return false;
  active_ = active;
  return true;
}

bool HostedPlugin::setProcessing(bool processing) {
  if (processing == processing_) return true;
  if (processing && !active_) return false;
  // Plug-ins may answer kNotImplemented; the state changes all the same.
  const tresult result = processor_->setProcessing(processing);
  processing_ = processing;
  return result == kResultOk || result == kNotImplemented;
}

bool HostedPlugin::queueParameterChange(Vst::ParamID id, int32 sampleOffset, double normalized) {
  return inputChanges_.add(id, sampleOffset, normalized);
}

bool HostedPlugin::process(const float* const* inputs, float* const* outputs, int numFrames) {
  return processBlock(inputs, outputs, numFrames);
}

bool HostedPlugin::process(const double* const* inputs, double* const* outputs, int numFrames) {
  return processBlock(inputs, outputs, numFrames);
}

template <class Sample>
bool HostedPlugin::processBlock(const Sample* const* inputs, Sample* const* outputs, int numFrames) {
  if (!active_ || numFrames < 0 || numFrames > buffers_.maxFrames()) return false;
  buffers_.writeInput(0, inputs, numFrames);
  for (int bus = 1; bus < buffers_.numInputBuses(); ++bus)
    buffers_.writeInput<Sample>(bus, nullptr, numFrames);
  buffers_.clearOutputs(numFrames);
  outputChanges_.clear();

  Vst::ProcessData data;
  data.processMode = processSetup_.processMode;
  data.symbolicSampleSize = processSetup_.symbolicSampleSize;
  data.numSamples = numFrames;
  data.numInputs = buffers_.numInputBuses();
  data.numOutputs = buffers_.numOutputBuses();
  data.inputs = buffers_.inputs();
  data.outputs = buffers_.outputs();
  data.inputParameterChanges = &inputChanges_;
  data.outputParameterChanges = &outputChanges_;
  data.processContext = &processContext_;
  const tresult result = processor_->process(data);

  inputChanges_.clear();
  processContext_.projectTimeSamples += numFrames;
  processContext_.continousTimeSamples += numFrames;
  processContext_.projectTimeMusic =
      static_cast<double>(processContext_.projectTimeSamples) / processContext_.sampleRate * kTempoBpm / 60.0;
  if (outputs) buffers_.readOutput(0, outputs, numFrames);
  return result == kResultOk;
}

}  // namespace vst3host
