#pragma once
// Helpers for driving SpectralEngine in tests the way the plug-in does: a
// parameter snapshot, a full reset, blocks of stereo samples.
#include <memory>
#include <vector>

#include "dsp/spectral_engine.h"
#include "plugin/param_table.h"

namespace varnock::testing {

// The 18 plain parameter values, starting from the defaults.
struct Params {
  double values[kNumParams];
  Params();
  Params& set(ParamIndex index, double value) {
    values[index] = value;
    return *this;
  }
  EngineParams engineParams() const;           // what the plug-in's snapshot read gives the engine
};

struct Stereo {
  std::vector<double> left, right;
  explicit Stereo(int frames = 0) : left(frames, 0.0), right(frames, 0.0) {}
  int frames() const { return static_cast<int>(left.size()); }
};

// A heap-allocated engine (the record is large), snapshot taken, fully reset.
std::unique_ptr<SpectralEngine> makeEngine(const Params& params, double sampleRate = 48000.0);

// New snapshot plus coefficient pass, as the plug-in does after a parameter change.
void applyParams(SpectralEngine& engine, const Params& params);

// Processes `input` in blocks of blockFrames; returns the output.
Stereo run(SpectralEngine& engine, const Stereo& input, int blockFrames = 256);

// Deterministic test signals.
Stereo noise(int frames, double amplitude, unsigned seed);
Stereo sine(int frames, double hz, double amplitude, double sampleRate = 48000.0);

} // namespace varnock::testing
