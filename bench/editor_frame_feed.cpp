#include "bench/editor_frame_feed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "dsp/spectral_engine.h"

namespace varnock {

namespace {

// Uniform noise in [0, 1) from a bin and a frame counter (no state).
double noise(uint32_t k, uint32_t frame) {
  uint32_t h = k * 747796405u + frame * 2891336453u;
  h ^= h >> 16;
  h *= 2246822519u;
  h ^= h >> 13;
  return (h & 0xffffffu) / double(0x1000000);
}

// A smooth bump 0..1 around centreHz, widthHz wide.
double bump(double hz, double centreHz, double widthHz) {
  const double d = (hz - centreHz) / widthHz;
  return std::exp(-d * d);
}

} // namespace

void writeBusyFeed(SpectralEngine& e, int fftSize, double sampleRate, double timeS) {
  const int lastBin = fftSize / 2;
  const double fullScale = fftSize / 4.0;
  const double fundamentalHz = 110.0 * (1.0 + 0.1 * std::sin(0.7 * timeS));
  const double cutA = 3000.0 * (1.0 + 0.3 * std::sin(1.3 * timeS));
  const double cutB = 7500.0 * (1.0 + 0.2 * std::cos(0.9 * timeS));
  const double depthDb = 12.0 * (0.6 + 0.4 * std::sin(2.1 * timeS));
  const uint32_t frame = static_cast<uint32_t>(timeS * 30.0);
  double peak = 0.0;
  feedStore(e.fftSize, fftSize);
  feedStore(e.lastBin, lastBin);
  feedStore(e.sampleRate, sampleRate);
  for (int k = 0; k <= lastBin; ++k) {
    const double hz = std::max(1.0, k * sampleRate / fftSize);
    const double slopeDb = -24.0 - 3.0 * std::log2(hz / 100.0);
    const double harmonic = std::fabs(std::remainder(hz, fundamentalHz)) < 0.6 * sampleRate / fftSize ? 18.0 : 0.0;
    const double levelDb = slopeDb + harmonic + 6.0 * noise(k, frame) - 60.0 * bump(hz, 0.0, 25.0);
    const double activity = std::min(1.0, bump(hz, cutA, 500.0) + 0.7 * bump(hz, cutB, 900.0));
    const double gainDb = -depthDb * activity;
    const double inputMag = fullScale * std::pow(10.0, levelDb / 20.0);
    feedStore(e.inputMag[k], inputMag);
    feedStore(e.thresholdMag[k], fullScale * std::pow(10.0, (slopeDb + 8.0) / 20.0));
    feedStore(e.activity[k], activity);
    feedStore(e.gainDb[k], gainDb);
    feedStore(e.outputMag[k], inputMag * std::pow(10.0, gainDb / 20.0));
    peak = std::max(peak, -gainDb);
  }
  feedStore(e.peakGainDb, peak);
}

} // namespace varnock
