// The parameter table as a host sees it through the edit controller: IDs,
// titles, units, step counts, flags, defaults, texts in both directions and
// controller-side sets.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/support/bundle_plugin.h"

namespace {

using Steinberg::Vst::ParameterInfo;
using bundletest::makePlugin;

constexpr int kAuto = ParameterInfo::kCanAutomate;
constexpr int kList = ParameterInfo::kIsList;

struct Expected {
  const char* title;
  const char* units;
  int stepCount;
  int flags;
  double defaultNormalized;
};

// Defaults normalised by hand: linear (v - min) / (max - min); the
// frequencies ln(v / 20) / ln(1000).
const Expected kTable[] = {
  {"Mode", "", 2, kAuto | kList, 0.0},
  {"Depth", "dB", 0, kAuto, 12.0 / 24.0},
  {"Threshold", "dB", 0, kAuto, 6.0 / 24.0},
  {"Knee", "dB", 0, kAuto, 7.0 / 23.0},
  {"Background", "ms", 0, kAuto, 50.0 / 490.0},
  {"Freq Low", "Hz", 0, kAuto, 0.566323},
  {"Freq High", "Hz", 0, kAuto, 0.984748},
  {"Smooth", "bins", 0, kAuto, 2.0 / 16.0},
  {"Attack", "ms", 0, kAuto, 0.9 / 19.9},
  {"Release", "ms", 0, kAuto, 55.0 / 495.0},
  {"Mix", "%", 0, kAuto, 1.0},
  {"Trim", "dB", 0, kAuto, 0.5},
  {"Delta", "", 1, kAuto | kList, 0.0},
  {"Resolution", "", 2, kAuto | kList, 0.5},
  {"Preset", "", 10, kList, 0.0},
  {"Width", "oct", 0, kAuto, 0.23 / 1.4},
  {"Tilt", "dB/oct", 0, kAuto, 0.5},
  {"UI Size", "", 1, kList, 0.0},
};

class PluginParams : public ::testing::Test {
protected:
  void SetUp() override {
    plugin = makePlugin();
    ASSERT_TRUE(plugin);
  }
  std::string text(int id, double normalized) {
    std::string s;
    EXPECT_TRUE(plugin->valueToText(static_cast<Steinberg::Vst::ParamID>(id), normalized, &s));
    return s;
  }
  double parse(int id, const char* s) {
    double n = -1.0;
    EXPECT_TRUE(plugin->textToValue(static_cast<Steinberg::Vst::ParamID>(id), s, &n));
    return n;
  }
  std::unique_ptr<vst3host::HostedPlugin> plugin;
};

// ---- Published information ----

TEST_F(PluginParams, EighteenParametersPlusBypass) {
  EXPECT_EQ(plugin->parameterCount(), 19);
}

TEST_F(PluginParams, TableMatchesInIndexOrder) {
  for (int i = 0; i < 18; ++i) {
    SCOPED_TRACE(kTable[i].title);
    vst3host::ParameterDescription d;
    ASSERT_TRUE(plugin->parameterInfo(i, &d));
    EXPECT_EQ(d.id, static_cast<Steinberg::Vst::ParamID>(i));
    EXPECT_EQ(d.title, kTable[i].title);
    EXPECT_EQ(d.units, kTable[i].units);
    EXPECT_EQ(d.stepCount, kTable[i].stepCount);
    EXPECT_EQ(d.flags, kTable[i].flags);
    EXPECT_NEAR(d.defaultNormalized, kTable[i].defaultNormalized, 1e-6);
    EXPECT_EQ(d.unitId, Steinberg::Vst::kRootUnitId);
  }
}

TEST_F(PluginParams, CurrentValuesStartAtDefaults) {
  for (int i = 0; i < 18; ++i)
    EXPECT_NEAR(plugin->normalizedValue(static_cast<Steinberg::Vst::ParamID>(i)), kTable[i].defaultNormalized, 1e-6)
        << kTable[i].title;
}

TEST_F(PluginParams, BypassParameterIsAListOfOffAndOn) {
  vst3host::ParameterDescription d;
  ASSERT_TRUE(plugin->parameterInfo(18, &d));
  EXPECT_EQ(d.id, 65536u);
  EXPECT_EQ(d.title, "Bypass");
  EXPECT_EQ(d.units, "");
  EXPECT_EQ(d.stepCount, 1);
  EXPECT_EQ(d.flags, 0x10009);
  EXPECT_EQ(d.defaultNormalized, 0.0);
  EXPECT_EQ(d.unitId, Steinberg::Vst::kRootUnitId);
  EXPECT_EQ(text(65536, 0.0), "off");
  EXPECT_EQ(text(65536, 1.0), "on");
  EXPECT_EQ(parse(65536, "on"), 1.0);
}

// ---- Texts and conversions ----

TEST_F(PluginParams, DisplayTextsUseParameterPrecision) {
  EXPECT_EQ(text(11, 0.5), "0.0");                                      // Trim 0 dB
  EXPECT_EQ(text(10, 0.996), "100");                                    // Mix 99.6 %
  EXPECT_EQ(text(15, bundletest::normalized(*plugin, 15, 0.333)), "0.33");   // Width
  EXPECT_EQ(text(5, 0.5), "632");                                       // Freq Low
  EXPECT_EQ(text(1, 0.5), "12.0");                                      // Depth
}

TEST_F(PluginParams, ListDisplayTextsNameTheValue) {
  EXPECT_EQ(text(0, 0.5), "Boost");
  EXPECT_EQ(text(0, 1.0), "Tame");
  EXPECT_EQ(text(13, 0.0), "Fast 512");
  EXPECT_EQ(text(14, 0.3), "Drum Punch");
  EXPECT_EQ(text(17, 1.0), "Grow");
}

TEST_F(PluginParams, TypedTextsBecomeConstrainedValues) {
  EXPECT_EQ(parse(0, "Tame"), 1.0);
  EXPECT_EQ(parse(0, "2"), 0.0);
  EXPECT_EQ(parse(1, "loud"), 0.0);
  EXPECT_EQ(parse(1, "30"), 1.0);
  EXPECT_DOUBLE_EQ(parse(2, "6.5 dB"), 6.5 / 24.0);
  EXPECT_EQ(parse(2, "nan"), 0.0);
}

TEST_F(PluginParams, NormalizedToPlainFollowsEachMapping) {
  EXPECT_NEAR(plugin->normalizedToPlain(5, 0.5), 632.456, 1e-3);
  EXPECT_DOUBLE_EQ(plugin->normalizedToPlain(1, 0.5), 12.0);
  EXPECT_EQ(plugin->normalizedToPlain(0, 0.3), 1.0);   // a list value is a whole number
  EXPECT_NEAR(plugin->plainToNormalized(6, 18000.0), 0.984748, 1e-6);
  EXPECT_EQ(plugin->plainToNormalized(6, 25000.0), 1.0);
}

// ---- Controller-side sets ----

TEST_F(PluginParams, ControllerSetStoresTheConstrainedValue) {
  ASSERT_TRUE(plugin->setNormalizedValue(0, 0.3));
  EXPECT_EQ(plugin->normalizedValue(0), 0.5);   // Mode 0.6 rounds to Boost
  ASSERT_TRUE(plugin->setNormalizedValue(1, 0.25));
  EXPECT_EQ(plugin->normalizedValue(1), 0.25);
}

TEST_F(PluginParams, ControllerSetOfNaNChangesNothing) {
  ASSERT_TRUE(plugin->setNormalizedValue(1, 0.25));
  EXPECT_FALSE(plugin->setNormalizedValue(1, std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(plugin->normalizedValue(1), 0.25);
}

TEST_F(PluginParams, ControllerSetOutsideUnitRangeClamps) {
  ASSERT_TRUE(plugin->setNormalizedValue(10, 1.7));
  EXPECT_EQ(plugin->normalizedValue(10), 1.0);
  ASSERT_TRUE(plugin->setNormalizedValue(10, -0.2));
  EXPECT_EQ(plugin->normalizedValue(10), 0.0);
}

TEST_F(PluginParams, UnknownIdIsRefused) {
  EXPECT_FALSE(plugin->setNormalizedValue(18, 0.5));
  std::string s;
  EXPECT_FALSE(plugin->valueToText(99, 0.5, &s));
}

} // namespace
