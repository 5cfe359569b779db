// The activity map's history: push cadence, cell looks and the peak markers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "editor/analyser/activity_history.h"
#include "editor/analyser/analyser_text.h"

namespace varnock {
namespace {

constexpr double kStart = 1000.0;   // steady-clock seconds of the first frame

TEST(ActivityHistory, PushesAboutEverySixthFrameAt30Fps) {
  ActivityHistory h;
  int lastPushFrame = -1;
  int pushes = 0;
  for (int frame = 0; frame < 61; ++frame) {
    if (h.pushIfDue(kStart + frame / 30.0, static_cast<std::uint64_t>(frame) + 1)) {
      if (lastPushFrame >= 0) {
        EXPECT_EQ(frame - lastPushFrame, 6) << frame;
      }
      lastPushFrame = frame;
      ++pushes;
    }
  }
  EXPECT_EQ(pushes, 11);   // frames 0, 6, ..., 60
}

TEST(ActivityHistory, PushMovesAccumulatorIntoNewestRow) {
  ActivityHistory h;
  h.accumulate(10, 728, 3.0);
  h.accumulate(11, 728, 5.0);                 // same band (2): the larger stays
  h.accumulate(727, 728, 1.0);                // band 181
  ASSERT_TRUE(h.pushIfDue(kStart, 8));
  EXPECT_EQ(h.rowByAge(0)[2], 5.0);
  EXPECT_EQ(h.rowByAge(0)[181], 1.0);
  EXPECT_EQ(h.bandAccumulator[2], 0.0);
  h.accumulate(10, 728, 0.5);
  ASSERT_TRUE(h.pushIfDue(kStart + 0.2, 17));
  EXPECT_EQ(h.rowByAge(0)[2], 0.5);
  EXPECT_EQ(h.rowByAge(1)[2], 5.0);
}

TEST(ActivityHistory, RingForgetsAfter24Pushes) {
  ActivityHistory h;
  h.accumulate(0, 728, 6.0);
  for (int push = 0; push < 24; ++push) ASSERT_TRUE(h.pushIfDue(kStart + push * 0.2, 100 + push));
  EXPECT_EQ(h.rowByAge(23)[0], 6.0);
  ASSERT_TRUE(h.pushIfDue(kStart + 24 * 0.2, 124));
  for (int age = 0; age < ActivityHistory::kRows; ++age) EXPECT_EQ(h.rowByAge(age)[0], 0.0);
}

// The feed keeps its last frame when the host stops processing: the editor
// keeps accumulating those same gains, but a row gets them only when the
// engine's frame counter moved since the previous push.
TEST(ActivityHistory, WithoutNewEngineFramesTheRowIsEmpty) {
  ActivityHistory h;
  h.accumulate(10, 728, 4.0);
  ASSERT_TRUE(h.pushIfDue(kStart, 40));
  h.accumulate(10, 728, 4.0);                 // the stale feed, drawn again
  ASSERT_TRUE(h.pushIfDue(kStart + 0.2, 40));
  EXPECT_EQ(h.rowByAge(0)[2], 0.0);
  EXPECT_EQ(h.rowByAge(1)[2], 4.0);
  EXPECT_EQ(h.bandAccumulator[2], 0.0);
  h.accumulate(10, 728, 3.0);                 // processing resumed: one new frame is enough
  ASSERT_TRUE(h.pushIfDue(kStart + 0.4, 41));
  EXPECT_EQ(h.rowByAge(0)[2], 3.0);
}

TEST(ActivityHistory, ColumnsSpreadOverAll182Bands) {
  EXPECT_EQ(bandOfColumn(0, 728), 0);
  EXPECT_EQ(bandOfColumn(4, 728), 1);
  EXPECT_EQ(bandOfColumn(727, 728), 181);
  EXPECT_EQ(bandOfColumn(3999, 4000), 181);
}

TEST(ActivityCell, AtMost015DbStaysDark) {
  EXPECT_FALSE(activityCellLook(0.15, 12.0, 1, 0, 0).lit);
  EXPECT_FALSE(activityCellLook(0.0, 12.0, 1, 0, 0).lit);
  EXPECT_TRUE(activityCellLook(0.1501, 12.0, 1, 0, 0).lit);
}

TEST(ActivityCell, FullStrengthAt80PercentOfDepth) {
  // Depth 12: 9.6 dB and more show at alpha 0.7, a fifth of the way to white.
  for (double v : {9.6, 20.0}) {
    const CellLook look = activityCellLook(v, 12.0, 1.0, 0.0, 0.5);
    EXPECT_NEAR(look.a, 0.7, 1e-12);
    EXPECT_NEAR(look.r, 1.0, 1e-12);
    EXPECT_NEAR(look.g, 0.2, 1e-12);
    EXPECT_NEAR(look.b, 0.6, 1e-12);
  }
  // A quarter of that is half strength (square root).
  EXPECT_NEAR(activityCellLook(2.4, 12.0, 1, 0, 0).a, 0.12 + 0.29, 1e-12);
}

TEST(ActivityCell, DepthBelow3DbReachesFullStrengthAt2Point4Db) {
  EXPECT_NEAR(activityCellLook(2.4, 3.0, 1, 0, 0).a, 0.7, 1e-12);
  EXPECT_LT(activityCellLook(2.3, 3.0, 1, 0, 0).a, 0.7);
}

// A history whose newest row holds `peaks`; the scan is due.
ActivityHistory withPeaks(std::initializer_list<std::pair<int, double>> peaks) {
  ActivityHistory h;
  for (auto [band, value] : peaks) h.rows[5][band] = value;
  return h;
}

TEST(ActivityMarkers, StrongestFirstAndSpacedApart) {
  ActivityHistory h = withPeaks({{20, 3.0}, {25, 6.0}, {60, 4.0}, {150, 2.0}, {170, 1.5}});
  ASSERT_TRUE(h.scanIfDue(kStart, 30));
  ASSERT_EQ(h.markerCount, 3);
  EXPECT_EQ(h.markerBand[0], 25);
  EXPECT_EQ(h.markerValueDb[0], 6.0);
  EXPECT_EQ(h.markerBand[1], 60);             // 35 bands from 25
  EXPECT_EQ(h.markerBand[2], 150);            // band 20 is too close to 25
  EXPECT_EQ(h.markerValueDb[2], 2.0);
}

TEST(ActivityMarkers, TwoStrongNeighboursGiveOneMarker) {
  ActivityHistory h = withPeaks({{100, 5.0}, {101, 5.0}});
  ASSERT_TRUE(h.scanIfDue(kStart, 30));
  ASSERT_EQ(h.markerCount, 1);
  EXPECT_EQ(h.markerBand[0], 100);            // tie: the lower band
}

TEST(ActivityMarkers, NeedMoreThanOneDb) {
  ActivityHistory h = withPeaks({{10, 1.0}, {100, 0.9}});
  ASSERT_TRUE(h.scanIfDue(kStart, 30));
  EXPECT_EQ(h.markerCount, 0);
}

TEST(ActivityMarkers, ScanTakesLargestOfAll24Rows) {
  ActivityHistory h;
  h.rows[0][40] = 2.0;
  h.rows[23][40] = 7.0;
  h.rows[12][40] = 3.0;
  ASSERT_TRUE(h.scanIfDue(kStart, 30));
  EXPECT_EQ(h.bandPeaks[40], 7.0);
  EXPECT_EQ(h.markerValueDb[0], 7.0);
}

TEST(ActivityMarkers, ScanRunsAtMostEveryHalfSecond) {
  ActivityHistory h = withPeaks({{40, 4.0}});
  ASSERT_TRUE(h.scanIfDue(kStart, 30));
  h.rows[5][40] = 0.0;
  EXPECT_FALSE(h.scanIfDue(kStart + 0.5, 30));
  EXPECT_EQ(h.markerCount, 1);                // the old marker stays between scans
  EXPECT_TRUE(h.scanIfDue(kStart + 0.51, 30));
  EXPECT_EQ(h.markerCount, 0);
}

TEST(ActivityMarkers, SpacingIsAbout120DesignPixels) {
  EXPECT_EQ(markerSpacingBands(1.0, 728.0 / 182), 30);
  EXPECT_EQ(markerSpacingBands(2.0, 1456.0 / 182), 30);
  EXPECT_EQ(markerSpacingBands(1.0, 2968.0 / 182), 7);   // "Fixed", 3000 px wide
  EXPECT_EQ(markerSpacingBands(1.0, 40.0), 4);           // never below 4
}

TEST(ActivityMarkers, TextCarriesModeSign) {
  char text[kTextBufferSize];
  EXPECT_EQ(std::string(formatMarkerText(text, sizeof text, 4230.0, 3.25, true)), "4.2 kHz  +3.2 dB");
  EXPECT_EQ(std::string(formatMarkerText(text, sizeof text, 4230.0, 3.26, false)), "4.2 kHz  -3.3 dB");
  EXPECT_EQ(std::string(formatMarkerText(text, sizeof text, 312.4, 12.0, false)), "312 Hz  -12.0 dB");
}

} // namespace
} // namespace varnock
