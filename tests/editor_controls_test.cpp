// The knob row, the Delta toggle, the header's mode selector and preset bar,
// and the footer's switches and FFT size list, operated with injected input.
#include <gtest/gtest.h>

#include <string>

#include "editor/footer.h"
#include "editor/varnock_view.h"
#include "plugin/presets.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

using iplug::igraphics::IPopupMenu;

// Pixel positions in the 760 x 416 editor at scale 1.
constexpr double kKnobY = 324;
constexpr double kThresholdX = 50, kWidthKnobX = 186, kDepthX = 408, kDepthY = 328, kReleaseX = 564;
constexpr double kHeaderY = 24, kCutX = 244, kPrevX = 416, kPresetBoxX = 506, kNextX = 596, kDeltaX = 692;
constexpr double kFooterY = 400, kGrowX = 566, kFftBoxX = 660, kLinkX = 30;

class EditorControls : public ::testing::Test {
protected:
  void open(int width = 760, int height = 416) {
    std::string error;
    ASSERT_TRUE(h.open(width, height, &error)) << error;
    h.setTime(1.0);
    h.frame();
    h.clearEvents();
  }
  void SetUp() override { open(); }
  // Press, move up by dy pixels, release.
  void dragKnob(double x, double y, double dy, const iplug::igraphics::IMouseMod& mod = {}) {
    h.press(x, y, mod);
    h.frame();
    h.drag(x, y - dy, mod);
    h.frame();
    h.release(x, y - dy, mod);
    h.frame();
  }
  EditorHarness h;
};

TEST_F(EditorControls, DragUpHundredPixelsMovesTheTravelSixTenths) {
  dragKnob(kThresholdX, kKnobY, 100);
  EXPECT_NEAR(h.param(kThreshold), 20.4, 1e-9);
}

TEST_F(EditorControls, ShiftDragMovesAQuarterAsFar) {
  dragKnob(kThresholdX, kKnobY, 100, withShift());
  EXPECT_NEAR(h.param(kThreshold), 9.6, 1e-9);
}

TEST_F(EditorControls, DragStopsAtTheEndOfTheTravel) {
  dragKnob(kThresholdX, kKnobY, 400);
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 24.0);
}

TEST_F(EditorControls, OneWheelNotchOnReleaseFromSixtyGivesSixtySeven) {
  h.wheel(kReleaseX, kKnobY, 1.0);
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kRelease), 67.0);
  EXPECT_EQ(h.gestureCount(kRelease), 1);
}

TEST_F(EditorControls, CtrlPressResetsWithoutStartingADrag) {
  h.setParam(kThreshold, 10.0);
  h.press(kThresholdX, kKnobY, withCtrl());
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 6.0);
  h.drag(kThresholdX, kKnobY - 50, withCtrl());
  h.frame();
  EXPECT_DOUBLE_EQ(h.param(kThreshold), 6.0);
  EXPECT_EQ(h.view().activeId, kActiveConsumed);
}

TEST_F(EditorControls, ThirdKnobEditsWidthInTame) {
  h.setParam(kMode, 2.0);
  dragKnob(kWidthKnobX, kKnobY, 50);
  EXPECT_NEAR(h.param(kWidth), 0.33 + 0.3 * 1.4, 0.005 + 1e-9);
  EXPECT_DOUBLE_EQ(h.param(kBackground), 60.0);
}

TEST_F(EditorControls, DepthKnobIsLargerThanTheOthers) {
  h.move(kDepthX + 26, kDepthY);      // inside 22 + 8 px of the Depth centre
  h.frame();
  EXPECT_STREQ(h.view().tooltipText, "Depth: max cut or boost  |  outer ring = live amount");
}

TEST_F(EditorControls, DeltaToggleFlipsWithoutMarkingThePreset) {
  h.click(kDeltaX, kHeaderY);
  EXPECT_DOUBLE_EQ(h.param(kDelta), 1.0);
  h.click(kDeltaX, kHeaderY);
  EXPECT_DOUBLE_EQ(h.param(kDelta), 0.0);
  EXPECT_FALSE(h.editorState().presetModified);
  EXPECT_EQ(h.gestureCount(kDelta), 2);
}

TEST_F(EditorControls, ClickingTheSelectedModeWritesNothing) {
  h.click(kCutX, kHeaderY);
  EXPECT_TRUE(h.events().empty());
  EXPECT_FALSE(h.editorState().presetModified);
}

TEST_F(EditorControls, PresetArrowsCycleThroughOneToTen) {
  h.click(kNextX, kHeaderY);              // from Custom
  EXPECT_DOUBLE_EQ(h.param(kPreset), 1.0);
  h.click(kPrevX, kHeaderY);              // from 1
  EXPECT_DOUBLE_EQ(h.param(kPreset), 10.0);
  h.click(kNextX, kHeaderY);              // from 10
  EXPECT_DOUBLE_EQ(h.param(kPreset), 1.0);
  h.setParam(kPreset, 0.0);
  h.click(kPrevX, kHeaderY);              // from Custom
  EXPECT_DOUBLE_EQ(h.param(kPreset), 10.0);
}

TEST_F(EditorControls, NextPresetFromEditedCustomClearsTheMark) {
  h.editorState().presetModified = true;
  h.click(kNextX, kHeaderY);
  EXPECT_STREQ(presetName(h.param(kPreset)), "Mouth Clicks");
  EXPECT_FALSE(h.editorState().presetModified);
  EXPECT_EQ(h.gestureCount(), 16);
}

TEST_F(EditorControls, EditedMarkFollowsKnobsButNotDeltaOrFftSize) {
  h.view().applyFactoryPreset(3);
  h.click(kDeltaX, kHeaderY);
  fillFftMenu(h.view(), h.view().fftMenu);          // as the footer fills it, without showing it
  h.view().OnPopupMenuSelection(&h.view().fftMenu, 2);
  EXPECT_DOUBLE_EQ(h.param(kResolution), 2.0);
  EXPECT_FALSE(h.editorState().presetModified);
  h.wheel(kDepthX, kDepthY, 1.0);
  h.frame();
  EXPECT_TRUE(h.editorState().presetModified);
}

TEST_F(EditorControls, EditedMarkSurvivesClosingAndReopening) {
  h.view().applyFactoryPreset(3);
  dragKnob(kDepthX, kDepthY, 20);
  ASSERT_TRUE(h.editorState().presetModified);
  h.close();
  open();
  EXPECT_TRUE(h.editorState().presetModified);
  EXPECT_DOUBLE_EQ(h.param(kPreset), 3.0);
}

TEST_F(EditorControls, PresetListHasTenEntriesTwoSeparatorsAndTheCheckMark) {
  h.setParam(kPreset, 8.0);
  h.click(kPresetBoxX, kHeaderY);
  EXPECT_TRUE(h.editor().Graphics().IsPopupMenuOpen());
  const IPopupMenu& menu = h.view().presetMenu;
  ASSERT_EQ(menu.NItems(), 12);
  const char* texts[12] = {"Mouth Clicks", "Vocal Softener", "Drum Punch", "Kick/Bass Attack", "Snare/Perc Tame",
                           "Guitar Pick Tame", "", "Vocal Harshness", "Boxy Room", "Mix Smoother", "", "Init"};
  const int tags[12] = {1, 2, 3, 4, 5, 6, -1, 7, 8, 9, -1, 10};
  for (int i = 0; i < 12; ++i) {
    const IPopupMenu::Item* item = menu.GetItem(i);
    EXPECT_STREQ(item->GetText(), texts[i]);
    EXPECT_EQ(item->GetTag(), tags[i]);
    EXPECT_EQ(item->GetIsSeparator(), tags[i] < 0);
    EXPECT_EQ(item->GetChecked(), tags[i] == 8) << texts[i];
  }
}

// In a Grow window the preset list is drawn at the editor's scale: at 2x its
// top is the box's bottom (72), then 8 px of padding and rows of 40 px, so
// "Drum Punch" (row 2) is centred at y 180 (row 5 of an unscaled list).
TEST_F(EditorControls, PresetListScalesWithTheEditor) {
  h.setParam(kUISize, 1.0);
  h.close();
  open(1520, 832);
  h.click(2 * kPresetBoxX, 2 * kHeaderY);
  ASSERT_TRUE(h.editor().Graphics().IsPopupMenuOpen());
  h.click(2 * kPresetBoxX, 180);
  EXPECT_STREQ(presetName(h.param(kPreset)), "Drum Punch");
}

TEST_F(EditorControls, PopupSelectionsThatNameNoEntryAreIgnored) {
  h.click(kPresetBoxX, kHeaderY);
  VarnockView& view = h.view();
  view.OnPopupMenuSelection(nullptr, 0);
  view.OnPopupMenuSelection(&view.presetMenu, -1);
  view.OnPopupMenuSelection(&view.presetMenu, view.presetMenu.NItems());
  view.OnPopupMenuSelection(&view.presetMenu, 6);      // the separator
  EXPECT_TRUE(h.events().empty());
  view.OnPopupMenuSelection(&view.presetMenu, 7);      // Vocal Harshness
  EXPECT_DOUBLE_EQ(h.param(kPreset), 7.0);
  EXPECT_DOUBLE_EQ(h.param(kTilt), 1.5);
}

TEST_F(EditorControls, RightAnchoredHeaderGroupFollowsExtraWidth) {
  h.close();
  open(960, 416);
  h.setParam(kMode, 1.0);
  h.click(kNextX + 200, kHeaderY);
  EXPECT_DOUBLE_EQ(h.param(kPreset), 1.0);        // Mouth Clicks: Mode back to Cut
  h.setParam(kMode, 1.0);
  h.click(kCutX, kHeaderY);                       // the mode selector stays put
  EXPECT_DOUBLE_EQ(h.param(kMode), 0.0);
}

TEST_F(EditorControls, FooterRightGroupFollowsExtraSize) {
  h.close();
  open(1060, 516);
  h.click(kGrowX + 300, kFooterY + 100);
  EXPECT_DOUBLE_EQ(h.param(kUISize), 1.0);
  EXPECT_FALSE(h.editorState().presetModified);
}

TEST_F(EditorControls, KnobRowStaysCentredInAWideFixedWindow) {
  h.close();
  open(960, 516);
  dragKnob(kThresholdX + 100, kKnobY + 100, 100);
  EXPECT_NEAR(h.param(kThreshold), 20.4, 1e-9);
}

TEST_F(EditorControls, FftListAt48kHz) {
  h.click(kFftBoxX, kFooterY);
  EXPECT_TRUE(h.editor().Graphics().IsPopupMenuOpen());
  const IPopupMenu& menu = h.view().fftMenu;
  ASSERT_EQ(menu.NItems(), 3);
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "Fast 512  (11 ms)");
  EXPECT_STREQ(menu.GetItem(1)->GetText(), "Normal 1024  (21 ms)");
  EXPECT_STREQ(menu.GetItem(2)->GetText(), "Precise 2048  (43 ms)");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(menu.GetItem(i)->GetTag(), i);
    EXPECT_EQ(menu.GetItem(i)->GetChecked(), i == 1);
  }
}

TEST_F(EditorControls, FftListFollowsTheHostSampleRate) {
  ASSERT_TRUE(h.startProcessing(44100.0, 512));
  h.setParam(kResolution, 2.0);
  h.click(kFftBoxX, kFooterY);
  const IPopupMenu& menu = h.view().fftMenu;
  ASSERT_EQ(menu.NItems(), 3);
  EXPECT_STREQ(menu.GetItem(2)->GetText(), "Precise 2048  (46 ms)");
  EXPECT_TRUE(menu.GetItem(2)->GetChecked());
}

TEST_F(EditorControls, WebLinkOpensTheMakersAddress) {
  h.click(kLinkX, kFooterY);
  ASSERT_EQ(h.editor().OpenedUrls().size(), 1u);
  EXPECT_EQ(h.editor().OpenedUrls()[0], "https://pellwick.audio");
}

} // namespace
} // namespace varnock
