// Detection: per bin, the knee amount s of the level's excess over the
// threshold, the raw target gain and the activity, plus the reference state.
// Arithmetic-heavy passes run as vector loops into scratch arrays; short
// scalar passes then publish the feed values with feedStore().
#include <cmath>

#include "dsp/frame.h"
#include "dsp/portable_math.h"
#include "dsp/simd.h"

namespace varnock {
namespace {

// Root of the mean power of the two channels in each bin.
VARNOCK_KERNEL_BODY void measureMagnitudesBody(const double* __restrict lRe, const double* __restrict lIm,
                                               const double* __restrict rRe, const double* __restrict rIm,
                                               double* __restrict mag, int count) {
#pragma omp simd
  for (int k = 0; k < count; ++k)
    mag[k] = std::sqrt(0.5 * ((lRe[k] * lRe[k] + lIm[k] * lIm[k]) + (rRe[k] * rRe[k] + rIm[k] * rIm[k])));
}
VARNOCK_DISPATCH(void, measureMagnitudes,
                 (const double* lRe, const double* lIm, const double* rRe, const double* rIm, double* mag, int count),
                 (lRe, lIm, rRe, rIm, mag, count))

// Knee curve: 0 below the threshold, 1 at threshold + knee, smoothstep between.
inline double kneeCurve(double x) {
  x = x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
  return x * x * (3.0 - 2.0 * x);
}

// Cut / Boost after the first frame: compares each magnitude with the
// reference as it stood before this frame, then moves the reference
// (rising with bgRiseCoef, falling with bgFallCoef). The level ratios pass
// through frameKnee for the vector log10.
template <class V> VARNOCK_KERNEL_BODY void compareWithReferenceBody(SpectralEngine& e, int count) {
  const double* __restrict mag = e.frameMag;
  const double* __restrict thresholdDb = e.binThresholdDb;
  const double* __restrict weight = e.rangeWeight;
  double* __restrict reference = e.reference;
  double* __restrict knee = e.frameKnee;
  double* __restrict target = e.targetGainDb;
  const double signedDepthDb = e.depthDb * e.gainSign;
  const double kneeDb = e.kneeDb;
  const double rise = e.bgRiseCoef;
  const double fall = e.bgFallCoef;
#pragma omp simd
  for (int k = 0; k < count; ++k) knee[k] = (mag[k] + 0.001) / (reference[k] + 0.001);
  math::log10InPlace<V>(knee, count);
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    const double m = mag[k];
    const double r = reference[k];
    const double excessDb = 20.0 * knee[k];
    const double s = kneeCurve((excessDb - thresholdDb[k]) / kneeDb);
    knee[k] = s;
    target[k] = signedDepthDb * s * weight[k];
    const double coef = m > r ? rise : fall;
    reference[k] = r + (m - r) * coef;
  }
}
VARNOCK_DISPATCH_LANES(void, compareWithReference, (SpectralEngine & e, int count), (e, count))

// Tame, first pass: power per bin, smoothed over time after the first frame,
// and its level in dB with a floor of -100 dB.
template <class V> VARNOCK_KERNEL_BODY void measureSmoothedLevelsBody(SpectralEngine& e, int count, bool smooth) {
  const double* __restrict lRe = spectrumRe(e.spectrumL);
  const double* __restrict lIm = spectrumIm(e.spectrumL);
  const double* __restrict rRe = spectrumRe(e.spectrumR);
  const double* __restrict rIm = spectrumIm(e.spectrumR);
  double* __restrict mag = e.frameMag;
  double* __restrict reference = e.reference;
  double* __restrict levelDb = e.levelDb;
  const double coef = e.tameSmoothCoef;
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    double p = 0.5 * ((lRe[k] * lRe[k] + lIm[k] * lIm[k]) + (rRe[k] * rRe[k] + rIm[k] * rIm[k]));
    mag[k] = std::sqrt(p);
    if (smooth) p = reference[k] + (p - reference[k]) * coef;
    reference[k] = p;
    levelDb[k] = p + 1e-10;
  }
  math::log10InPlace<V>(levelDb, count);
#pragma omp simd
  for (int k = 0; k < count; ++k) levelDb[k] = 10.0 * levelDb[k];
}
VARNOCK_DISPATCH_LANES(void, measureSmoothedLevels, (SpectralEngine & e, int count, bool smooth), (e, count, smooth))

// Tame, second pass: each bin's level against the mean level of the bins in
// its Width span (without the bin itself), read from the running sum.
template <class V> VARNOCK_KERNEL_BODY void compareWithNeighboursBody(SpectralEngine& e, int count) {
  const double* __restrict levelDb = e.levelDb;
  const double* __restrict prefix = e.levelPrefix;
  const int* __restrict lowBin = e.tameLowBin;
  const int* __restrict highBin = e.tameHighBin;
  const double* __restrict thresholdDb = e.binThresholdDb;
  const double* __restrict weight = e.rangeWeight;
  double* __restrict knee = e.frameKnee;
  double* __restrict target = e.targetGainDb;
  double* __restrict thresholdMag = e.frameThresholdMag;
  const double negDepthDb = -e.depthDb;
  const double kneeDb = e.kneeDb;
#pragma omp simd
  for (int k = 0; k < count; ++k) {
    const int lo = lowBin[k];
    const int hi = highBin[k];
    const int span = hi - lo > 1 ? hi - lo : 1;
    const double meanDb = (prefix[hi + 1] - prefix[lo] - levelDb[k]) / span;
    const double t = thresholdDb[k];
    const double s = kneeCurve((levelDb[k] - meanDb - t) / kneeDb);
    knee[k] = s;
    target[k] = negDepthDb * s * weight[k];
    thresholdMag[k] = (meanDb + t) * 0.05 * 2.302585093;
  }
  math::expInPlace<V>(thresholdMag, count);
}
VARNOCK_DISPATCH_LANES(void, compareWithNeighbours, (SpectralEngine & e, int count), (e, count))

} // namespace

void detectAgainstReference(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  measureMagnitudes(spectrumRe(e.spectrumL), spectrumIm(e.spectrumL), spectrumRe(e.spectrumR),
                    spectrumIm(e.spectrumR), e.frameMag, count);
  if (e.havePrevFrame) {
    compareWithReference(e, count);
  } else {
    for (int k = 0; k < count; ++k) {
      e.frameKnee[k] = 0.0;
      e.targetGainDb[k] = 0.0;
      e.reference[k] = e.frameMag[k];
    }
  }
  for (int k = 0; k < count; ++k) {
    feedStore(e.inputMag[k], e.frameMag[k]);
    feedStore(e.activity[k], e.rangeWeight[k] * e.frameKnee[k]);
    feedStore(e.thresholdMag[k], e.reference[k] * e.thresholdFactor[k]);
  }
}

void detectAgainstNeighbours(SpectralEngine& e) {
  const int count = e.lastBin + 1;
  measureSmoothedLevels(e, count, e.havePrevFrame);
  double sum = 0.0;
  e.levelPrefix[0] = 0.0;
  for (int k = 0; k < count; ++k) {
    sum += e.levelDb[k];
    e.levelPrefix[k + 1] = sum;
  }
  compareWithNeighbours(e, count);
  for (int k = 0; k < count; ++k) {
    feedStore(e.inputMag[k], e.frameMag[k]);
    feedStore(e.activity[k], e.frameKnee[k] * e.rangeWeight[k]);
    feedStore(e.thresholdMag[k], e.frameThresholdMag[k]);
  }
}

} // namespace varnock
