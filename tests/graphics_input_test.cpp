// How IGraphics routes mouse input to its controls: the topmost hit control
// takes a press and keeps the drags and the release; over/out follow the
// pointer; wheel and double-click go to the control under the pointer.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/graphics/offscreen_editor.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::IGraphics;
using iplug::igraphics::IMouseMod;
using iplug::igraphics::IRECT;
using iplug::igraphics::OffscreenEditor;
using testsupport::MouseEvent;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

// Control a (0,0)-(200,200) and, attached after it and overlapping it,
// control b (100,100)-(300,250). The editor is 400 x 300.
class GraphicsInput : public ::testing::Test {
protected:
  void SetUp() override {
    delegate.onLayout = [this](IGraphics& g, bool first) {
      if (!first) return;
      a = static_cast<RecordingControl*>(g.AttachControl(new RecordingControl(IRECT(0, 0, 200, 200))));
      b = static_cast<RecordingControl*>(g.AttachControl(new RecordingControl(IRECT(100, 100, 300, 250))));
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    ASSERT_TRUE(editor) << error;
  }

  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
  RecordingControl* a = nullptr;
  RecordingControl* b = nullptr;
};

TEST_F(GraphicsInput, PressGoesToTheTopmostControlUnderThePointer) {
  editor->MouseDown(150, 150);
  EXPECT_EQ(b->Count(MouseEvent::Down), 1) << "b was attached last";
  EXPECT_EQ(a->Count(MouseEvent::Down), 0);
  editor->MouseUp(150, 150);
  editor->MouseDown(50, 50);
  EXPECT_EQ(a->Count(MouseEvent::Down), 1);
  EXPECT_EQ(b->Count(MouseEvent::Down), 1);
}

TEST_F(GraphicsInput, PressOnEmptySpaceReachesNoControl) {
  editor->MouseDown(350, 280);
  editor->MouseMove(150, 150);
  editor->MouseUp(150, 150);
  EXPECT_EQ(a->Count(MouseEvent::Down) + b->Count(MouseEvent::Down), 0);
  EXPECT_EQ(a->Count(MouseEvent::Drag) + b->Count(MouseEvent::Drag), 0);
  EXPECT_EQ(a->Count(MouseEvent::Up) + b->Count(MouseEvent::Up), 0);
}

TEST_F(GraphicsInput, PressedControlKeepsDragsAndReleaseOutsideItAndOutsideTheWindow) {
  editor->MouseDown(50, 50);
  editor->MouseMove(150, 150);                 // over b
  editor->MouseMove(-30, 500);                 // outside the window
  editor->MouseUp(-30, 500);
  ASSERT_EQ(a->Count(MouseEvent::Drag), 2);
  EXPECT_EQ(b->Count(MouseEvent::Drag) + b->Count(MouseEvent::Down) + b->Count(MouseEvent::Up), 0);
  const MouseEvent* last = a->Last(MouseEvent::Drag);
  EXPECT_FLOAT_EQ(last->x, -30.f);
  EXPECT_FLOAT_EQ(last->y, 500.f);
  EXPECT_FLOAT_EQ(last->dX, -180.f) << "delta from the previous position";
  EXPECT_FLOAT_EQ(last->dY, 350.f);
  EXPECT_TRUE(last->mod.L) << "a drag carries the held button";
  ASSERT_EQ(a->Count(MouseEvent::Up), 1);
  EXPECT_FLOAT_EQ(a->Last(MouseEvent::Up)->x, -30.f);
}

TEST_F(GraphicsInput, AfterReleaseTheNextPressIsHitTestedAgain) {
  editor->MouseDown(50, 50);
  editor->MouseUp(50, 50);
  editor->MouseDown(250, 200);
  EXPECT_EQ(b->Count(MouseEvent::Down), 1);
  EXPECT_EQ(a->Count(MouseEvent::Down), 1);
}

TEST_F(GraphicsInput, MouseOverAndOutFollowThePointer) {
  editor->MouseMove(50, 50);
  EXPECT_EQ(a->Count(MouseEvent::Over), 1);
  editor->MouseMove(60, 60);
  EXPECT_EQ(a->Count(MouseEvent::Over), 2) << "every move over the control is reported";
  editor->MouseMove(250, 200);
  EXPECT_EQ(a->Count(MouseEvent::Out), 1);
  EXPECT_EQ(b->Count(MouseEvent::Over), 1);
  editor->MouseLeave();
  EXPECT_EQ(b->Count(MouseEvent::Out), 1);
  editor->MouseLeave();
  EXPECT_EQ(b->Count(MouseEvent::Out), 1) << "no second out without an over";
}

TEST_F(GraphicsInput, MovesWhileAButtonIsHeldAreDragsNotHover) {
  editor->MouseDown(50, 50);
  editor->MouseMove(250, 200);
  EXPECT_EQ(b->Count(MouseEvent::Over), 0);
  editor->MouseUp(250, 200);
  EXPECT_EQ(b->Count(MouseEvent::Over), 1) << "the release finds the control under the pointer";
}

TEST_F(GraphicsInput, WheelGoesToTheControlUnderThePointer) {
  editor->MouseWheel(250, 200, 2.f);
  editor->MouseWheel(50, 50, -1.f);
  ASSERT_EQ(b->Count(MouseEvent::Wheel), 1);
  EXPECT_FLOAT_EQ(b->Last(MouseEvent::Wheel)->notches, 2.f);
  ASSERT_EQ(a->Count(MouseEvent::Wheel), 1);
  EXPECT_FLOAT_EQ(a->Last(MouseEvent::Wheel)->notches, -1.f);
  editor->MouseWheel(350, 280, 1.f);
  EXPECT_EQ(a->Count(MouseEvent::Wheel) + b->Count(MouseEvent::Wheel), 2) << "no control there";
}

TEST_F(GraphicsInput, DoubleClickReachesTheControlAsDoubleClick) {
  editor->MouseDown(50, 50);
  editor->MouseUp(50, 50);
  editor->MouseDoubleClick(50, 50);
  editor->MouseUp(50, 50);
  EXPECT_EQ(a->Count(MouseEvent::Down), 1);
  EXPECT_EQ(a->Count(MouseEvent::DblClick), 1);
  EXPECT_EQ(a->Count(MouseEvent::Up), 2);
}

TEST_F(GraphicsInput, ModifierKeysArePassedThrough) {
  IMouseMod shift;
  shift.S = true;
  IMouseMod ctrl;
  ctrl.C = true;
  editor->MouseDown(50, 50, shift);
  editor->MouseMove(60, 60, ctrl);
  const MouseEvent* down = a->Last(MouseEvent::Down);
  ASSERT_NE(down, nullptr);
  EXPECT_TRUE(down->mod.S);
  EXPECT_FALSE(down->mod.C);
  EXPECT_TRUE(down->mod.L) << "a press that names no button is a left press";
  const MouseEvent* drag = a->Last(MouseEvent::Drag);
  ASSERT_NE(drag, nullptr);
  EXPECT_TRUE(drag->mod.C);
  EXPECT_FALSE(drag->mod.S);
}

TEST_F(GraphicsInput, TargetRectangleDecidesTheHit) {
  b->SetTargetRECT(IRECT(250, 200, 300, 250));
  editor->MouseDown(150, 150);
  EXPECT_EQ(a->Count(MouseEvent::Down), 1) << "b is drawn there but does not take presses";
  EXPECT_EQ(b->Count(MouseEvent::Down), 0);
}

TEST_F(GraphicsInput, ControlsKnowTheirContextAndDelegate) {
  EXPECT_EQ(a->GetUI(), &editor->Graphics());
  EXPECT_EQ(a->GetDelegate(), &delegate);
  EXPECT_EQ(editor->Graphics().NControls(), 2);
  EXPECT_EQ(editor->Graphics().GetControl(1), b);
  EXPECT_EQ(editor->Graphics().GetControl(2), nullptr);
}

TEST_F(GraphicsInput, AttachedControlsKeepTheirTagAndGroup) {
  auto* c = new RecordingControl(IRECT(0, 0, 10, 10));
  editor->Graphics().AttachControl(c, 7, "knobs");
  EXPECT_EQ(c->GetTag(), 7);
  EXPECT_STREQ(c->GetGroup(), "knobs");
}

} // namespace
