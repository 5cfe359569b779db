// The analyser inside the running editor: drawn pixels, the frame without
// an engine, curve toggles, handle drags and the cursor readout's help text.
// The editor opens offscreen (software rasteriser); time and input are
// injected; the feed is written directly (no audio runs).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plugin/param_index.h"
#include "dsp/spectral_engine.h"
#include "editor/analyser/analyser_geometry.h"
#include "editor/frame_scale.h"
#include "editor/varnock_view.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

struct Rgb8 {
  int r, g, b;
};

Rgb8 pixel(const iplug::igraphics::Image& image, int x, int y) {
  const uint32_t p = image.Pixel(x, y);
  return {int(p >> 24), int((p >> 16) & 0xff), int((p >> 8) & 0xff)};
}

// One channel as the view turns it into a byte.
int byteOf(double c) { return int(std::min(255.0, c * 255.0 + 0.5)); }

// src at alpha a (as a byte) over dst, per channel.
double over(double src, double alpha, double dst) {
  const double a = byteOf(alpha) / 255.0;
  return byteOf(src) * a + dst * (1.0 - a);
}

#define EXPECT_RGB_NEAR(actual, er, eg, eb, tol) \
  do {                                           \
    const Rgb8 a_ = (actual);                    \
    EXPECT_NEAR(a_.r, (er), (tol));              \
    EXPECT_NEAR(a_.g, (eg), (tol));              \
    EXPECT_NEAR(a_.b, (eb), (tol));              \
  } while (0)

// Design size, "Fixed": spectrum area x 16..743, y 54..193; activity map
// y 212..265; Freq Low 1000 Hz at column 428, Freq High 18000 Hz at 732.
class AnalyserView : public ::testing::Test {
protected:
  EditorHarness h;
  const AnalyserGeometry g = makeAnalyserGeometry(1.0, 760, 0.0, kModeCut, 12.0);

  void SetUp() override {
    std::string error;
    if (!h.open(760, 416, &error)) GTEST_SKIP() << "no offscreen editor: " << error;
    h.setTime(100.0);
  }
  // A prepared engine: 1024 points at 48 kHz, all bins silent.
  void prepareFeed() {
    SpectralEngine& e = h.engine();
    e.fftSize = 1024;
    e.lastBin = 512;
    e.sampleRate = 48000.0;
  }
  // Sets every feed array over lo..hi Hz, as a frame of the engine does (and counts the frame).
  void setBins(double loHz, double hiHz, double inputMag, double gainDb, double activity) {
    SpectralEngine& e = h.engine();
    ++e.frameCount;
    for (int k = 0; k < SpectralEngine::kBinSlots; ++k) {
      const double hz = k * 48000.0 / 1024;
      if (hz < loHz || hz > hiHz) continue;
      e.inputMag[k] = inputMag;
      e.outputMag[k] = inputMag * std::pow(10.0, gainDb / 20.0);
      e.gainDb[k] = gainDb;
      e.activity[k] = activity;
    }
  }
  std::string help() { return h.view().tooltipText; }
};

TEST_F(AnalyserView, PanelColours) {
  h.frame();
  const auto image = h.image();
  // Below the accent gradient, between grid lines, inside the frequency range.
  EXPECT_RGB_NEAR(pixel(image, 620, 170), byteOf(0.075), byteOf(0.078), byteOf(0.1), 0);
  EXPECT_RGB_NEAR(pixel(image, 620, 240), byteOf(0.042), byteOf(0.045), byteOf(0.056), 0);
}

TEST_F(AnalyserView, GradientFadesFromAccentAtTop) {
  h.frame();
  const auto image = h.image();
  // Top row inside the frame: accent (Cut, 0.98 0.52 0.24) at 0.3 over the panel.
  const Rgb8 top = pixel(image, 620, 55);
  EXPECT_NEAR(top.r, over(0.98, 0.3, byteOf(0.075)), 3);
  EXPECT_NEAR(top.b, over(0.24, 0.3, byteOf(0.1)), 3);
  // The gradient covers 60 % of the height (84 rows) and fades out.
  EXPECT_RGB_NEAR(pixel(image, 620, 54 + 84), byteOf(0.075), byteOf(0.078), byteOf(0.1), 1);
}

TEST_F(AnalyserView, ShadingDarkensOutsideRange) {
  h.frame();
  const auto image = h.image();
  const Rgb8 shaded = pixel(image, 300, 170);
  EXPECT_NEAR(shaded.r, over(0.0, 0.45, byteOf(0.075)), 1);
  EXPECT_NEAR(shaded.b, over(0.0, 0.45, byteOf(0.1)), 1);
  const Rgb8 shadedMap = pixel(image, 740, 240);
  EXPECT_NEAR(shadedMap.b, over(0.0, 0.45, byteOf(0.056)), 1);
}

// Counts the accent-coloured columns from the spectrum area's left edge.
int accentFrameWidth(EditorHarness& h, int width, int height) {
  h.resize(width, height);
  h.frame();
  const auto image = h.image();
  const double s = std::min(width / 760.0, height / 416.0);
  const int left = int(std::floor(16 * s + 0.5));
  const int y = int(std::floor(54 * s + 0.5)) + int(100 * s);
  int n = 0;
  while (n < 8 && pixel(image, left + n, y).r > 150) ++n;
  return n;
}

TEST_F(AnalyserView, AccentFrameWidthFollowsScale) {
  h.setParam(kUISize, 1.0);   // "Grow"
  EXPECT_EQ(accentFrameWidth(h, 760, 416), 1);
  EXPECT_EQ(accentFrameWidth(h, 1520, 832), 1);
  EXPECT_EQ(accentFrameWidth(h, 2280, 1248), 2);
  EXPECT_EQ(accentFrameWidth(h, 3040, 1664), 3);
}

TEST_F(AnalyserView, DeltaDrawsTwoPixelAmberFrame) {
  h.setParam(kDelta, 1.0);
  h.frame();
  const auto image = h.image();
  for (int x : {16, 17}) EXPECT_RGB_NEAR(pixel(image, x, 170), 255, byteOf(0.82), byteOf(0.28), 0);
  EXPECT_LT(pixel(image, 18, 170).r, 60);
  for (int y : {54, 55}) EXPECT_RGB_NEAR(pixel(image, 600, y), 255, byteOf(0.82), byteOf(0.28), 0);
  EXPECT_RGB_NEAR(pixel(image, 743, 170), 255, byteOf(0.82), byteOf(0.28), 0);
}

TEST_F(AnalyserView, WithoutEngineOnlyPanelsGridsHandlesAndReadouts) {
  // A feed with data but fftSize 0: the engine was never reset.
  setBins(200.0, 15000.0, 256.0, -9.0, 1.0);
  h.move(620, 150);
  h.frame();
  const auto image = h.image();
  EXPECT_RGB_NEAR(pixel(image, 620, 170), byteOf(0.075), byteOf(0.078), byteOf(0.1), 0);   // no input fill
  EXPECT_RGB_NEAR(pixel(image, 620, 240), byteOf(0.042), byteOf(0.045), byteOf(0.056), 0); // no cells
  EXPECT_GT(pixel(image, 428, 170).r, 150);                                                  // the low handle
  EXPECT_NE(help(), "Cursor readout: frequency and current gain");
}

TEST_F(AnalyserView, EngineFeedDrawsCurvesCellsAndCursor) {
  prepareFeed();
  setBins(200.0, 15000.0, 256.0, -9.0, 1.0);
  h.move(620, 150);
  h.frame();
  const auto image = h.image();
  // Input fill and the cut band under a full-scale input.
  const Rgb8 fill = pixel(image, 620, 170);
  EXPECT_NE(fill.b, byteOf(0.1));
  // A lit cell in the newest row (rows of 2.25 px; the outline covers row 212).
  const Rgb8 cell = pixel(image, 620, 213);
  EXPECT_GT(cell.r, 100);
  EXPECT_EQ(help(), "Cursor readout: frequency and current gain");
}

TEST_F(AnalyserView, CellStrengthFollowsGainChange) {
  prepareFeed();
  setBins(2800.0, 3300.0, 25.6, -6.0, 0.5);
  h.frame();
  const auto image = h.image();
  // 6 dB of 9.6 dB (0.8 * Depth 12): d = sqrt(0.625).
  const double d = std::sqrt(0.625);
  const double alpha = 0.12 + 0.58 * d;
  const int x = int(frequencyToX(g, 3000.0));
  const Rgb8 cell = pixel(image, x, 213);
  EXPECT_NEAR(cell.r, over(0.98 + 0.02 * 0.2 * d, alpha, byteOf(0.042)), 2);
  EXPECT_NEAR(cell.g, over(0.52 + 0.48 * 0.2 * d, alpha, byteOf(0.045)), 2);
  EXPECT_NEAR(cell.b, over(0.24 + 0.76 * 0.2 * d, alpha, byteOf(0.056)), 2);
}

// Cells of one value fill evenly at every size: at 560 x 320 rows are one
// or two pixels tall, and a one-pixel row once showed a brighter dot at the
// end of each cell (its last pixel covered twice).
TEST_F(AnalyserView, CellsOfOneValueFillTheirAreaEvenly) {
  prepareFeed();
  for (auto [width, height] : {std::pair{560, 320}, std::pair{760, 416}, std::pair{1000, 560}}) {
    h.resize(width, height);
    const FrameScale scale = computeFrameScale(width, height, 0.0);
    const AnalyserGeometry geometry = makeAnalyserGeometry(scale.uiScale, width, scale.extraHeight, kModeCut, 12.0);
    for (int i = 0; i < 36; ++i) {             // 1.2 s: the six newest rows hold the same cut
      setBins(2000.0, 5000.0, 25.6, -6.0, 0.5);
      h.nextFrame();
    }
    const auto image = h.image();
    // Between the 2k and 5k grid lines, below the outline, the five newest rows.
    const int x0 = int(frequencyToX(geometry, 2200.0)), x1 = int(frequencyToX(geometry, 4500.0));
    const int y0 = int(geometry.activityTop) + 1;
    const int y1 = int(geometry.activityTop + std::floor(5 * geometry.activityHeight / 24));
    const uint32_t first = image.Pixel(x0, y0);
    int uneven = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) uneven += image.Pixel(x, y) != first;
    EXPECT_EQ(uneven, 0) << width << " x " << height << ": " << std::hex << first;
    EXPECT_GT(pixel(image, x0, y0).r, 100) << "the cells are lit";
  }
}

// When the host stops calling process the feed keeps its last frame. The
// map then scrolls empty rows, and once no frame has come for a quarter
// second the live amount is 0: the Depth knob's outer ring goes dark.
TEST_F(AnalyserView, StoppedEngineScrollsTheMapDarkAndDropsTheLiveAmount) {
  prepareFeed();
  setBins(2800.0, 3300.0, 25.6, -6.0, 0.5);
  SpectralEngine& e = h.engine();
  e.peakGainDb = 6.0;                          // half of Depth 12: the ring runs to 12 o'clock
  const int x = int(frequencyToX(g, 3000.0));
  // Newest row y 212..213, the one before it 214..215; the ring's left end at 9 o'clock, radius 26..28.
  auto cellLit = [&](const iplug::igraphics::Image& image, int y) { return pixel(image, x, y).r > 100; };
  auto ringLit = [&](const iplug::igraphics::Image& image) { return pixel(image, 408 - 27, 328).g > 150; };
  for (int i = 0; i < 12; ++i) {               // 0.4 s of processing, a few frames per editor frame
    e.frameCount += 4;
    h.nextFrame();
  }
  auto image = h.image();
  EXPECT_TRUE(cellLit(image, 213));
  EXPECT_TRUE(ringLit(image));
  EXPECT_EQ(h.view().liveAmountDb, 6.0);

  for (int i = 0; i < 9; ++i) h.nextFrame();   // 0.3 s without a frame
  image = h.image();
  EXPECT_FALSE(cellLit(image, 213)) << "the newest row was pushed without new frames";
  EXPECT_TRUE(cellLit(image, 215)) << "the row before it came from the last frames";
  EXPECT_FALSE(ringLit(image));
  EXPECT_EQ(h.view().liveAmountDb, 0.0);

  e.frameCount += 1;                           // processing resumes
  h.nextFrame();
  EXPECT_TRUE(ringLit(h.image()));
}

// The toggle row at the design size: "Gain" is the rightmost entry, ending 8
// pixels inside the area's right edge (736); its swatch starts 22 + label
// width to the left. (720, 68) lies on its label.
TEST_F(AnalyserView, CurveToggleInvertsFlagAndUsesPress) {
  prepareFeed();
  h.move(720, 68);
  h.frame();
  EXPECT_EQ(help(), "Click to show or hide this curve");
  h.press(720, 68);
  h.frame();
  EXPECT_FALSE(h.editorState().showGain);
  EXPECT_EQ(h.view().activeId, kActiveConsumed);
  // Held down and moved onto the Trim knob: the knob does not take the press.
  const double trim = h.param(kTrim);
  h.drag(712, 324);
  h.nextFrame();
  h.drag(712, 280);
  h.nextFrame();
  h.release(712, 280);
  h.nextFrame();
  EXPECT_EQ(h.param(kTrim), trim);
  EXPECT_FALSE(h.editorState().showGain);
}

TEST_F(AnalyserView, CurveToggleTwiceRestoresCurve) {
  h.click(720, 68);
  h.nextFrame();
  h.click(720, 68);
  EXPECT_TRUE(h.editorState().showGain);
  EXPECT_TRUE(h.editorState().showInput);
}

TEST_F(AnalyserView, CurveTogglesSitRightToLeft) {
  // Clicking along the row from the right reaches Gain, Output, Threshold and
  // Input in turn; each click flips one flag, which is put back before the next.
  bool* flags[] = {&h.editorState().showGain, &h.editorState().showOutput, &h.editorState().showThreshold, &h.editorState().showInput};
  std::vector<int> order;
  for (int x = 735; x > 400; x -= 6) {
    h.click(x, 68);
    h.nextFrame();
    for (int i = 0; i < 4; ++i) {
      if (*flags[i]) continue;
      *flags[i] = true;
      if (order.empty() || order.back() != i) order.push_back(i);
    }
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(AnalyserView, HandleDragWritesWholeHertzThroughHost) {
  h.move(428, 120);
  h.frame();
  EXPECT_EQ(help(), "Frequency range: drag a handle  |  double-click = default");
  h.press(428, 120);
  h.nextFrame();
  h.clearEvents();
  h.drag(300, 120);
  h.nextFrame();
  const double expected = std::floor(xToFrequency(g, 300) + 0.5);
  EXPECT_NEAR(h.param(kFreqLow), expected, 1e-6);
  EXPECT_EQ(h.gestureCount(kFreqLow), 1);
  EXPECT_TRUE(h.editorState().presetModified);
  h.nextFrame();                               // pointer still
  EXPECT_EQ(h.gestureCount(kFreqLow), 1);
  h.drag(300, 300);                            // vertical moves change nothing
  h.nextFrame();
  EXPECT_EQ(h.gestureCount(kFreqLow), 1);
  EXPECT_EQ(help(), "Frequency range: drag a handle  |  double-click = default");
  h.release(300, 300);
  h.nextFrame();
  EXPECT_EQ(h.view().activeId, 0);
}

// The reset goes to the host as a normalised value and comes back exactly
// on the default (1000 Hz once came back as 999.9999999999998 and read "1000 Hz").
TEST_F(AnalyserView, HandleDoubleClickRestoresDefault) {
  h.setParam(kFreqHigh, 5000.0);
  h.setParam(kFreqLow, 300.0);
  for (double hz : {5000.0, 300.0}) {
    const double x = frequencyToX(g, hz);
    h.click(x, 120);
    h.setTime(h.time() + 0.1);
    h.click(x, 120);
    h.setTime(h.time() + 1.0);
  }
  EXPECT_EQ(h.param(kFreqHigh), 18000.0);
  EXPECT_EQ(h.param(kFreqLow), 1000.0);
}

TEST_F(AnalyserView, CursorReadoutHiddenOverTogglesHandlesAndDrags) {
  prepareFeed();
  h.move(600, 120);
  h.frame();
  EXPECT_EQ(help(), "Cursor readout: frequency and current gain");
  h.move(600, 70);                             // in the toggle row's height
  h.frame();
  EXPECT_NE(help(), "Cursor readout: frequency and current gain");
  h.move(730, 120);                            // near the high handle
  h.frame();
  EXPECT_EQ(help(), "Frequency range: drag a handle  |  double-click = default");
  h.move(600, 230);                            // over the activity map
  h.frame();
  EXPECT_EQ(help(), "Activity: where processing happened in the last 4 s");
}

TEST_F(AnalyserView, CursorReadoutBoxFlipsNearRightEdge) {
  prepareFeed();
  h.setParam(kFreqHigh, 20000.0);              // keep the high handle away from the pointer
  const auto boxColumns = [&](double mouseX) {
    h.move(mouseX, 150);
    h.nextFrame();
    const auto image = h.image();
    // The box outline is drawn in the accent: find accent pixels on a row
    // inside the box (box rows 119 .. 139), right of the low handle and
    // inside the accent frame.
    int first = -1, last = -1;
    for (int x = 440; x < 743; ++x) {
      const Rgb8 p = pixel(image, x, 125);
      if (p.r > 200 && p.g > 100 && p.g < 160 && p.b < 90) {
        if (first < 0) first = x;
        last = x;
      }
    }
    return std::pair<int, int>(first, last);
  };
  const auto right = boxColumns(500);
  EXPECT_EQ(right.first, 512);
  EXPECT_GT(right.second - right.first, 60);
  // At 700 the box would pass the right edge (744): it ends 12 px left of the pointer.
  const auto flipped = boxColumns(700);
  EXPECT_EQ(flipped.second, 700 - 12 - 1);
  EXPECT_GT(flipped.second - flipped.first, 60);
}

} // namespace
} // namespace varnock
