// Frame processing driven with crafted spectra: detection in Cut, Boost and
// Tame, Smooth, attack / release, mirror-bin gain application, peak hold.
// The engine holds both channels in one packed spectrum Z of left + i right;
// a bin k of magnitude M in both channels (real part M) is Z[k] = Z[n-k] =
// M + iM, and measures m = M.
#include <gtest/gtest.h>

#include <cmath>

#include "dsp/frame.h"
#include "tests/support/engine_harness.h"

namespace varnock {
namespace {

using testing::makeEngine;
using testing::Params;

constexpr int kBin = 100;   // 4687.5 Hz at 48 kHz / 1024: inside the default range

void setBin(SpectralEngine& e, int k, double level) {
  for (const int i : {k, (e.fftSize - k) % e.fftSize}) {
    spectrumRe(e.spectrum)[i] = level;
    spectrumIm(e.spectrum)[i] = level;
  }
}

// Sets every bin of both channels to magnitude `level`.
void fillSpectrum(SpectralEngine& e, double level) {
  for (int k = 0; k < e.fftSize; ++k) setBin(e, k, level);
}

// Magnitude whose Cut/Boost excess over a reference of `reference` is excessDb.
double magnitudeAbove(double reference, double excessDb) {
  return (reference + 0.001) * std::pow(10.0, excessDb / 20.0) - 0.001;
}

// Engine whose reference has been set to 1 in every bin by a first frame.
std::unique_ptr<SpectralEngine> settledAtOne(Params params) {
  auto e = makeEngine(params.set(kSmooth, 0));
  fillSpectrum(*e, 1.0);
  processSpectrum(*e);
  return e;
}

TEST(CutDetection, FirstFrameSetsReferenceAndDetectsNothing) {
  auto e = makeEngine(Params());
  fillSpectrum(*e, 1.0);
  setBin(*e, kBin, 50.0);
  processSpectrum(*e);
  EXPECT_EQ(e->reference[kBin], 50.0);
  EXPECT_EQ(e->activity[kBin], 0.0);
  EXPECT_EQ(e->targetGainDb[kBin], 0.0);
  EXPECT_TRUE(e->havePrevFrame);
}

TEST(CutDetection, TenDbAboveReferenceGivesHalfDepth) {
  auto e = settledAtOne(Params());
  fillSpectrum(*e, 1.0);
  setBin(*e, kBin, magnitudeAbove(1.0, 10.0));
  processSpectrum(*e);
  // x = (10 - 6) / 8 = 0.5, s = 0.25 * (3 - 1) = 0.5.
  EXPECT_NEAR(e->targetGainDb[kBin], -6.0, 1e-9);
  EXPECT_NEAR(e->activity[kBin], 0.5, 1e-9);
  EXPECT_EQ(e->targetGainDb[kBin + 1], 0.0);
}

TEST(CutDetection, FourteenDbOrMoreGivesFullDepth) {
  for (double excessDb : {14.0, 30.0}) {
    auto e = settledAtOne(Params());
    setBin(*e, kBin, magnitudeAbove(1.0, excessDb));
    processSpectrum(*e);
    EXPECT_NEAR(e->targetGainDb[kBin], -12.0, 1e-9) << excessDb;
  }
}

TEST(CutDetection, ComparesWithReferenceBeforeThisFrameThenMovesIt) {
  auto e = settledAtOne(Params());
  const double m = magnitudeAbove(1.0, 10.0);
  setBin(*e, kBin, m);
  processSpectrum(*e);
  EXPECT_NEAR(e->reference[kBin], 1.0 + (m - 1.0) * e->bgRiseCoef, 1e-12);
  fillSpectrum(*e, 0.5);   // falling: three times faster coefficient
  processSpectrum(*e);
  EXPECT_NEAR(e->reference[kBin + 1], 1.0 + (0.5 - 1.0) * e->bgFallCoef, 1e-12);
}

TEST(CutDetection, ThresholdMagIsReferenceTimesThreshold) {
  auto e = settledAtOne(Params());
  EXPECT_NEAR(e->thresholdMag[kBin], std::pow(10.0, 6.0 / 20.0), 1e-9);   // reference 1, 6 dB
}

TEST(CutDetection, PositiveTiltLowersHighThresholdsBelowSteadyLevel) {
  // Threshold 0, Tilt +6 dB/oct: at 8 kHz the threshold is -18 dB, so a
  // steady bin (0 dB excess) lies 18 dB above it: full depth.
  auto e = settledAtOne(Params().set(kThreshold, 0).set(kTilt, 6).set(kFreqLow, 20));
  const int bin8k = 8000 * 1024 / 48000;   // 170: 7968.75 Hz
  processSpectrum(*e);
  EXPECT_NEAR(e->targetGainDb[bin8k], -12.0, 1e-9);
  EXPECT_EQ(e->targetGainDb[10], 0.0);     // 469 Hz: threshold +6.6 dB, x < 0
}

TEST(CutDetection, BinsOutsideRangeGetNoTarget) {
  auto e = settledAtOne(Params().set(kFreqLow, 1000).set(kFreqHigh, 2000));
  setBin(*e, kBin, 1000.0);
  processSpectrum(*e);
  EXPECT_EQ(e->targetGainDb[kBin], 0.0);
  EXPECT_EQ(e->activity[kBin], 0.0);
}

TEST(BoostDetection, SameDetectionWithPositiveSign) {
  auto e = settledAtOne(Params().set(kMode, 1));
  setBin(*e, kBin, magnitudeAbove(1.0, 10.0));
  processSpectrum(*e);
  EXPECT_NEAR(e->targetGainDb[kBin], 6.0, 1e-9);
}

TEST(TameDetection, FlatSpectrumDetectsNothing) {
  auto e = makeEngine(Params().set(kMode, 2).set(kSmooth, 0));
  fillSpectrum(*e, 3.0);
  processSpectrum(*e);
  for (int k = 0; k <= e->lastBin; ++k) ASSERT_EQ(e->activity[k], 0.0) << k;
}

TEST(TameDetection, BinTwentyDbAboveNeighboursIsCutAtOnce) {
  auto e = makeEngine(Params().set(kMode, 2).set(kSmooth, 0));
  fillSpectrum(*e, 1.0);
  setBin(*e, kBin, 10.0);   // power 100 times its neighbours: +20 dB
  processSpectrum(*e);
  // x = (20 - 6) / 8 > 1: full depth; the neighbours see a higher mean.
  EXPECT_NEAR(e->targetGainDb[kBin], -12.0, 1e-9);
  EXPECT_EQ(e->targetGainDb[kBin - 1], 0.0);
  EXPECT_EQ(e->targetGainDb[kBin + 1], 0.0);
  // Threshold curve: the neighbours' level (0 dB) plus 6 dB.
  EXPECT_NEAR(e->thresholdMag[kBin], std::pow(10.0, 6.0 / 20.0), 1e-6);
}

TEST(TameDetection, BinZeroComparesWithBinOneOnly) {
  auto e = makeEngine(Params().set(kMode, 2).set(kSmooth, 0).set(kFreqLow, 20));
  fillSpectrum(*e, 1.0);
  setBin(*e, 0, 10.0);      // +20 dB over bin 1
  setBin(*e, 2, 100.0);     // would raise the mean if bin 2 were counted
  processSpectrum(*e);
  // Bin 0 counts as 1 Hz, far below the range (weight 0), so read the
  // comparison from its threshold curve: bin 1's level plus 6 dB.
  EXPECT_NEAR(e->levelDb[0] - e->levelDb[1], 20.0, 1e-9);
  EXPECT_NEAR(e->thresholdMag[0], std::pow(10.0, (e->levelDb[1] + 6.0) / 20.0), 1e-9);
}

TEST(TameDetection, NarrowWidthComparesWithImmediateNeighbours) {
  // Width 0.1 at bin 5: floor(5 * 0.966) = 4, ceil(5 * 1.035) = 6.
  auto e = makeEngine(Params().set(kMode, 2).set(kSmooth, 0).set(kWidth, 0.1).set(kFreqLow, 20));
  fillSpectrum(*e, 1.0);
  setBin(*e, 5, 10.0);
  setBin(*e, 3, 1000.0);
  setBin(*e, 7, 1000.0);
  processSpectrum(*e);
  EXPECT_NEAR(e->targetGainDb[5], -12.0, 1e-9);   // 234 Hz is inside 20 .. 18000 Hz
}

TEST(TameDetection, SmoothsPowerOnlyAfterFirstFrame) {
  auto e = makeEngine(Params().set(kMode, 2));
  fillSpectrum(*e, 2.0);
  processSpectrum(*e);
  EXPECT_EQ(e->reference[kBin], 4.0);
  fillSpectrum(*e, 4.0);
  processSpectrum(*e);
  EXPECT_NEAR(e->reference[kBin], 4.0 + (16.0 - 4.0) * e->tameSmoothCoef, 1e-12);
  EXPECT_EQ(e->inputMag[kBin], 4.0);
}

TEST(Smooth, SpreadsSingleBinTargetOverFiveBins) {
  auto e = makeEngine(Params().set(kSmooth, 2));
  e->targetGainDb[kBin] = -12.0;
  smoothTargets(*e);
  for (int k = kBin - 2; k <= kBin + 2; ++k) EXPECT_NEAR(e->smoothedTargetDb[k], -2.4, 1e-12) << k;
  EXPECT_EQ(e->smoothedTargetDb[kBin - 3], 0.0);
  EXPECT_EQ(e->smoothedTargetDb[kBin + 3], 0.0);
}

TEST(Smooth, EdgesReadTheEdgeBin) {
  auto e = makeEngine(Params().set(kSmooth, 2));
  e->targetGainDb[0] = -12.0;
  e->targetGainDb[e->lastBin] = 6.0;
  smoothTargets(*e);
  EXPECT_NEAR(e->smoothedTargetDb[0], -7.2, 1e-12);   // bin 0 read three times
  EXPECT_NEAR(e->smoothedTargetDb[1], -4.8, 1e-12);
  EXPECT_NEAR(e->smoothedTargetDb[2], -2.4, 1e-12);
  EXPECT_NEAR(e->smoothedTargetDb[e->lastBin], 3.6, 1e-12);
}

TEST(Smooth, ZeroRadiusPassesTargetsUnchanged) {
  auto e = makeEngine(Params().set(kSmooth, 0));
  e->targetGainDb[kBin] = -7.25;
  smoothTargets(*e);
  EXPECT_EQ(e->smoothedTargetDb[kBin], -7.25);
  EXPECT_EQ(e->smoothedTargetDb[kBin + 1], 0.0);
}

TEST(Smooth, OutOfRangeBinFollowsNeighbourTargets) {
  auto e = settledAtOne(Params().set(kFreqLow, 1000).set(kFreqHigh, 2000));
  const int lastInRange = 42;   // 1969 Hz; bin 64 (3000 Hz) has weight 0
  applyParams(*e, Params().set(kFreqLow, 1000).set(kFreqHigh, 2000).set(kSmooth, 2));
  setBin(*e, lastInRange, 1000.0);
  processSpectrum(*e);
  EXPECT_LT(e->gainDb[lastInRange + 2], 0.0);
  EXPECT_EQ(e->targetGainDb[lastInRange + 30], 0.0);
}

TEST(Ballistics, AttackWhenMovingAwayFromZeroReleaseOtherwise) {
  auto e = makeEngine(Params());
  e->gainDb[10] = -2.0;
  e->smoothedTargetDb[10] = -6.0;   // further from 0 dB: attack
  e->gainDb[11] = -6.0;
  e->smoothedTargetDb[11] = 3.0;    // |3| < |-6|: release, even across 0 dB
  e->gainDb[12] = 4.0;
  e->smoothedTargetDb[12] = 0.0;    // back towards 0 dB: release
  fillSpectrum(*e, 1.0);
  applyGains(*e);
  EXPECT_NEAR(e->gainDb[10], -2.0 - 4.0 * e->attackCoef, 1e-12);
  EXPECT_NEAR(e->gainDb[11], -6.0 + 9.0 * e->releaseCoef, 1e-12);
  EXPECT_NEAR(e->gainDb[12], 4.0 - 4.0 * e->releaseCoef, 1e-12);
}

TEST(GainApplication, MultipliesBinAndMirrorOnceEach) {
  auto e = makeEngine(Params().set(kAttack, 0.05));   // attack coefficient ~1: gain reaches target
  fillSpectrum(*e, 1.0);
  const int n = e->fftSize;
  for (int k : {0, 3, e->lastBin}) e->smoothedTargetDb[k] = -20.0;
  applyGains(*e);
  const double a3 = std::exp(e->gainDb[3] * std::log(10.0) / 20.0);
  EXPECT_NEAR(a3, 0.1, 1e-6);
  // Both channels' parts of the packed spectrum: real (left) and imaginary (right).
  for (const double* part : {spectrumRe(e->spectrum), spectrumIm(e->spectrum)}) {
    EXPECT_NEAR(part[3], a3, 1e-12);
    EXPECT_NEAR(part[n - 3], a3, 1e-12);
    EXPECT_NEAR(part[0], a3, 1e-12);
    EXPECT_NEAR(part[e->lastBin], a3, 1e-12);   // not squared
    EXPECT_EQ(part[4], 1.0);
    EXPECT_EQ(part[n - 4], 1.0);
  }
  EXPECT_NEAR(e->outputMag[3], a3 * e->inputMag[3], 1e-15);
}

TEST(PeakHold, DecaysByThreePercentWhileMaximaStayBelowHeldValue) {
  auto e = makeEngine(Params());
  e->attackCoef = e->releaseCoef = 1.0;   // gain jumps to the target
  fillSpectrum(*e, 1.0);
  e->smoothedTargetDb[kBin] = -10.0;
  applyGains(*e);
  EXPECT_EQ(e->peakGainDb, 10.0);
  e->smoothedTargetDb[kBin] = -5.0;
  applyGains(*e);
  EXPECT_NEAR(e->peakGainDb, 9.7, 1e-12);
  e->smoothedTargetDb[kBin] = -9.6;       // above 0.97 * 9.7 but below 9.7: still decays
  applyGains(*e);
  EXPECT_NEAR(e->peakGainDb, 9.409, 1e-12);
  e->smoothedTargetDb[kBin] = 11.0;       // boosts count by magnitude
  applyGains(*e);
  EXPECT_NEAR(e->peakGainDb, 11.0, 1e-12);
}

TEST(DepthZero, GainStaysZeroWhileActivityShowsDetection) {
  auto e = settledAtOne(Params().set(kDepth, 0));
  setBin(*e, kBin, magnitudeAbove(1.0, 20.0));
  processSpectrum(*e);
  EXPECT_EQ(e->activity[kBin], 1.0);
  EXPECT_EQ(e->gainDb[kBin], 0.0);
  EXPECT_EQ(e->outputMag[kBin], e->inputMag[kBin]);
  EXPECT_EQ(e->peakGainDb, 0.0);
}

TEST(ModeChange, FirstFrameInCutAppliesNoNewTarget) {
  Params params;
  auto e = settledAtOne(params);
  applyParams(*e, params.set(kSmooth, 0).set(kMode, 1));
  setBin(*e, kBin, 1000.0);
  processSpectrum(*e);
  EXPECT_EQ(e->targetGainDb[kBin], 0.0);
  EXPECT_EQ(e->reference[kBin], 1000.0);
}

TEST(ModeChange, FirstFrameInTameDetectsAtOnce) {
  Params params;
  auto e = settledAtOne(params);
  applyParams(*e, params.set(kSmooth, 0).set(kMode, 2));
  setBin(*e, kBin, 10.0);
  processSpectrum(*e);
  EXPECT_NEAR(e->targetGainDb[kBin], -12.0, 1e-9);
}

} // namespace
} // namespace varnock
