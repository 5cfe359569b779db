// The engine against the reference model of the whole stream
// (tests/support/engine_model): same output sample by sample, in every mode
// and size, across parameter changes. The model transforms each channel on
// its own and uses the C library's exp / log10; the engine transforms both
// channels as one complex signal and uses its own functions, so the two
// differ by rounding only, hence a tolerance (1e-12 on signals of about 0.5)
// instead of bit equality.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/engine_harness.h"
#include "tests/support/engine_model.h"

namespace varnock {
namespace {

using testing::EngineModel;
using testing::Params;
using testing::Stereo;

// Noise bed with clicks and a steady tone: exercises attack, release,
// the reference in both directions and Tame's neighbour comparison.
Stereo programme(int frames) {
  Stereo s = testing::noise(frames, 0.05, 11);
  const Stereo tone = testing::sine(frames, 2437.0, 0.3);
  for (int i = 0; i < frames; ++i) {
    s.left[i] += tone.left[i];
    s.right[i] += 0.5 * tone.right[i];
    if (i % 3001 < 24) s.left[i] += 0.8 * std::sin(0.9 * i);
  }
  return s;
}

// Runs engine and model over the signal in blocks of blockFrames and returns
// the largest absolute difference of any output sample.
double largestDifference(SpectralEngine& engine, EngineModel& model, const Stereo& input, int blockFrames) {
  const Stereo out = testing::run(engine, input, blockFrames);
  double largest = 0.0;
  for (int i = 0; i < input.frames(); ++i) {
    double yL, yR;
    model.process(input.left[i], input.right[i], yL, yR);
    largest = std::max({largest, std::fabs(out.left[i] - yL), std::fabs(out.right[i] - yR)});
  }
  return largest;
}

struct Case {
  double mode, resolution;
};

class ModelComparison : public ::testing::TestWithParam<Case> {};

TEST_P(ModelComparison, OutputMatchesReferenceModel) {
  Params params;
  params.set(kMode, GetParam().mode).set(kResolution, GetParam().resolution);
  params.set(kFreqLow, 200.0).set(kSmooth, 3.0).set(kTilt, 1.5).set(kMix, 80.0).set(kTrim, -2.0);
  auto engine = testing::makeEngine(params);
  EngineModel model(params.values, 48000.0);
  const Stereo input = programme(48000);
  EXPECT_LT(largestDifference(*engine, model, input, 173), 1e-12);
  EXPECT_NEAR(engine->peakGainDb, model.peakGainDb(), 1e-12);
  for (int k = 0; k <= engine->lastBin; ++k) ASSERT_NEAR(engine->gainDb[k], model.gainDb()[k], 1e-12) << k;
}

INSTANTIATE_TEST_SUITE_P(ModesAndSizes, ModelComparison,
                         ::testing::Values(Case{0, 0}, Case{0, 1}, Case{0, 2}, Case{1, 0}, Case{1, 1}, Case{1, 2},
                                           Case{2, 0}, Case{2, 1}, Case{2, 2}));

TEST(ModelComparison, OtherSampleRatesMatchModel) {
  for (const double rate : {44100.0, 96000.0}) {
    Params params;
    params.set(kMode, rate > 50000 ? 2.0 : 0.0).set(kSmooth, 0).set(kTilt, -2.0).set(kFreqLow, 60.0);
    auto engine = testing::makeEngine(params, rate);
    EngineModel model(params.values, rate);
    EXPECT_LT(largestDifference(*engine, model, programme(30000), 500), 1e-12) << rate;
  }
}

TEST(ModelComparison, ParameterChangesBetweenBlocksMatchModel) {
  Params params;
  auto engine = testing::makeEngine(params);
  EngineModel model(params.values, 48000.0);
  const Stereo input = programme(12000);
  EXPECT_LT(largestDifference(*engine, model, input, 256), 1e-12);
  for (const auto& change : {std::pair{kMode, 2.0}, std::pair{kWidth, 1.2}, std::pair{kResolution, 2.0},
                             std::pair{kDelta, 1.0}, std::pair{kMode, 1.0}, std::pair{kResolution, 0.0},
                             std::pair{kDelta, 0.0}, std::pair{kMix, 35.0}, std::pair{kTrim, 7.0}}) {
    params.set(change.first, change.second);
    testing::applyParams(*engine, params);
    model.setParams(params.values);
    EXPECT_LT(largestDifference(*engine, model, input, 256), 1e-12) << "after parameter " << change.first;
  }
}

} // namespace
} // namespace varnock
