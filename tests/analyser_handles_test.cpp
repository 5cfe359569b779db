// The frequency-range handles' behaviour: hover, press, double-click, drag.
#include <gtest/gtest.h>

#include <cmath>

#include "plugin/param_index.h"
#include "editor/analyser/range_handles.h"

namespace varnock {
namespace {

// Design size: Freq Low 1000 Hz sits at column 428, Freq High 18000 Hz at 732;
// the spectrum area spans y 54 .. 193.
struct HandleFixture : ::testing::Test {
  AnalyserGeometry g = makeAnalyserGeometry(1.0, 760, 0.0, kModeCut, 12.0);
  double freqLow = 1000.0, freqHigh = 18000.0;
  PressState press;
  double now = 50.0;

  HandleHover hover(double x, double y) const {
    return rangeHandleHover(g, x, y, frequencyToX(g, freqLow), frequencyToX(g, freqHigh));
  }
  // One frame with the pointer at (x, y), previously at prevX.
  HandleWrite frame(double x, double y, double prevX, bool clicked) {
    PointerFrame p{x, y, prevX, clicked, now};
    const HandleWrite w = runRangeHandles(g, p, hover(x, y), freqLow, freqHigh, press);
    if (w.paramIndex == kFreqLow) freqLow = std::floor(w.valueHz + 0.5);
    if (w.paramIndex == kFreqHigh) freqHigh = std::floor(w.valueHz + 0.5);
    now += 1.0 / 30;
    return w;
  }
  void release() { press.activeId = 0; }
};

TEST_F(HandleFixture, HandlePositionsOnTheAxis) {
  EXPECT_EQ(frequencyToX(g, freqLow), 428);
  EXPECT_EQ(frequencyToX(g, freqHigh), 732);
}

TEST_F(HandleFixture, HoverWithin9PixelsInsideSpectrumOnly) {
  EXPECT_TRUE(hover(436, 120).nearLow);
  EXPECT_FALSE(hover(437, 120).any());
  EXPECT_TRUE(hover(724, 120).nearHigh);
  EXPECT_FALSE(hover(428, 200).any());        // over the frequency labels
  EXPECT_FALSE(hover(-10000, -10000).any());
}

TEST_F(HandleFixture, LowHandleWinsWhenBothAreNear) {
  freqHigh = 1050.0;                          // column 433
  const HandleHover h = hover(432, 120);
  EXPECT_TRUE(h.nearLow);
  EXPECT_FALSE(h.nearHigh);
  frame(432, 120, 432, true);
  EXPECT_EQ(press.activeId, kLowHandleId);
}

TEST_F(HandleFixture, PressStartsDragAndRecordsClick) {
  const double pressTime = now;
  const HandleWrite w = frame(430, 120, 430, true);
  EXPECT_EQ(w.paramIndex, -1);                // pointer still: nothing written
  EXPECT_EQ(press.activeId, kLowHandleId);
  EXPECT_EQ(press.lastClickId, kLowHandleId);
  EXPECT_EQ(press.lastClickTime, pressTime);
}

TEST_F(HandleFixture, DragFollowsAbsolutePointerPosition) {
  frame(430, 120, 430, true);
  const HandleWrite w = frame(300, 20, 430, false);   // also above the area
  EXPECT_EQ(w.paramIndex, kFreqLow);
  EXPECT_DOUBLE_EQ(w.valueHz, xToFrequency(g, 300));
  EXPECT_EQ(freqHigh, 18000.0);
}

TEST_F(HandleFixture, StillPointerWritesNothing) {
  frame(430, 120, 430, true);
  frame(300, 120, 430, false);
  EXPECT_EQ(frame(300, 120, 300, false).paramIndex, -1);
}

TEST_F(HandleFixture, DoubleClickResetsLowTo1000) {
  freqLow = 250.0;
  const double x = frequencyToX(g, freqLow);
  frame(x, 120, x, true);
  release();
  frame(x, 120, x, true);                     // 1/30 s later
  EXPECT_EQ(freqLow, 1000.0);
  EXPECT_EQ(freqHigh, 18000.0);
  EXPECT_EQ(press.activeId, -1);
  EXPECT_EQ(press.lastClickId, 0);
}

TEST_F(HandleFixture, DoubleClickResetsHighTo18000) {
  freqHigh = 5000.0;
  const double x = frequencyToX(g, freqHigh);
  frame(x, 120, x, true);
  release();
  frame(x, 120, x, true);
  EXPECT_EQ(freqHigh, 18000.0);
  EXPECT_EQ(freqLow, 1000.0);
}

TEST_F(HandleFixture, SlowSecondPressStartsAnotherDrag) {
  frame(428, 120, 428, true);
  release();
  now += 0.3;
  frame(428, 120, 428, true);
  EXPECT_EQ(press.activeId, kLowHandleId);
  EXPECT_EQ(freqLow, 1000.0);
}

TEST_F(HandleFixture, QuickPressOnOtherHandleDragsIt) {
  frame(428, 120, 428, true);
  release();
  frame(732, 120, 428, true);
  EXPECT_EQ(press.activeId, kHighHandleId);
  EXPECT_EQ(press.lastClickId, kHighHandleId);
}

TEST_F(HandleFixture, LowDragStopsAt95PercentOfHigh) {
  frame(428, 120, 428, true);
  const HandleWrite w = frame(740, 120, 428, false);
  EXPECT_DOUBLE_EQ(w.valueHz, 0.95 * 18000.0);
  EXPECT_EQ(freqLow, 17100.0);
}

TEST_F(HandleFixture, HighDragStopsAt105PercentOfLow) {
  frame(732, 120, 732, true);
  frame(100, 120, 732, false);
  EXPECT_EQ(freqHigh, 1050.0);
}

TEST_F(HandleFixture, DragsPastTheEdgesGiveAxisLimits) {
  frame(428, 120, 428, true);
  frame(-40, 120, 428, false);
  EXPECT_EQ(freqLow, 20.0);
  release();
  now += 1.0;
  frame(732, 120, 732, true);
  frame(900, 120, 732, false);
  EXPECT_EQ(freqHigh, 20000.0);
}

TEST_F(HandleFixture, BusyPressOwnerBlocksDragButNotHover) {
  press.activeId = 3;                         // a knob is being dragged
  EXPECT_TRUE(hover(428, 120).nearLow);
  EXPECT_EQ(frame(428, 120, 420, true).paramIndex, -1);
  EXPECT_EQ(press.activeId, 3);
  EXPECT_TRUE(lowHandleHot(hover(428, 120), press.activeId));
}

TEST_F(HandleFixture, HandleStaysHotWhileDraggedAway) {
  frame(428, 120, 428, true);
  EXPECT_TRUE(lowHandleHot(hover(100, 300), press.activeId));
  EXPECT_FALSE(highHandleHot(hover(100, 300), press.activeId));
}

} // namespace
} // namespace varnock
