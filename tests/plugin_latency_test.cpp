// Latency as a host sees it: the value it queries, the restart requests it
// receives, and the delay it measures on the audio.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/test_signals.h"

namespace {

using bundletest::automate;
using bundletest::both;
using bundletest::makePlugin;
using bundletest::run;
using bundletest::start;

constexpr int kDepth = 1, kMix = 10, kResolution = 13;
constexpr Steinberg::int32 kLatencyChanged = Steinberg::Vst::kLatencyChanged;

TEST(PluginLatency, NewInstanceReports1024) {
  auto plugin = makePlugin();
  EXPECT_EQ(plugin->latencySamples(), 1024u);
  EXPECT_EQ(plugin->handler().restartCount(~0), 0);
}

TEST(PluginLatency, FirstResetReportsTheFftSizeWithRestartFlag8) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, 0.0));   // Fast 512
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  EXPECT_EQ(plugin->latencySamples(), 512u);
  const auto events = plugin->handler().events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, vst3host::HandlerEvent::Kind::RestartComponent);
  EXPECT_EQ(events[0].flags, 8);
}

TEST(PluginLatency, FirstResetReportsEvenAnUnchangedLatency) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  EXPECT_EQ(plugin->latencySamples(), 1024u);
  EXPECT_EQ(plugin->handler().restartCount(kLatencyChanged), 1);
}

TEST(PluginLatency, LaterResetWithSameSizeSendsNoRequest) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  ASSERT_TRUE(plugin->setProcessing(false));   // stopping resets too
  ASSERT_TRUE(plugin->setProcessing(true));
  EXPECT_EQ(plugin->handler().restartCount(kLatencyChanged), 1);
}

TEST(PluginLatency, ResolutionAutomationReportsBeforeTheBlock) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  plugin->handler().clear();
  automate(*plugin, kResolution, 2.0);   // Precise 2048
  run(*plugin, both(std::vector<double>(512, 0.1)), 512);
  EXPECT_EQ(plugin->latencySamples(), 2048u);
  EXPECT_EQ(plugin->handler().restartCount(kLatencyChanged), 1);
}

TEST(PluginLatency, ZeroLengthBlockStillReportsTheNewLatency) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 512));
  automate(*plugin, kResolution, 0.0);
  double unused[1];
  const double* ins[2] = {nullptr, nullptr};
  double* outs[2] = {unused, unused};
  ASSERT_TRUE(plugin->process(ins, outs, 0));
  EXPECT_EQ(plugin->latencySamples(), 512u);
  EXPECT_EQ(plugin->handler().restartCount(kLatencyChanged), 2);
}

TEST(PluginLatency, ResolutionChangeClearsTheDelayedSignal) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));   // dry path only
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  run(*plugin, both(std::vector<double>(4096, 1.0)), 256);
  automate(*plugin, kResolution, 2.0);
  const bundletest::Stereo out = run(*plugin, both(std::vector<double>(4096, 1.0)), 256);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(out.left[static_cast<size_t>(i)], 0.0) << i;
  for (int i = 2048; i < 4096; ++i) ASSERT_EQ(out.left[static_cast<size_t>(i)], 1.0) << i;
}

TEST(PluginLatency, HostWithoutHandlerStillSeesTheNewLatency) {
  auto plugin = makePlugin();
  plugin->controller()->setComponentHandler(nullptr);
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, 1.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 256));
  EXPECT_EQ(plugin->latencySamples(), 2048u);
}

// ---- The delay measured on the audio ----

class PluginDelay : public ::testing::TestWithParam<int> {};

TEST_P(PluginDelay, DryPathIsDelayedByExactlyTheLatency) {
  const int resolution = GetParam();
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, resolution / 2.0));
  ASSERT_TRUE(plugin->setNormalizedValue(kMix, 0.0));
  ASSERT_TRUE(start(*plugin, 48000.0, 300));
  const int latency = static_cast<int>(plugin->latencySamples());
  EXPECT_EQ(latency, 512 << resolution);
  const int position = 777;
  const bundletest::Stereo out = run(*plugin, both(testsignals::impulse(8192, position)), 300);
  for (int i = 0; i < out.frames(); ++i)
    ASSERT_EQ(out.left[static_cast<size_t>(i)], i == position + latency ? 1.0 : 0.0) << i;
}

TEST_P(PluginDelay, ProcessedPathLinesUpWithTheLatency) {
  const int resolution = GetParam();
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, resolution / 2.0));
  ASSERT_TRUE(plugin->setNormalizedValue(kDepth, 0.0));   // no gain change: resynthesis only
  ASSERT_TRUE(start(*plugin, 48000.0, 300));
  const int latency = static_cast<int>(plugin->latencySamples());
  const std::vector<double> in = testsignals::whiteNoise(8 * latency, 7, 0.5);
  const bundletest::Stereo out = run(*plugin, both(in), 300);
  double worst = 0.0;
  for (int i = 2 * latency; i < out.frames(); ++i)
    worst = std::fmax(worst, std::fabs(out.left[static_cast<size_t>(i)] - in[static_cast<size_t>(i - latency)]));
  EXPECT_LT(worst, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(EveryResolution, PluginDelay, ::testing::Values(0, 1, 2));

} // namespace
