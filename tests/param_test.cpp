// IParam as Varnock defines its parameters: constraining, normalised mapping,
// display texts and typed texts.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "plugin/param_index.h"
#include "framework/plugin_base.h"
#include "plugin/params.h"
#include "plugin/presets.h"

namespace {

using iplug::IParam;
using namespace varnock;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class VarnockParams : public ::testing::Test {
protected:
  VarnockParams() : plugin(config()) { initParams(plugin); }

  static iplug::Config config() {
    iplug::Config c;
    c.nParams = kNumParams;
    return c;
  }

  IParam& param(ParamIndex i) { return *plugin.GetParam(i); }

  std::string display(ParamIndex i, double plain) {
    char text[64];
    param(i).GetDisplay(plain, text, sizeof text);
    return text;
  }

  iplug::IPlugAPIBase plugin;
};

// ---- Constraining a set value ----

using ParamConstrain = VarnockParams;

TEST_F(ParamConstrain, ListValueRoundsHalvesAwayFromZero) {
  param(kMode).Set(1.4);
  EXPECT_EQ(param(kMode).Value(), 1.0);
  param(kMode).Set(1.5);
  EXPECT_EQ(param(kMode).Value(), 2.0);
  param(kMode).Set(0.5);
  EXPECT_EQ(param(kMode).Value(), 1.0);
}

TEST_F(ParamConstrain, ListValueBelowRangeClampsToFirst) {
  param(kMode).Set(-3.0);
  EXPECT_EQ(param(kMode).Value(), 0.0);
}

TEST_F(ParamConstrain, ContinuousValueIsNotQuantisedToStep) {
  param(kWidth).Set(0.333);
  EXPECT_EQ(param(kWidth).Value(), 0.333);
}

TEST_F(ParamConstrain, ValuesOutsideRangeClampToEnds) {
  param(kFreqLow).Set(10.0);
  EXPECT_EQ(param(kFreqLow).Value(), 20.0);
  param(kFreqHigh).Set(25000.0);
  EXPECT_EQ(param(kFreqHigh).Value(), 20000.0);
}

TEST_F(ParamConstrain, NaNKeepsCurrentValue) {
  param(kDepth).Set(5.0);
  param(kDepth).Set(kNaN);
  EXPECT_EQ(param(kDepth).Value(), 5.0);
  param(kMode).Set(2.0);
  param(kMode).SetNormalized(kNaN);
  EXPECT_EQ(param(kMode).Value(), 2.0);
}

TEST_F(ParamConstrain, InfinitiesClampToRangeEnds) {
  param(kTrim).Set(kInf);
  EXPECT_EQ(param(kTrim).Value(), 24.0);
  param(kTrim).Set(-kInf);
  EXPECT_EQ(param(kTrim).Value(), -24.0);
}

TEST_F(ParamConstrain, DefaultsAreCurrentValuesAfterConstruction) {
  EXPECT_EQ(param(kDepth).Value(), 12.0);
  EXPECT_EQ(param(kResolution).Value(), 1.0);
  EXPECT_EQ(param(kWidth).Value(), 0.33);
  EXPECT_EQ(param(kTilt).Value(), 0.0);
}

// ---- Normalised mapping ----

using ParamNormalized = VarnockParams;

TEST_F(ParamNormalized, LinearHalfIsMidRange) {
  EXPECT_DOUBLE_EQ(param(kDepth).FromNormalized(0.5), 12.0);
  EXPECT_DOUBLE_EQ(param(kTrim).FromNormalized(0.25), -12.0);
}

TEST_F(ParamNormalized, ExponentialHalfIsGeometricMean) {
  // 20 Hz * 1000^0.5 = 20 * sqrt(1000)
  EXPECT_NEAR(param(kFreqLow).FromNormalized(0.5), 632.455532, 1e-6);
  EXPECT_NEAR(param(kFreqLow).FromNormalized(0.0), 20.0, 1e-9);
  EXPECT_NEAR(param(kFreqLow).FromNormalized(1.0), 20000.0, 1e-7);
}

TEST_F(ParamNormalized, ExponentialDefaultsSitAtLogPositions) {
  // n = ln(v / 20) / ln(1000)
  EXPECT_NEAR(param(kFreqLow).GetDefault(true), 0.566323, 1e-6);
  EXPECT_NEAR(param(kFreqHigh).GetDefault(true), 0.984748, 1e-6);
}

TEST_F(ParamNormalized, ListUsesLinearMappingOverItsValues) {
  EXPECT_DOUBLE_EQ(param(kResolution).GetDefault(true), 0.5);
  EXPECT_DOUBLE_EQ(param(kMode).ToNormalized(2.0), 1.0);
  param(kMode).SetNormalized(0.5);
  EXPECT_EQ(param(kMode).Value(), 1.0);
}

TEST_F(ParamNormalized, ToNormalizedClampsToUnitRange) {
  EXPECT_EQ(param(kDepth).ToNormalized(30.0), 1.0);
  EXPECT_EQ(param(kDepth).ToNormalized(-5.0), 0.0);
  EXPECT_EQ(param(kFreqLow).ToNormalized(5.0), 0.0);
  EXPECT_EQ(param(kFreqLow).ToNormalized(0.0), 0.0);
}

// The host and the editor move values as normalised numbers: a default, a
// preset entry or a whole-hertz handle position must come back exactly, on
// both shapes (1000 Hz used to come back as 999.9999999999998).
TEST_F(ParamNormalized, DecimalValuesSurviveTheNormalisedRoundTrip) {
  auto roundTrip = [](const IParam& p, double v) { return p.FromNormalized(p.ToNormalized(v)); };
  for (int i = 0; i < kNumParams; ++i) {
    const IParam& p = param(static_cast<ParamIndex>(i));
    for (double v : {p.GetDefault(), p.GetMin(), p.GetMax()}) EXPECT_EQ(roundTrip(p, v), v) << p.GetName();
  }
  for (int row = 1; row < kNumPresetRows; ++row)
    for (int column = 0; column < kNumPresetColumns; ++column) {
      const IParam& p = param(kPresetColumnParams[column]);
      const double v = kFactoryPresets[row][column];
      if (v >= p.GetMin()) {
        EXPECT_EQ(roundTrip(p, v), v) << kPresetNames[row] << " " << p.GetName();
      }
    }
  for (ParamIndex i : {kFreqLow, kFreqHigh})
    for (int hz = 20; hz <= 20000; ++hz) ASSERT_EQ(roundTrip(param(i), hz), hz) << param(i).GetName();
  for (double v : {0.1, 0.33, 2.5, 7.25, 12.3}) EXPECT_EQ(roundTrip(param(kAttack), v), v);
  for (double v : {-23.9, -0.1, 0.1, 3.3}) EXPECT_EQ(roundTrip(param(kTrim), v), v);
}

TEST_F(ParamNormalized, RoundTripMovesOtherValuesByAFewUnitsInTheLastPlaceAtMost) {
  const IParam& freq = param(kFreqLow);
  const IParam& trim = param(kTrim);
  for (int i = 1; i < 1000; ++i) {
    const double n = i / 1000.0 + 1.0 / 3e6;   // not a short decimal in either unit
    const double v = freq.FromNormalized(n);
    EXPECT_NEAR(v, 20.0 * std::pow(1000.0, n), 1e-13 * v);
    EXPECT_NEAR(trim.FromNormalized(n), -24.0 + 48.0 * n, 1e-13);
  }
}

TEST(ParamShape, ExponentialMinimumAtOrBelowZeroIsReplacedByTinyFloor) {
  IParam p;
  p.InitDouble("Gain", 1.0, 0.0, 1.0, 0.01, "", IParam::kFlagsNone, "", IParam::kShapeExp);
  EXPECT_NEAR(p.FromNormalized(0.0), 1e-8, 1e-20);
  EXPECT_NEAR(p.FromNormalized(1.0), 1.0, 1e-12);
  EXPECT_NEAR(p.FromNormalized(0.5), 1e-4, 1e-16);   // geometric mean of 1e-8 and 1
}

// ---- Display texts ----

using ParamDisplay = VarnockParams;

TEST_F(ParamDisplay, PrecisionFollowsStep) {
  EXPECT_EQ(param(kMix).GetDisplayPrecision(), 0);
  EXPECT_EQ(param(kDepth).GetDisplayPrecision(), 1);
  EXPECT_EQ(param(kWidth).GetDisplayPrecision(), 2);
}

TEST(ParamPrecision, CountsDecimalsOfStepUpToSix) {
  const struct { double step; int precision; } cases[] = {
      {1.0, 0}, {5.0, 0}, {0.5, 1}, {0.25, 2}, {0.125, 3}, {0.001, 3}, {1e-9, 6}};
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("x", 0.0, 0.0, 1.0, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST_F(ParamDisplay, ContinuousShowsDisplayPrecision) {
  EXPECT_EQ(display(kWidth, 0.333), "0.33");
  EXPECT_EQ(display(kDepth, 12.0), "12.0");
  EXPECT_EQ(display(kTilt, -6.0), "-6.0");
  EXPECT_EQ(display(kFreqLow, 632.456), "632");
}

TEST_F(ParamDisplay, WholeStepRoundsToNearest) {
  EXPECT_EQ(display(kMix, 99.6), "100");
  EXPECT_EQ(display(kMix, 99.4), "99");
  EXPECT_EQ(display(kMix, 50.5), "51");
}

TEST_F(ParamDisplay, NegativeZeroShowsNoSign) {
  EXPECT_EQ(display(kTrim, -0.0), "0.0");
}

TEST_F(ParamDisplay, ValueRoundingToZeroShowsNoSign) {
  EXPECT_EQ(display(kTrim, -0.04), "0.0");
  EXPECT_EQ(display(kTilt, -0.0001), "0.0");
  IParam whole;
  whole.InitDouble("x", 0.0, -10.0, 10.0, 1.0);
  char text[16];
  whole.GetDisplay(-0.4, text, sizeof text);
  EXPECT_STREQ(text, "0");
}

TEST_F(ParamDisplay, NegativeValuesKeepTheirSign) {
  EXPECT_EQ(display(kTrim, -0.06), "-0.1");
  EXPECT_EQ(display(kTrim, -24.0), "-24.0");
}

TEST_F(ParamDisplay, ListShowsTextOfValue) {
  EXPECT_EQ(display(kMode, 2.0), "Tame");
  EXPECT_EQ(display(kResolution, 1.0), "Normal 1024");
  EXPECT_EQ(display(kUISize, 1.0), "Grow");
  EXPECT_EQ(display(kDelta, 0.0), "Off");
}

TEST_F(ParamDisplay, ListShowsTextOfConstrainedValue) {
  EXPECT_EQ(display(kMode, 1.6), "Tame");
  EXPECT_EQ(display(kMode, 7.0), "Tame");
  EXPECT_EQ(display(kMode, -1.0), "Cut");
}

TEST_F(ParamDisplay, NaNShowsTheValueThatStays) {
  param(kDepth).Set(5.0);
  EXPECT_EQ(display(kDepth, kNaN), "5.0");
}

TEST_F(ParamDisplay, InfinityShowsRangeEnd) {
  EXPECT_EQ(display(kMix, kInf), "100");
  EXPECT_EQ(display(kMix, -kInf), "0");
}

// ---- Typed texts ----

using ParamText = VarnockParams;

TEST_F(ParamText, ListTextSelectsItsValue) {
  EXPECT_EQ(param(kMode).StringToValue("Tame"), 2.0);
  EXPECT_EQ(param(kResolution).StringToValue("Precise 2048"), 2.0);
  EXPECT_EQ(param(kPreset).StringToValue("Boxy Room"), 8.0);
}

TEST_F(ParamText, ListAcceptsOnlyItsTexts) {
  EXPECT_EQ(param(kMode).StringToValue("2"), 0.0);
  EXPECT_EQ(param(kMode).StringToValue("tame"), 0.0);
}

TEST_F(ParamText, TextWithoutLeadingNumberGivesZero) {
  EXPECT_EQ(param(kDepth).StringToValue("loud"), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue(""), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue(nullptr), 0.0);
  EXPECT_EQ(param(kTrim).StringToValue("-"), 0.0);
  EXPECT_EQ(param(kTrim).StringToValue("."), 0.0);
}

TEST_F(ParamText, NumberIsConstrained) {
  EXPECT_EQ(param(kDepth).StringToValue("30"), 24.0);
  EXPECT_EQ(param(kFreqLow).StringToValue("5"), 20.0);
}

TEST_F(ParamText, TextAfterNumberIsIgnored) {
  EXPECT_EQ(param(kThreshold).StringToValue("6.5 dB"), 6.5);
  EXPECT_EQ(param(kTrim).StringToValue("-3.25dB"), -3.25);
  EXPECT_EQ(param(kDepth).StringToValue("7,5"), 7.0);
}

TEST_F(ParamText, DecimalNumberForms) {
  EXPECT_EQ(param(kDepth).StringToValue(".5"), 0.5);
  EXPECT_EQ(param(kDepth).StringToValue("5."), 5.0);
  EXPECT_EQ(param(kDepth).StringToValue("+2"), 2.0);
  EXPECT_EQ(param(kDepth).StringToValue("  4"), 4.0);
  EXPECT_EQ(param(kDepth).StringToValue("1e1"), 10.0);
  EXPECT_EQ(param(kDepth).StringToValue("1.5E+1"), 15.0);
  EXPECT_EQ(param(kDepth).StringToValue("3e"), 3.0);
  EXPECT_EQ(param(kDepth).StringToValue("3e-"), 3.0);
}

TEST_F(ParamText, NanInfinityAndHexAreNotNumbers) {
  EXPECT_EQ(param(kDepth).StringToValue("nan"), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue("NaN"), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue("inf"), 0.0);
  EXPECT_EQ(param(kTrim).StringToValue("-infinity"), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue("0x10"), 0.0);
  EXPECT_EQ(param(kDepth).StringToValue("0x1p3"), 0.0);
}

TEST_F(ParamText, OverflowingExponentClampsToRangeEnd) {
  EXPECT_EQ(param(kTrim).StringToValue("1e999"), 24.0);
  EXPECT_EQ(param(kTrim).StringToValue("-1e999"), -24.0);
  EXPECT_EQ(param(kTrim).StringToValue("1e-999"), 0.0);
}

// ---- Definitions ----

TEST(ParamDefinition, NamesAndLabelsAreLimitedTo31Characters) {
  IParam p;
  p.InitDouble("A name that is much longer than thirty-one characters", 0.0, 0.0, 1.0, 0.1,
               "a unit label longer than thirty-one characters");
  EXPECT_EQ(std::string(p.GetName()).size(), 31u);
  EXPECT_EQ(std::string(p.GetLabel()).size(), 31u);
}

TEST(ParamDefinition, ListHasEmptyLabelAndStepCountOfTextsMinusOne) {
  IParam p;
  p.InitEnum("Mode", 1, {"A", "B", "C", "D"});
  EXPECT_STREQ(p.GetLabel(), "");
  EXPECT_EQ(p.GetStepCount(), 3);
  EXPECT_EQ(p.GetMax(), 3.0);
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(p.GetDisplayText(4), nullptr);
  EXPECT_EQ(p.GetDisplayText(-1), nullptr);
}

} // namespace
