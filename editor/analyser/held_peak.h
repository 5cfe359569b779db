#pragma once
// HeldPeak: the analyser's held processing amount beside the live one. It
// takes every rise of the live amount at once, keeps it for 1.5 s after the
// last rise, then falls 0.25 dB per drawn frame, never below the live amount.
// Owned by the analyser; UI thread. Times are frameTime seconds.

namespace varnock {

struct HeldPeak {
  static constexpr double kHoldS = 1.5;
  static constexpr double kFallDbPerFrame = 0.25;

  double peakDb = 0.0;     // held amount, dB (>= 0, like the live amount)
  double riseTime = 0.0;   // frameTime of the last rise

  void reset() { *this = HeldPeak{}; }
  // One frame: liveDb is the engine's current peak amount.
  void update(double liveDb, double frameTime);
};

} // namespace varnock
