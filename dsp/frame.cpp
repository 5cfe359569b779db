#include "dsp/frame.h"

#include <cmath>

#include "dsp/portable_math.h"
#include "dsp/simd.h"
#include "dsp/stft.h"

namespace varnock {
namespace {

// Means of 2r+1 edge-clamped targets per bin: sums added in index order
// (from 0.0), divided by 2r+1. Whole vectors of bins keep their sums in
// registers.
template <class V>
VARNOCK_KERNEL_BODY void meanWindowsBody(const double* __restrict padded, double* __restrict means, int count,
                                         int radius) {
  const double width = 2 * radius + 1;
  int k = 0;
  for (; k + math::kLanes<V> <= count; k += math::kLanes<V>) {
    V sum = 0.0 - V{};
    for (int offset = 0; offset <= 2 * radius; ++offset) sum = sum + math::loadLanes<V>(padded + k + offset);
    math::storeLanes(means + k, sum / width);
  }
  for (; k < count; ++k) {
    double sum = 0.0;
    for (int offset = 0; offset <= 2 * radius; ++offset) sum = sum + padded[k + offset];
    means[k] = sum / width;
  }
}
VARNOCK_DISPATCH_LANES(void, meanWindows, (const double* padded, double* means, int count, int radius),
                       (padded, means, count, radius))

// Attack when the target lies further from 0 dB than the gain, release
// otherwise; the linear gains; returns the largest |gain|.
template <class V> VARNOCK_KERNEL_BODY double moveGainsBody(SpectralEngine& e, int count) {
  const double* __restrict target = e.smoothedTargetDb;
  const double* __restrict current = e.gainDb;
  double* __restrict next = e.frameGainDb;
  double* __restrict linear = e.frameGainLin;
  const double attack = e.attackCoef;
  const double release = e.releaseCoef;
  double largest = 0.0;
#pragma omp simd reduction(max : largest)
  for (int k = 0; k < count; ++k) {
    const double u = target[k];
    double g = current[k];
    const double coef = std::fabs(u) > std::fabs(g) ? attack : release;
    g = g + (u - g) * coef;
    next[k] = g;
    linear[k] = g * kDbToLinear;
    largest = std::fabs(g) > largest ? std::fabs(g) : largest;
  }
  math::expInPlace<V>(linear, count);
  return largest;
}
VARNOCK_DISPATCH_LANES(double, moveGains, (SpectralEngine & e, int count), (e, count))

// Multiplies bins 0 .. n/2 and their mirrors n-k (0 < k < n/2) by the bin's gain.
VARNOCK_KERNEL_BODY void scaleSpectrumBody(double* __restrict re, double* __restrict im,
                                           const double* __restrict gain, int n) {
  const int lastBin = n / 2;
#pragma omp simd
  for (int k = 0; k <= lastBin; ++k) {
    re[k] = re[k] * gain[k];
    im[k] = im[k] * gain[k];
  }
#pragma omp simd
  for (int k = 1; k < lastBin; ++k) {
    re[n - k] = re[n - k] * gain[k];
    im[n - k] = im[n - k] * gain[k];
  }
}
VARNOCK_DISPATCH(void, scaleSpectrum, (double* re, double* im, const double* gain, int n), (re, im, gain, n))

} // namespace

void smoothTargets(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  const int radius = e.smoothRadius;
  if (radius == 0) {
    for (int k = 0; k < count; ++k) e.smoothedTargetDb[k] = e.targetGainDb[k];
    return;
  }
  // padded[i] = target of bin i - radius, clamped to 0 .. lastBin.
  double* padded = e.paddedTargetDb;
  for (int i = 0; i < radius; ++i) padded[i] = e.targetGainDb[0];
  for (int k = 0; k < count; ++k) padded[radius + k] = e.targetGainDb[k];
  for (int i = 0; i < radius; ++i) padded[radius + count + i] = e.targetGainDb[e.lastBin];
  meanWindows(padded, e.smoothedTargetDb, count, radius);
}

void applyGains(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  const double largest = moveGains(e, count);
  publishFeed(e.gainDb, e.frameGainDb, count);
#pragma GCC unroll 8
  for (int k = 0; k < count; ++k) feedStore(e.outputMag[k], e.frameGainLin[k] * e.frameMag[k]);
  // One gain per bin for both channels: scaling the packed spectrum scales each.
  scaleSpectrum(spectrumRe(e.spectrum), spectrumIm(e.spectrum), e.frameGainLin, e.fftSize);
  // Peak hold: a new larger maximum is taken at once, otherwise the held
  // value decays by 3 % per frame (even if this frame's maximum is close).
  const double held = e.peakGainDb;
  feedStore(e.peakGainDb, largest > held ? largest : held * 0.97);
}

void processSpectrum(SpectralEngine& e) {
  if (e.tameMode)
    detectAgainstNeighbours(e);
  else
    detectAgainstReference(e);
  e.havePrevFrame = true;
  smoothTargets(e);
  applyGains(e);
  feedStore(e.frameCount, e.frameCount + 1);   // the frame's feed values are complete
}

void processFrame(SpectralEngine& e) {
  frameIn(e);
  processSpectrum(e);
  frameOut(e);
}

} // namespace varnock
