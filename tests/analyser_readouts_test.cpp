// The analyser's readouts: texts, held peak, curve toggles and cursor readout rules.
#include <gtest/gtest.h>

#include <string>

#include "editor/analyser/analyser_text.h"
#include "editor/analyser/held_peak.h"
#include "editor/analyser/readout_layout.h"

namespace varnock {
namespace {

std::string cursorText(double hz, double gainDb) {
  char text[kTextBufferSize];
  return formatCursorReadout(text, sizeof text, hz, gainDb);
}

TEST(CursorReadoutText, NearZeroGainReadsZero) {
  EXPECT_EQ(cursorText(440.0, -0.04), "440 Hz   0.0 dB");
  EXPECT_EQ(cursorText(440.0, 0.049), "440 Hz   0.0 dB");
}

TEST(CursorReadoutText, CutKeepsItsMinusBoostGetsPlus) {
  EXPECT_EQ(cursorText(440.0, -3.14), "440 Hz   -3.1 dB");
  EXPECT_EQ(cursorText(440.0, 2.0), "440 Hz   +2.0 dB");
}

TEST(CursorReadoutText, KilohertzWithTwoDecimals) {
  EXPECT_EQ(cursorText(999.4, -6.0), "999 Hz   -6.0 dB");
  EXPECT_EQ(cursorText(999.7, -6.0), "1.00 kHz   -6.0 dB");
  EXPECT_EQ(cursorText(1250.0, -6.0), "1.25 kHz   -6.0 dB");
}

TEST(HandleLabelText, HertzBelow1kKilohertzAbove) {
  char text[kTextBufferSize];
  EXPECT_EQ(std::string(formatHandleFrequency(text, sizeof text, 250.0)), "250 Hz");
  EXPECT_EQ(std::string(formatHandleFrequency(text, sizeof text, 1000.0)), "1.0 kHz");
  EXPECT_EQ(std::string(formatHandleFrequency(text, sizeof text, 999.9999999999998)), "1.0 kHz");
  EXPECT_EQ(std::string(formatHandleFrequency(text, sizeof text, 18000.0)), "18.0 kHz");
}

TEST(AmountText, SignFollowsMode) {
  char text[kTextBufferSize];
  EXPECT_EQ(std::string(formatLiveAmount(text, sizeof text, 4.56, false)), "-4.6 dB");
  EXPECT_EQ(std::string(formatLiveAmount(text, sizeof text, 4.56, true)), "+4.6 dB");
  // Nothing processed: no sign in either mode (before the engine ran the readout showed "-0.0 dB").
  for (bool boost : {false, true}) {
    EXPECT_EQ(std::string(formatLiveAmount(text, sizeof text, 0.0, boost)), "0.0 dB");
    EXPECT_EQ(std::string(formatLiveAmount(text, sizeof text, 0.04, boost)), "0.0 dB");
    EXPECT_EQ(std::string(formatHeldPeak(text, sizeof text, 0.0, boost)), "peak 0.0");
  }
  EXPECT_EQ(std::string(formatHeldPeak(text, sizeof text, 7.0, false)), "peak -7.0");
  EXPECT_EQ(std::string(formatHeldPeak(text, sizeof text, 7.0, true)), "peak +7.0");
}

TEST(AmountText, ModeWordsAndDeltaBanner) {
  EXPECT_EQ(std::string(modeWord(kModeCut)), "CUT");
  EXPECT_EQ(std::string(modeWord(kModeBoost)), "BOOST");
  EXPECT_EQ(std::string(modeWord(kModeTame)), "TAME");
  EXPECT_EQ(std::string(deltaBannerText(true)), "DELTA  -  HEARING THE ADDED SIGNAL");
  EXPECT_EQ(std::string(deltaBannerText(false)), "DELTA  -  HEARING THE REMOVED SIGNAL");
}

TEST(HeldPeak, KeepsLargestFor1Point5SecondsThenFalls) {
  HeldPeak peak;
  peak.update(6.0, 10.0);
  peak.update(2.0, 11.0);
  peak.update(2.0, 11.5);                      // exactly 1.5 s: still held
  EXPECT_EQ(peak.peakDb, 6.0);
  peak.update(2.0, 11.53);
  EXPECT_EQ(peak.peakDb, 5.75);
  peak.update(2.0, 11.57);
  EXPECT_EQ(peak.peakDb, 5.5);
}

TEST(HeldPeak, NeverFallsBelowLive) {
  HeldPeak peak;
  peak.update(3.0, 10.0);
  peak.update(2.9, 12.0);
  EXPECT_DOUBLE_EQ(peak.peakDb, 2.9);
  peak.update(2.9, 12.1);
  EXPECT_DOUBLE_EQ(peak.peakDb, 2.9);
}

TEST(HeldPeak, NewRiseRestartsHold) {
  HeldPeak peak;
  peak.update(3.0, 10.0);
  peak.update(4.0, 11.4);
  peak.update(0.0, 12.8);                      // 1.4 s after the rise
  EXPECT_EQ(peak.peakDb, 4.0);
  EXPECT_EQ(peak.riseTime, 11.4);
}

// Design size: the spectrum area spans x 16 .. 743, y 54 .. 193; text slot 3
// is 13 px high.
const AnalyserGeometry kDesign = makeAnalyserGeometry(1.0, 760, 0.0, kModeCut, 12.0);

TEST(CurveToggle, LayoutFromRightEdge) {
  const double right = firstToggleRight(kDesign);
  EXPECT_EQ(right, 736);
  const CurveToggleLayout t = curveToggleLayout(right, toggleRowTop(kDesign), 1.0, 13, 30);
  EXPECT_EQ(t.left, 736 - 16 - 6 - 30);
  EXPECT_EQ(t.labelX, t.left + 22);
  EXPECT_EQ(t.mid, 62 + 6);
  EXPECT_EQ(t.thickness, 2);
  EXPECT_EQ(t.left - nextToggleGap(1.0), 684 - 14);
}

TEST(CurveToggle, HitBoxEdges) {
  const CurveToggleLayout t = curveToggleLayout(736, 62, 1.0, 13, 30);   // left 684
  EXPECT_TRUE(t.hit(684, 60));
  EXPECT_TRUE(t.hit(735.9, 76.9));
  EXPECT_FALSE(t.hit(683.9, 65));
  EXPECT_FALSE(t.hit(736, 65));
  EXPECT_FALSE(t.hit(700, 59.9));
  EXPECT_FALSE(t.hit(700, 77));
}

TEST(CurveToggle, HitBoxUnflooredAtFractionalScale) {
  const double s = 560.0 / 760.0;
  const CurveToggleLayout t = curveToggleLayout(500, 50, s, 10, 20);
  EXPECT_EQ(t.swatchLength, 11);                // floor(11.79)
  EXPECT_DOUBLE_EQ(t.hitRight, t.left + 6 * s + 11 + 20);
  EXPECT_DOUBLE_EQ(t.hitTop, 50 - 2 * s);
}

TEST(CursorReadout, ShownOnlyInSpectrumBelowToggles) {
  // The toggle row ends at 54 + 8 + 13 + 4 = 79.
  EXPECT_TRUE(cursorReadoutShown(kDesign, 300, 120, 0, false, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 79, 0, false, 13, 1024));
  EXPECT_TRUE(cursorReadoutShown(kDesign, 300, 79.5, 0, false, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 194, 0, false, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 744, 120, 0, false, 13, 1024));
}

TEST(CursorReadout, HiddenNearHandleDuringDragsAndWithoutEngine) {
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 120, 0, true, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 120, 100, false, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 120, -1, false, 13, 1024));
  EXPECT_FALSE(cursorReadoutShown(kDesign, 300, 120, 0, false, 13, 0));
}

TEST(CursorReadout, BoxRightOfPointerAboveIt) {
  const ReadoutBox box = cursorReadoutBox(kDesign, 300, 150, 100, 13, 13);
  EXPECT_EQ(box.x, 312);
  EXPECT_EQ(box.w, 116);
  EXPECT_EQ(box.h, 21);
  EXPECT_EQ(box.y, 150 - 21 - 10);
}

TEST(CursorReadout, BoxFlipsLeftNearRightEdge) {
  // 700 + 12 + 116 passes the right edge at 744.
  const ReadoutBox box = cursorReadoutBox(kDesign, 700, 150, 100, 13, 13);
  EXPECT_EQ(box.x, 700 - 12 - 116);
  const ReadoutBox fits = cursorReadoutBox(kDesign, 616, 150, 100, 13, 13);
  EXPECT_EQ(fits.x, 628);                       // ends exactly at 744
}

TEST(CursorReadout, BoxNeverRisesAboveToggleRow) {
  const ReadoutBox box = cursorReadoutBox(kDesign, 300, 85, 100, 13, 13);
  EXPECT_EQ(box.y, 79);
}

} // namespace
} // namespace varnock
