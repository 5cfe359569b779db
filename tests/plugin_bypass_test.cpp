// Host bypass: the input reaches the output through a delay of the current
// latency, so bypassed audio keeps the timing of processed audio.
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/bundle_plugin.h"
#include "tests/support/test_signals.h"

namespace {

using bundletest::both;
using bundletest::makePlugin;
using bundletest::run;
using bundletest::start;
using bundletest::Stereo;

constexpr Steinberg::Vst::ParamID kBypass = 0x10000;
constexpr int kResolution = 13;

void bypass(vst3host::HostedPlugin& plugin, double normalized) {
  ASSERT_TRUE(plugin.queueParameterChange(kBypass, 0, normalized));
}

TEST(PluginBypass, InputIsDelayedByTheLatency) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 333));
  bypass(*plugin, 1.0);
  const Stereo in{testsignals::whiteNoise(6000, 1), testsignals::whiteNoise(6000, 2)};
  const Stereo out = run(*plugin, in, 333);
  for (int t = 0; t < out.frames(); ++t) {
    const size_t i = static_cast<size_t>(t);
    ASSERT_EQ(out.left[i], t < 1024 ? 0.0 : in.left[i - 1024]) << t;
    ASSERT_EQ(out.right[i], t < 1024 ? 0.0 : in.right[i - 1024]) << t;
  }
}

TEST(PluginBypass, DelayFollowsTheCurrentResolution) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, 1.0));   // Precise 2048
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  bypass(*plugin, 1.0);
  const std::vector<double> in = testsignals::impulse(4096, 100);
  const Stereo out = run(*plugin, both(in), 512);
  for (int t = 0; t < out.frames(); ++t) ASSERT_EQ(out.left[static_cast<size_t>(t)], t == 2148 ? 1.0 : 0.0) << t;
}

TEST(PluginBypass, OnAboveHalfOnly) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  bypass(*plugin, 0.5);
  run(*plugin, both(std::vector<double>(256, 0.0)), 256);
  std::vector<uint8_t> state;
  ASSERT_TRUE(plugin->getState(&state));
  EXPECT_EQ(state[144], 0);
  bypass(*plugin, 0.51);
  run(*plugin, both(std::vector<double>(256, 0.0)), 256);
  ASSERT_TRUE(plugin->getState(&state));
  EXPECT_EQ(state[144], 1);
}

TEST(PluginBypass, LeavingBypassResumesProcessing) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(10, 0.0));   // Mix 0: the processed path is the dry delay
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  bypass(*plugin, 1.0);
  run(*plugin, both(std::vector<double>(2048, 0.25)), 512);
  bypass(*plugin, 0.0);
  // The engine's ring kept what it had before the bypass (nothing): silence, then the input.
  const Stereo out = run(*plugin, both(std::vector<double>(2048, 0.5)), 512);
  EXPECT_EQ(out.left[1023], 0.0);
  EXPECT_EQ(out.left[1024], 0.5);
}

TEST(PluginBypass, SwitchingOnContinuesWithTheInputOfOneLatencyAgo) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  const std::vector<double> noise = testsignals::whiteNoise(8192, 3);
  run(*plugin, both(std::vector<double>(noise.begin(), noise.begin() + 4096)), 512);
  bypass(*plugin, 1.0);
  const Stereo out = run(*plugin, both(std::vector<double>(noise.begin() + 4096, noise.end())), 512);
  // No stale audio from an earlier bypass: the output is the input delayed by the latency.
  for (int t = 0; t < out.frames(); ++t)
    ASSERT_EQ(out.left[static_cast<size_t>(t)], noise[static_cast<size_t>(4096 + t - 1024)]) << t;
}

TEST(PluginBypass, LatencyChangeClearsTheBypassDelay) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  bypass(*plugin, 1.0);
  run(*plugin, both(std::vector<double>(4096, 1.0)), 512);   // the delay line is full of ones
  bypass(*plugin, 0.0);
  bundletest::automate(*plugin, kResolution, 0.0);            // Fast 512: a new latency
  run(*plugin, both(std::vector<double>(512, 0.0)), 512);
  bypass(*plugin, 1.0);
  const Stereo out = run(*plugin, both(std::vector<double>(1024, 0.0)), 512);
  EXPECT_EQ(testsignals::peak(out.left), 0.0);
  EXPECT_EQ(plugin->latencySamples(), 512u);
}

} // namespace
