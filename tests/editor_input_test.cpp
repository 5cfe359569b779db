// The widget protocol of the editor view with injected input and time:
// press edges, press ownership, drags, leaving the window, double-clicks,
// help texts and editParam's rounding and gestures.
#include <gtest/gtest.h>

#include <string>

#include "editor/varnock_view.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

// Pixel positions in the 760 x 416 editor.
constexpr double kThresholdX = 50, kKnobY = 324;
constexpr double kBoostX = 300, kTameX = 356, kHeaderY = 24;
constexpr double kEmptyX = 200, kEmptyY = 42;    // header band, no widget

class EditorInput : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(h.open(760, 416, &error)) << error;
    h.setTime(1.0);
    h.frame();
    h.clearEvents();
  }
  EditorHarness h;
};

TEST_F(EditorInput, PressAndReleaseBetweenFramesStillClick) {
  h.press(kTameX, kHeaderY);
  h.release(kTameX, kHeaderY);
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kMode), 2.0);
}

TEST_F(EditorInput, PressHeldOntoAKnobDoesNotMoveIt) {
  h.press(kBoostX, kHeaderY);
  h.frame();
  h.drag(kThresholdX, kKnobY);
  h.frame();
  h.drag(kThresholdX, kKnobY - 60);
  h.frame();
  h.release(kThresholdX, kKnobY - 60);
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kMode), 1.0);
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 6.0);
}

TEST_F(EditorInput, PressOnEmptySpaceThenMovingOntoAButtonDoesNothing) {
  h.press(kEmptyX, kEmptyY);
  h.frame();
  h.drag(kTameX, kHeaderY);
  h.frame();
  h.release(kTameX, kHeaderY);
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kMode), 0.0);
  EXPECT_TRUE(h.events().empty());
}

TEST_F(EditorInput, DragContinuesOutsideTheWindowUntilRelease) {
  h.press(kThresholdX, kKnobY);
  h.frame();
  h.drag(-100, kKnobY - 50);          // left of the window, 50 px up
  h.leave();
  h.frame();
  EXPECT_DOUBLE_EQ(h.view().mouseX, -100.0);
  EXPECT_NEAR(h.param(kThreshold), 6.0 + 0.3 * 24.0, 1e-9);
  h.release(-100, kKnobY - 50);
  h.frame();
  EXPECT_EQ(h.view().activeId, kActiveNobody);
  h.move(-100, kKnobY - 150);
  h.frame();
  EXPECT_NEAR(h.param(kThreshold), 13.2, 1e-9);
}

TEST_F(EditorInput, LeavingWithoutAButtonForgetsThePointer) {
  h.move(kBoostX, kHeaderY);
  h.frame();
  EXPECT_STREQ(h.view().tooltipText, "Boost: lifts transients above their recent level");
  h.leave();
  h.frame();
  EXPECT_DOUBLE_EQ(h.view().mouseX, kMouseOutside);
  EXPECT_DOUBLE_EQ(h.view().mouseY, kMouseOutside);
  EXPECT_STREQ(h.view().tooltipText, "Drag or scroll  |  Shift = fine  |  Double-click = default");
}

TEST_F(EditorInput, TwoPressesAQuarterSecondApartReset) {
  h.setParam(kThreshold, 10.0);
  h.click(kThresholdX, kKnobY);
  h.setTime(1.25);
  h.click(kThresholdX, kKnobY);
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 6.0);
  EXPECT_EQ(h.view().lastClickId, 0);
}

TEST_F(EditorInput, TwoPressesFarApartAreTwoDrags) {
  h.setParam(kThreshold, 10.0);
  h.click(kThresholdX, kKnobY);
  h.setTime(1.35);
  h.click(kThresholdX, kKnobY);
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 10.0);
  EXPECT_TRUE(h.events().empty());
}

TEST_F(EditorInput, SystemDoubleClickArrivesAsSecondPress) {
  h.setParam(kThreshold, 10.0);
  h.editor().MouseDown(kThresholdX, kKnobY, {true});
  h.frame();
  h.editor().MouseUp(kThresholdX, kKnobY);
  h.frame();
  h.setTime(1.1);
  h.editor().MouseDoubleClick(kThresholdX, kKnobY, {true});
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 6.0);
}

TEST_F(EditorInput, HelpTextIsTheHoveredWidgets) {
  h.move(kThresholdX, kKnobY);
  h.frame();
  EXPECT_STREQ(h.view().tooltipText, "Threshold: how far a bin must poke out to be processed");
  h.move(kEmptyX, kEmptyY);
  h.frame();
  EXPECT_STREQ(h.view().tooltipText, "Drag or scroll  |  Shift = fine  |  Double-click = default");
}

TEST_F(EditorInput, DraggedKnobKeepsItsHelpTextAwayFromIt) {
  h.press(kThresholdX, kKnobY);
  h.frame();
  h.drag(kEmptyX, kEmptyY);
  h.frame();
  EXPECT_STREQ(h.view().tooltipText, "Threshold: how far a bin must poke out to be processed");
}

TEST_F(EditorInput, EditParamRoundsToTheStep) {
  h.view().editParam(kThreshold, 7.04, 0.1);
  EXPECT_NEAR(h.param(kThreshold), 7.0, 1e-12);
  EXPECT_EQ(h.gestureCount(kThreshold), 1);
  EXPECT_EQ(h.events().size(), 3u);
}

TEST_F(EditorInput, EditParamIgnoresChangesWithinOneBillionth) {
  h.view().editParam(kThreshold, 6.0 + 5e-10, 0.0);
  h.view().editParam(kThreshold, 6.04, 0.1);     // rounds back to 6.0
  EXPECT_TRUE(h.events().empty());
  EXPECT_FALSE(h.editorState().presetModified);
  h.view().editParam(kThreshold, 6.0 + 2e-9, 0.0);
  EXPECT_EQ(h.gestureCount(kThreshold), 1);
}

TEST_F(EditorInput, EditParamMarksThePresetOnlyForPresetColumns) {
  for (int param : {kDelta, kResolution, kPreset, kUISize}) {
    h.view().editParam(param, 1.0 - h.param(param) > 0.5 ? 1.0 : 0.0, 0.0);
    EXPECT_FALSE(h.editorState().presetModified) << "param " << param;
  }
  EXPECT_EQ(h.gestureCount(), 4);
  for (int param : {kMode, kDepth, kFreqLow, kWidth, kTilt}) {
    h.editorState().presetModified = false;
    h.view().editParam(param, h.param(param) + 1.0, 0.0);
    EXPECT_TRUE(h.editorState().presetModified) << "param " << param;
  }
}

TEST_F(EditorInput, KnobDragSendsOneGesturePerChangedFrame) {
  h.press(kThresholdX, kKnobY);
  h.frame();
  for (int i = 1; i <= 3; ++i) {
    h.drag(kThresholdX, kKnobY - 10 * i);
    h.frame();
  }
  h.frame();                          // no movement: nothing sent
  h.release(kThresholdX, kKnobY - 30);
  h.frame();
  EXPECT_EQ(h.gestureCount(kThreshold), 3);
  EXPECT_EQ(h.events().size(), 9u);
}

} // namespace
} // namespace varnock
