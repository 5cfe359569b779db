// Factory presets as the host sees them: edit gestures, values, the edited flag.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "plugin/presets.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"

namespace varnock {
namespace {

using Kind = vst3host::HandlerEvent::Kind;

TEST(PresetTable, EveryEntryLiesInsideItsParameterRange) {
  EditorHarness harness;
  for (int row = 1; row < kNumPresetRows; ++row) {
    for (int column = 0; column < kNumPresetColumns; ++column) {
      const iplug::IParam* param = harness.plugin().GetParam(kPresetColumnParams[column]);
      EXPECT_GE(kFactoryPresets[row][column], param->GetMin()) << kPresetNames[row] << " column " << column;
      EXPECT_LE(kFactoryPresets[row][column], param->GetMax()) << kPresetNames[row] << " column " << column;
    }
  }
}

TEST(PresetTable, NamesAreThePresetParameterTexts) {
  EditorHarness harness;
  const iplug::IParam* preset = harness.plugin().GetParam(kPreset);
  ASSERT_EQ(preset->NDisplayTexts(), kNumPresetRows);
  for (int n = 0; n < kNumPresetRows; ++n) EXPECT_STREQ(kPresetNames[n], preset->GetDisplayText(n));
}

TEST(PresetName, OutOfRangeValuesShowTheNearestName) {
  EXPECT_STREQ(presetName(-2.0), "Custom");
  EXPECT_STREQ(presetName(0.4), "Custom");
  EXPECT_STREQ(presetName(2.6), "Drum Punch");
  EXPECT_STREQ(presetName(14.0), "Init");
}

TEST(ApplyFactoryPreset, InitAtDefaultsStillSendsSixteenGestures) {
  EditorHarness harness;
  harness.editorState().presetModified = true;
  applyFactoryPreset(harness.plugin(), harness.editorState(), 10);
  EXPECT_EQ(harness.gestureCount(), 16);
  EXPECT_EQ(harness.events().size(), 48u);
  EXPECT_FALSE(harness.editorState().presetModified);
  EXPECT_DOUBLE_EQ(harness.param(kPreset), 10.0);
}

TEST(ApplyFactoryPreset, WritesColumnsInTableOrderThenResolutionThenPreset) {
  EditorHarness harness;
  applyFactoryPreset(harness.plugin(), harness.editorState(), 1);
  const std::vector<vst3host::HandlerEvent> events = harness.events();
  ASSERT_EQ(events.size(), 48u);
  const int expected[16] = {kMode, kDepth, kThreshold, kKnee, kBackground, kFreqLow, kFreqHigh, kSmooth,
                            kAttack, kRelease, kMix, kTrim, kWidth, kTilt, kResolution, kPreset};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(events[3 * i].kind, Kind::BeginEdit);
    EXPECT_EQ(static_cast<int>(events[3 * i + 1].id), expected[i]) << "gesture " << i;
  }
}

TEST(ApplyFactoryPreset, BoxyRoomSetsPreciseResolutionAndWidth) {
  EditorHarness harness;
  applyFactoryPreset(harness.plugin(), harness.editorState(), 8);
  EXPECT_DOUBLE_EQ(harness.param(kResolution), 2.0);
  EXPECT_DOUBLE_EQ(harness.param(kWidth), 0.5);
  EXPECT_DOUBLE_EQ(harness.param(kMode), 2.0);
  EXPECT_NEAR(harness.param(kFreqLow), 120.0, 1e-9);
  EXPECT_NEAR(harness.param(kFreqHigh), 800.0, 1e-9);
}

TEST(ApplyFactoryPreset, LeavesDeltaAndUiSizeAlone) {
  EditorHarness harness;
  harness.setParam(kDelta, 1.0);
  harness.setParam(kUISize, 1.0);
  applyFactoryPreset(harness.plugin(), harness.editorState(), 3);
  EXPECT_DOUBLE_EQ(harness.param(kDelta), 1.0);
  EXPECT_DOUBLE_EQ(harness.param(kUISize), 1.0);
  EXPECT_EQ(harness.gestureCount(kDelta), 0);
  EXPECT_EQ(harness.gestureCount(kUISize), 0);
}

TEST(ApplyFactoryPreset, IgnoresIndicesOutsideOneToTen) {
  EditorHarness harness;
  harness.editorState().presetModified = true;
  for (int n : {-1, 0, 11}) applyFactoryPreset(harness.plugin(), harness.editorState(), n);
  EXPECT_TRUE(harness.events().empty());
  EXPECT_TRUE(harness.editorState().presetModified);
}

TEST(ApplyFactoryPreset, SendsTheNormalisedValues) {
  EditorHarness harness;
  applyFactoryPreset(harness.plugin(), harness.editorState(), 4);   // Kick/Bass Attack: Freq High 250 Hz
  std::map<int, std::vector<double>> sent;                          // parameter id -> performed values
  for (const vst3host::HandlerEvent& e : harness.events())
    if (e.kind == Kind::PerformEdit) sent[static_cast<int>(e.id)].push_back(e.value);
  ASSERT_EQ(sent[kFreqHigh].size(), 1u);
  EXPECT_NEAR(sent[kFreqHigh][0], std::log(250.0 / 20.0) / std::log(1000.0), 1e-12);
  ASSERT_EQ(sent[kDepth].size(), 1u);
  EXPECT_NEAR(sent[kDepth][0], 6.0 / 24.0, 1e-12);
  // The normalised value brings the parameter back to the table entry exactly.
  EXPECT_EQ(harness.param(kFreqHigh), 250.0);
}

} // namespace
} // namespace varnock
