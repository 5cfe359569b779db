// Detection: per bin, the knee amount s of the level's excess over the
// threshold, the raw target gain and the activity, plus the reference state.
// The passes run as vector loops into scratch arrays; copies then publish the
// feed values with feedStore().
#include <cmath>

#include "dsp/frame.h"
#include "dsp/portable_math.h"
#include "dsp/simd.h"

namespace varnock {
namespace {

// Mean power of the two channels in bin k, 0.5 (|L[k]|^2 + |R[k]|^2), from the
// packed spectrum Z of left + i right. With L[k] = (Z[k] + conj Z[n-k]) / 2
// and R[k] = (Z[k] - conj Z[n-k]) / 2i the cross terms cancel:
// |L[k]|^2 + |R[k]|^2 = (|Z[k]|^2 + |Z[n-k]|^2) / 2. Bins 0 and n/2 are their
// own mirrors.
VARNOCK_MATH_INLINE double packedPower(const double* zr, const double* zi, int k, int mirror) {
  return 0.25 * ((zr[k] * zr[k] + zi[k] * zi[k]) + (zr[mirror] * zr[mirror] + zi[mirror] * zi[mirror]));
}

// Root of the mean power of the two channels in bins 0 .. count-1 (count = n/2 + 1).
VARNOCK_KERNEL_BODY void measureMagnitudesBody(const double* __restrict zr, const double* __restrict zi,
                                               double* __restrict mag, int count, int n) {
  mag[0] = std::sqrt(packedPower(zr, zi, 0, 0));
#pragma omp simd
  for (int k = 1; k < count; ++k) mag[k] = std::sqrt(packedPower(zr, zi, k, n - k));
}
VARNOCK_DISPATCH(void, measureMagnitudes, (const double* zr, const double* zi, double* mag, int count, int n),
                 (zr, zi, mag, count, n))

// Knee curve: 0 below the threshold, 1 at threshold + knee, smoothstep between.
VARNOCK_MATH_INLINE double kneeCurve(double x) {
  x = x < 0.0 ? 0.0 : x;
  x = x > 1.0 ? 1.0 : x;
  return x * x * (3.0 - 2.0 * x);
}

// Cut / Boost after the first frame: compares each magnitude with the
// reference as it stood before this frame, then moves the reference
// (rising with bgRiseCoef, falling with bgFallCoef). The level ratios pass
// through frameActivity for the vector log10.
template <class V> VARNOCK_KERNEL_BODY void compareWithReferenceBody(SpectralEngine& e, int count) {
  const double* __restrict mag = e.frameMag;
  const double* __restrict thresholdDb = e.binThresholdDb;
  const double* __restrict weight = e.rangeWeight;
  const double* __restrict factor = e.thresholdFactor;
  double* __restrict reference = e.reference;
  double* __restrict activity = e.frameActivity;
  double* __restrict thresholdMag = e.frameThresholdMag;
  double* __restrict target = e.targetGainDb;
  const double signedDepthDb = e.depthDb * e.gainSign;
  const double invKneeDb = e.invKneeDb;
  const double rise = e.bgRiseCoef;
  const double fall = e.bgFallCoef;
#pragma omp simd
  for (int k = 0; k < count; ++k) activity[k] = (mag[k] + 0.001) / (reference[k] + 0.001);
  math::log10InPlace<V>(activity, count);
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    const double m = mag[k];
    const double r = reference[k];
    const double excessDb = 20.0 * activity[k];
    const double s = kneeCurve((excessDb - thresholdDb[k]) * invKneeDb);
    activity[k] = weight[k] * s;
    target[k] = signedDepthDb * s * weight[k];
    const double coef = m > r ? rise : fall;
    const double next = r + (m - r) * coef;
    reference[k] = next;
    thresholdMag[k] = next * factor[k];
  }
}
VARNOCK_DISPATCH_LANES(void, compareWithReference, (SpectralEngine & e, int count), (e, count))

// Tame, first pass: power per bin, smoothed over time after the first frame,
// its level in dB with a floor of -100 dB, and the running sum of the levels
// (levelPrefix[k] = sum of levels of bins 0 .. k-1, added in bin order);
// publishes inputMag.
template <class V> VARNOCK_KERNEL_BODY void measureSmoothedLevelsBody(SpectralEngine& e, int count, bool smooth) {
  const double* __restrict zr = spectrumRe(e.spectrum);
  const double* __restrict zi = spectrumIm(e.spectrum);
  const int n = e.fftSize;
  double* __restrict mag = e.frameMag;
  double* __restrict reference = e.reference;
  double* __restrict levelDb = e.levelDb;
  const double coef = e.tameSmoothCoef;
  levelDb[0] = packedPower(zr, zi, 0, 0);
#pragma omp simd
  for (int k = 1; k < count; ++k) levelDb[k] = packedPower(zr, zi, k, n - k);
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    double p = levelDb[k];
    mag[k] = std::sqrt(p);
    if (smooth) p = reference[k] + (p - reference[k]) * coef;
    reference[k] = p;
    levelDb[k] = p + 1e-10;
  }
  // The running sum is one chain of dependent additions; taking it vector by
  // vector right after each vector's log10 lets the processor overlap the
  // chain with the next vector's arithmetic, and the published magnitudes
  // fill the time the chain waits for its additions.
  double* __restrict prefix = e.levelPrefix;
  double* inputMag = e.inputMag;
  double sum = 0.0;
  prefix[0] = 0.0;
  int k = 0;
  for (; k + math::kLanes<V> <= count; k += math::kLanes<V>) {
    const V level = 10.0 * math::log10<V>(math::loadLanes<V>(levelDb + k));
    math::storeLanes(levelDb + k, level);
    for (int lane = 0; lane < math::kLanes<V>; ++lane) {
      sum += level[lane];
      prefix[k + lane + 1] = sum;
      feedStore(inputMag[k + lane], mag[k + lane]);
    }
  }
  for (; k < count; ++k) {
    const double level = 10.0 * math::log10<double>(levelDb[k]);
    levelDb[k] = level;
    sum += level;
    prefix[k + 1] = sum;
    feedStore(inputMag[k], mag[k]);
  }
}
VARNOCK_DISPATCH_LANES(void, measureSmoothedLevels, (SpectralEngine & e, int count, bool smooth), (e, count, smooth))

// Tame, second pass: each bin's level against the mean level of the bins in
// its Width span (without the bin itself), read from the running sum. The
// span sums are gathered first (scalar loads at the spans' ends, through
// frameThresholdMag), so that the arithmetic runs on whole vectors.
template <class V>
VARNOCK_KERNEL_BODY void compareWithNeighboursBody(SpectralEngine& e, int count) {
  const double* __restrict levelDb = e.levelDb;
  const double* __restrict prefix = e.levelPrefix;
  const int* __restrict lowBin = e.tameLowBin;
  const int* __restrict highBin = e.tameHighBin;
  const double* __restrict invSpan = e.tameInvSpan;
  const double* __restrict thresholdDb = e.binThresholdDb;
  const double* __restrict weight = e.rangeWeight;
  double* __restrict activity = e.frameActivity;
  double* __restrict target = e.targetGainDb;
  double* __restrict thresholdMag = e.frameThresholdMag;
  const double negDepthDb = -e.depthDb;
  const double invKneeDb = e.invKneeDb;
  for (int k = 0; k < count; ++k) thresholdMag[k] = prefix[highBin[k] + 1] - prefix[lowBin[k]];
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    const double meanDb = (thresholdMag[k] - levelDb[k]) * invSpan[k];
    const double t = thresholdDb[k];
    const double s = kneeCurve((levelDb[k] - meanDb - t) * invKneeDb);
    activity[k] = s * weight[k];
    target[k] = negDepthDb * s * weight[k];
    thresholdMag[k] = (meanDb + t) * 0.05 * 2.302585093;
  }
  math::expInPlace<V>(thresholdMag, count);
}
VARNOCK_DISPATCH_LANES(void, compareWithNeighbours, (SpectralEngine & e, int count), (e, count))

} // namespace

void detectAgainstReference(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  measureMagnitudes(spectrumRe(e.spectrum), spectrumIm(e.spectrum), e.frameMag, count, e.fftSize);
  if (e.havePrevFrame) {
    compareWithReference(e, count);
  } else {
    for (int k = 0; k < count; ++k) {
      e.frameActivity[k] = 0.0;
      e.targetGainDb[k] = 0.0;
      e.reference[k] = e.frameMag[k];
      e.frameThresholdMag[k] = e.frameMag[k] * e.thresholdFactor[k];
    }
  }
  publishFeed(e.inputMag, e.frameMag, count);
  publishFeed(e.activity, e.frameActivity, count);
  publishFeed(e.thresholdMag, e.frameThresholdMag, count);
}

void detectAgainstNeighbours(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  measureSmoothedLevels(e, count, e.havePrevFrame);
  compareWithNeighbours(e, count);
  publishFeed(e.activity, e.frameActivity, count);
  publishFeed(e.thresholdMag, e.frameThresholdMag, count);
}

} // namespace varnock
