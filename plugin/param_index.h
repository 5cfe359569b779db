#pragma once

// The fixed order of the 18 parameters. The index is the host's parameter ID,
// the position in the persisted state and in the engine's parameter snapshot.
namespace varnock {

enum ParamIndex : int {
  kMode = 0,        // list: 0 Cut, 1 Boost, 2 Tame
  kDepth,           // dB
  kThreshold,       // dB
  kKnee,            // dB
  kBackground,      // ms
  kFreqLow,         // Hz
  kFreqHigh,        // Hz
  kSmooth,          // bins
  kAttack,          // ms
  kRelease,         // ms
  kMix,             // %
  kTrim,            // dB
  kDelta,           // list: 0 Off, 1 On
  kResolution,      // list: 0 Fast 512, 1 Normal 1024, 2 Precise 2048
  kPreset,          // list: 0 Custom, 1..10 factory presets (editor only)
  kWidth,           // octaves
  kTilt,            // dB per octave
  kUISize,          // list: 0 Fixed, 1 Grow (editor only)
  kNumParams
};

} // namespace varnock
