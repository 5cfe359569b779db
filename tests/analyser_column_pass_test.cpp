// The column pass: how each pixel column turns the engine's bins into curve
// positions, with the level fall, the activity decay and the band gathering.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "dsp/spectral_engine.h"
#include "editor/analyser/activity_history.h"
#include "editor/analyser/column_pass.h"

namespace varnock {
namespace {

// A prepared engine feed (1024-point FFT at 48 kHz) and the analyser's state
// at the design size in Cut with Depth 12.
struct ColumnPassFixture : ::testing::Test {
  std::unique_ptr<SpectralEngine> engine = std::make_unique<SpectralEngine>();
  std::unique_ptr<ColumnState> columns = std::make_unique<ColumnState>();
  ActivityHistory history;
  AnalyserGeometry g = makeAnalyserGeometry(1.0, 760, 0.0, kModeCut, 12.0);

  void SetUp() override { prepare(1024); }

  void prepare(int fftSize) {
    engine->fftSize = fftSize;
    engine->lastBin = fftSize / 2;
    engine->sampleRate = 48000.0;
    for (int k = 0; k < SpectralEngine::kBinSlots; ++k) {
      engine->inputMag[k] = engine->outputMag[k] = engine->thresholdMag[k] = 0.0;
      engine->activity[k] = engine->gainDb[k] = 0.0;
    }
  }
  int run() { return runColumnPass(g, readFeedFrame(*engine), *engine, *columns, history); }

  // The bins a column covers, from the axis mapping.
  int lowBin(int c) const { return frequencyToBin(xToFrequency(g, g.left + c), engine->fftSize, 48000.0, engine->lastBin); }
  int highBin(int c) const { return frequencyToBin(xToFrequency(g, g.left + c + 1), engine->fftSize, 48000.0, engine->lastBin); }
  // A column near 16 kHz, wide enough to span three bins or more.
  int wideColumn() const {
    const int c = static_cast<int>(frequencyToX(g, 16000.0) - g.left);
    EXPECT_GE(highBin(c) - lowBin(c), 2);
    return c;
  }
};

TEST_F(ColumnPassFixture, NewViewStartsSilent) {
  for (int c : {0, 100, 4095}) {
    EXPECT_EQ(columns->inputLevelDb[c], -120.0);
    EXPECT_EQ(columns->outputLevelDb[c], -120.0);
    EXPECT_EQ(columns->activityLevel[c], 0.0);
  }
}

TEST_F(ColumnPassFixture, ColumnTakesLoudestBinOfItsSpan) {
  const int c = wideColumn();
  engine->inputMag[lowBin(c)] = 2.56;          // -40 dB
  engine->inputMag[highBin(c)] = 25.6;         // -20 dB
  run();
  EXPECT_NEAR(columns->inputLevelDb[c], -20.0, 1e-4);
  EXPECT_NEAR(columns->inputY[c], levelToY(g, -20.0), 1e-3);
  // The neighbouring column shares the boundary bin, the one after it does not.
  EXPECT_NEAR(columns->inputLevelDb[c + 1], -20.0, 1e-4);
}

TEST_F(ColumnPassFixture, StrictlyLargerGainMagnitudeWins) {
  const int c = wideColumn();
  engine->gainDb[lowBin(c)] = -3.0;
  engine->gainDb[lowBin(c) + 1] = +4.0;
  run();
  EXPECT_EQ(columns->gainY[c], gainToY(g, +4.0));
}

TEST_F(ColumnPassFixture, EqualGainMagnitudeKeepsLowerBin) {
  const int c = wideColumn();
  engine->gainDb[lowBin(c)] = -3.0;
  engine->gainDb[highBin(c)] = +3.0;
  run();
  EXPECT_EQ(columns->gainY[c], gainToY(g, -3.0));
}

TEST_F(ColumnPassFixture, LevelRisesAtOnceAndFalls1Point2DbPerFrame) {
  const int c = wideColumn();
  engine->inputMag[lowBin(c)] = 256.0;         // 0 dB
  run();
  EXPECT_NEAR(columns->inputLevelDb[c], 0.0, 1e-5);
  engine->inputMag[lowBin(c)] = 0.0;           // silence
  for (int frame = 1; frame <= 3; ++frame) {
    run();
    EXPECT_NEAR(columns->inputLevelDb[c], -1.2 * frame, 1e-5);
  }
  engine->inputMag[lowBin(c)] = 256.0;
  run();
  EXPECT_NEAR(columns->inputLevelDb[c], 0.0, 1e-5);
}

TEST_F(ColumnPassFixture, OutputLevelFallsLikeInput) {
  const int c = wideColumn();
  engine->outputMag[lowBin(c)] = 25.6;         // -20 dB
  run();
  engine->outputMag[lowBin(c)] = 2.56;         // -40 dB
  run();
  EXPECT_NEAR(columns->outputLevelDb[c], -21.2, 1e-4);
  EXPECT_NEAR(columns->outputY[c], levelToY(g, -21.2), 1e-3);
}

TEST_F(ColumnPassFixture, ThresholdFollowsWithoutSmoothing) {
  const int c = wideColumn();
  engine->thresholdMag[lowBin(c)] = 25.6;
  run();
  engine->thresholdMag[lowBin(c)] = 2.56;
  run();
  EXPECT_NEAR(columns->thresholdY[c], levelToY(g, -40.0), 1e-3);
}

TEST_F(ColumnPassFixture, SteadyActivityAlternatesWithFactor088) {
  const int c = wideColumn();
  engine->activity[lowBin(c)] = 0.5;
  const double expected[] = {0.5, 0.44, 0.5, 0.44, 0.5};
  for (double amount : expected) {
    run();
    EXPECT_NEAR(columns->activityLevel[c], amount, 1e-12);
  }
}

TEST_F(ColumnPassFixture, ActivityDecaysEvenWhenNewAmountIsCloseBelow) {
  const int c = wideColumn();
  engine->activity[lowBin(c)] = 0.5;
  run();
  engine->activity[lowBin(c)] = 0.45;          // between 0.44 and 0.5
  run();
  EXPECT_NEAR(columns->activityLevel[c], 0.44, 1e-12);
  engine->activity[lowBin(c)] = 0.0;
  run();
  EXPECT_NEAR(columns->activityLevel[c], 0.44 * 0.88, 1e-12);
}

TEST_F(ColumnPassFixture, ColumnGainGoesToItsBand) {
  const int c = wideColumn();
  engine->gainDb[lowBin(c)] = -5.0;
  run();
  EXPECT_EQ(history.bandAccumulator[bandOfColumn(c, g.columnCount)], 5.0);
  engine->gainDb[lowBin(c)] = -2.0;
  run();                                       // the band keeps its largest since the last push
  EXPECT_EQ(history.bandAccumulator[bandOfColumn(c, g.columnCount)], 5.0);
}

TEST_F(ColumnPassFixture, EveryColumnCoversAtLeastOneBin) {
  // At low frequencies many columns share a bin: all of them show it.
  const int bin = 2;                           // 93.75 Hz
  engine->inputMag[bin] = 256.0;
  run();
  int lit = 0;
  for (int c = 0; c < g.columnCount; ++c) lit += columns->inputLevelDb[c] > -1.0;
  const int first = static_cast<int>(frequencyToX(g, 1.5 * 48000.0 / 1024) - g.left);
  const int last = static_cast<int>(frequencyToX(g, 2.5 * 48000.0 / 1024) - g.left);
  EXPECT_GE(lit, last - first);
  EXPECT_LE(lit, last - first + 2);
}

TEST_F(ColumnPassFixture, ReadsEachBinOncePerFrame) {
  const int reads = run();
  // 20 Hz .. 20 kHz at 48 kHz / 1024 covers bins 0 .. 427.
  EXPECT_LE(reads, engine->lastBin + 1);
  EXPECT_GE(reads, 400);
}

TEST_F(ColumnPassFixture, NeverReadsPastLastBin) {
  // After a switch to 512 points the arrays past bin 256 hold stale values.
  prepare(512);
  engine->sampleRate = 22050.0;                // 20 kHz would be bin 464
  for (int k = 257; k < SpectralEngine::kBinSlots; ++k) {
    engine->inputMag[k] = 1e9;
    engine->gainDb[k] = -50.0;
  }
  run();
  for (int c = 0; c < g.columnCount; ++c) {
    EXPECT_LT(columns->inputLevelDb[c], -100.0) << c;
    EXPECT_EQ(columns->gainY[c], g.gainZeroY) << c;
  }
}

TEST_F(ColumnPassFixture, LastBinOutsideTheArraysIsLimited) {
  engine->lastBin = 5000;                      // never written so; still safe
  EXPECT_EQ(readFeedFrame(*engine).lastBin, SpectralEngine::kBinSlots - 1);
}

TEST_F(ColumnPassFixture, ColumnsPast4000StayUntouched) {
  g = makeAnalyserGeometry(1.0, 4200, 0.0, kModeCut, 12.0);
  for (int k = 0; k <= engine->lastBin; ++k) engine->inputMag[k] = 256.0;
  run();
  EXPECT_NEAR(columns->inputLevelDb[3999], 0.0, 1e-5);
  EXPECT_EQ(columns->inputLevelDb[4000], -120.0);
}

} // namespace
} // namespace varnock
