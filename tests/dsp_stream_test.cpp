// The stream: latency, reconstruction, mix / delta / trim, block-size
// independence, restarts, non-finite input and the floating-point mode.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <xmmintrin.h>

#include "tests/support/engine_harness.h"

namespace varnock {
namespace {

using testing::makeEngine;
using testing::Params;
using testing::Stereo;

class StreamSizes : public ::testing::TestWithParam<int> {};

TEST_P(StreamSizes, DepthZeroDelaysInputByFftSize) {
  auto e = makeEngine(Params().set(kDepth, 0).set(kResolution, GetParam()));
  const int n = e->fftSize;
  const Stereo in = testing::noise(4 * n + 77, 0.7, 5);
  const Stereo out = testing::run(*e, in, 100);
  for (int t = n; t < in.frames(); ++t) {
    ASSERT_NEAR(out.left[t], in.left[t - n], 1e-12) << t;
    ASSERT_NEAR(out.right[t], in.right[t - n], 1e-12) << t;
  }
}

INSTANTIATE_TEST_SUITE_P(Stream, StreamSizes, ::testing::Values(0, 1, 2));

TEST(Stream, FirstFftSizeSamplesAfterResetAreSilent) {
  // They belong to the zeros that filled the ring at the reset (up to the
  // rounding of the transforms; with gains applied, what they spread in time
  // from newer samples would add to it).
  auto e = makeEngine(Params().set(kDepth, 0));
  const Stereo out = testing::run(*e, testing::noise(1024, 0.7, 6));
  for (int t = 0; t < 1024; ++t) ASSERT_NEAR(out.left[t], 0.0, 1e-12) << t;
}

TEST(Stream, MixZeroGivesDelayedInputTimesTrim) {
  auto e = makeEngine(Params().set(kMix, 0).set(kTrim, -6).set(kThreshold, 0).set(kDepth, 24));
  const Stereo in = testing::noise(5000, 0.7, 7);
  const Stereo out = testing::run(*e, in);
  for (int t = 1024; t < in.frames(); ++t) ASSERT_EQ(out.right[t], in.right[t - 1024] * e->trimGain) << t;
}

TEST(Stream, DeltaWithoutDetectionIsNearSilent) {
  auto e = makeEngine(Params().set(kDelta, 1).set(kDepth, 0));
  const Stereo out = testing::run(*e, testing::noise(5000, 0.7, 8));
  for (int t = 0; t < out.frames(); ++t) ASSERT_NEAR(out.left[t], 0.0, 1e-12) << t;
}

TEST(Stream, DeltaIgnoresMixAndKeepsTrim) {
  const Stereo in = testing::noise(6000, 0.7, 9);
  auto full = makeEngine(Params().set(kDelta, 1));
  auto halfMix = makeEngine(Params().set(kDelta, 1).set(kMix, 50));
  auto trimmed = makeEngine(Params().set(kDelta, 1).set(kTrim, 6));
  const Stereo a = testing::run(*full, in), b = testing::run(*halfMix, in), c = testing::run(*trimmed, in);
  double energy = 0.0;
  for (int t = 0; t < in.frames(); ++t) {
    ASSERT_EQ(a.left[t], b.left[t]) << t;
    ASSERT_EQ(c.left[t], a.left[t] * trimmed->trimGain) << t;
    energy += a.left[t] * a.left[t];
  }
  EXPECT_GT(energy, 0.0);   // noise onsets are detected and cut, so delta is not silent
}

TEST(Stream, OneSampleBlocksEqualOneLongBlock) {
  const Stereo in = testing::noise(5000, 0.7, 10);
  for (double mode : {0.0, 2.0}) {
    auto a = makeEngine(Params().set(kMode, mode));
    auto b = makeEngine(Params().set(kMode, mode));
    const Stereo longBlock = testing::run(*a, in, in.frames());
    const Stereo single = testing::run(*b, in, 1);
    for (int t = 0; t < in.frames(); ++t) ASSERT_EQ(longBlock.left[t], single.left[t]) << t;
  }
}

TEST(Stream, FirstFrameRunsAfterHopSizeSamplesOverZeros) {
  auto e = makeEngine(Params());
  const Stereo tone = testing::sine(128, 1500.0, 1.0);
  Stereo first(127), last(1);
  for (int t = 0; t < 127; ++t) first.left[t] = first.right[t] = tone.left[t];
  last.left[0] = last.right[0] = tone.left[127];
  testing::run(*e, first);
  EXPECT_FALSE(e->havePrevFrame);
  EXPECT_EQ(e->inputMag[32], 0.0);
  testing::run(*e, last);
  EXPECT_TRUE(e->havePrevFrame);
  EXPECT_EQ(e->hopCounter, 0);
  // The frame saw 896 zeros, then the 128 tone samples under the window's
  // falling tail: a level above 0 but far below a full frame of the tone
  // (1500 Hz is bin 32; a full frame would give about 1024 / 4 = 256).
  EXPECT_GT(e->inputMag[32], 0.0);
  EXPECT_LT(e->inputMag[32], 10.0);
}

TEST(Stream, ResolutionChangeRestartsStreamAndFeed) {
  Params params = Params().set(kResolution, 2);
  auto e = makeEngine(params);
  testing::run(*e, testing::noise(8192, 0.7, 12));
  ASSERT_GT(e->peakGainDb, 0.0);
  testing::applyParams(*e, params.set(kResolution, 0));
  EXPECT_EQ(e->fftSize, 512);
  EXPECT_EQ(e->lastBin, 256);
  EXPECT_EQ(e->peakGainDb, 0.0);
  EXPECT_FALSE(e->havePrevFrame);
  for (int k = 0; k < SpectralEngine::kBinSlots; ++k) {
    ASSERT_EQ(e->inputMag[k], 0.0);
    ASSERT_EQ(e->gainDb[k], 0.0);
    ASSERT_EQ(e->activity[k], 0.0);
    ASSERT_EQ(e->outputMag[k], 0.0);
    ASSERT_EQ(e->thresholdMag[k], 0.0);
  }
  for (int i = 0; i < SpectralEngine::kMaxFftSize; ++i) ASSERT_EQ(e->inputRing[0][i], 0.0);
}

TEST(Stream, ResolutionChangeDropsOldDryDelay) {
  Params params = Params().set(kMix, 0);
  auto e = makeEngine(params);
  testing::run(*e, testing::noise(3000, 0.7, 13));
  testing::applyParams(*e, params.set(kResolution, 2));
  const Stereo in = testing::noise(3000, 0.7, 14);
  const Stereo out = testing::run(*e, in);
  for (int t = 0; t < 2048; ++t) ASSERT_EQ(out.left[t], 0.0) << t;
  for (int t = 2048; t < 3000; ++t) ASSERT_EQ(out.left[t], in.left[t - 2048]) << t;
}

TEST(Stream, ModeChangeKeepsBuffersAndGains) {
  Params params;
  auto reference = makeEngine(params);
  auto switched = makeEngine(params);
  const Stereo in = testing::noise(4000, 0.7, 15);
  testing::run(*reference, in);
  testing::run(*switched, in);
  testing::applyParams(*switched, params.set(kMode, 1));
  // The dry path and the already accumulated wet output are untouched: the
  // next hop's worth of samples (before any new frame) is identical.
  const Stereo next = testing::noise(100, 0.7, 16);
  const Stereo a = testing::run(*reference, next, 1);
  const Stereo b = testing::run(*switched, next, 1);
  const int untilFrame = reference->hopSize - (4000 % reference->hopSize);
  for (int t = 0; t < untilFrame; ++t) ASSERT_EQ(a.left[t], b.left[t]) << t;
}

TEST(Stream, NonFiniteInputIsTreatedAsSilence) {
  const Stereo clean = testing::noise(8000, 0.5, 17);
  Stereo dirty = clean, zeroed = clean;
  for (int t : {300, 301, 2500}) {
    dirty.left[t] = std::numeric_limits<double>::quiet_NaN();
    dirty.right[t] = std::numeric_limits<double>::infinity();
    zeroed.left[t] = zeroed.right[t] = 0.0;
  }
  dirty.left[4000] = -std::numeric_limits<double>::infinity();
  zeroed.left[4000] = 0.0;
  auto a = makeEngine(Params());
  auto b = makeEngine(Params());
  const Stereo outDirty = testing::run(*a, dirty);
  const Stereo outZeroed = testing::run(*b, zeroed);
  for (int t = 0; t < clean.frames(); ++t) {
    ASSERT_TRUE(std::isfinite(outDirty.left[t]) && std::isfinite(outDirty.right[t])) << t;
    ASSERT_EQ(outDirty.left[t], outZeroed.left[t]) << t;
  }
  for (int k = 0; k <= a->lastBin; ++k) ASSERT_TRUE(std::isfinite(a->reference[k]) && std::isfinite(a->gainDb[k]));
}

TEST(Stream, OutputRecoversOneFftSizeAfterNanBurst) {
  // Depth 0: once fftSize finite samples have followed the burst, the output
  // is the delayed input again.
  auto e = makeEngine(Params().set(kDepth, 0));
  Stereo in = testing::noise(6000, 0.5, 18);
  for (int t = 1000; t < 1100; ++t) in.left[t] = in.right[t] = std::numeric_limits<double>::quiet_NaN();
  const Stereo out = testing::run(*e, in);
  for (int t = 1100 + 1024; t < in.frames(); ++t) ASSERT_NEAR(out.left[t], in.left[t - 1024], 1e-12) << t;
}

TEST(Stream, HugeFiniteInputIsLimitedAndKeepsStatesFinite) {
  // 1e200 squared overflows; the input limit of 1e30 keeps every power finite.
  auto e = makeEngine(Params().set(kMix, 0));
  Stereo in = testing::noise(6000, 0.5, 20);
  in.left[1500] = 1e200;
  in.right[1500] = -1e200;
  const Stereo out = testing::run(*e, in);
  EXPECT_EQ(out.left[1500 + 1024], 1e30);
  EXPECT_EQ(out.right[1500 + 1024], -1e30);
  for (int k = 0; k <= e->lastBin; ++k) ASSERT_TRUE(std::isfinite(e->reference[k]) && std::isfinite(e->gainDb[k]));
  for (int t = 4000; t < 6000; ++t) ASSERT_EQ(out.left[t], in.left[t - 1024]) << t;
}

TEST(Stream, FlushesDenormalsInsideAndRestoresCallerMode) {
  auto e = makeEngine(Params().set(kMix, 0));
  const unsigned before = _mm_getcsr() & ~0x8040u;   // caller: no FTZ, no DAZ
  _mm_setcsr(before);
  Stereo in(3000);
  for (int t = 0; t < in.frames(); ++t) in.left[t] = in.right[t] = 1e-310;   // subnormal
  const Stereo out = testing::run(*e, in);
  EXPECT_EQ(_mm_getcsr(), before);
  // Dry path: 1e-310 times a unit trim would stay subnormal; with DAZ it reads as 0.
  EXPECT_EQ(out.left[2000], 0.0);
}

TEST(Stream, IdenticalChannelsGiveIdenticalOutput) {
  // Both channels share one transform; a mono signal must still come out
  // exactly mono, in every mode and size.
  for (const double resolution : {0.0, 2.0})
    for (const double mode : {0.0, 1.0, 2.0}) {
      auto e = makeEngine(Params().set(kMode, mode).set(kResolution, resolution));
      Stereo in = testing::noise(9000, 0.5, 22);
      in.right = in.left;
      const Stereo out = testing::run(*e, in);
      ASSERT_EQ(out.left, out.right) << "mode " << mode << " resolution " << resolution;
    }
}

TEST(Stream, CallerRoundingModeChangesNothing) {
  // Reset, coefficient pass and processing all run in the caller's mode.
  const Stereo in = testing::noise(6000, 0.5, 21);
  auto nearest = makeEngine(Params().set(kMode, 2).set(kTilt, 1.5));
  const Stereo expected = testing::run(*nearest, in);
  for (const unsigned rounding : {0x2000u, 0x4000u, 0x6000u}) {   // down, up, toward zero
    const unsigned before = _mm_getcsr();
    _mm_setcsr((before & ~0x6000u) | rounding);
    auto e = makeEngine(Params().set(kMode, 2).set(kTilt, 1.5));
    const Stereo out = testing::run(*e, in);
    const unsigned after = _mm_getcsr();
    _mm_setcsr(before);
    EXPECT_EQ(after & 0x6000u, rounding);
    for (int t = 0; t < in.frames(); ++t) ASSERT_EQ(out.left[t], expected.left[t]) << rounding << " " << t;
  }
}

TEST(Stream, ZeroLengthBlockChangesNothing) {
  auto e = makeEngine(Params());
  const double* in[2] = {nullptr, nullptr};
  double* out[2] = {nullptr, nullptr};
  processSamples(*e, in, out, 0);
  EXPECT_EQ(e->writePos, 0);
  EXPECT_EQ(e->hopCounter, 0);
}

TEST(Stream, InPlaceProcessingEqualsSeparateBuffers) {
  auto a = makeEngine(Params());
  auto b = makeEngine(Params());
  const Stereo in = testing::noise(3000, 0.5, 19);
  const Stereo separate = testing::run(*a, in);
  Stereo buffer = in;
  double* io[2] = {buffer.left.data(), buffer.right.data()};
  processSamples(*b, io, io, buffer.frames());
  for (int t = 0; t < in.frames(); ++t) ASSERT_EQ(buffer.left[t], separate.left[t]) << t;
}

} // namespace
} // namespace varnock
