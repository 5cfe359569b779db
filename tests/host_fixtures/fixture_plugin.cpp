// A minimal VST3 effect used to test the host library against a plug-in
// whose processor and edit controller are separate classes, joined through
// IConnectionPoint. Parameters (normalised values):
//   0 "Gain": output = input x 2 x value, from the last point in each block;
//   1 "Echo": every point received is echoed to the output parameter changes;
//   2 "Connected": set to 1 by the controller when the processor's "hello"
//     message arrives, which it sends as soon as it is connected.
// The processor's state is the Gain value as one double. Lifecycle calls
// are logged in order (FixtureCallLog) so tests can check what a host did.
#include <cstring>
#include <string>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vstcomponent.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

using namespace Steinberg;

namespace {

constexpr uint32 kLatencySamples = 37;
constexpr uint32 kTailSamples = 5;
const FUID kProcessorUid(0x6E1F2A01, 0x11224433, 0x55667788, 0x99AABBCC);
const FUID kControllerUid(0x6E1F2A02, 0x11224433, 0x55667788, 0x99AABBCC);

int gModuleUsers = 0;
std::string gCallLog;

void logCall(const char* call) {
  gCallLog += call;
  gCallLog += ';';
}

class FixtureProcessor : public Vst::Component, public Vst::IAudioProcessor {
 public:
  FixtureProcessor() { setControllerClass(kControllerUid); }

  tresult PLUGIN_API initialize(FUnknown* context) override {
    logCall("component.initialize");
    const tresult result = Component::initialize(context);
    if (result != kResultOk) return result;
    audioInputs.push_back(owned(new Vst::AudioBus(STR16("In"), Vst::kMain, Vst::BusInfo::kDefaultActive,
                                               Vst::SpeakerArr::kStereo)));
    audioOutputs.push_back(owned(new Vst::AudioBus(STR16("Out"), Vst::kMain, Vst::BusInfo::kDefaultActive,
                                                Vst::SpeakerArr::kStereo)));
    return kResultOk;
  }

  tresult PLUGIN_API terminate() override {
    logCall("component.terminate");
    return Component::terminate();
  }
  tresult PLUGIN_API setActive(TBool state) override {
    logCall(state ? "setActive(1)" : "setActive(0)");
    return kResultOk;
  }

  tresult PLUGIN_API connect(Vst::IConnectionPoint* other) override {
    logCall("component.connect");
    const tresult result = Component::connect(other);
    if (result != kResultOk) return result;
    Vst::IMessage* message = allocateMessage();
    if (message) {
      message->setMessageID("hello");
      message->getAttributes()->setInt("latency", kLatencySamples);
      sendMessage(message);
      message->release();
    }
    return kResultOk;
  }

  tresult PLUGIN_API setBusArrangements(Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Vst::SpeakerArrangement* outputs, int32 numOuts) override {
    const bool stereo = numIns == 1 && numOuts == 1 && inputs[0] == Vst::SpeakerArr::kStereo &&
                        outputs[0] == Vst::SpeakerArr::kStereo;
    return stereo ? kResultOk : kResultFalse;
  }
  tresult PLUGIN_API getBusArrangement(Vst::BusDirection, int32 index, Vst::SpeakerArrangement& arr) override {
    arr = Vst::SpeakerArr::kStereo;
    return index == 0 ? kResultOk : kInvalidArgument;
  }
  tresult PLUGIN_API canProcessSampleSize(int32 size) override {
    return size == Vst::kSample32 || size == Vst::kSample64 ? kResultOk : kResultFalse;
  }
  uint32 PLUGIN_API getLatencySamples() override { return kLatencySamples; }
  tresult PLUGIN_API setupProcessing(Vst::ProcessSetup&) override {
    logCall("setupProcessing");
    return kResultOk;
  }
  tresult PLUGIN_API setProcessing(TBool state) override {
    logCall(state ? "setProcessing(1)" : "setProcessing(0)");
    return kResultOk;
  }
  uint32 PLUGIN_API getTailSamples() override { return kTailSamples; }

  tresult PLUGIN_API process(Vst::ProcessData& data) override {
    if (data.inputParameterChanges) readChanges(data);
    for (int32 c = 0; c < data.outputs[0].numChannels; ++c) {
      for (int32 i = 0; i < data.numSamples; ++i) {
        if (data.symbolicSampleSize == Vst::kSample64)
          data.outputs[0].channelBuffers64[c][i] = data.inputs[0].channelBuffers64[c][i] * 2.0 * gain_;
        else
          data.outputs[0].channelBuffers32[c][i] =
              static_cast<float>(data.inputs[0].channelBuffers32[c][i] * 2.0 * gain_);
      }
    }
    return kResultOk;
  }

  tresult PLUGIN_API getState(IBStream* state) override {
    double value = gain_;
    return state->write(&value, sizeof value, nullptr);
  }
  tresult PLUGIN_API setState(IBStream* state) override {
    double value = 0;
    int32 read = 0;
    if (state->read(&value, sizeof value, &read) != kResultOk || read != sizeof value) return kResultFalse;
    gain_ = value;
    return kResultOk;
  }

  OBJ_METHODS(FixtureProcessor, Component)
  DEFINE_INTERFACES
    DEF_INTERFACE(IAudioProcessor)
  END_DEFINE_INTERFACES(Component)
  REFCOUNT_METHODS(Component)

 private:
  void readChanges(Vst::ProcessData& data) {
    Vst::IParameterChanges& changes = *data.inputParameterChanges;
    for (int32 q = 0; q < changes.getParameterCount(); ++q) {
      Vst::IParamValueQueue* queue = changes.getParameterData(q);
      const int32 points = queue->getPointCount();
      int32 offset = 0;
      Vst::ParamValue value = 0;
      if (queue->getParameterId() == 0 && points > 0 && queue->getPoint(points - 1, offset, value) == kResultOk)
        gain_ = value;
      if (queue->getParameterId() == 1 && data.outputParameterChanges) {
        int32 index = 0;
        Vst::IParamValueQueue* echo = data.outputParameterChanges->addParameterData(1, index);
        for (int32 p = 0; echo && p < points; ++p)
          if (queue->getPoint(p, offset, value) == kResultOk) echo->addPoint(offset, value, index);
      }
    }
  }

  double gain_ = 0.5;
};

class FixtureController : public Vst::EditController {
 public:
  tresult PLUGIN_API initialize(FUnknown* context) override {
    logCall("controller.initialize");
    const tresult result = EditController::initialize(context);
    if (result != kResultOk) return result;
    parameters.addParameter(STR16("Gain"), STR16("x"), 0, 0.5, Vst::ParameterInfo::kCanAutomate, 0);
    parameters.addParameter(STR16("Echo"), nullptr, 0, 0, Vst::ParameterInfo::kCanAutomate, 1);
    parameters.addParameter(STR16("Connected"), nullptr, 1, 0, Vst::ParameterInfo::kIsReadOnly, 2);
    return kResultOk;
  }
  tresult PLUGIN_API terminate() override {
    logCall("controller.terminate");
    return EditController::terminate();
  }
  tresult PLUGIN_API setComponentState(IBStream* state) override {
    double value = 0;
    int32 read = 0;
    if (state->read(&value, sizeof value, &read) != kResultOk || read != sizeof value) return kResultFalse;
    return setParamNormalized(0, value);
  }
  tresult PLUGIN_API notify(Vst::IMessage* message) override {
    if (std::strcmp(message->getMessageID(), "hello") == 0) {
      int64 latency = 0;
      if (message->getAttributes()->getInt("latency", latency) == kResultOk && latency == kLatencySamples)
        setParamNormalized(2, 1.0);
      return kResultOk;
    }
    return EditController::notify(message);
  }
};

class FixtureFactory : public IPluginFactory2 {
 public:
  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) override {
    *info = PFactoryInfo("Fixture Works", "https://fixture.invalid", "fixture@fixture.invalid",
                         PFactoryInfo::kUnicode);
    return kResultOk;
  }
  int32 PLUGIN_API countClasses() override { return 2; }
  tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) override {
    PClassInfo2 info2;
    if (getClassInfo2(index, &info2) != kResultOk) return kInvalidArgument;
    *info = PClassInfo(info2.cid, info2.cardinality, info2.category, info2.name);
    return kResultOk;
  }
  tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) override {
    TUID cid;
    if (index == 0) {
      kProcessorUid.toTUID(cid);
      *info = PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, "Fixture Gain",
                          Vst::kDistributable, "Fx|Tools", nullptr, "0.1.0", kVstVersionString);
    } else if (index == 1) {
      kControllerUid.toTUID(cid);
      *info = PClassInfo2(cid, PClassInfo::kManyInstances, kVstComponentControllerClass,
                          "Fixture Gain Controller", 0, "", nullptr, "0.1.0", kVstVersionString);
    } else {
      return kInvalidArgument;
    }
    return kResultOk;
  }
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    FUnknown* made = nullptr;
    if (FUnknownPrivate::iidEqual(cid, kProcessorUid.toTUID()))
      made = static_cast<Vst::IAudioProcessor*>(new FixtureProcessor);
    else if (FUnknownPrivate::iidEqual(cid, kControllerUid.toTUID()))
      made = static_cast<Vst::IEditController*>(new FixtureController);
    if (!made) {
      *obj = nullptr;
      return kNoInterface;
    }
    const tresult result = made->queryInterface(iid, obj);
    made->release();
    return result;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
        FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid)) {
      *obj = static_cast<IPluginFactory2*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
};

FixtureFactory gFactory;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) IPluginFactory* PLUGIN_API GetPluginFactory() { return &gFactory; }
__attribute__((visibility("default"))) bool ModuleEntry(void*) {
  ++gModuleUsers;
  return true;
}
__attribute__((visibility("default"))) bool ModuleExit() {
  --gModuleUsers;
  return true;
}
// How many ModuleEntry calls are not yet matched by ModuleExit.
__attribute__((visibility("default"))) int FixtureModuleUsers() { return gModuleUsers; }
// The lifecycle calls since the last FixtureClearCallLog, each followed by ';'.
__attribute__((visibility("default"))) const char* FixtureCallLog() { return gCallLog.c_str(); }
__attribute__((visibility("default"))) void FixtureClearCallLog() { gCallLog.clear(); }

}
