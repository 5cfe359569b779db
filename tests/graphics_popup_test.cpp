// Popup menus drawn by IGraphics over the controls: placement, drawing,
// choosing, dismissing, and that an open menu takes all input.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/graphics/offscreen_editor.h"
#include "framework/graphics/popup_layer.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IPopupMenu;
using iplug::igraphics::IRECT;
using iplug::igraphics::kVK_ESCAPE;
using iplug::igraphics::OffscreenEditor;
using iplug::igraphics::PopupLayer;
using testsupport::MouseEvent;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

// A control that fills itself white and opens its menu under `anchor` when pressed.
class MenuControl : public RecordingControl {
public:
  MenuControl(const IRECT& bounds)
      : RecordingControl(bounds, [](IGraphics& g, RecordingControl& c) { g.FillRect(IColor(255, 255, 255, 255), c.GetRECT()); }) {}
  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override {
    RecordingControl::OnMouseDown(x, y, mod);
    if (openOnPress) GetUI()->CreatePopupMenu(*this, menu, anchor, scale);
  }
  IPopupMenu menu;
  IRECT anchor{50, 50, 150, 70};
  float scale = 1.f;
  bool openOnPress = true;
};

// Entries: 0 "Fast 512", 1 "Normal 1024" (checked), 2 separator, 3 "Precise 2048".
class GraphicsPopup : public ::testing::Test {
protected:
  void SetUp() override {
    delegate.onLayout = [this](IGraphics& g, bool first) {
      if (first) control = static_cast<MenuControl*>(g.AttachControl(new MenuControl(IRECT(0, 0, g.Width(), g.Height()))));
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    ASSERT_TRUE(editor) << error;
    control->menu.AddItem("Fast 512", IPopupMenu::Item::kNoFlags, 0);
    control->menu.AddItem("Normal 1024", IPopupMenu::Item::kChecked, 1);
    control->menu.AddSeparator();
    control->menu.AddItem("Precise 2048", IPopupMenu::Item::kNoFlags, 2);
  }

  // Opens the menu by a press and release on the control at (x, y).
  void OpenAt(float x, float y) {
    editor->MouseDown(x, y);
    editor->MouseUp(x, y);
    ASSERT_TRUE(editor->Graphics().IsPopupMenuOpen());
  }
  // The vertical centre of entry `index` of a menu whose top is `top`.
  static float RowCentre(float top, int index) {
    float y = top + PopupLayer::kPadding;
    for (int i = 0; i < index; ++i) y += i == 2 ? PopupLayer::kSeparatorHeight : PopupLayer::kItemHeight;
    return y + (index == 2 ? PopupLayer::kSeparatorHeight : PopupLayer::kItemHeight) / 2;
  }
  static constexpr float kMenuHeight = 2 * PopupLayer::kPadding + 3 * PopupLayer::kItemHeight + PopupLayer::kSeparatorHeight;

  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
  MenuControl* control = nullptr;
};

TEST_F(GraphicsPopup, OpensBelowItsAnchorAndIsDrawnOverTheControls) {
  OpenAt(100, 60);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_EQ(image.Pixel(100, 40), 0xFFFFFFFFu) << "the control above the anchor";
  EXPECT_NE(image.Pixel(60, 70 + 2), 0xFFFFFFFFu) << "the menu starts at the anchor's bottom";
  EXPECT_EQ(image.Pixel(60, 69), 0xFFFFFFFFu);
  EXPECT_NE(image.Pixel(60, static_cast<int>(70 + kMenuHeight - 2)), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(60, static_cast<int>(70 + kMenuHeight + 1)), 0xFFFFFFFFu) << "and ends after its rows";
  EXPECT_EQ(image.Pixel(49, 80), 0xFFFFFFFFu) << "left edge at the anchor's left";
}

TEST_F(GraphicsPopup, OpensAboveItsAnchorWhenThereIsNoRoomBelow) {
  control->anchor = IRECT(50, 260, 150, 280);
  OpenAt(100, 270);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_NE(image.Pixel(60, 258), 0xFFFFFFFFu) << "just above the anchor";
  EXPECT_NE(image.Pixel(60, static_cast<int>(260 - kMenuHeight + 1)), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(60, static_cast<int>(260 - kMenuHeight - 2)), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(60, 285), 0xFFFFFFFFu) << "nothing below the anchor";
}

TEST_F(GraphicsPopup, StaysInsideTheWindowAtTheRightEdge) {
  control->anchor = IRECT(380, 50, 400, 70);
  OpenAt(390, 60);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_NE(image.Pixel(398, 80), 0xFFFFFFFFu) << "reaches the window's right edge";
  EXPECT_NE(image.Pixel(330, 80), 0xFFFFFFFFu) << "moved left to fit its entries";
}

TEST_F(GraphicsPopup, ClickOnAnEntryChoosesIt) {
  OpenAt(100, 60);
  editor->MouseMove(100, RowCentre(70, 3));
  editor->MouseDown(100, RowCentre(70, 3));
  editor->MouseUp(100, RowCentre(70, 3));
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].first, &control->menu);
  EXPECT_EQ(control->selections[0].second, 3);
  EXPECT_EQ(control->menu.GetChosenItemIdx(), 3);
  EXPECT_FALSE(editor->Graphics().IsPopupMenuOpen());
}

TEST_F(GraphicsPopup, ClickOutsideClosesWithoutAChoice) {
  OpenAt(100, 60);
  editor->MouseDown(300, 250);
  editor->MouseUp(300, 250);
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].first, nullptr);
  EXPECT_EQ(control->selections[0].second, -1);
  EXPECT_FALSE(editor->Graphics().IsPopupMenuOpen());
  EXPECT_EQ(control->Count(MouseEvent::Down), 1) << "the closing press does not reach the control";
  EXPECT_EQ(control->Count(MouseEvent::Up), 1);
}

TEST_F(GraphicsPopup, EscapeClosesWithoutAChoice) {
  OpenAt(100, 60);
  editor->KeyDown(kVK_ESCAPE);
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].second, -1);
  EXPECT_FALSE(editor->Graphics().IsPopupMenuOpen());
  EXPECT_FALSE(editor->Graphics().OnKeyDown(kVK_ESCAPE)) << "nothing left to close";
}

TEST_F(GraphicsPopup, SeparatorsAreNotSelectable) {
  OpenAt(100, 60);
  editor->MouseDown(100, RowCentre(70, 2));
  editor->MouseUp(100, RowCentre(70, 2));
  EXPECT_TRUE(control->selections.empty());
  EXPECT_TRUE(editor->Graphics().IsPopupMenuOpen()) << "a press on a separator keeps the menu open";
}

TEST_F(GraphicsPopup, DisabledAndTitleEntriesAreNotSelectable) {
  control->menu.AddItem("Off", IPopupMenu::Item::kDisabled);
  control->menu.AddItem("Heading", IPopupMenu::Item::kTitle);
  OpenAt(100, 60);
  const float disabledY = RowCentre(70, 3) + PopupLayer::kItemHeight;
  editor->MouseDown(100, disabledY);
  editor->MouseDown(100, disabledY + PopupLayer::kItemHeight);
  EXPECT_TRUE(control->selections.empty());
  EXPECT_TRUE(editor->Graphics().IsPopupMenuOpen());
}

TEST_F(GraphicsPopup, WhileOpenItTakesAllInput) {
  OpenAt(100, 60);
  const int eventsBefore = static_cast<int>(control->events.size());
  editor->MouseMove(300, 250);
  editor->MouseWheel(300, 250, 1.f);
  editor->MouseLeave();
  EXPECT_EQ(static_cast<int>(control->events.size()), eventsBefore);
}

TEST_F(GraphicsPopup, ReleaseOfThePressThatOpenedItReachesItsControl) {
  editor->MouseDown(100, 60);
  ASSERT_TRUE(editor->Graphics().IsPopupMenuOpen());
  editor->MouseUp(100, 60);
  EXPECT_EQ(control->Count(MouseEvent::Up), 1);
  EXPECT_TRUE(editor->Graphics().IsPopupMenuOpen()) << "the release does not close the menu";
}

TEST_F(GraphicsPopup, HoverHighlightsTheEntryUnderThePointer) {
  OpenAt(100, 60);
  editor->DrawFrame();
  const Image before = editor->ReadPixels();
  editor->MouseMove(100, RowCentre(70, 0));
  EXPECT_TRUE(editor->Graphics().IsDirty()) << "the highlight asks for a frame";
  editor->DrawFrame();
  const Image after = editor->ReadPixels();
  // A point in the check-mark column of row 0 and of row 3.
  const int row0 = static_cast<int>(RowCentre(70, 0)), row3 = static_cast<int>(RowCentre(70, 3));
  EXPECT_NE(before.Pixel(56, row0), after.Pixel(56, row0));
  EXPECT_EQ(before.Pixel(56, row3), after.Pixel(56, row3)) << "other rows unchanged";
}

TEST_F(GraphicsPopup, CheckedEntriesShowAMark) {
  OpenAt(100, 60);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  auto inkInCheckColumn = [&](int row) {
    int ink = 0;
    const int mid = static_cast<int>(RowCentre(70, row));
    for (int y = mid - 6; y <= mid + 6; ++y)
      for (int x = 52; x < 50 + static_cast<int>(PopupLayer::kTextLeft) - 2; ++x) ink += (image.Pixel(x, y) >> 24) > 150;
    return ink;
  };
  EXPECT_GT(inkInCheckColumn(1), 5) << "Normal 1024 is checked";
  EXPECT_EQ(inkInCheckColumn(0), 0);
}

TEST_F(GraphicsPopup, OpeningAnotherMenuDismissesTheFirst) {
  OpenAt(100, 60);
  IPopupMenu other;
  other.AddItem("x");
  editor->Graphics().CreatePopupMenu(*control, other, IRECT(10, 10, 20, 20));
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].first, nullptr);
  EXPECT_TRUE(editor->Graphics().IsPopupMenuOpen());
}

TEST_F(GraphicsPopup, ResizingTheEditorDismissesTheMenu) {
  OpenAt(100, 60);
  editor->Resize(500, 400);
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].second, -1);
  EXPECT_FALSE(editor->Graphics().IsPopupMenuOpen());
}

// A menu opened with a scale (the editor's own, in a large window) is that
// much larger in every part: rows, text and check mark; the layout at scale
// 1 is the one the other tests pin.
TEST_F(GraphicsPopup, ScaleSizesRowsTextAndCheckMark) {
  int textRows[4] = {};
  control->anchor = IRECT(50, 10, 150, 30);    // room below for the menu at 3x
  const int top = 30;
  for (int scale : {1, 2, 3}) {
    control->scale = static_cast<float>(scale);
    OpenAt(100, 60);
    editor->DrawFrame();
    const Image image = editor->ReadPixels();
    auto rowTop = [&](int index) { return top + scale * static_cast<int>(RowCentre(0, index) - PopupLayer::kItemHeight / 2); };
    auto bright = [&](int x, int y) { return (image.Pixel(x, y) >> 24) > 150 && image.Pixel(x, y) != 0xFFFFFFFFu; };
    const int bottom = top + scale * static_cast<int>(kMenuHeight);
    EXPECT_NE(image.Pixel(60, bottom - 2), 0xFFFFFFFFu) << "scale " << scale;
    EXPECT_EQ(image.Pixel(60, bottom + 1), 0xFFFFFFFFu) << "scale " << scale;
    // Rows of row 0's text ("Fast 512") that carry ink, right of the check column.
    const int textLeft = 50 + scale * static_cast<int>(PopupLayer::kTextLeft);
    for (int y = rowTop(0); y < rowTop(0) + scale * static_cast<int>(PopupLayer::kItemHeight); ++y) {
      bool ink = false;
      for (int x = textLeft; x < textLeft + 40 * scale && !ink; ++x) ink = bright(x, y);
      textRows[scale] += ink;
    }
    // The check mark of row 1 fills the scaled check column, and only there.
    int checkInk = 0;
    for (int y = rowTop(1); y < rowTop(1) + scale * static_cast<int>(PopupLayer::kItemHeight); ++y)
      for (int x = 52; x < textLeft - 2; ++x) checkInk += bright(x, y);
    EXPECT_GT(checkInk, 5 * scale * scale) << "scale " << scale;
    // Entry 3 sits where the scaled rows put it.
    const float y3 = top + scale * RowCentre(0, 3);
    editor->MouseDown(100, y3);
    editor->MouseUp(100, y3);
    ASSERT_FALSE(control->selections.empty());
    EXPECT_EQ(control->selections.back().second, 3) << "scale " << scale;
  }
  EXPECT_GT(textRows[1], 6);
  EXPECT_NEAR(textRows[2], 2 * textRows[1], 2);
  EXPECT_NEAR(textRows[3], 3 * textRows[1], 3);
}

TEST(PopupMenu, ItemsKeepTextFlagsAndTags) {
  IPopupMenu menu;
  menu.AddItem("A", IPopupMenu::Item::kChecked, 5);
  menu.AddSeparator();
  ASSERT_EQ(menu.NItems(), 2);
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "A");
  EXPECT_TRUE(menu.GetItem(0)->GetChecked());
  EXPECT_EQ(menu.GetItem(0)->GetTag(), 5);
  EXPECT_TRUE(menu.GetItem(1)->GetIsSeparator());
  EXPECT_STREQ(menu.GetItem(1)->GetText(), "");
  EXPECT_EQ(menu.GetItem(1)->GetTag(), -1);
  EXPECT_EQ(menu.GetItem(2), nullptr);
  EXPECT_EQ(menu.GetItem(-1), nullptr);
  menu.SetChosenItemIdx(1);
  menu.Clear();
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

} // namespace
