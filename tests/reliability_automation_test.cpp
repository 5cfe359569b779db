// Automation as hosts deliver it, and worse: random points at random sample
// offsets on all 18 parameters, Bypass and IDs the plug-in does not have,
// with normalised values below 0, above 1, infinite and NaN; Resolution
// switched every block. The output stays finite, no parameter value is lost
// or leaves its range, and the latency reported always equals the FFT size
// in use. Expected values come from the host-visible mapping rules, written
// out here independently of the plug-in's code.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "host/parameter_changes.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"

namespace {

using namespace Steinberg;
using reliability::kParamRanges;
using reliability::kParams;
using reliability::RawAudio;

constexpr int kFreqLow = 5, kFreqHigh = 6, kDepth = 1, kMix = 10, kResolution = 13;

// Normalised to plain as a host is promised: linear, or 20 * 1000^n for the
// two frequencies; list values rounded half away from zero; then clamped.
double expectedPlain(int index, double normalized) {
  const auto& r = kParamRanges[index];
  double v = index == kFreqLow || index == kFreqHigh ? 20.0 * std::pow(1000.0, normalized)
                                                     : r.min + normalized * (r.max - r.min);
  if (r.list) v = std::round(v);
  return std::fmin(std::fmax(v, r.min), r.max);
}

// One hostile normalised value.
double hostileValue() {
  const double inf = std::numeric_limits<double>::infinity();
  switch (reliability::randomInt(0, 11)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return inf;
    case 2: return -inf;
    case 3: return -reliability::randomUnit() * 1e3;
    case 4: return 1.0 + reliability::randomUnit() * 1e3;
    case 5: return 1e308;
    case 6: return -0.0;
    case 7: return std::numeric_limits<double>::denorm_min();
    case 8: return 0.0;
    case 9: return 1.0;
    default: return reliability::randomUnit();
  }
}

// What the plug-in should hold after a block: per ID the last point, unless it is NaN.
struct Model {
  double values[kParams];
  bool bypassed = false;
  int engineFftSize = 1024;
};

TEST(Automation, RandomPointsOnEveryParameterKeepOutputFiniteAndLatencyTrue) {
  reliability::reseed(505);
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 2048));
  const int restartsAtStart = plugin->handler().restartCount(Vst::kLatencyChanged);
  Model model;
  const reliability::SavedState initial = reliability::savedState(*plugin);
  for (int i = 0; i < kParams; ++i) model.values[i] = initial.values[static_cast<size_t>(i)];
  int fftChanges = 0, points = 0;

  vst3host::ParameterChanges changes;
  RawAudio audio(2048);
  for (int block = 0; block < 3000; ++block) {
    const int frames = reliability::randomInt(1, 2048);
    changes.clear();
    const int queues = reliability::randomInt(0, 8);
    for (int q = 0; q < queues; ++q) {
      const int pick = reliability::randomInt(0, kParams + 2);
      const Vst::ParamID id = pick < kParams        ? static_cast<Vst::ParamID>(pick)
                              : pick == kParams     ? reliability::kBypassId
                              : pick == kParams + 1 ? 0x10001u
                                                    : static_cast<Vst::ParamID>(kParams);
      const int count = reliability::randomInt(1, 4);
      // Offsets are mostly inside the block, sometimes before or past it.
      for (int p = 0; p < count; ++p) {
        const int offset = reliability::randomInt(0, 9) == 0 ? reliability::randomInt(-100000, 100000)
                                                            : reliability::randomInt(0, frames - 1);
        changes.add(id, offset, hostileValue());
      }
      points += count;
    }
    // Resolution switches on every block; now and then a queue arrives empty.
    changes.add(kResolution, reliability::randomInt(0, frames - 1), reliability::randomInt(0, 2) / 2.0);
    if (block % 7 == 0) {
      int32 index = 0;
      changes.addParameterData(static_cast<Vst::ParamID>(reliability::randomInt(0, kParams - 1)), index);
    }

    // The model takes the last point of each queue in offset order.
    for (int q = 0; q < changes.getParameterCount(); ++q) {
      Vst::IParamValueQueue* queue = changes.getParameterData(q);
      if (queue->getPointCount() == 0) continue;
      int32 offset = 0;
      double value = 0;
      queue->getPoint(queue->getPointCount() - 1, offset, value);
      const Vst::ParamID id = queue->getParameterId();
      if (std::isnan(value)) continue;
      if (id == reliability::kBypassId) model.bypassed = value > 0.5;
      if (id < static_cast<Vst::ParamID>(kParams)) model.values[id] = expectedPlain(static_cast<int>(id), value);
    }
    if (!model.bypassed) {
      const int size = reliability::fftSizeForResolution(model.values[kResolution]);
      if (size != model.engineFftSize) ++fftChanges;
      model.engineFftSize = size;
    }

    for (int c = 0; c < 2; ++c) {
      const std::vector<double> noise = testsignals::whiteNoise(frames, static_cast<uint32_t>(block * 2 + c + 1));
      std::copy(noise.begin(), noise.end(), audio.input(c));
    }
    ASSERT_EQ(audio.process(plugin->processor(), frames, block % 3 != 0, &changes), kResultOk);
    ASSERT_EQ(audio.nonFiniteOutputs(frames), 0) << "block " << block;
    ASSERT_EQ(plugin->latencySamples(), static_cast<uint32>(model.engineFftSize)) << "block " << block;
  }
  EXPECT_GT(points, 20000);
  EXPECT_EQ(plugin->handler().restartCount(Vst::kLatencyChanged) - restartsAtStart, fftChanges);

  const reliability::SavedState state = reliability::savedState(*plugin);
  EXPECT_TRUE(reliability::stateWithinRanges(state));
  for (int i = 0; i < kParams; ++i)
    EXPECT_NEAR(state.values[static_cast<size_t>(i)], model.values[i], 1e-9 * std::fabs(model.values[i]))
        << "parameter " << i;
  EXPECT_EQ(state.bypass, model.bypassed ? 1 : 0);
}

TEST(Automation, ResolutionSwitchedEveryBlockDelaysByTheReportedLatency) {
  reliability::reseed(606);
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 96000.0, 8192));
  vst3host::ParameterChanges changes;
  RawAudio audio(8192);
  int resolution = 1;
  for (int block = 0; block < 400; ++block) {
    // A different size every block, so every block starts from a cleared stream.
    resolution = (resolution + reliability::randomInt(1, 2)) % 3;
    const int frames = reliability::randomInt(1, 4096);
    changes.clear();
    changes.add(kResolution, reliability::randomInt(0, frames - 1), resolution / 2.0);
    // Depth 0, Mix 100 %: the plug-in is a pure delay of its FFT size.
    changes.add(kDepth, 0, 0.0);
    changes.add(kMix, 0, 1.0);
    for (int i = 0; i < frames; ++i) audio.input(0)[i] = audio.input(1)[i] = i == 0 ? 1.0 : 0.0;
    ASSERT_EQ(audio.process(plugin->processor(), frames, true, &changes), kResultOk);
    const int latency = static_cast<int>(plugin->latencySamples());
    ASSERT_EQ(latency, 512 << resolution) << "block " << block;
    // The impulse at frame 0 comes out exactly `latency` frames later.
    for (int i = 0; i < frames; ++i) {
      const double expected = i == latency ? 1.0 : 0.0;
      ASSERT_NEAR(audio.output(0, i), expected, 1e-9) << "block " << block << ", frame " << i;
    }
  }
}

TEST(Automation, ControllerSideSetsWithHostileValuesStayInRange) {
  reliability::reseed(707);
  auto plugin = bundletest::makePlugin();
  for (int round = 0; round < 20000; ++round) {
    const int pick = reliability::randomInt(0, kParams);
    const Vst::ParamID id = pick < kParams ? static_cast<Vst::ParamID>(pick) : reliability::kBypassId;
    const double before = plugin->normalizedValue(id);
    const double value = hostileValue();
    const bool accepted = plugin->setNormalizedValue(id, value);
    const double after = plugin->normalizedValue(id);
    ASSERT_TRUE(after >= 0.0 && after <= 1.0) << "id " << id << " set to " << value << " reads " << after;
    if (std::isnan(value)) {
      EXPECT_FALSE(accepted);
      ASSERT_EQ(after, before) << "a NaN changed parameter " << id;
    }
  }
  EXPECT_TRUE(reliability::stateWithinRanges(reliability::savedState(*plugin)));
}

// Texts for normalised values outside 0 .. 1 are those of the nearest end;
// a NaN gets either no text or a real one, never "nan" and never an
// exception thrown into the host (the Bypass list included).
TEST(Automation, TextsOfHostileNormalisedValuesAreThoseOfTheRange) {
  auto plugin = bundletest::makePlugin();
  const double inf = std::numeric_limits<double>::infinity();
  for (int pick = 0; pick <= kParams; ++pick) {
    const Vst::ParamID id = pick < kParams ? static_cast<Vst::ParamID>(pick) : reliability::kBypassId;
    std::string low, high;
    ASSERT_TRUE(plugin->valueToText(id, 0.0, &low));
    ASSERT_TRUE(plugin->valueToText(id, 1.0, &high));
    for (double value : {-inf, -1.0, -0.0, 0.5, 2.0, 1e308, inf, std::numeric_limits<double>::quiet_NaN()}) {
      std::string text;
      const bool shown = plugin->valueToText(id, value, &text);
      if (std::isnan(value)) {
        if (shown) {
          EXPECT_EQ(text.find("nan"), std::string::npos) << text;
        }
        continue;
      }
      ASSERT_TRUE(shown) << "parameter " << id << " at " << value;
      if (value < 0.0) {
        EXPECT_EQ(text, low) << "parameter " << id << " at " << value;
      } else if (value > 1.0) {
        EXPECT_EQ(text, high) << "parameter " << id << " at " << value;
      }
      if (pick == kParams) continue;
      const double plain = plugin->normalizedToPlain(id, value);
      EXPECT_GE(plain, kParamRanges[pick].min);
      EXPECT_LE(plain, kParamRanges[pick].max);
    }
  }
}

}  // namespace
