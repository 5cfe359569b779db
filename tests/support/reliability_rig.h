#pragma once
// The reliability suite's host rig: raw process calls built by hand (so a
// test can send what a careless or hostile host sends, in any lifecycle
// state), the persisted state decoded, the parameter ranges a host is
// promised, and Varnock hosted in-process (for the calls only the plug-in
// object offers: factory presets, the analysis feed).
//
// Units: frames per channel; parameter values plain unless named normalised.
// Threads: RawAudio belongs to one thread at a time (the test's audio
// thread); everything else is UI-thread work.
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "host/hosted_plugin.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace varnock { class Varnock; }

namespace reliability {

constexpr int kParams = 18;
constexpr Steinberg::Vst::ParamID kBypassId = 0x10000;
constexpr int kStateBytes = 148;                 // 18 doubles and a 32-bit bypass word

// What a host is promised about each parameter's plain values.
struct ParamRange {
  double min, max;
  bool list;                                     // whole numbers only
};
extern const ParamRange kParamRanges[kParams];

// The persisted state as a host stores it.
struct SavedState {
  std::array<double, kParams> values{};
  int32_t bypass = 0;
};
std::vector<uint8_t> encodeState(const SavedState& state);
// false when the bytes are not exactly kStateBytes long.
bool decodeState(const std::vector<uint8_t>& bytes, SavedState* state);
// getState + decodeState; fails the calling test on error.
SavedState savedState(vst3host::HostedPlugin& plugin);
// Every value finite, within its range, whole for list parameters; the
// bypass word 0 or 1. Adds a failure naming the parameter otherwise.
bool stateWithinRanges(const SavedState& state);

// FFT size (= latency) a Resolution value selects: 512, 1024 or 2048.
int fftSizeForResolution(double resolution);

// A stereo main bus pair for process() calls made without HostedPlugin,
// in 32- or 64-bit samples. Outputs are filled with NaN before each call, so
// a sample the plug-in does not write shows up as non-finite.
class RawAudio {
 public:
  explicit RawAudio(int maxFrames);

  int maxFrames() const { return maxFrames_; }
  // Input samples of channel c (64-bit; the 32-bit input is converted from them).
  double* input(int c) { return in64_[static_cast<size_t>(c)].data(); }
  // Output sample i of channel c after the last call, as double.
  double output(int c, int i) const;

  // processor->process() with `frames` frames of the inputs, the sample size
  // given (whatever the set-up said) and `changes` (may be null).
  Steinberg::tresult process(Steinberg::Vst::IAudioProcessor* processor, int frames, bool wide,
                             Steinberg::Vst::IParameterChanges* changes = nullptr);
  // A call with no audio at all (no busses, null buffers, 0 frames): a
  // parameter flush as hosts send it.
  static Steinberg::tresult flush(Steinberg::Vst::IAudioProcessor* processor,
                                  Steinberg::Vst::IParameterChanges* changes, int frames = 0);
  // Frames of the last call whose output is not finite, over both channels.
  int nonFiniteOutputs(int frames) const;

 private:
  int maxFrames_;
  std::array<std::vector<double>, 2> in64_, out64_;
  std::array<std::vector<float>, 2> in32_, out32_;
  bool lastWide_ = true;
};

// Varnock's own factory, linked into the test program (not the bundle).
vst3host::Factory& inProcessFactory();
// An initialised instance from inProcessFactory(); null and a test failure on error.
std::unique_ptr<vst3host::HostedPlugin> makeInProcessPlugin();
// The plug-in object behind an in-process instance.
varnock::Varnock& varnockOf(vst3host::HostedPlugin& plugin);

// A fixed-seed generator for every randomised case.
std::mt19937& rng();
void reseed(uint32_t seed);
int randomInt(int lo, int hi);                   // inclusive
double randomUnit();                             // [0, 1)

}  // namespace reliability
