// Texts and small pure rules of the editor: knob values and travel, FFT
// readout and menu entries, the preset bar name, status-line shortening and
// the word-mark's decimal point lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "editor/control_strip.h"
#include "editor/footer.h"
#include "editor/header.h"
#include "editor/word_mark.h"

namespace varnock {
namespace {

std::string knobText(int format, double value) {
  char text[48];
  formatKnobValue(format, value, text, sizeof text);
  return text;
}

TEST(KnobValueText, EachFormat) {
  EXPECT_EQ(knobText(kFormatDb, 6.0), "6.0 dB");
  EXPECT_EQ(knobText(kFormatMs, 5.2), "5.2 ms");
  EXPECT_EQ(knobText(kFormatMs, 12.0), "12 ms");
  EXPECT_EQ(knobText(kFormatHz, 440.0), "440 Hz");
  EXPECT_EQ(knobText(kFormatHz, 2500.0), "2.5 kHz");
  EXPECT_EQ(knobText(kFormatPercent, 100.0), "100 %");
  EXPECT_EQ(knobText(kFormatInteger, 2.0), "2");
  EXPECT_EQ(knobText(kFormatSignedDb, -3.0), "-3.0 dB");
  EXPECT_EQ(knobText(kFormatSignedDb, 2.5), "+2.5 dB");
  EXPECT_EQ(knobText(kFormatOctaves, 0.33), "0.33 oct");
  EXPECT_EQ(knobText(kFormatSignedDbPerOct, 0.0), "0.0 dB/oct");
  EXPECT_EQ(knobText(kFormatSignedDbPerOct, 1.5), "+1.5 dB/oct");
}

TEST(KnobValueText, PlusSignOnlyAboveZero) {
  EXPECT_EQ(knobText(kFormatSignedDb, 0.0), "0.0 dB");
  EXPECT_EQ(knobText(kFormatSignedDbPerOct, -1.0), "-1.0 dB/oct");
}

// Unit and sign follow the value as printed: a value a hair below a unit
// boundary (as a normalised round trip leaves it) or a hair off zero reads
// like the value it rounds to, and no text shows "-0".
TEST(KnobValueText, UnitAndSignFollowThePrintedValue) {
  const struct { int format; double value; const char* text; } cases[] = {
      {kFormatHz, 999.9999999999998, "1.0 kHz"}, {kFormatHz, 999.5, "1.0 kHz"}, {kFormatHz, 999.4, "999 Hz"},
      {kFormatMs, 9.96, "10 ms"},                {kFormatMs, 9.94, "9.9 ms"},
      {kFormatSignedDb, 0.04, "0.0 dB"},         {kFormatSignedDb, -0.04, "0.0 dB"},
      {kFormatSignedDb, -0.0, "0.0 dB"},         {kFormatSignedDb, 0.06, "+0.1 dB"},
      {kFormatSignedDbPerOct, -0.01, "0.0 dB/oct"}, {kFormatDb, -0.0, "0.0 dB"},
      {kFormatInteger, -0.4, "0"},               {kFormatPercent, -0.2, "0 %"},
      {kFormatOctaves, -0.001, "0.00 oct"},
  };
  for (const auto& c : cases) EXPECT_EQ(knobText(c.format, c.value), c.text) << c.value;
}

TEST(KnobValueText, UnknownFormatBehavesAsSignedDb) {
  EXPECT_EQ(knobText(9, 1.0), "+1.0 dB");
  EXPECT_EQ(knobText(-1, -1.0), "-1.0 dB");
}

TEST(KnobRow, ThirdKnobIsWidthInTameAndBackgroundOtherwise) {
  KnobDef row[kKnobCount];
  knobRow(false, 0.0, 12.0, row);
  EXPECT_EQ(row[2].param, kBackground);
  EXPECT_TRUE(row[2].logTaper);
  knobRow(true, 0.0, 12.0, row);
  EXPECT_EQ(row[2].param, kWidth);
  EXPECT_EQ(row[2].id, 3);
  for (int i = 0; i < kKnobCount; ++i) EXPECT_EQ(row[i].id, i + 1);
}

TEST(KnobRow, LiveAmountDividesByDepthWithAFloor) {
  KnobDef row[kKnobCount];
  knobRow(false, 6.0, 12.0, row);
  EXPECT_TRUE(row[5].liveRing);
  EXPECT_DOUBLE_EQ(row[5].liveAmount, 0.5);
  knobRow(false, 0.05, 0.0, row);
  EXPECT_DOUBLE_EQ(row[5].liveAmount, 0.5);     // divided by 0.1, not by 0
}

TEST(KnobTravel, LinearAndLogarithmicMappings) {
  KnobDef row[kKnobCount];
  knobRow(false, 0.0, 12.0, row);
  const KnobDef& threshold = row[0];
  const KnobDef& release = row[7];
  EXPECT_DOUBLE_EQ(knobTravel(threshold, 6.0), 0.25);
  EXPECT_DOUBLE_EQ(knobValue(threshold, 0.85), 20.4);
  EXPECT_NEAR(knobTravel(release, 50.0), 0.5, 1e-12);            // geometric middle of 5..500
  EXPECT_NEAR(knobValue(release, knobTravel(release, 60.0) + 0.025), 60.0 * std::pow(100.0, 0.025), 1e-9);
}

TEST(KnobTravel, ValuesOutsideTheRangeSitAtTheEnds) {
  KnobDef row[kKnobCount];
  knobRow(false, 0.0, 12.0, row);
  EXPECT_DOUBLE_EQ(knobTravel(row[6], 0.01), 0.0);   // Attack below 0.1 ms
  EXPECT_DOUBLE_EQ(knobTravel(row[0], 30.0), 1.0);
}

TEST(FftTexts, ReadoutAt48kHz) {
  char text[48];
  formatFftReadout(1.0, 48000.0, text, sizeof text);
  EXPECT_STREQ(text, "FFT 1024   21.3 ms");
  formatFftReadout(0.2, 48000.0, text, sizeof text);
  EXPECT_STREQ(text, "FFT 512   10.7 ms");
}

TEST(FftTexts, ReadoutAt44k1) {
  char text[48];
  formatFftReadout(2.0, 44100.0, text, sizeof text);
  EXPECT_STREQ(text, "FFT 2048   46.4 ms");
}

TEST(FftTexts, MenuEntries) {
  char text[64];
  formatFftMenuEntry(0, 48000.0, text, sizeof text);
  EXPECT_STREQ(text, "Fast 512  (11 ms)");
  formatFftMenuEntry(1, 48000.0, text, sizeof text);
  EXPECT_STREQ(text, "Normal 1024  (21 ms)");
  formatFftMenuEntry(2, 48000.0, text, sizeof text);
  EXPECT_STREQ(text, "Precise 2048  (43 ms)");
  formatFftMenuEntry(2, 44100.0, text, sizeof text);
  EXPECT_STREQ(text, "Precise 2048  (46 ms)");
}

TEST(FftTexts, SizeThresholds) {
  EXPECT_EQ(fftSizeForResolution(0.49), 512);
  EXPECT_EQ(fftSizeForResolution(0.5), 1024);
  EXPECT_EQ(fftSizeForResolution(1.49), 1024);
  EXPECT_EQ(fftSizeForResolution(1.5), 2048);
}

TEST(PresetBarName, EditedMarkOnlyOnFactoryPresets) {
  char name[48];
  presetBarName(3.0, true, name, sizeof name);
  EXPECT_STREQ(name, "Drum Punch *");
  presetBarName(3.0, false, name, sizeof name);
  EXPECT_STREQ(name, "Drum Punch");
  presetBarName(0.0, true, name, sizeof name);
  EXPECT_STREQ(name, "Custom");
  presetBarName(12.0, true, name, sizeof name);
  EXPECT_STREQ(name, "Init *");
}

// A fixed-width measure: 7 pixels per character.
int sevenPerChar(const char* text) { return 7 * static_cast<int>(std::strlen(text)); }

TEST(StatusLine, LongTextIsCutWithoutEllipsis) {
  char text[64] = "Threshold: how far a bin must poke out";
  shortenToFit(text, 140, 140 + 70, sevenPerChar);
  EXPECT_STREQ(text, "Threshold:");
}

TEST(StatusLine, TextThatFitsIsKept) {
  char text[64] = "Trim: output level";
  shortenToFit(text, 0, 7 * 18, sevenPerChar);
  EXPECT_STREQ(text, "Trim: output level");
}

TEST(StatusLine, NoRoomEmptiesTheText) {
  char text[64] = "Mix";
  shortenToFit(text, 100, 90, sevenPerChar);
  EXPECT_STREQ(text, "");
}

TEST(WordMark, DecimalListsParseSignedAndFractionalNumbers) {
  const std::vector<float> numbers = parseDecimalList("12 -3.5 .25 69.96");
  ASSERT_EQ(numbers.size(), 4u);
  EXPECT_FLOAT_EQ(numbers[0], 12.f);
  EXPECT_FLOAT_EQ(numbers[1], -3.5f);
  EXPECT_FLOAT_EQ(numbers[2], 0.25f);
  EXPECT_FLOAT_EQ(numbers[3], 69.96f);
}

TEST(WordMark, ParsingStopsAtTheFirstNonNumber) {
  EXPECT_EQ(parseDecimalList("1 2 x 3").size(), 2u);
  EXPECT_TRUE(parseDecimalList("").empty());
  EXPECT_TRUE(parseDecimalList("abc").empty());
}

TEST(WordMark, NinePolygonsWithTheirKindsAndHolesInsideTheBox) {
  const WordMark mark = buildWordMark();
  const bool holes[kWordMarkPolygons] = {false, false, true, false, false, false, false, true, false};
  for (int i = 0; i < kWordMarkPolygons; ++i) {
    const WordMarkPolygon& p = mark.polygons[i];
    EXPECT_EQ(p.kind, i == 8 ? 1 : 0) << "entry " << i + 1;
    EXPECT_EQ(p.hole, holes[i]) << "entry " << i + 1;
    ASSERT_GE(p.points.size(), 6u) << "entry " << i + 1;
    EXPECT_EQ(p.points.size() % 2, 0u);
    for (size_t k = 0; k < p.points.size(); k += 2) {
      EXPECT_GE(p.points[k], 0.f);
      EXPECT_LE(p.points[k], 380.f);
      EXPECT_GE(p.points[k + 1], 0.f);
      EXPECT_LE(p.points[k + 1], 69.96f + 1e-4f);
      // The emblem stays at the left end, the letters to the right of it.
      if (p.kind == 1) EXPECT_LE(p.points[k], 81.f);
      else EXPECT_GE(p.points[k], 88.f);
    }
  }
}

} // namespace
} // namespace varnock
