// The coefficient pass: parameter snapshot -> FFT size, coefficient block and
// per-bin curves. Runs at every full reset and at the start of a block that
// follows a parameter change (audio thread).
#include <algorithm>
#include <cmath>

#include "dsp/float_mode.h"
#include "dsp/frame.h"
#include "dsp/portable_math.h"
#include "dsp/spectral_engine.h"
#include "dsp/stft.h"

namespace varnock {
namespace {

// Resolution 0 / 1 / 2 -> 512 / 1024 / 2048 points.
int selectFftSize(double resolution) {
  if (resolution < 0.5) return 512;
  if (resolution < 1.5) return 1024;
  return 2048;
}

// A new FFT size restarts the stream: cleared state, new window, positions,
// counter and peak at 0, and the next frame treated as the first.
void restartStream(SpectralEngine& e, int size) {
  feedStore(e.fftSize, size);
  e.hopSize = size / 8;
  feedStore(e.lastBin, size / 2);
  stateClear(e);
  buildStftTables(e);
  e.writePos = 0;
  e.outputPos = 0;
  e.hopCounter = 0;
  feedStore(e.peakGainDb, 0.0);
  e.havePrevFrame = false;
}

// One-pole coefficient for a time constant of tauSeconds at one frame per framePeriod.
double onePole(double framePeriod, double tauSeconds) { return 1.0 - math::exp(-framePeriod / tauSeconds); }

// Range weight (1 inside Freq Low .. Freq High, falling to 0 half an octave
// outside), threshold tilt around 1 kHz, and the Tame neighbour spans.
void buildBinCurves(SpectralEngine& e) {
  const double tiltDbPerOct = e.paramSnapshot.tiltDbPerOctave;
  for (int k = 0; k <= e.lastBin; ++k) {
    const double hz = std::max(1.0, k * e.sampleRate / e.fftSize);    // bin 0 counts as 1 Hz
    const double above = math::log2(hz / e.rangeHighHz);                 // octaves above the range
    const double below = math::log2(e.rangeLowHz / hz);                  // octaves below the range
    const double outside = std::max(0.0, std::max(above, below));
    e.rangeWeight[k] = std::max(0.0, 1.0 - 2.0 * outside);
    e.tiltDb[k] = tiltDbPerOct * math::log2(hz / 1000.0);

    e.binThresholdDb[k] = e.thresholdDb - e.tiltDb[k];
    e.thresholdFactor[k] = math::exp(e.binThresholdDb[k] * kDbToLinear);

    int lo = std::max(0, static_cast<int>(std::floor(k * e.widthLoFactor)));
    int hi = std::min(e.lastBin, static_cast<int>(std::ceil(k * e.widthHiFactor)));
    if (hi - lo < 2) {                                                   // fewer than three bins: k - 1 .. k + 1
      lo = std::max(k - 1, 0);
      hi = std::min(k + 1, e.lastBin);
    }
    e.tameLowBin[k] = lo;
    e.tameHighBin[k] = hi;
    e.tameInvSpan[k] = 1.0 / std::max(hi - lo, 1);
  }
}

} // namespace

void coefficientPass(SpectralEngine& e) {
  FloatModeGuard guard;   // the same bits whatever mode the host calls in
  const EngineParams& p = e.paramSnapshot;

  const int size = selectFftSize(p.resolution);
  if (size != e.fftSize) restartStream(e, size);

  e.modeIndex = static_cast<int>(std::floor(p.mode + 0.5));
  if (e.modeIndex != e.lastMode) {
    e.lastMode = e.modeIndex;
    e.havePrevFrame = false;
  }
  e.tameMode = e.modeIndex == 2;
  e.gainSign = e.modeIndex == 1 ? 1.0 : -1.0;

  e.depthDb = p.depthDb;
  e.thresholdDb = p.thresholdDb;
  e.kneeDb = std::max(0.1, p.kneeDb);
  e.invKneeDb = 1.0 / e.kneeDb;                // the per-bin passes multiply rather than divide
  e.framePeriod = e.hopSize / e.sampleRate;
  const double backgroundSeconds = p.backgroundMs * 0.001;
  e.bgRiseCoef = onePole(e.framePeriod, backgroundSeconds);
  e.bgFallCoef = onePole(e.framePeriod, backgroundSeconds / 3.0);
  e.tameSmoothCoef = onePole(e.framePeriod, 0.01);
  e.attackCoef = onePole(e.framePeriod, std::max(0.05, p.attackMs) * 0.001);
  e.releaseCoef = onePole(e.framePeriod, std::max(1.0, p.releaseMs) * 0.001);
  // Out-of-range values are bounded to the parameter's own range of 0 .. 16 bins.
  e.smoothRadius = std::clamp(static_cast<int>(std::floor(std::clamp(p.smoothBins, 0.0, 16.0) + 0.5)), 0,
                              SpectralEngine::kMaxSmoothRadius);
  e.mixAmount = p.mixPercent / 100.0;
  e.trimGain = math::exp(p.trimDb * kDbToLinear);
  e.deltaOn = p.delta > 0.5;
  e.widthLoFactor = math::exp2(-p.widthOctaves * 0.5);
  e.widthHiFactor = math::exp2(p.widthOctaves * 0.5);
  e.rangeLowHz = p.freqLowHz;
  e.rangeHighHz = std::max(p.freqLowHz * 1.01, p.freqHighHz);

  buildBinCurves(e);
}

} // namespace varnock
