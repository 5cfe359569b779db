// The host's two threads at once: the audio thread processes with automation
// while the UI thread edits, restores and saves state, and reads texts. Run
// under ThreadSanitizer this shows the shared values are accessed safely;
// in any build the audio stays finite and the state stays well-formed.
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/bundle_plugin.h"
#include "tests/support/test_signals.h"

namespace {

TEST(PluginThreads, UiWorkWhileTheAudioThreadProcesses) {
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 128));
  std::vector<uint8_t> state;
  ASSERT_TRUE(plugin->getState(&state));

  std::atomic<bool> finite{true};
  std::thread audio([&] {
    const std::vector<double> noise = testsignals::whiteNoise(128, 9, 0.5);
    std::vector<double> outL(128), outR(128);
    const double* ins[2] = {noise.data(), noise.data()};
    double* outs[2] = {outL.data(), outR.data()};
    for (int block = 0; block < 600; ++block) {
      plugin->queueParameterChange(11, 0, (block % 7) / 7.0);                 // Trim
      if (block % 100 == 50) plugin->queueParameterChange(13, 0, (block / 100 % 3) / 2.0);   // Resolution
      if (block % 60 == 30) plugin->queueParameterChange(0x10000, 0, (block / 60) % 2);     // Bypass
      plugin->process(ins, outs, 128);
      for (double v : outL) {
        if (!std::isfinite(v)) finite = false;
      }
    }
  });

  for (int i = 0; i < 300; ++i) {
    plugin->setNormalizedValue(1, (i % 11) / 10.0);   // Depth, controller side
    std::string text;
    plugin->valueToText(5, (i % 5) / 4.0, &text);
    if (i % 20 == 0) {
      ASSERT_TRUE(plugin->setState(state));
    }
    std::vector<uint8_t> saved;
    ASSERT_TRUE(plugin->getState(&saved));
    ASSERT_EQ(saved.size(), 148u);
    (void)plugin->latencySamples();
  }
  audio.join();
  EXPECT_TRUE(finite.load());
}

} // namespace
