// The drawing calls of IGraphics, checked on the pixels of an offscreen
// editor (llvmpipe, so the results are the same on every machine).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "framework/graphics/offscreen_editor.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IRECT;
using iplug::igraphics::OffscreenEditor;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

const IColor kBlack{255, 0, 0, 0};
const IColor kWhite{255, 255, 255, 255};

uint8_t Red(uint32_t p) { return static_cast<uint8_t>(p >> 24); }
uint8_t Green(uint32_t p) { return static_cast<uint8_t>(p >> 16); }
uint8_t Blue(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
uint8_t Alpha(uint32_t p) { return static_cast<uint8_t>(p); }

// One full-window control whose Draw is `draw`; the frame is drawn and read back.
class GraphicsDrawing : public ::testing::Test {
protected:
  Image Render(RecordingControl::DrawFunc draw) {
    delegate.onLayout = [&, draw](IGraphics& g, bool first) {
      if (first) g.AttachControl(new RecordingControl(IRECT(0, 0, g.Width(), g.Height()), draw));
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    EXPECT_TRUE(editor) << error;
    if (!editor) return {};
    editor->DrawFrame();
    return editor->ReadPixels();
  }

  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
};

TEST_F(GraphicsDrawing, FrameHasTheEditorSize) {
  const Image image = Render([](IGraphics&, RecordingControl&) {});
  EXPECT_EQ(image.width, TestDelegate::kWidth);
  EXPECT_EQ(image.height, TestDelegate::kHeight);
  EXPECT_EQ(image.Pixel(5, 5), 0u) << "nothing drawn: transparent";
}

TEST_F(GraphicsDrawing, FilledRectangleHasExactColourInsideAndStopsAtItsEdges) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.FillRect(IColor(255, 200, 100, 50), IRECT(10, 20, 50, 60));
  });
  EXPECT_EQ(image.Pixel(30, 40), 0xC86432FFu);
  EXPECT_EQ(image.Pixel(10, 20), 0xC86432FFu) << "top-left pixel";
  EXPECT_EQ(image.Pixel(49, 59), 0xC86432FFu) << "bottom-right pixel";
  EXPECT_EQ(image.Pixel(9, 40), 0x000000FFu);
  EXPECT_EQ(image.Pixel(50, 40), 0x000000FFu);
  EXPECT_EQ(image.Pixel(30, 19), 0x000000FFu);
  EXPECT_EQ(image.Pixel(30, 60), 0x000000FFu);
}

TEST_F(GraphicsDrawing, TranslucentFillReadsBackWithStraightAlpha) {
  const Image image = Render([](IGraphics& g, RecordingControl&) { g.FillRect(IColor(128, 255, 0, 0), IRECT(0, 0, 40, 40)); });
  const uint32_t p = image.Pixel(20, 20);
  EXPECT_EQ(Red(p), 255);
  EXPECT_EQ(Green(p), 0);
  EXPECT_NEAR(Alpha(p), 128, 1);
}

TEST_F(GraphicsDrawing, OnePixelLineBetweenPixelCentresCoversExactlyOneColumn) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.DrawLine(kWhite, 20.5f, 10.5f, 20.5f, 50.5f);
  });
  for (int y = 12; y < 50; ++y) {
    EXPECT_EQ(image.Pixel(20, y), 0xFFFFFFFFu) << "y " << y;
    EXPECT_EQ(image.Pixel(19, y), 0x000000FFu) << "y " << y;
    EXPECT_EQ(image.Pixel(21, y), 0x000000FFu) << "y " << y;
  }
}

TEST_F(GraphicsDrawing, OnePixelHorizontalLineCoversExactlyOneRow) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.DrawLine(kWhite, 10.5f, 30.5f, 90.5f, 30.5f);
  });
  for (int x = 12; x < 90; ++x) {
    EXPECT_EQ(image.Pixel(x, 30), 0xFFFFFFFFu) << "x " << x;
    EXPECT_EQ(image.Pixel(x, 29), 0x000000FFu) << "x " << x;
    EXPECT_EQ(image.Pixel(x, 31), 0x000000FFu) << "x " << x;
  }
}

TEST_F(GraphicsDrawing, FilledCircleCoversItsRadiusOnly) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.FillCircle(IColor(255, 0, 255, 0), 100.5f, 100.5f, 20.f);
  });
  EXPECT_EQ(image.Pixel(100, 100), 0x00FF00FFu) << "centre";
  EXPECT_EQ(image.Pixel(100 + 17, 100), 0x00FF00FFu) << "inside the rim";
  EXPECT_EQ(image.Pixel(100, 100 - 17), 0x00FF00FFu);
  EXPECT_EQ(image.Pixel(100 + 22, 100), 0x000000FFu) << "outside";
  EXPECT_EQ(image.Pixel(100 + 15, 100 + 15), 0x000000FFu) << "diagonal 21.2 px away is outside";
}

TEST_F(GraphicsDrawing, ArcAnglesRunClockwiseFromTwelveOClock) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.DrawArc(kWhite, 100.5f, 100.5f, 40.f, 0.f, 90.f, 3.f);   // 12 o'clock to 3 o'clock
  });
  auto lit = [&](int x, int y) { return Red(image.Pixel(x, y)) > 200; };
  // Points 5 degrees inside each end: (cx + r sin a, cy - r cos a).
  EXPECT_TRUE(lit(103, 60)) << "just after 12 o'clock";
  EXPECT_TRUE(lit(128, 72)) << "half way, 45 degrees";
  EXPECT_TRUE(lit(140, 97)) << "just before 3 o'clock";
  EXPECT_FALSE(lit(96, 60)) << "just before 12 o'clock";
  EXPECT_FALSE(lit(140, 104)) << "just after 3 o'clock";
  EXPECT_FALSE(lit(100, 140)) << "6 o'clock is not part of the arc";
  EXPECT_FALSE(lit(60, 100)) << "9 o'clock is not part of the arc";
  EXPECT_FALSE(lit(72, 72)) << "10:30 is not part of the arc";
}

TEST_F(GraphicsDrawing, TriangleFillsItsInteriorOnly) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.FillTriangle(IColor(255, 0, 0, 255), 10, 10, 110, 10, 10, 110);
  });
  EXPECT_EQ(image.Pixel(30, 30), 0x0000FFFFu);
  EXPECT_EQ(image.Pixel(100, 100), 0x000000FFu) << "beyond the hypotenuse";
}

TEST_F(GraphicsDrawing, VerticalGradientRunsFromTopColourToBottomColour) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRectVerticalGradient(IRECT(0, 0, 100, 200), IColor(255, 255, 0, 0), IColor(255, 0, 0, 255));
  });
  EXPECT_GT(Red(image.Pixel(50, 0)), 250);
  EXPECT_LT(Blue(image.Pixel(50, 0)), 5);
  EXPECT_LT(Red(image.Pixel(50, 199)), 5);
  EXPECT_GT(Blue(image.Pixel(50, 199)), 250);
  EXPECT_NEAR(Red(image.Pixel(50, 100)), 127, 3) << "half way";
  for (int y = 1; y < 200; ++y) EXPECT_LE(Red(image.Pixel(50, y)), Red(image.Pixel(50, y - 1))) << "y " << y;
}

TEST_F(GraphicsDrawing, GradientFadesAlphaToTransparent) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRectVerticalGradient(IRECT(0, 0, 100, 200), IColor(255, 250, 130, 60), IColor(0, 250, 130, 60));
  });
  EXPECT_GT(Alpha(image.Pixel(50, 0)), 250);
  EXPECT_LT(Alpha(image.Pixel(50, 199)), 5);
  EXPECT_NEAR(Red(image.Pixel(50, 100)), 250, 2) << "the colour stays; only alpha fades";
}

// Two squares in one path: the inner one wound the other way is a hole
// (non-zero rule); wound the same way it is filled.
TEST_F(GraphicsDrawing, PathFillUsesTheNonZeroRule) {
  auto square = [](IGraphics& g, float l, float t, float r, float b, bool clockwise) {
    g.PathMoveTo(l, t);
    if (clockwise) {
      g.PathLineTo(r, t);
      g.PathLineTo(r, b);
      g.PathLineTo(l, b);
    } else {
      g.PathLineTo(l, b);
      g.PathLineTo(r, b);
      g.PathLineTo(r, t);
    }
    g.PathClose();
  };
  const Image image = Render([&](IGraphics& g, RecordingControl&) {
    g.PathClear();
    square(g, 10, 10, 110, 110, true);
    square(g, 40, 40, 80, 80, false);
    square(g, 200, 10, 300, 110, true);
    square(g, 230, 40, 270, 80, true);
    g.PathFill(IColor(255, 255, 255, 255));
  });
  EXPECT_EQ(image.Pixel(20, 20), 0xFFFFFFFFu) << "outer square";
  EXPECT_EQ(Alpha(image.Pixel(60, 60)), 0) << "opposite winding: a hole";
  EXPECT_EQ(image.Pixel(250, 60), 0xFFFFFFFFu) << "same winding: filled";
}

TEST_F(GraphicsDrawing, PathStrokeDrawsEverySubPathInOneCall) {
  const Image image = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(kBlack, IRECT(0, 0, 400, 300));
    g.PathClear();
    g.PathMoveTo(10.5f, 10.5f);
    g.PathLineTo(60.5f, 10.5f);
    g.PathMoveTo(10.5f, 40.5f);
    g.PathLineTo(60.5f, 40.5f);
    g.PathStroke(kWhite, 1.f);
  });
  EXPECT_EQ(image.Pixel(30, 10), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(30, 40), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(30, 25), 0x000000FFu) << "no segment joins the sub-paths";
}

TEST_F(GraphicsDrawing, ControlsDrawInAttachOrder) {
  delegate.onLayout = [](IGraphics& g, bool first) {
    if (!first) return;
    g.AttachControl(new RecordingControl(IRECT(0, 0, 100, 100),
                                         [](IGraphics& gr, RecordingControl&) { gr.FillRect(IColor(255, 255, 0, 0), IRECT(0, 0, 100, 100)); }));
    g.AttachControl(new RecordingControl(IRECT(50, 50, 150, 150),
                                         [](IGraphics& gr, RecordingControl&) { gr.FillRect(IColor(255, 0, 0, 255), IRECT(50, 50, 150, 150)); }));
  };
  std::string error;
  editor = OffscreenEditor::Open(delegate, &error);
  ASSERT_TRUE(editor) << error;
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  EXPECT_EQ(image.Pixel(25, 25), 0xFF0000FFu);
  EXPECT_EQ(image.Pixel(75, 75), 0x0000FFFFu) << "the later control draws on top";
}

TEST_F(GraphicsDrawing, EachFrameStartsFromAClearedFramebuffer) {
  bool drawRect = true;
  Render([&](IGraphics& g, RecordingControl&) {
    if (drawRect) g.FillRect(kWhite, IRECT(0, 0, 50, 50));
  });
  ASSERT_TRUE(editor);
  drawRect = false;
  editor->DrawFrame();
  EXPECT_EQ(editor->ReadPixels().Pixel(25, 25), 0u);
}

TEST_F(GraphicsDrawing, DrawingCallsOutsideAFrameAreIgnored) {
  Render([](IGraphics&, RecordingControl&) {});
  ASSERT_TRUE(editor);
  IGraphics& g = editor->Graphics();
  EXPECT_EQ(g.GetDrawContext(), nullptr);
  g.FillRect(kWhite, IRECT(0, 0, 50, 50));
  g.PathLineTo(10, 10);
  g.PathFill(kWhite);
  editor->DrawFrame();
  EXPECT_EQ(editor->ReadPixels().Pixel(25, 25), 0u);
}

TEST_F(GraphicsDrawing, FrameIsRedrawnOnlyWhenSomethingIsDirty) {
  Render([](IGraphics&, RecordingControl&) {});
  ASSERT_TRUE(editor);
  IGraphics& g = editor->Graphics();
  auto* control = static_cast<RecordingControl*>(g.GetControl(0));
  EXPECT_FALSE(g.IsDirty()) << "a drawn frame leaves the controls clean";
  control->SetDirty();
  EXPECT_TRUE(g.IsDirty());
  control->alwaysDirty = true;
  editor->DrawFrame();
  EXPECT_TRUE(g.IsDirty()) << "a control that reports itself dirty keeps the editor redrawing";
}

} // namespace
