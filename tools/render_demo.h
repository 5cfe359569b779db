#pragma once
// The built-in demo signal of varnock-render: a few seconds of stereo at
// 48 kHz that gives every mode something to do: drum-like hits and clicks
// (transients for Cut and Boost) and a steady resonance (for Tame) over a
// bed of soft noise and a held chord.
#include <vector>

namespace render {

struct DemoSignal {
  double sampleRate = 0;  // Hz
  std::vector<double> left, right;
};

constexpr double kDemoSampleRate = 48000.0;
constexpr double kDemoSeconds = 6.0;

// Deterministic: the same samples on every call. Peak -1 dBFS.
DemoSignal makeDemoSignal();

}  // namespace render
