// The editor reads the engine's analysis feed while the audio thread writes
// it: frames drawn during processing on another thread (run this under
// ThreadSanitizer to check that every shared access is atomic).
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "dsp/spectral_engine.h"
#include "editor/varnock_view.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

TEST(EditorFeed, FramesDrawWhileTheAudioThreadWritesTheFeed) {
  EditorHarness h;
  ASSERT_TRUE(h.startProcessing(48000.0, 512));
  std::string error;
  ASSERT_TRUE(h.open(760, 416, &error)) << error;

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio([&]() {
    std::vector<float> left(512), right(512);
    for (int n = 0; !stop.load(); ++n) {
      for (int i = 0; i < 512; ++i) {
        const int t = n * 512 + i;
        const float click = (t % 6000) < 40 ? 0.8f : 0.0f;
        left[i] = right[i] = static_cast<float>(0.1 * std::sin(0.4 * t)) + click;
      }
      h.process(left.data(), right.data(), 512);
      blocks.fetch_add(1);
    }
  });
  while (blocks.load() < 20) std::this_thread::yield();
  for (int i = 0; i < 8; ++i) h.nextFrame();
  stop.store(true);
  audio.join();

  EXPECT_GT(feedLoad(h.engine().peakGainDb), 0.0);
  EXPECT_EQ(feedLoad(h.engine().fftSize), 1024);
  EXPECT_EQ(h.view().editorWidth, 760);
}

} // namespace
} // namespace varnock
