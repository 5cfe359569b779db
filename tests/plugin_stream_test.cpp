// The stream engine as a host drives it: dry/wet mix, delta and trim, block
// boundaries, parameter changes between blocks, sample-rate changes, and the
// two sample sizes.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/bundle_plugin.h"
#include "tests/support/test_signals.h"

namespace {

using bundletest::automate;
using bundletest::both;
using bundletest::dbToGain;
using bundletest::makePlugin;
using bundletest::run;
using bundletest::start;
using bundletest::Stereo;

constexpr int kMix = 10, kTrim = 11, kDelta = 12, kTilt = 16;
constexpr int kLatency = 1024;   // the default Resolution

// A signal the detector reacts to: clicks over quiet noise.
std::vector<double> busySignal(int frames, uint32_t seed) {
  return testsignals::mix(testsignals::clickTrain(frames, 1500, 0.8), testsignals::whiteNoise(frames, seed, 0.05));
}

// out[t] == gain * in[t - delay] within rounding of the gain, zeros before.
void expectDelayed(const std::vector<double>& out, const std::vector<double>& in, int delay, double gain) {
  for (size_t t = 0; t < out.size(); ++t) {
    const double expected = static_cast<int>(t) < delay ? 0.0 : gain * in[t - static_cast<size_t>(delay)];
    ASSERT_NEAR(out[t], expected, 1e-12) << t;
  }
}

TEST(PluginStream, MixZeroGivesDelayedInputTimesTrim) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(plugin->setNormalizedValue(kTrim, bundletest::normalized(*plugin, kTrim, -6.0)));
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  const Stereo in{busySignal(8192, 1), busySignal(8192, 2)};
  const Stereo out = run(*plugin, in, 512);
  expectDelayed(out.left, in.left, kLatency, dbToGain(-6.0));
  expectDelayed(out.right, in.right, kLatency, dbToGain(-6.0));
}

TEST(PluginStream, DeltaIgnoresMix) {
  const Stereo in = both(busySignal(12000, 3));
  Stereo outs[2];
  const double mixes[2] = {100.0, 30.0};
  for (int k = 0; k < 2; ++k) {
    auto plugin = makePlugin();
    ASSERT_TRUE(plugin->setNormalizedValue(kDelta, 1.0));
    ASSERT_TRUE(plugin->setNormalizedValue(kMix, bundletest::normalized(*plugin, kMix, mixes[k])));
    ASSERT_TRUE(start(*plugin, 48000.0, 512));
    outs[k] = run(*plugin, in, 512);
  }
  EXPECT_EQ(outs[0].left, outs[1].left);
  EXPECT_GT(testsignals::peak(outs[0].left), 1e-3);   // the clicks are worked on: delta is not silent
}

TEST(PluginStream, DeltaKeepsTrim) {
  const Stereo in = both(busySignal(12000, 4));
  Stereo outs[2];
  const double trims[2] = {0.0, 6.0};
  for (int k = 0; k < 2; ++k) {
    auto plugin = makePlugin();
    ASSERT_TRUE(plugin->setNormalizedValue(kDelta, 1.0));
    ASSERT_TRUE(plugin->setNormalizedValue(kTrim, bundletest::normalized(*plugin, kTrim, trims[k])));
    ASSERT_TRUE(start(*plugin, 48000.0, 512));
    outs[k] = run(*plugin, in, 512);
  }
  for (size_t t = 0; t < outs[0].left.size(); ++t)
    ASSERT_NEAR(outs[1].left[t], dbToGain(6.0) * outs[0].left[t], 1e-12) << t;
}

TEST(PluginStream, OneSampleBlocksEqualOneLongBlock) {
  const Stereo in{busySignal(6000, 5), busySignal(6000, 6)};
  Stereo outs[2];
  const int blocks[2] = {1, 6000};
  for (int k = 0; k < 2; ++k) {
    auto plugin = makePlugin();
    ASSERT_TRUE(start(*plugin, 48000.0, 6000));
    outs[k] = run(*plugin, in, blocks[k]);
  }
  EXPECT_EQ(outs[0].left, outs[1].left);
  EXPECT_EQ(outs[0].right, outs[1].right);
}

TEST(PluginStream, SampleRateChangeResetsBeforeTheNextBlock) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  run(*plugin, both(std::vector<double>(4096, 1.0)), 512);
  ASSERT_TRUE(plugin->setProcessing(false) && plugin->setActive(false));
  ASSERT_TRUE(start(*plugin, 44100.0, 512));
  // The ring held ones; after the reset the first latency's worth is silence.
  const std::vector<double> in = busySignal(4096, 7);
  const Stereo out = run(*plugin, both(in), 512);
  expectDelayed(out.left, in, kLatency, 1.0);
}

// ---- Parameter changes between blocks ----

TEST(PluginStream, AutomationTakesTheLastPointBeforeTheBlock) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 4096));
  const std::vector<double> in = busySignal(4096, 8);
  run(*plugin, both(in), 4096);
  automate(*plugin, kTrim, -24.0, 0);
  automate(*plugin, kTrim, -6.0, 2000);
  const Stereo out = run(*plugin, both(in), 4096);
  // Whole block at the last point's gain: out[t] = g * in[t - latency] (the input repeats).
  for (int t = 0; t < 4096; ++t) {
    const double dry = t < kLatency ? in[static_cast<size_t>(4096 - kLatency + t)] : in[static_cast<size_t>(t - kLatency)];
    ASSERT_NEAR(out.left[static_cast<size_t>(t)], dbToGain(-6.0) * dry, 1e-12) << t;
  }
}

TEST(PluginStream, NaNAutomationChangesNothing) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 4096));
  ASSERT_TRUE(plugin->queueParameterChange(kTrim, 0, std::numeric_limits<double>::quiet_NaN()));
  const std::vector<double> in = busySignal(4096, 9);
  const Stereo out = run(*plugin, both(in), 4096);
  expectDelayed(out.left, in, kLatency, 1.0);
  EXPECT_EQ(plugin->normalizedToPlain(kTrim, plugin->normalizedValue(kTrim)), 0.0);
}

TEST(PluginStream, ControllerSideSetTakesEffectAtTheNextBlock) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 2048));
  const std::vector<double> in(2048, 0.5);
  run(*plugin, both(in), 2048);
  ASSERT_TRUE(plugin->setNormalizedValue(kTrim, bundletest::normalized(*plugin, kTrim, 6.0)));
  const Stereo out = run(*plugin, both(in), 2048);
  EXPECT_NEAR(out.left.front(), 0.5 * dbToGain(6.0), 1e-12);
}

TEST(PluginStream, RestoredStateTakesEffectAtTheNextBlock) {
  auto source = makePlugin();
  ASSERT_TRUE(source->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(source->setNormalizedValue(kTrim, bundletest::normalized(*source, kTrim, -6.0)));
  std::vector<uint8_t> state;
  ASSERT_TRUE(source->getState(&state));

  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 2048));
  const std::vector<double> in(2048, 0.5);
  run(*plugin, both(in), 2048);
  ASSERT_TRUE(plugin->setState(state));
  const Stereo out = run(*plugin, both(in), 2048);
  EXPECT_NEAR(out.left.front(), 0.5 * dbToGain(-6.0), 1e-12);
}

// ---- Sample sizes ----

TEST(PluginStream, ThirtyTwoAndSixtyFourBitAgreeWithinFloatPrecision) {
  const Stereo in{busySignal(8000, 10), busySignal(8000, 11)};
  auto wide = makePlugin();
  ASSERT_TRUE(start(*wide, 48000.0, 500, vst3host::SampleSize::Float64));
  const Stereo outWide = run(*wide, in, 500);
  auto narrow = makePlugin();
  ASSERT_TRUE(start(*narrow, 48000.0, 500, vst3host::SampleSize::Float32));
  const Stereo outNarrow = run(*narrow, in, 500, true);
  double worst = 0.0;
  for (size_t t = 0; t < outWide.left.size(); ++t)
    worst = std::fmax(worst, std::fabs(outWide.left[t] - outNarrow.left[t]));
  EXPECT_LT(worst, 1e-5);
  EXPECT_GT(testsignals::peak(outNarrow.left), 0.1);
}

TEST(PluginStream, ThirtyTwoBitDryPathIsExact) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 256, vst3host::SampleSize::Float32));
  std::vector<double> in = busySignal(4096, 12);
  for (double& v : in) v = static_cast<float>(v);   // representable in 32 bits
  const Stereo out = run(*plugin, both(in), 256, true);
  expectDelayed(out.left, in, kLatency, 1.0);
}

} // namespace
