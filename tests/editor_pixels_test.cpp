// A few deterministic pixels of the drawn editor, and snapshots of the whole
// editor (760 x 416, 1520 x 832 Fixed and Grow, with the demo signal
// processed), checked at known places and written as PNGs into the build tree
// for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/analyser/analyser_geometry.h"
#include "plugin/param_index.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

// 0xRRGGBBAA of an opaque colour given as 0..1 channels, with the view's
// conversion trunc(c * 255 + 0.5).
uint32_t opaque(double r, double g, double b) {
  auto byte = [](double c) { return static_cast<uint32_t>(c * 255.0 + 0.5); };
  return byte(r) << 24 | byte(g) << 16 | byte(b) << 8 | 0xFFu;
}

class EditorPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(h.open(760, 416, &error)) << error;
    h.frame();
  }
  EditorHarness h;
};

TEST_F(EditorPixels, WindowBackgroundBetweenHeaderAndAnalyser) {
  EXPECT_EQ(h.image().Pixel(5, 51), opaque(0.07, 0.075, 0.09));
}

TEST_F(EditorPixels, HeaderAndFooterBands) {
  const iplug::igraphics::Image image = h.image();
  EXPECT_EQ(image.Pixel(5, 5), opaque(0.10, 0.105, 0.13));
  EXPECT_EQ(image.Pixel(5, 410), opaque(0.10, 0.105, 0.13));
  EXPECT_EQ(image.Pixel(5, 384), opaque(0.20, 0.21, 0.26));       // footer top line
  EXPECT_EQ(image.Pixel(5, 48), opaque(0.565, 0.749, 0.129));     // header underline
}

TEST_F(EditorPixels, KnobPanel) {
  EXPECT_EQ(h.image().Pixel(20, 300), opaque(0.105, 0.11, 0.135));
}

TEST_F(EditorPixels, SelectedModeIsFilledWithTheModeAccent) {
  EXPECT_EQ(h.image().Pixel(220, 14), opaque(0.98, 0.52, 0.24));  // Cut
  h.setParam(kMode, 2.0);
  h.frame();
  const iplug::igraphics::Image image = h.image();
  EXPECT_EQ(image.Pixel(332, 14), opaque(0.66, 0.58, 1.00));      // Tame
  EXPECT_EQ(image.Pixel(220, 14), opaque(0.13, 0.14, 0.17));      // Cut, not hovered
}

TEST_F(EditorPixels, SelectedUiSizeButtonUsesTheControlAccent) {
  EXPECT_EQ(h.image().Pixel(503, 392), opaque(0.565, 0.749, 0.129));
  EXPECT_EQ(h.image().Pixel(547, 392), opaque(0.13, 0.14, 0.17));
}

TEST_F(EditorPixels, HoveredButtonLightsUp) {
  h.move(300, 14);
  h.frame();
  EXPECT_EQ(h.image().Pixel(276, 14), opaque(0.19, 0.20, 0.245));
}

TEST_F(EditorPixels, DeltaOnFillsTheToggleAmberDark) {
  h.setParam(kDelta, 1.0);
  h.frame();
  const iplug::igraphics::Image image = h.image();
  EXPECT_EQ(image.Pixel(640, 12), opaque(1.0, 0.82, 0.28));       // outer outline
  EXPECT_EQ(image.Pixel(641, 13), opaque(1.0, 0.82, 0.28));       // inner outline
  EXPECT_EQ(image.Pixel(643, 15), opaque(0.26, 0.21, 0.07));      // fill
}

// A knob's ring is one even band at every size: at 4x its inside is the
// track colour all the way round (stacked one-pixel arcs left seams that
// showed as moire). Threshold's track, right of its value arc, radius
// 38.5 .. 48.5 px around (200.5, 1296.5).
TEST_F(EditorPixels, KnobRingIsAnEvenBandAtFourTimesTheSize) {
  h.setParam(kUISize, 1.0);
  h.resize(3040, 1664);
  h.frame();
  const iplug::igraphics::Image image = h.image();
  int uneven = 0;
  for (int degrees = 10; degrees <= 130; ++degrees)
    for (double radius : {41.0, 43.5, 46.0}) {
      const double a = degrees * 3.141592653589793 / 180.0;
      const int x = static_cast<int>(std::floor(200.5 + radius * std::sin(a)));
      const int y = static_cast<int>(std::floor(1296.5 - radius * std::cos(a)));
      uneven += image.Pixel(x, y) != opaque(0.26, 0.27, 0.33);
    }
  EXPECT_EQ(uneven, 0);
}

// Two seconds of clicks over a resonance, so the analyser has something to show.
void processDemo(EditorHarness& h, int frames30) {
  const int perFrame = 1600;
  std::vector<float> left(perFrame), right(perFrame);
  unsigned state = 1u;
  for (int f = 0; f < frames30; ++f) {
    for (int i = 0; i < perFrame; ++i) {
      const int n = f * perFrame + i;
      state = state * 1664525u + 1013904223u;
      const float noise = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
      const double click = 0.6 * std::exp(-(n % 12000) / 200.0);
      left[i] = right[i] = static_cast<float>(0.12 * std::sin(2.0 * 3.141592653589793 * 3200.0 * n / 48000.0) +
                                              (0.02 + click) * noise);
    }
    h.process(left.data(), right.data(), perFrame);
    h.nextFrame();
  }
}

bool isOpaque(const iplug::igraphics::Image& image, int x, int y, double r, double g, double b) {
  return image.Pixel(x, y) == opaque(r, g, b);
}

// Pixels of the processed range in the spectrum area (between the range
// handles, below the toggle row, above the handle labels) drawn in the Cut
// accent at full strength: the gain curve's core and the most active input
// line. None without a live signal.
int liveAccentPixels(const iplug::igraphics::Image& image, double s, double extraHeight) {
  const AnalyserGeometry g = makeAnalyserGeometry(s, image.width, extraHeight, kModeCut, 12.0);
  const int left = static_cast<int>(frequencyToX(g, 1000.0) + 12 * s);
  const int right = static_cast<int>(frequencyToX(g, 18000.0) - 12 * s);
  int count = 0;
  for (int y = static_cast<int>(g.top + 30 * s); y < static_cast<int>(g.spectrumBottom() - 30 * s); ++y)
    for (int x = left; x < right; ++x) {
      const uint32_t p = image.Pixel(x, y);
      const int r = p >> 24, green = (p >> 16) & 0xff, b = (p >> 8) & 0xff;
      count += r > 200 && green > 140 && green < 200 && b < 160 && r - b > 90;
    }
  return count;
}

// An editor size and UI Size mode, and where its layout puts things.
struct SnapshotCase {
  int width, height;
  double uiSize;                 // 0 Fixed, 1 Grow
  const char* name;
  double scale;                  // uiScale
  double extraWidth, extraHeight;
};

class EditorSnapshots : public ::testing::TestWithParam<SnapshotCase> {};

// Renders the editor with two seconds of the demo processed, writes the PNG
// into the build tree for a person to look at, and checks what a user sees
// in it: the bands and the knob panel in their colours where the layout puts
// them, the selected mode and UI Size buttons at their scaled positions, and
// a live spectrum in the mode accent.
TEST_P(EditorSnapshots, ShowTheLayoutAndALiveSpectrum) {
  const SnapshotCase c = GetParam();
  EditorHarness h;
  h.setParam(kUISize, c.uiSize);
  ASSERT_TRUE(h.startProcessing(48000.0, 512));
  std::string error;
  ASSERT_TRUE(h.open(c.width, c.height, &error)) << error;
  processDemo(h, 24);
  const std::filesystem::path dir = std::filesystem::path(VARNOCK_BUNDLE_PATH).parent_path() / "editor-snapshots";
  std::filesystem::create_directories(dir);
  const iplug::igraphics::Image image = h.image();
  ASSERT_EQ(image.width, c.width);
  ASSERT_EQ(image.height, c.height);
  ASSERT_TRUE(image.SavePng((dir / c.name).string().c_str(), &error)) << error;

  const double s = c.scale, dx = c.extraWidth, dy = c.extraHeight;
  auto at = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
  EXPECT_TRUE(isOpaque(image, 5, 5, 0.10, 0.105, 0.13)) << "header band";
  EXPECT_TRUE(isOpaque(image, 5, at(48 * s), 0.565, 0.749, 0.129)) << "header underline";
  EXPECT_TRUE(isOpaque(image, at(20 * s), at(300 * s + dy), 0.105, 0.11, 0.135)) << "knob panel";
  EXPECT_TRUE(isOpaque(image, 5, c.height - 3, 0.10, 0.105, 0.13)) << "footer band";
  EXPECT_TRUE(isOpaque(image, at(220 * s), at(14 * s), 0.98, 0.52, 0.24)) << "Cut, selected";
  EXPECT_TRUE(isOpaque(image, at(276 * s), at(14 * s), 0.13, 0.14, 0.17)) << "Boost, not selected";
  const double selectedUiSize = c.uiSize > 0.5 ? 544 : 500, otherUiSize = c.uiSize > 0.5 ? 500 : 544;
  EXPECT_TRUE(isOpaque(image, at(selectedUiSize * s + dx) + 3, at(392 * s + dy), 0.565, 0.749, 0.129))
      << "selected UI Size button";
  EXPECT_TRUE(isOpaque(image, at(otherUiSize * s + dx) + 3, at(392 * s + dy), 0.13, 0.14, 0.17))
      << "the other UI Size button";
  EXPECT_GT(liveAccentPixels(image, s, dy), 50) << "live spectrum in the mode accent";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EditorSnapshots,
    ::testing::Values(SnapshotCase{760, 416, 0.0, "editor-760x416.png", 1.0, 0.0, 0.0},
                      SnapshotCase{1520, 832, 0.0, "editor-1520x832-fixed.png", 1.0, 760.0, 416.0},
                      SnapshotCase{1520, 832, 1.0, "editor-1520x832-grow.png", 2.0, 0.0, 0.0}),
    [](const ::testing::TestParamInfo<SnapshotCase>& info) {
      return std::string(info.param.uiSize > 0.5 ? "Grow" : "Fixed") + std::to_string(info.param.width);
    });

// The same check finds no accent where nothing was processed, so the count
// above comes from the live signal.
TEST_F(EditorPixels, NoLiveAccentWithoutSignal) { EXPECT_EQ(liveAccentPixels(h.image(), 1.0, 0.0), 0); }

} // namespace
} // namespace varnock
