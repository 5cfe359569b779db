// The corner resize handle and host resizes of an editor: sizes stay within
// the delegate's limits, the layout hook follows, the platform is asked to
// resize, and a reopened editor comes back at its last size.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/graphics/corner_resizer.h"
#include "framework/graphics/offscreen_editor.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::EUIResizerMode;
using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IRECT;
using iplug::igraphics::OffscreenEditor;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

const IColor kNormal{255, 0, 0, 255}, kOver{255, 0, 255, 0}, kDrag{255, 255, 0, 0};

// A full-window control that follows the layout hook, and a 20-pixel corner
// handle in Size (or Scale) mode with three distinct colours.
class GraphicsResizer : public ::testing::Test {
protected:
  void Open(EUIResizerMode mode = EUIResizerMode::Size) {
    delegate.onLayout = [this, mode](IGraphics& g, bool first) {
      if (first) {
        view = static_cast<RecordingControl*>(g.AttachControl(new RecordingControl(IRECT(0, 0, g.Width(), g.Height()))));
        g.AttachCornerResizer(mode, true, kNormal, kOver, kDrag, 20.f);
      } else {
        view->SetTargetAndDrawRECTs(IRECT(0, 0, g.Width() / g.GetDrawScale(), g.Height() / g.GetDrawScale()));
      }
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    ASSERT_TRUE(editor) << error;
  }
  // Press at the handle's middle, move by (dx, dy), release.
  void Drag(float dx, float dy) {
    const float x = editor->Graphics().Width() - 10.f, y = editor->Graphics().Height() - 10.f;
    editor->MouseMove(x, y);
    editor->MouseDown(x, y);
    editor->MouseMove(x + dx, y + dy);
    editor->MouseUp(x + dx, y + dy);
  }

  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
  RecordingControl* view = nullptr;
};

TEST_F(GraphicsResizer, DraggingTheHandleResizesTheEditorAndRunsTheLayoutHook) {
  Open();
  const int layoutsBefore = delegate.layoutCalls;
  Drag(100, 50);
  IGraphics& g = editor->Graphics();
  EXPECT_EQ(g.Width(), 500);
  EXPECT_EQ(g.Height(), 350);
  EXPECT_EQ(delegate.layoutCalls, layoutsBefore + 1);
  EXPECT_EQ(delegate.lastLayoutWidth, 500);
  EXPECT_EQ(delegate.GetEditorWidth(), 500) << "the delegate keeps the editor's size";
  EXPECT_EQ(delegate.GetEditorHeight(), 350);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_EQ(image.width, 500) << "the platform followed the request";
  EXPECT_EQ(image.height, 350);
}

TEST_F(GraphicsResizer, DragsBeyondTheLimitsAreClamped) {
  Open();
  Drag(2000, 2000);
  EXPECT_EQ(editor->Graphics().Width(), TestDelegate::kMaxWidth);
  EXPECT_EQ(editor->Graphics().Height(), TestDelegate::kMaxHeight);
  Drag(-5000, -5000);
  EXPECT_EQ(editor->Graphics().Width(), TestDelegate::kMinWidth);
  EXPECT_EQ(editor->Graphics().Height(), TestDelegate::kMinHeight);
}

TEST_F(GraphicsResizer, HandleMovesWithTheCornerAndIsOfferedPressesFirst) {
  Open();
  Drag(100, 50);
  editor->MouseDown(495, 345);
  editor->MouseUp(495, 345);
  EXPECT_EQ(view->Count(testsupport::MouseEvent::Down), 0) << "the handle covers the view's corner";
  editor->MouseDown(395, 295);
  EXPECT_EQ(view->Count(testsupport::MouseEvent::Down), 1) << "the old corner is the view's again";
}

TEST_F(GraphicsResizer, HandleIsDrawnInItsNormalOverAndDragColours) {
  Open();
  auto corner = [&] {
    editor->DrawFrame();
    return editor->ReadPixels().Pixel(TestDelegate::kWidth - 3, TestDelegate::kHeight - 3);
  };
  EXPECT_EQ(corner(), 0x0000FFFFu);
  editor->MouseMove(390, 290);
  EXPECT_EQ(corner(), 0x00FF00FFu);
  editor->MouseDown(390, 290);
  EXPECT_EQ(corner(), 0xFF0000FFu);
  editor->MouseUp(390, 290);
  editor->MouseMove(100, 100);
  EXPECT_EQ(corner(), 0x0000FFFFu);
  EXPECT_EQ(editor->ReadPixels().Pixel(TestDelegate::kWidth - 18, TestDelegate::kHeight - 18), 0u)
      << "a triangle: the corner opposite the window's corner stays empty";
}

TEST_F(GraphicsResizer, HostResizeIsConstrainedAndRunsTheLayoutHook) {
  Open();
  editor->Resize(1000, 100);
  EXPECT_EQ(editor->Graphics().Width(), TestDelegate::kMaxWidth);
  EXPECT_EQ(editor->Graphics().Height(), TestDelegate::kMinHeight);
  EXPECT_EQ(delegate.lastLayoutWidth, TestDelegate::kMaxWidth);
  EXPECT_EQ(delegate.lastLayoutHeight, TestDelegate::kMinHeight);
  const int layouts = delegate.layoutCalls;
  editor->Resize(TestDelegate::kMaxWidth, TestDelegate::kMinHeight);
  EXPECT_EQ(delegate.layoutCalls, layouts) << "the same size again changes nothing";
}

TEST_F(GraphicsResizer, ReopenedEditorComesBackAtItsLastSize) {
  Open();
  Drag(100, 50);
  editor.reset();
  Open();
  EXPECT_EQ(editor->Graphics().Width(), 500);
  EXPECT_EQ(editor->Graphics().Height(), 350);
  editor->DrawFrame();
  EXPECT_EQ(editor->ReadPixels().width, 500);
}

TEST_F(GraphicsResizer, ScaleModeScalesTheContentWithTheWindow) {
  Open(EUIResizerMode::Scale);
  view->SetTargetAndDrawRECTs(IRECT(0, 0, 400, 300));
  Drag(400, 300);                              // to twice the size
  IGraphics& g = editor->Graphics();
  EXPECT_EQ(g.Width(), 800);
  EXPECT_EQ(g.Height(), 600);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 2.f);
  auto* box = new RecordingControl(IRECT(0, 0, 10, 10),
                                   [](IGraphics& gr, RecordingControl&) { gr.FillRect(IColor(255, 255, 255, 255), IRECT(0, 0, 10, 10)); });
  g.AttachControl(box);
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_EQ(image.Pixel(19, 19), 0xFFFFFFFFu) << "10 editor units are 20 pixels";
  EXPECT_EQ(image.Pixel(21, 21), 0u);
  editor->MouseDown(15, 15);
  EXPECT_EQ(box->Count(testsupport::MouseEvent::Down), 1) << "input is scaled back to editor units";
  EXPECT_FLOAT_EQ(box->Last(testsupport::MouseEvent::Down)->x, 7.5f);
}

TEST_F(GraphicsResizer, ScaleModeKeepsTheAspectAndTheLimits) {
  Open(EUIResizerMode::Scale);
  Drag(1000, 0);
  IGraphics& g = editor->Graphics();
  EXPECT_EQ(g.Width(), TestDelegate::kMaxWidth);
  EXPECT_EQ(g.Height(), TestDelegate::kMaxHeight) << "400 x 300 doubled fits 800 x 600 exactly";
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 2.f);
}

} // namespace
