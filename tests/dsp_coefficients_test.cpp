// The coefficient pass: FFT size selection, one-pole coefficients in real
// time, linear gains, range weights and tilt per bin. Expected values are the
// formulas worked by hand (e.g. 1 - exp(-(128/48000)/0.06) = 0.0435).
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/engine_harness.h"

namespace varnock {
namespace {

using testing::makeEngine;
using testing::Params;

TEST(Coefficients, ResolutionSelectsFftSizeHopAndLastBin) {
  auto fast = makeEngine(Params().set(kResolution, 0));
  EXPECT_EQ(fast->fftSize, 512);
  EXPECT_EQ(fast->hopSize, 64);
  EXPECT_EQ(fast->lastBin, 256);
  auto precise = makeEngine(Params().set(kResolution, 2));
  EXPECT_EQ(precise->fftSize, 2048);
  EXPECT_EQ(precise->hopSize, 256);
  EXPECT_EQ(precise->lastBin, 1024);
  auto normal = makeEngine(Params().set(kResolution, 1.4));
  EXPECT_EQ(normal->fftSize, 1024);
}

TEST(Coefficients, TimeConstantsAt48kHzNormal) {
  auto e = makeEngine(Params());
  EXPECT_NEAR(e->framePeriod, 0.0026667, 1e-7);
  EXPECT_NEAR(e->bgRiseCoef, 0.0435, 1e-4);
  EXPECT_NEAR(e->bgFallCoef, 0.1248, 1e-4);
  EXPECT_NEAR(e->attackCoef, 0.9305, 1e-4);
  EXPECT_NEAR(e->releaseCoef, 0.0435, 1e-4);
  EXPECT_NEAR(e->tameSmoothCoef, 0.2341, 1e-4);
}

TEST(Coefficients, TimeConstantsHoldInRealTimeAcrossSizes) {
  // Twice the hop at twice the frame period: the same decay per second.
  auto normal = makeEngine(Params());
  auto precise = makeEngine(Params().set(kResolution, 2));
  EXPECT_NEAR(std::pow(1.0 - normal->releaseCoef, 2.0), 1.0 - precise->releaseCoef, 1e-12);
}

TEST(Coefficients, FloorsOnKneeAttackAndRelease) {
  auto e = makeEngine(Params().set(kKnee, 0.0).set(kAttack, 0.0).set(kRelease, 0.0));
  EXPECT_EQ(e->kneeDb, 0.1);
  EXPECT_NEAR(e->attackCoef, 1.0 - std::exp(-e->framePeriod / 0.00005), 1e-15);
  EXPECT_NEAR(e->releaseCoef, 1.0 - std::exp(-e->framePeriod / 0.001), 1e-15);
}

TEST(Coefficients, WidthFactorsSpanHalfTheWidthEachSide) {
  auto e = makeEngine(Params());
  EXPECT_NEAR(e->widthLoFactor, 0.8919, 1e-4);
  EXPECT_NEAR(e->widthHiFactor, 1.1212, 1e-4);
}

TEST(Coefficients, TrimMixDeltaSmoothAndMode) {
  auto e = makeEngine(Params().set(kTrim, 6).set(kMix, 25).set(kDelta, 0.6).set(kSmooth, 2.5).set(kMode, 1.4));
  EXPECT_NEAR(e->trimGain, 1.9953, 1e-4);
  EXPECT_EQ(e->mixAmount, 0.25);
  EXPECT_TRUE(e->deltaOn);
  EXPECT_EQ(e->smoothRadius, 3);
  EXPECT_EQ(e->modeIndex, 1);
  EXPECT_EQ(e->gainSign, 1.0);
  EXPECT_FALSE(e->tameMode);
  auto tame = makeEngine(Params().set(kMode, 1.5));
  EXPECT_TRUE(tame->tameMode);
  EXPECT_EQ(tame->gainSign, -1.0);
}

// Freq Low 1000 Hz; the sample rate is chosen so that bin 16 of 1024 lies
// exactly at 707.1 Hz (half an octave below), 840.9 Hz (a quarter octave
// below) or 1000 Hz.
TEST(RangeWeight, FallsLinearlyToZeroHalfAnOctaveBelowFreqLow) {
  auto rateForBin16 = [](double hz) { return hz * 1024 / 16; };
  EXPECT_NEAR(makeEngine(Params(), rateForBin16(1000 / std::sqrt(2.0)))->rangeWeight[16], 0.0, 1e-12);
  EXPECT_NEAR(makeEngine(Params(), rateForBin16(1000 / std::pow(2.0, 0.25)))->rangeWeight[16], 0.5, 1e-12);
  EXPECT_EQ(makeEngine(Params(), rateForBin16(1000))->rangeWeight[16], 1.0);
  EXPECT_EQ(makeEngine(Params(), rateForBin16(500))->rangeWeight[16], 0.0);
}

TEST(RangeWeight, OneInsideAndZeroFarAbove) {
  auto e = makeEngine(Params().set(kFreqLow, 1000).set(kFreqHigh, 4000));
  EXPECT_EQ(e->rangeWeight[43], 1.0);   // 2016 Hz
  EXPECT_EQ(e->rangeWeight[200], 0.0);  // 9375 Hz, more than an octave above
  EXPECT_EQ(e->rangeWeight[0], 0.0);    // bin 0 counts as 1 Hz
}

TEST(RangeWeight, FreqHighBelowFreqLowCollapsesToOnePercentAbove) {
  auto e = makeEngine(Params().set(kFreqLow, 1000).set(kFreqHigh, 100));
  EXPECT_DOUBLE_EQ(e->rangeHighHz, 1010.0);
  // 1031.25 Hz (bin 22) lies 0.030 oct above 1010 Hz: weight 1 - 2 * 0.030.
  EXPECT_NEAR(e->rangeWeight[22], 1.0 - 2.0 * std::log2(1031.25 / 1010.0), 1e-12);
  EXPECT_EQ(e->rangeWeight[31], 0.0);   // 1453 Hz, more than half an octave above 1010 Hz
  EXPECT_NEAR(e->rangeWeight[21], 1.0 - 2.0 * std::log2(1000.0 / 984.375), 1e-12);  // just below Freq Low
}

TEST(Tilt, PivotsAroundOneKilohertz) {
  // 64 kHz / 1024: bins 8, 16 and 32 lie at 500, 1000 and 2000 Hz.
  auto e = makeEngine(Params().set(kTilt, 3), 64000.0);
  EXPECT_EQ(e->tiltDb[16], 0.0);
  EXPECT_NEAR(e->tiltDb[32], 3.0, 1e-12);
  EXPECT_NEAR(e->tiltDb[8], -3.0, 1e-12);
  EXPECT_NEAR(e->tiltDb[0], -29.897, 1e-3);
}

TEST(Coefficients, ModeChangeClearsHavePrevFrameOnly) {
  Params params;
  auto e = makeEngine(params);
  testing::run(*e, testing::noise(4096, 0.5, 3));
  ASSERT_TRUE(e->havePrevFrame);
  const double ringSample = e->inputRing[0][100];
  const double gain = e->gainDb[40];
  const int pos = e->writePos;
  testing::applyParams(*e, params.set(kMode, 1));
  EXPECT_FALSE(e->havePrevFrame);
  EXPECT_EQ(e->inputRing[0][100], ringSample);
  EXPECT_EQ(e->gainDb[40], gain);
  EXPECT_EQ(e->writePos, pos);
  EXPECT_EQ(e->lastMode, 1);
}

TEST(Coefficients, PassWithoutModeOrSizeChangeKeepsState) {
  Params params;
  auto e = makeEngine(params);
  testing::run(*e, testing::noise(4096, 0.5, 4));
  const double reference = e->reference[40];
  testing::applyParams(*e, params.set(kDepth, 3).set(kThreshold, 2));
  EXPECT_TRUE(e->havePrevFrame);
  EXPECT_EQ(e->reference[40], reference);
}

} // namespace
} // namespace varnock
