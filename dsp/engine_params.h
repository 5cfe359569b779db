#pragma once
// EngineParams: the plain parameter values the spectral engine processes, in
// their units. The plug-in fills it from its parameters at every snapshot
// read; the engine never sees normalised values, parameter indices or the
// parameters that only the editor uses.
namespace varnock {

struct EngineParams {
  double mode = 0.0;               // 0 Cut, 1 Boost, 2 Tame; used rounded to the nearest whole number
  double depthDb = 0.0;            // largest cut (Cut, Tame) or boost (Boost)
  double thresholdDb = 0.0;
  double kneeDb = 0.0;
  double backgroundMs = 0.0;       // Cut/Boost reference time constant
  double freqLowHz = 0.0;
  double freqHighHz = 0.0;
  double smoothBins = 0.0;         // target spread, bins on each side
  double attackMs = 0.0;
  double releaseMs = 0.0;
  double mixPercent = 0.0;
  double trimDb = 0.0;
  double delta = 0.0;              // on above 0.5
  double resolution = 0.0;         // FFT size 512 below 0.5, 1024 below 1.5, else 2048
  double widthOctaves = 0.0;       // Tame neighbour span
  double tiltDbPerOctave = 0.0;    // threshold tilt around 1 kHz
};

} // namespace varnock
