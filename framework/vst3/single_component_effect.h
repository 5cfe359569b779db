#pragma once
// SingleComponentEffect: a VST3 audio processor and its edit controller in one
// object, so the host never creates a separate controller. It holds the audio
// busses and answers the component, processor and process-context queries
// with neutral defaults; a format wrapper (IPlugVST3) adds the parameters,
// state and processing.
//
// Interfaces: IComponent, IAudioProcessor, IProcessContextRequirements, plus
// everything EditControllerEx1 offers (IPluginBase, IConnectionPoint,
// IEditController, IEditController2, IUnitInfo). IComponent and
// IEditController share one getState()/setState() pair: the single state
// serves both. Threads as the VST3 interfaces state them: setup, busses and
// state on the host's UI thread, process() on its audio thread.
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace iplug::vst3 {

class SingleComponentEffect : public Steinberg::Vst::EditControllerEx1,
                              public Steinberg::Vst::IComponent,
                              public Steinberg::Vst::IAudioProcessor,
                              public Steinberg::Vst::IProcessContextRequirements {
public:
  SingleComponentEffect();

  // ---- IPluginBase (shared by both sides) ----
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
  // Removes the busses, parameters and units.
  Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;

  // ---- IComponent ----
  // There is no separate controller class: kNotImplemented.
  Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) SMTG_OVERRIDE;
  Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                           Steinberg::int32 index, Steinberg::Vst::BusInfo& bus /*out*/) SMTG_OVERRIDE;
  // No routing information: kNotImplemented.
  Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                               Steinberg::Vst::RoutingInfo& outInfo /*out*/) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                            Steinberg::int32 index, Steinberg::TBool state) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;

  // ---- IEditController: the controller shares the processor's state ----
  Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) SMTG_OVERRIDE;

  // ---- IAudioProcessor ----
  // Accepts only the arrangements the busses already have.
  Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, Steinberg::int32 numIns,
                                                   Steinberg::Vst::SpeakerArrangement* outputs,
                                                   Steinberg::int32 numOuts) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                  Steinberg::Vst::SpeakerArrangement& arr) SMTG_OVERRIDE;
  // 32-bit and 64-bit floating point.
  Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
  Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return 0; }
  Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
  Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return 0; }

  // ---- IProcessContextRequirements: no transport or tempo information needed ----
  Steinberg::uint32 PLUGIN_API getProcessContextRequirements() SMTG_OVERRIDE { return 0; }

  OBJ_METHODS(SingleComponentEffect, EditControllerEx1)
  DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IComponent)
    DEF_INTERFACE(Steinberg::Vst::IAudioProcessor)
    DEF_INTERFACE(Steinberg::Vst::IProcessContextRequirements)
  END_DEFINE_INTERFACES(EditControllerEx1)
  REFCOUNT_METHODS(EditControllerEx1)

protected:
  // Adds an audio bus; `channels` is the bus width (1 mono, 2 stereo, n the first n speakers).
  Steinberg::Vst::AudioBus* addAudioInput(const char* name, int channels);
  Steinberg::Vst::AudioBus* addAudioOutput(const char* name, int channels);

  Steinberg::Vst::BusList audioInputs{Steinberg::Vst::kAudio, Steinberg::Vst::kInput};
  Steinberg::Vst::BusList audioOutputs{Steinberg::Vst::kAudio, Steinberg::Vst::kOutput};
  Steinberg::Vst::ProcessSetup processSetup{};

private:
  Steinberg::Vst::BusList* busList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir);
};

} // namespace iplug::vst3
