#include "framework/vst3/single_component_effect.h"

#include "framework/vst3/utf16.h"

namespace iplug::vst3 {

using namespace Steinberg;

namespace {

Vst::SpeakerArrangement arrangementOf(int channels) {
  if (channels == 1) return Vst::SpeakerArr::kMono;
  if (channels == 2) return Vst::SpeakerArr::kStereo;
  return channels >= 64 ? ~Vst::SpeakerArrangement{0} : (Vst::SpeakerArrangement{1} << channels) - 1;
}

Vst::AudioBus* addAudioBus(Vst::BusList& list, const char* name, int channels) {
  Vst::String128 name16;
  CopyUtf8ToUtf16(name, name16, 128);
  auto* bus = new Vst::AudioBus(name16, Vst::kMain, Vst::BusInfo::kDefaultActive, arrangementOf(channels));
  list.push_back(IPtr<Vst::Bus>(bus, false));   // the list takes the creation reference
  return bus;
}

} // namespace

SingleComponentEffect::SingleComponentEffect() = default;

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context) {
  return EditControllerEx1::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate() {
  audioInputs.clear();
  audioOutputs.clear();
  return EditControllerEx1::terminate();
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID) { return kNotImplemented; }

tresult PLUGIN_API SingleComponentEffect::setIoMode(Vst::IoMode) { return kResultOk; }

Vst::BusList* SingleComponentEffect::busList(Vst::MediaType type, Vst::BusDirection dir) {
  if (type != Vst::kAudio) return nullptr;
  return dir == Vst::kInput ? &audioInputs : &audioOutputs;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(Vst::MediaType type, Vst::BusDirection dir) {
  const Vst::BusList* list = busList(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(Vst::MediaType type, Vst::BusDirection dir, int32 index,
                                                     Vst::BusInfo& bus) {
  Vst::BusList* list = busList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  bus.mediaType = type;
  bus.direction = dir;
  return (*list)[static_cast<size_t>(index)]->getInfo(bus) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(Vst::RoutingInfo&, Vst::RoutingInfo&) {
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(Vst::MediaType type, Vst::BusDirection dir, int32 index,
                                                      TBool state) {
  Vst::BusList* list = busList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  (*list)[static_cast<size_t>(index)]->setActive(state);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool) { return kResultOk; }

tresult PLUGIN_API SingleComponentEffect::setComponentState(IBStream*) { return kResultOk; }

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(Vst::SpeakerArrangement* inputs, int32 numIns,
                                                             Vst::SpeakerArrangement* outputs, int32 numOuts) {
  if (numIns != static_cast<int32>(audioInputs.size()) || numOuts != static_cast<int32>(audioOutputs.size()))
    return kResultFalse;
  if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kInvalidArgument;
  for (int32 i = 0; i < numIns; ++i) {
    auto* bus = static_cast<Vst::AudioBus*>(audioInputs[static_cast<size_t>(i)].get());
    if (bus->getArrangement() != inputs[i]) return kResultFalse;
  }
  for (int32 i = 0; i < numOuts; ++i) {
    auto* bus = static_cast<Vst::AudioBus*>(audioOutputs[static_cast<size_t>(i)].get());
    if (bus->getArrangement() != outputs[i]) return kResultFalse;
  }
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(Vst::BusDirection dir, int32 index,
                                                            Vst::SpeakerArrangement& arr) {
  Vst::BusList* list = busList(Vst::kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  arr = static_cast<Vst::AudioBus*>((*list)[static_cast<size_t>(index)].get())->getArrangement();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize) {
  return symbolicSampleSize == Vst::kSample32 || symbolicSampleSize == Vst::kSample64 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(Vst::ProcessSetup& setup) {
  processSetup = setup;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool) { return kResultOk; }

tresult PLUGIN_API SingleComponentEffect::process(Vst::ProcessData&) { return kResultOk; }

Vst::AudioBus* SingleComponentEffect::addAudioInput(const char* name, int channels) {
  return addAudioBus(audioInputs, name, channels);
}

Vst::AudioBus* SingleComponentEffect::addAudioOutput(const char* name, int channels) {
  return addAudioBus(audioOutputs, name, channels);
}

} // namespace iplug::vst3
