// The editor's scale rule and text slot sizes, as pure functions and as the
// open view applies them.
#include <gtest/gtest.h>

#include "plugin/param_index.h"
#include "editor/frame_scale.h"
#include "editor/varnock_view.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

constexpr double kFixed = 0.0, kGrow = 1.0;

TEST(FrameScale, FixedKeepsDesignSizeAndGivesExtraPixelsAway) {
  const FrameScale s = computeFrameScale(1520, 832, kFixed);
  EXPECT_DOUBLE_EQ(s.uiScale, 1.0);
  EXPECT_DOUBLE_EQ(s.extraWidth, 760.0);
  EXPECT_DOUBLE_EQ(s.extraHeight, 416.0);
}

TEST(FrameScale, FixedKeepsTheDesignSizeOfAScaledScreen) {
  const FrameScale s = computeFrameScale(1140, 624, kFixed, 1.5);   // 760 x 416 at 150 %
  EXPECT_DOUBLE_EQ(s.uiScale, 1.5);
  EXPECT_DOUBLE_EQ(s.extraWidth, 0.0);
  const FrameScale bigger = computeFrameScale(2280, 1248, kFixed, 1.5);
  EXPECT_DOUBLE_EQ(bigger.uiScale, 1.5);
  EXPECT_DOUBLE_EQ(bigger.extraWidth, 1140.0);
  EXPECT_DOUBLE_EQ(computeFrameScale(2280, 1248, kGrow, 1.5).uiScale, 3.0);
}

TEST(FrameScale, GrowScalesUntilOneDimensionIsUsedUp) {
  const FrameScale both = computeFrameScale(1520, 832, kGrow);
  EXPECT_DOUBLE_EQ(both.uiScale, 2.0);
  EXPECT_DOUBLE_EQ(both.extraWidth, 0.0);
  EXPECT_DOUBLE_EQ(both.extraHeight, 0.0);
  const FrameScale wide = computeFrameScale(1520, 416, kGrow);
  EXPECT_DOUBLE_EQ(wide.uiScale, 1.0);
  EXPECT_DOUBLE_EQ(wide.extraWidth, 760.0);
  EXPECT_DOUBLE_EQ(wide.extraHeight, 0.0);
}

TEST(FrameScale, SmallestWindowShrinksInBothModes) {
  for (double mode : {kFixed, kGrow}) {
    const FrameScale s = computeFrameScale(560, 320, mode);
    EXPECT_NEAR(s.uiScale, 560.0 / 760.0, 1e-12);
    EXPECT_NEAR(s.extraWidth, 0.0, 1e-9);
    EXPECT_NEAR(s.extraHeight, 320.0 - 416.0 * 560.0 / 760.0, 1e-9);
    EXPECT_NEAR(s.extraHeight, 13.47, 0.01);
  }
}

TEST(FrameScale, LargestWindow) {
  EXPECT_DOUBLE_EQ(computeFrameScale(3040, 1664, kGrow).uiScale, 4.0);
  const FrameScale fixed = computeFrameScale(3040, 1664, kFixed);
  EXPECT_DOUBLE_EQ(fixed.uiScale, 1.0);
  EXPECT_DOUBLE_EQ(fixed.extraWidth, 2280.0);
  EXPECT_DOUBLE_EQ(fixed.extraHeight, 1248.0);
}

TEST(FrameScale, WindowBelowTheLimitsHalvesTheScale) {
  EXPECT_DOUBLE_EQ(computeFrameScale(380, 208, kFixed).uiScale, 0.5);
}

TEST(FrameScale, TinyRectangleFallsBackToScaleOne) {
  EXPECT_DOUBLE_EQ(computeFrameScale(0, 0, kGrow).uiScale, 1.0);
  EXPECT_DOUBLE_EQ(computeFrameScale(70, 40, kFixed).uiScale, 1.0);   // 40 / 416 < 0.1
}

TEST(FrameScale, EditorSizeIsFlooredRectangle) {
  const FrameScale s = computeFrameScale(800.7, 450.2, kFixed);
  EXPECT_EQ(s.editorWidth, 800);
  EXPECT_EQ(s.editorHeight, 450);
  EXPECT_DOUBLE_EQ(s.extraWidth, 40.0);
}

TEST(TextSlots, DesignSizesAtScaleOne) {
  const int expected[7] = {0, 13, 20, 13, 18, 13, 12};
  for (int slot = 1; slot <= 6; ++slot) EXPECT_EQ(textSlotSize(slot, 1.0), expected[slot]) << "slot " << slot;
}

TEST(TextSlots, SmallestWindowSizes) {
  const double s = 560.0 / 760.0;
  EXPECT_EQ(textSlotSize(1, s), 10);
  EXPECT_EQ(textSlotSize(6, s), 9);
}

TEST(TextSlots, MinimumsApplyAtHalfScale) {
  EXPECT_EQ(textSlotSize(1, 0.5), 9);    // 7 raised to 9
  EXPECT_EQ(textSlotSize(2, 0.5), 12);   // 10 raised to 12
  EXPECT_EQ(textSlotSize(3, 0.5), 9);
  EXPECT_EQ(textSlotSize(4, 0.5), 11);   // 9 raised to 11
  EXPECT_EQ(textSlotSize(5, 0.5), 9);
  EXPECT_EQ(textSlotSize(6, 0.5), 8);    // 6 raised to 8
}

TEST(TextSlots, GrowAtFourTimes) {
  EXPECT_EQ(textSlotSize(2, 4.0), 80);
  EXPECT_EQ(textSlotSize(5, 4.0), 52);
}

TEST(TextSlots, BoldSlots) {
  EXPECT_FALSE(textSlotBold(1));
  EXPECT_TRUE(textSlotBold(2));
  EXPECT_FALSE(textSlotBold(3));
  EXPECT_TRUE(textSlotBold(4));
  EXPECT_TRUE(textSlotBold(5));
  EXPECT_TRUE(textSlotBold(6));
}

// The open view computes the same numbers from its rectangle and UI Size.
TEST(ViewScale, OpenEditorFollowsWindowSizeAndMode) {
  EditorHarness harness;
  std::string error;
  ASSERT_TRUE(harness.open(1520, 832, &error)) << error;
  harness.frame();
  EXPECT_EQ(harness.view().editorWidth, 1520);
  EXPECT_DOUBLE_EQ(harness.view().uiScale, 1.0);
  EXPECT_DOUBLE_EQ(harness.view().extraHeight, 416.0);
  harness.setParam(kUISize, 1.0);
  harness.frame();
  EXPECT_DOUBLE_EQ(harness.view().uiScale, 2.0);
  EXPECT_DOUBLE_EQ(harness.view().extraWidth, 0.0);
  EXPECT_EQ(harness.view().fontSize(1), 26);
}

TEST(ViewScale, HostResizeReachesTheView) {
  EditorHarness harness;
  std::string error;
  ASSERT_TRUE(harness.open(760, 416, &error)) << error;
  harness.frame();
  harness.resize(560, 320);
  harness.frame();
  EXPECT_EQ(harness.view().editorWidth, 560);
  EXPECT_EQ(harness.view().editorHeight, 320);
  EXPECT_NEAR(harness.view().uiScale, 560.0 / 760.0, 1e-12);
  EXPECT_EQ(harness.view().fontSize(1), 10);
}

} // namespace
} // namespace varnock

namespace varnock {
namespace {

TEST(EditorHooks, OpenAtDesignSizeWithTheViewAndTheCornerHandle) {
  EditorHarness harness;
  std::string error;
  ASSERT_TRUE(harness.open(760, 416, &error)) << error;
  iplug::igraphics::IGraphics& g = harness.editor().Graphics();
  EXPECT_EQ(g.Width(), 760);
  EXPECT_EQ(g.Height(), 416);
  EXPECT_EQ(g.FPS(), 30);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 1.f);
  ASSERT_GE(g.NControls(), 1);
  EXPECT_NE(dynamic_cast<VarnockView*>(g.GetControl(0)), nullptr);
  EXPECT_EQ(g.GetControl(0)->GetRECT(), iplug::igraphics::IRECT(0, 0, 760, 416));
  EXPECT_EQ(g.GetControl(0)->GetTag(), -1);
  EXPECT_TRUE(g.GetLayoutOnResize());
  EXPECT_NE(g.GetFontFile("Arial"), nullptr);
  EXPECT_NE(g.GetFontFile("Arial-Bold"), nullptr);
}

TEST(EditorHooks, ResizeMovesTheViewRectangleOnly) {
  EditorHarness harness;
  std::string error;
  ASSERT_TRUE(harness.open(760, 416, &error)) << error;
  iplug::igraphics::IGraphics& g = harness.editor().Graphics();
  VarnockView* view = &harness.view();
  harness.resize(1000, 600);
  ASSERT_GE(g.NControls(), 1);
  EXPECT_EQ(&harness.view(), view);
  EXPECT_EQ(view->GetRECT(), iplug::igraphics::IRECT(0, 0, 1000, 600));
  EXPECT_EQ(view->GetTargetRECT(), iplug::igraphics::IRECT(0, 0, 1000, 600));
}

} // namespace
} // namespace varnock
