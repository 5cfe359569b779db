#pragma once
// IPlugVST3: the VST3 wrapper of a plug-in. A plug-in class derives from it
// and overrides the IPlugAPIBase hooks (ProcessBlock, OnReset, OnParamChange);
// this class answers the host.
//
// What the host sees:
// - busses from Config::channelIOStr: one main audio input "Input" and one
//   main audio output "Output" (stereo for "2-2"), no event busses;
// - the plug-in's parameters (ID = index) plus a bypass parameter
//   (kBypassParamID, "Bypass", list "off"/"on"), all in the one unit "Root";
// - 32- and 64-bit processing, converted to double for ProcessBlock();
// - latency = GetLatency(), reported with restartComponent(kLatencyChanged);
//   tail 0;
// - state: every parameter's plain value as a little-endian double in index
//   order, then the bypass state as a little-endian 32-bit integer.
//
// Lifecycle: initialize() publishes busses, parameters and the unit;
// setupProcessing() takes the sample rate and maximum block size, sizes the
// scratch buffers and calls OnReset(); process() applies automation, then
// runs ProcessBlock() (or the bypass delay); setProcessing(false) calls
// OnReset() again; terminate() withdraws everything.
//
// Threads: process() and setProcessing() on the audio thread, never
// allocating or locking; everything else on the host's UI thread. Parameter
// values and the bypass state are atomics shared by both.
#include <atomic>
#include <string>
#include <vector>

#include "framework/plugin_base.h"
#include "framework/vst3/bypass_delay.h"
#include "framework/vst3/single_component_effect.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace iplug {

class IPlugVST3 : public IPlugAPIBase,
                  public vst3::SingleComponentEffect,
                  public Steinberg::Vst::IMidiMapping,
                  public Steinberg::Vst::ChannelContext::IInfoListener {
public:
  static constexpr Steinberg::Vst::ParamID kBypassParamID = 0x10000;
  // Scratch buffers never hold more than this many frames per channel; a
  // longer host block is processed in pieces.
  static constexpr int kMaxScratchFrames = 1 << 16;

  explicit IPlugVST3(const Config& config);
  ~IPlugVST3() override;

  bool IsBypassed() const { return mBypassed.load(std::memory_order_relaxed); }

  // ---- IPluginBase ----
  Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;

  // ---- IComponent / IEditController state ----
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) SMTG_OVERRIDE;

  // ---- IAudioProcessor ----
  Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
  // Refuses (kResultFalse) an unsupported sample size, a sample rate that is
  // not finite and positive, and a maximum block size below 1; nothing of a
  // refused setup reaches the plug-in.
  Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;

  // ---- IEditController ----
  // Sets the controller's copy and the parameter (constrained) and calls
  // OnParamChange() when the parameter's value changed; a NaN changes nothing.
  Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID tag,
                                                   Steinberg::Vst::ParamValue value) SMTG_OVERRIDE;
  // An index outside the parameters (or units) is refused with kResultFalse;
  // the SDK's containers would throw an exception into the host.
  Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                 Steinberg::Vst::ParameterInfo& info /*out*/) SMTG_OVERRIDE;
  Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                            Steinberg::Vst::UnitInfo& info /*out*/) SMTG_OVERRIDE;
  // The text of a normalised value clamped to 0..1; a NaN has no text
  // (kResultFalse). Unclamped, the SDK's list parameters (Bypass) would
  // index past their texts.
  Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID tag,
                                                      Steinberg::Vst::ParamValue valueNormalized,
                                                      Steinberg::Vst::String128 string /*out*/) SMTG_OVERRIDE;
  // The editor view for the view type "editor" (nullptr for any other, when
  // Config::plugHasUI is off, or when the plug-in installed no graphics
  // hook); the host owns it.
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;

  // ---- IMidiMapping: no MIDI controller is mapped ----
  Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex, Steinberg::int16 channel,
                                                            Steinberg::Vst::CtrlNumber midiControllerNumber,
                                                            Steinberg::Vst::ParamID& id /*out*/) SMTG_OVERRIDE;

  // ---- ChannelContext::IInfoListener: the track's name and colour are not used ----
  Steinberg::tresult PLUGIN_API setChannelContextInfos(Steinberg::Vst::IAttributeList* list) SMTG_OVERRIDE;

  // ---- FUnknown ----
  // A null out pointer is refused (kInvalidArgument) before any lookup.
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
  OBJ_METHODS(IPlugVST3, SingleComponentEffect)
  REFCOUNT_METHODS(SingleComponentEffect)

protected:
  void InformHostOfLatencyChange(int latency) override;
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;

private:
  // initialize() after the base: the host name, busses, unit and parameters.
  Steinberg::tresult publish(Steinberg::FUnknown* context);
  // Applies the last point of each changed parameter's queue (audio thread).
  void applyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  // Runs ProcessBlock() or the bypass delay over frames [offset, offset + n)
  // of the host's buffers, through the scratch buffers.
  void processPiece(Steinberg::Vst::ProcessData& data, int offset, int nFrames);
  void resizeScratch(int frames);
  void resetProcessing();

  int mNChannels;                              // max(inputs, outputs) of the main busses
  int mScratchFrames = 0;
  std::vector<double> mScratch;                // 2 * mNChannels * mScratchFrames: inputs, then outputs
  std::vector<double*> mScratchIn, mScratchOut;
  vst3::BypassDelay mBypassDelay;
  std::atomic<bool> mBypassed{false};
  std::string mHostNameLower;                  // IHostApplication::getName() at initialize, lower case
};

} // namespace iplug
