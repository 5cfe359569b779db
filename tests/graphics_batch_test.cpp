// The batching back end against NanoVG's stock GL2 back end: the same
// drawing calls must give the same pixels (within rounding) while taking far
// fewer GL draws. Scenes cover every kind of call the back end sorts
// differently (convex fills, strokes, concave and multi-path fills through
// the stencil, gradients, text) and whole Varnock editor frames with audio
// in the analyser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor/varnock_view.h"
#include "framework/graphics/offscreen_editor.h"
#include "plugin/params.h"
#include "harness/editor_harness.h"
#include "tests/support/test_delegate.h"
#include "tests/support/test_signals.h"

namespace {

using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IRECT;
using iplug::igraphics::OffscreenEditor;
using Renderer = iplug::igraphics::IGraphics::ERenderer;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

struct Difference {
  int maxChannel = 0;     // largest difference of one channel, 0..255
  int pixelsOver1 = 0;    // pixels with some channel differing by more than 1
  int pixelsOver2 = 0;    // ... by more than 2
  int pixelsDrawn = 0;    // pixels that are not transparent in the reference
};

Difference Compare(const Image& reference, const Image& batched) {
  Difference d;
  EXPECT_EQ(reference.width, batched.width);
  EXPECT_EQ(reference.height, batched.height);
  if (reference.rgba.size() != batched.rgba.size()) {
    d.maxChannel = 255;
    return d;
  }
  for (std::size_t p = 0; p < reference.rgba.size(); p += 4) {
    int worst = 0;
    for (int c = 0; c < 4; ++c) worst = std::max(worst, std::abs(reference.rgba[p + c] - batched.rgba[p + c]));
    d.maxChannel = std::max(d.maxChannel, worst);
    if (worst > 1) ++d.pixelsOver1;
    if (worst > 2) ++d.pixelsOver2;
    if (reference.rgba[p + 3] != 0) ++d.pixelsDrawn;
  }
  return d;
}

// One full-window control whose Draw is `draw`, drawn once per renderer.
class BatchedAgainstReference : public ::testing::Test {
protected:
  struct Frames {
    Image reference, batched;
    int batchedDraws = 0;
  };

  Frames Render(RecordingControl::DrawFunc draw) {
    delegate.onLayout = [draw](IGraphics& g, bool first) {
      if (first) g.AttachControl(new RecordingControl(IRECT(0, 0, g.Width(), g.Height()), draw));
    };
    std::string error;
    std::unique_ptr<OffscreenEditor> editor = OffscreenEditor::Open(delegate, &error);
    Frames frames;
    EXPECT_TRUE(editor) << error;
    if (!editor) return frames;
    editor->Graphics().SetRenderer(Renderer::Reference);
    editor->DrawFrame();
    frames.reference = editor->ReadPixels();
    editor->Graphics().SetRenderer(Renderer::Batched);
    editor->DrawFrame();
    frames.batched = editor->ReadPixels();
    frames.batchedDraws = editor->Graphics().GetLastFrameDrawCalls();
    return frames;
  }

  TestDelegate delegate;
};

TEST_F(BatchedAgainstReference, ConvexFillsAndStrokesOfManyColoursMatchInFewDraws) {
  const Frames f = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(IColor(255, 20, 22, 28), IRECT(0, 0, g.Width(), g.Height()));
    // Alternating colours: the stock back end needs one draw per line.
    for (int i = 0; i < 300; ++i) {
      const IColor colour(128 + i % 128, (i * 37) % 256, (i * 91) % 256, 255 - (i * 53) % 256);
      const float x = 10.5f + static_cast<float>(i);
      g.DrawLine(colour, x, 20.5f, x + 0.3f * static_cast<float>(i % 7), 120.5f + static_cast<float>(i % 40));
    }
    for (int i = 0; i < 20; ++i) {
      const float x = 20.f + 18.f * static_cast<float>(i);
      g.FillCircle(IColor(200, 250, 180, static_cast<uint8_t>(i * 12)), x, 170.f, 3.f + 0.4f * static_cast<float>(i));
      g.DrawArc(IColor(255, 120, 220, 255), x, 230.f, 7.f, -135.f, -135.f + 13.5f * static_cast<float>(i), 2.f);
      g.FillTriangle(IColor(160, 255, 255, 255), x - 6.f, 270.f, x + 6.f, 270.f, x, 260.f + 0.5f * static_cast<float>(i));
      g.FillRect(IColor(90, 0, 200, 255), IRECT(x - 4.f, 275.f, x + 4.f, 290.f + static_cast<float>(i % 5)));
    }
  });
  const Difference d = Compare(f.reference, f.batched);
  EXPECT_GT(d.pixelsDrawn, 1000);
  EXPECT_LE(d.maxChannel, 2);
  EXPECT_EQ(d.pixelsOver1, 0);
  EXPECT_LE(f.batchedDraws, 4) << "300 lines of 300 colours, 80 fills";
}

TEST_F(BatchedAgainstReference, ConcaveAndMultiPathFillsGradientsAndTextMatch) {
  const Frames f = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(IColor(255, 30, 30, 30), IRECT(0, 0, g.Width(), g.Height()));
    // A concave comb and a star (self-intersecting, non-zero winding).
    std::vector<float> comb;
    for (int i = 0; i <= 20; ++i) {
      comb.push_back(20.f + 10.f * static_cast<float>(i));
      comb.push_back(i % 2 ? 30.f : 90.f);
    }
    comb.insert(comb.end(), {220.f, 110.f, 20.f, 110.f});
    g.PathClear();
    g.PathMoveTo(comb[0], comb[1]);
    for (std::size_t i = 2; i < comb.size(); i += 2) g.PathLineTo(comb[i], comb[i + 1]);
    g.PathClose();
    g.PathFill(IColor(220, 90, 200, 120));
    g.PathClear();
    for (int i = 0; i < 5; ++i) {
      const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
      const float x = 310.f + 60.f * static_cast<float>(std::cos(a)), y = 80.f + 60.f * static_cast<float>(std::sin(a));
      if (i == 0) g.PathMoveTo(x, y); else g.PathLineTo(x, y);
    }
    g.PathClose();
    g.PathFill(IColor(255, 250, 200, 60));
    g.FillRectVerticalGradient(IRECT(20, 150, 380, 220), IColor(200, 40, 160, 255), IColor(0, 40, 160, 255));
    g.DrawText(iplug::igraphics::IText{16.f, IColor(255, 230, 230, 230), "Arial"}, "Threshold -24.0 dB",
               IRECT(20, 230, 380, 260));
    g.DrawText(iplug::igraphics::IText{11.f, IColor(255, 255, 180, 80), "Arial-Bold"}, "1k 10k DELTA",
               IRECT(20, 262, 380, 290));
    // A line crossing the fills after them: order is kept across batches.
    g.DrawLine(IColor(255, 255, 0, 0), 10.5f, 60.5f, 390.5f, 200.5f, 3.f);
  });
  const Difference d = Compare(f.reference, f.batched);
  EXPECT_GT(d.pixelsDrawn, 1000);
  EXPECT_LE(d.maxChannel, 2);
  EXPECT_EQ(d.pixelsOver1, 0);
}

TEST_F(BatchedAgainstReference, SegmentsShorterThanTheirFadesMatch) {
  // The analyser's band between two close curves: vertical segments of a
  // fraction of a pixel, whose bodies run backwards between the end fades.
  const Frames f = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(IColor(255, 20, 22, 28), IRECT(0, 0, g.Width(), g.Height()));
    for (int i = 0; i < 120; ++i) {
      const float x = 10.5f + static_cast<float>(i), y = 20.5f + 0.37f * static_cast<float>(i % 9);
      g.DrawLine(IColor(102, 250, 133, 61), x, y, x, y + 0.05f + 0.025f * static_cast<float>(i % 60));
    }
  });
  const Difference d = Compare(f.reference, f.batched);
  EXPECT_GT(d.pixelsDrawn, 1000);
  EXPECT_LE(d.maxChannel, 1);
}

// The reference blends each copy of a stacked line on its own, rounding to 8
// bits every time; the batched renderer composes the copies in the shader
// and rounds once, so stacks of nine translucent copies may differ by a few
// steps (half a step per copy at most), never more.
TEST_F(BatchedAgainstReference, StackedLinesMatchCopyByCopyDrawing) {
  const Frames f = Render([](IGraphics& g, RecordingControl&) {
    g.FillRect(IColor(255, 20, 22, 28), IRECT(0, 0, g.Width(), g.Height()));
    float y[200];
    for (int i = 0; i < 200; ++i)
      y[i] = 60.5f + 0.37f * static_cast<float>((i * 7) % 5) + (i > 60 ? 12.3f : 0.f) +
             (i > 120 ? 30.f * std::sin(0.4f * static_cast<float>(i)) : 0.f);
    for (int i = 1; i < 200; ++i) {
      const float x = 10.5f + static_cast<float>(i);
      g.DrawLineStack(IColor(26, 250, 133, 61), x - 1.f, y[i - 1], x, y[i], -4, 4);
      g.DrawLineStack(IColor(255, 249, 175, 133), x - 1.f, y[i - 1], x, y[i], 0, 1);
    }
    // A thicker, opaque stack over everything, and stacks of other lengths.
    g.DrawLineStack(IColor(255, 40, 200, 255), 20.5f, 150.5f, 380.5f, 170.5f, -2, 2, 2.f);
    for (int i = 0; i < 8; ++i) {
      // Offsets on one side only (the copies go down from the first) and a single copy.
      const float x = 30.5f + 40.f * static_cast<float>(i);
      g.DrawLineStack(IColor(60, 255, 255, 255), x, 200.5f, x + 3.f * static_cast<float>(i),
                      260.5f - 5.f * static_cast<float>(i), i % 2 ? -i : 1, i % 2 ? -1 : i + 1);
    }
  });
  const Difference d = Compare(f.reference, f.batched);
  EXPECT_GT(d.pixelsDrawn, 1000);
  EXPECT_LE(d.maxChannel, 4);
  EXPECT_LE(d.pixelsOver2 * 1000, d.pixelsDrawn) << d.pixelsOver2 << " of " << d.pixelsDrawn;
}

// Whole editor frames, with the analyser showing processed noise and tones.
// The analyser's falls and decays advance with every frame drawn, so each
// renderer gets its own instance fed and drawn the same way.
void ProcessMusicLikeSignal(varnock::EditorHarness& h) {
  ASSERT_TRUE(h.startProcessing(48000.0, 512));
  const int frames = 48000 / 2;
  const std::vector<float> left = testsignals::toFloat(testsignals::mix(
      testsignals::whiteNoise(frames, 7, 0.2), testsignals::clickTrain(frames, 4800, 0.9)));
  const std::vector<float> right = testsignals::toFloat(
      testsignals::mix(testsignals::whiteNoise(frames, 8, 0.2), testsignals::sine(frames, 220.0, 48000.0, 0.5)));
  for (int i = 0; i < 6; ++i) {
    h.process(left.data() + i * frames / 6, right.data() + i * frames / 6, frames / 6);
    h.nextFrame();
  }
}

struct EditorScene {
  double mode = 0.0;
  bool delta = false;
  int width = 760, height = 416;
};

// The scene's last frame with `renderer`; *draws gets its GL draw count.
Image RenderEditor(const EditorScene& scene, Renderer renderer, int* draws) {
  varnock::EditorHarness h;
  std::string error;
  EXPECT_TRUE(h.open(760, 416, &error)) << error;
  if (!h.isOpen()) return {};
  h.editor().Graphics().SetRenderer(renderer);
  EXPECT_TRUE(h.setParamByName("Mode", scene.mode));
  EXPECT_TRUE(h.setParamByName("Delta", scene.delta ? 1.0 : 0.0));
  if (scene.width != 760) h.resize(scene.width, scene.height);
  ProcessMusicLikeSignal(h);
  h.move(scene.width * 0.6, scene.height * 0.45);  // the cursor readout and hover states
  h.nextFrame();
  *draws = h.editor().Graphics().GetLastFrameDrawCalls();
  return h.image();
}

void ExpectEditorFramesMatch(const EditorScene& scene) {
  int referenceDraws = 0, batchedDraws = 0;
  const Image reference = RenderEditor(scene, Renderer::Reference, &referenceDraws);
  const Image batched = RenderEditor(scene, Renderer::Batched, &batchedDraws);
  const Difference d = Compare(reference, batched);
  EXPECT_GT(d.pixelsDrawn, scene.width * scene.height / 2);
  // Dozens of translucent strokes stack up on some pixels (the gain glow is
  // a stacked line); each of the reference's blends rounds to 8 bits, so a
  // pixel here and there may end a few steps away.
  EXPECT_LE(d.maxChannel, 4);
  EXPECT_LE(d.pixelsOver2 * 10000, d.pixelsDrawn) << d.pixelsOver2 << " of " << d.pixelsDrawn;
  EXPECT_GT(batchedDraws, 0);
  EXPECT_LT(batchedDraws, 200) << "a whole editor frame in few draws";
}

TEST(BatchedEditorFrames, EveryModeMatchesTheReference) {
  for (double mode : {0.0, 1.0, 2.0}) {
    SCOPED_TRACE(mode);
    ExpectEditorFramesMatch({mode, false, 760, 416});
  }
}

TEST(BatchedEditorFrames, LargeGrowLayoutWithDeltaMatchesTheReference) {
  ExpectEditorFramesMatch({0.0, true, 1520, 832});
}

} // namespace
