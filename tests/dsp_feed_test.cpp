// The analysis feed as the editor sees it: values before the first reset,
// after frames, after a size change, and read from a second thread while the
// audio thread processes (run this suite under ThreadSanitizer to check that
// every shared element is accessed atomically).
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "tests/support/engine_harness.h"

namespace varnock {
namespace {

using testing::makeEngine;
using testing::Params;

TEST(AnalysisFeed, BeforeFirstResetHasNoBins) {
  SpectralEngine engine;
  EXPECT_EQ(feedLoad(engine.fftSize), 0);
  EXPECT_EQ(feedLoad(engine.lastBin), 0);
  EXPECT_EQ(feedLoad(engine.sampleRate), 48000.0);
  EXPECT_EQ(feedLoad(engine.peakGainDb), 0.0);
  EXPECT_EQ(feedLoad(engine.frameCount), 0u);
}

TEST(AnalysisFeed, FrameCountCountsProcessedFramesAcrossResets) {
  auto e = makeEngine(Params());                                   // 1024 points: a frame every 128 samples
  testing::run(*e, testing::noise(128 * 10 + 100, 0.1, 3), 300);
  EXPECT_EQ(feedLoad(e->frameCount), 10u);
  e->paramSnapshot.resolution = 0;                                 // 512 points restart the stream
  coefficientPass(*e);
  testing::run(*e, testing::noise(64 * 3, 0.1, 4), 7);
  EXPECT_EQ(feedLoad(e->frameCount), 13u);
}

TEST(AnalysisFeed, FullResetPublishesSampleRateAndGeometry) {
  auto e = makeEngine(Params().set(kResolution, 2), 44100.0);
  EXPECT_EQ(feedLoad(e->sampleRate), 44100.0);
  EXPECT_EQ(feedLoad(e->fftSize), 2048);
  EXPECT_EQ(feedLoad(e->lastBin), 1024);
}

TEST(AnalysisFeed, SineShowsAboutQuarterFftSizeInItsBin) {
  auto e = makeEngine(Params().set(kDepth, 0));
  // 1500 Hz is exactly bin 32 at 48 kHz / 1024.
  testing::run(*e, testing::sine(4096, 1500.0, 1.0));
  EXPECT_NEAR(feedLoad(e->inputMag[32]), 1024 / 4.0, 1.0);
  EXPECT_EQ(feedLoad(e->outputMag[32]), feedLoad(e->inputMag[32]));
}

TEST(AnalysisFeed, PeakGainIsPositiveInCutAndBoost) {
  for (double mode : {0.0, 1.0, 2.0}) {
    auto e = makeEngine(Params().set(kMode, mode));
    testing::Stereo in = testing::noise(20000, 0.01, 21);
    for (int t = 10000; t < 10050; ++t) in.left[t] = in.right[t] = 0.9 * std::sin(0.3 * t);
    testing::run(*e, in);
    EXPECT_GT(feedLoad(e->peakGainDb), 0.0) << mode;
  }
}

TEST(AnalysisFeed, SizeChangeReadsZeroUntilNextFrame) {
  Params params = Params().set(kResolution, 2);
  auto e = makeEngine(params);
  testing::run(*e, testing::noise(8192, 0.5, 22));
  testing::applyParams(*e, params.set(kResolution, 0));
  EXPECT_EQ(feedLoad(e->lastBin), 256);
  EXPECT_EQ(feedLoad(e->inputMag[100]), 0.0);
  EXPECT_EQ(feedLoad(e->peakGainDb), 0.0);
  testing::run(*e, testing::noise(63, 0.5, 23));
  EXPECT_EQ(feedLoad(e->inputMag[100]), 0.0);
  testing::run(*e, testing::noise(1, 0.5, 24));
  EXPECT_GT(feedLoad(e->inputMag[100]), 0.0);
}

// The editor's reading pattern, concurrently with processing and size changes.
TEST(AnalysisFeed, EditorThreadReadsWhileAudioThreadWrites) {
  Params params;
  auto e = makeEngine(params);
  std::atomic<bool> done{false};
  std::atomic<long> badReads{0}, reads{0};
  std::thread editor([&] {
    while (!done.load()) {
      const int fftSize = feedLoad(e->fftSize);
      const int lastBin = feedLoad(e->lastBin);
      const double sampleRate = feedLoad(e->sampleRate);
      if (lastBin < 0 || lastBin > 1024 || sampleRate != 48000.0 || (fftSize != 0 && fftSize < 512)) ++badReads;
      for (int k = 0; k <= lastBin && k < SpectralEngine::kBinSlots; ++k) {
        const double activity = feedLoad(e->activity[k]);
        const double gain = feedLoad(e->gainDb[k]);
        const double levels = feedLoad(e->inputMag[k]) + feedLoad(e->outputMag[k]) + feedLoad(e->thresholdMag[k]);
        if (!(activity >= 0.0 && activity <= 1.0) || !std::isfinite(gain) || !std::isfinite(levels)) ++badReads;
      }
      if (feedLoad(e->peakGainDb) < 0.0) ++badReads;
      ++reads;
    }
  });
  const testing::Stereo in = testing::noise(4096, 0.5, 25);
  for (int round = 0; round < 30; ++round) {
    testing::run(*e, in, 128);
    testing::applyParams(*e, params.set(kResolution, round % 3).set(kMode, round % 2 ? 2 : 0));
  }
  while (reads.load() < 3) testing::run(*e, in, 128);   // make sure the reader overlapped
  done = true;
  editor.join();
  EXPECT_EQ(badReads.load(), 0);
}

} // namespace
} // namespace varnock
