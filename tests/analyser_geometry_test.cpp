// The analyser's layout and mappings at the editor sizes a user can set.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/analyser/analyser_geometry.h"
#include "editor/analyser/analyser_text.h"

namespace varnock {
namespace {

AnalyserGeometry designSize(int mode = kModeCut, double depthDb = 12.0) {
  return makeAnalyserGeometry(1.0, 760, 0.0, mode, depthDb);
}

TEST(AnalyserGeometry, DesignSizeLayout) {
  const AnalyserGeometry g = designSize();
  EXPECT_EQ(g.left, 16);
  EXPECT_EQ(g.top, 54);
  EXPECT_EQ(g.width, 728);
  // Block 284 - 54 - 36 = 194: 28 % (54) to the map, the rest to the spectrum.
  EXPECT_EQ(g.activityHeight, 54);
  EXPECT_EQ(g.spectrumHeight, 140);
  EXPECT_EQ(g.activityTop, 54 + 140 + 18);
  EXPECT_EQ(g.columnCount, 728);
}

TEST(AnalyserGeometry, ScaleTwoDoublesEverything) {
  const AnalyserGeometry g = makeAnalyserGeometry(2.0, 1520, 0.0, kModeCut, 12.0);
  EXPECT_EQ(g.left, 32);
  EXPECT_EQ(g.top, 108);
  EXPECT_EQ(g.width, 1456);
  EXPECT_EQ(g.activityHeight, 108);   // floor(0.28 * 388)
  EXPECT_EQ(g.spectrumHeight, 280);
  EXPECT_EQ(g.activityTop, 108 + 280 + 36);
}

TEST(AnalyserGeometry, ExtraHeightGoesToSpectrumAndMap) {
  // "Fixed" at 1520 x 832: scale 1 with 416 extra pixels of height.
  const AnalyserGeometry g = makeAnalyserGeometry(1.0, 1520, 416.0, kModeCut, 12.0);
  EXPECT_EQ(g.width, 1488);
  EXPECT_EQ(g.activityHeight, 170);   // floor(0.28 * 610)
  EXPECT_EQ(g.spectrumHeight, 440);
  EXPECT_EQ(g.activityTop, 54 + 440 + 18);
}

TEST(AnalyserGeometry, SmallestWindowWithAndWithoutExtraHeight) {
  const double s = 560.0 / 760.0;
  const AnalyserGeometry tight = makeAnalyserGeometry(s, 560, 0.0, kModeCut, 12.0);
  EXPECT_EQ(tight.left, 12);
  EXPECT_EQ(tight.top, 40);
  EXPECT_EQ(tight.width, 536);
  EXPECT_EQ(tight.activityHeight, 40);   // floor(0.28 * 143) beats floor(52 s) = 38
  EXPECT_EQ(tight.spectrumHeight, 103);
  // 560 x 320 leaves 320 - 416 s = 13.47 pixels of extra height.
  const AnalyserGeometry g = makeAnalyserGeometry(s, 560, 320.0 - 416.0 * s, kModeCut, 12.0);
  EXPECT_EQ(g.activityHeight, 43);       // block 156
  EXPECT_EQ(g.spectrumHeight, 113);
  EXPECT_EQ(g.activityTop, 40 + 113 + 13);
}

TEST(AnalyserGeometry, MapKeepsMinimumHeight) {
  // A block so short that 28 % of it is less than 52 design pixels.
  const AnalyserGeometry g = makeAnalyserGeometry(1.0, 760, -20.0, kModeCut, 12.0);
  EXPECT_EQ(g.activityHeight, 52);
}

TEST(AnalyserGeometry, ColumnsStopAt4000) {
  EXPECT_EQ(makeAnalyserGeometry(1.0, 3040, 0.0, kModeCut, 12.0).columnCount, 3008);
  EXPECT_EQ(makeAnalyserGeometry(1.0, 4200, 0.0, kModeCut, 12.0).columnCount, 4000);
}

TEST(AnalyserGeometry, GainZeroLineByMode) {
  EXPECT_EQ(designSize(kModeCut).gainZeroY, 54 + 30);
  EXPECT_EQ(designSize(kModeTame).gainZeroY, 54 + 30);
  EXPECT_EQ(designSize(kModeBoost).gainZeroY, 54 + 140 - 10);
  EXPECT_EQ(makeAnalyserGeometry(2.0, 1520, 0.0, kModeBoost, 12.0).gainZeroY, 108 + 280 - 20);
}

TEST(AnalyserGeometry, FullDepthLiesAt85PercentOfUsableHeight) {
  for (double depth : {6.0, 12.0, 24.0}) {
    const AnalyserGeometry cut = designSize(kModeCut, depth);
    EXPECT_NEAR(gainToY(cut, -depth), 84 + 0.85 * 100, 1e-9);
    const AnalyserGeometry boost = designSize(kModeBoost, depth);
    EXPECT_NEAR(gainToY(boost, depth), 184 - 0.85 * 100, 1e-9);
  }
  // Below 3 dB of Depth the scale stays at 3 dB.
  EXPECT_EQ(designSize(kModeCut, 0.0).depthScaleDb, 3.0);
  EXPECT_NEAR(gainToY(designSize(kModeCut, 0.0), -3.0), 169, 1e-9);
}

TEST(AnalyserGeometry, GainToYClampsToSpectrumArea) {
  const AnalyserGeometry g = designSize();
  EXPECT_EQ(gainToY(g, -100.0), 194);
  EXPECT_EQ(gainToY(g, +100.0), 54);
  EXPECT_LT(gainToYUnclamped(g, +100.0), 54);
}

TEST(AnalyserMapping, FrequencyAxisSpansThreeDecades) {
  const AnalyserGeometry g = designSize();
  EXPECT_EQ(frequencyToX(g, 20.0), 16);
  EXPECT_EQ(frequencyToX(g, 20000.0), 16 + 728);
  EXPECT_EQ(frequencyToX(g, 200.0), 258);     // one third of 728 is 242.67
  EXPECT_EQ(frequencyToX(g, 2000.0), 501);    // two thirds: 485.33
}

TEST(AnalyserMapping, XToFrequencyInvertsTheAxis) {
  const AnalyserGeometry g = designSize();
  EXPECT_DOUBLE_EQ(xToFrequency(g, 16.0), 20.0);
  EXPECT_NEAR(xToFrequency(g, 16.0 + 728.0), 20000.0, 1e-9);
  EXPECT_NEAR(xToFrequency(g, 16.0 + 364.0), std::sqrt(20.0 * 20000.0), 1e-9);
  for (double x : {30.0, 200.0, 511.0, 700.0})
    EXPECT_EQ(frequencyToX(g, xToFrequency(g, x + 0.5)), x);
}

TEST(AnalyserMapping, FrequencyToNearestBinWithinLastBin) {
  EXPECT_EQ(frequencyToBin(1000.0, 1024, 48000.0, 512), 21);       // 21.33
  EXPECT_EQ(frequencyToBin(1020.0, 1024, 48000.0, 512), 22);       // 21.76
  EXPECT_EQ(frequencyToBin(0.0, 1024, 48000.0, 512), 0);
  EXPECT_EQ(frequencyToBin(20000.0, 2048, 44100.0, 1024), 929);
  EXPECT_EQ(frequencyToBin(20000.0, 512, 22050.0, 256), 256);       // 464 limited
  EXPECT_EQ(frequencyToBin(20000.0, 512, 0.0, 256), 256);           // no rate: still inside
}

TEST(AnalyserMapping, LevelIsRelativeToFullScaleSine) {
  EXPECT_NEAR(magnitudeToLevelDb(256.0, 1024), 0.0, 1e-5);
  EXPECT_NEAR(magnitudeToLevelDb(25.6, 1024), -20.0, 1e-4);
  EXPECT_NEAR(magnitudeToLevelDb(512.0, 2048), 0.0, 1e-5);
  EXPECT_NEAR(magnitudeToLevelDb(0.0, 512), -140.0, 1e-9);
}

TEST(AnalyserMapping, LevelToYSpans90DbAndClamps) {
  const AnalyserGeometry g = designSize();
  EXPECT_EQ(levelToY(g, 0.0), 54);
  EXPECT_EQ(levelToY(g, -90.0), 194);
  EXPECT_EQ(levelToY(g, -45.0), 124);
  EXPECT_EQ(levelToY(g, 12.0), 54);
  EXPECT_EQ(levelToY(g, -140.0), 194);
}

TEST(AnalyserGrid, EightFrequencyLinesWithTheirLabels) {
  double hz[kMaxGridLines];
  const int count = frequencyGridHz(hz);
  ASSERT_EQ(count, 8);
  const char* expected[] = {"50", "100", "200", "500", "1k", "2k", "5k", "10k"};
  char label[kTextBufferSize];
  for (int i = 0; i < count; ++i) {
    EXPECT_GT(hz[i], 20.0);
    EXPECT_LT(hz[i], 20000.0);
    EXPECT_EQ(std::string(formatGridLabel(label, sizeof label, hz[i])), expected[i]);
  }
}

TEST(AnalyserGrid, GainLabelsForDepthZeroInCut) {
  const AnalyserGeometry g = designSize(kModeCut, 0.0);
  char label[kTextBufferSize];
  // -1.5 printed without decimals rounds to even: "-2 dB".
  EXPECT_EQ(std::string(formatGainGridLabel(label, sizeof label, gainGridDb(g, 1))), "-2 dB");
  EXPECT_EQ(std::string(formatGainGridLabel(label, sizeof label, gainGridDb(g, 2))), "-3 dB");
}

TEST(AnalyserGrid, GainLabelsForDepth24InBoost) {
  const AnalyserGeometry g = designSize(kModeBoost, 24.0);
  char label[kTextBufferSize];
  EXPECT_EQ(std::string(formatGainGridLabel(label, sizeof label, gainGridDb(g, 1))), "+12 dB");
  EXPECT_EQ(std::string(formatGainGridLabel(label, sizeof label, gainGridDb(g, 2))), "+24 dB");
}

TEST(AnalyserGrid, GainLinesLieAboveZeroInBoostAndBelowInCut) {
  const AnalyserGeometry cut = designSize(kModeCut, 12.0);
  EXPECT_GT(gainToYUnclamped(cut, gainGridDb(cut, 1)), cut.gainZeroY);
  const AnalyserGeometry boost = designSize(kModeBoost, 12.0);
  EXPECT_LT(gainToYUnclamped(boost, gainGridDb(boost, 1)), boost.gainZeroY);
}

} // namespace
} // namespace varnock
