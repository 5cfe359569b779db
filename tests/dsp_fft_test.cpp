// The radix-2 FFT and the Hann window: transform identities, and the fast
// split-array transform against the reference model's interleaved textbook
// transform.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fft.h"
#include "dsp/simd.h"
#include "dsp/stft.h"
#include "tests/support/engine_harness.h"
#include "tests/support/engine_model.h"

namespace varnock {
namespace {

struct Split {
  std::vector<double> re, im;
  explicit Split(int n) : re(n, 0.0), im(n, 0.0) {}
};

// In-place transform through the engine's out-of-place one.
void fft(std::vector<double>& re, std::vector<double>& im, int n, FftDirection direction) {
  Split out(n);
  fftFromNaturalOrder(re.data(), im.data(), out.re.data(), out.im.data(), n, direction);
  re = out.re;
  im = out.im;
}

class FftSizes : public ::testing::TestWithParam<int> {};

TEST_P(FftSizes, ForwardThenInverseGivesNTimesInput) {
  const int n = GetParam();
  std::mt19937 generator(n);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  Split x(n);
  for (int i = 0; i < n; ++i) {
    x.re[i] = uniform(generator);
    x.im[i] = uniform(generator);
  }
  Split y = x;
  fft(y.re, y.im, n, FftDirection::Forward);
  fft(y.re, y.im, n, FftDirection::Inverse);
  for (int i = 0; i < n; ++i) {
    EXPECT_NEAR(y.re[i], n * x.re[i], 1e-12 * n);
    EXPECT_NEAR(y.im[i], n * x.im[i], 1e-12 * n);
  }
}

TEST_P(FftSizes, ImpulseTransformsToOnes) {
  const int n = GetParam();
  Split x(n);
  x.re[0] = 1.0;
  fft(x.re, x.im, n, FftDirection::Forward);
  for (int k = 0; k < n; ++k) {
    EXPECT_DOUBLE_EQ(x.re[k], 1.0);
    EXPECT_DOUBLE_EQ(x.im[k], 0.0);
  }
}

TEST_P(FftSizes, ConstantTransformsToNAtBinZero) {
  const int n = GetParam();
  Split x(n);
  for (double& v : x.re) v = 1.0;
  fft(x.re, x.im, n, FftDirection::Forward);
  EXPECT_DOUBLE_EQ(x.re[0], n);
  for (int k = 1; k < n; ++k) {
    EXPECT_NEAR(x.re[k], 0.0, 1e-12 * n);
    EXPECT_NEAR(x.im[k], 0.0, 1e-12 * n);
  }
}

TEST_P(FftSizes, CosineOfK0CyclesGivesHalfNAtK0AndMirror) {
  const int n = GetParam();
  const int k0 = 37;
  Split x(n);
  for (int j = 0; j < n; ++j) x.re[j] = std::cos(2.0 * std::numbers::pi * k0 * j / n);
  fft(x.re, x.im, n, FftDirection::Forward);
  for (int k = 0; k < n; ++k) {
    const double expected = (k == k0 || k == n - k0) ? n / 2.0 : 0.0;
    EXPECT_NEAR(x.re[k], expected, 1e-9 * n) << "bin " << k;
    EXPECT_NEAR(x.im[k], 0.0, 1e-9 * n) << "bin " << k;
  }
}

// Both directions, random complex input, every instruction-set level the CPU
// offers: the table-driven, vectorised transform must produce exactly the bits
// of the reference transform (the same operations on the same twiddle values,
// only scheduled differently).
TEST_P(FftSizes, MatchesReferenceTransformBitForBit) {
  const int n = GetParam();
  const SimdLevel chosen = activeSimdLevel();
  for (int level = 0; level < kSimdLevelCount; ++level) {
    if (!useSimdLevel(static_cast<SimdLevel>(level))) continue;
    std::mt19937 generator(7 * n);
    std::uniform_real_distribution<double> uniform(-1000.0, 1000.0);
    for (const bool inverse : {false, true}) {
      Split x(n);
      std::vector<double> interleaved(2 * n);
      for (int i = 0; i < n; ++i) {
        x.re[i] = interleaved[2 * i] = uniform(generator);
        x.im[i] = interleaved[2 * i + 1] = uniform(generator);
      }
      fft(x.re, x.im, n, inverse ? FftDirection::Inverse : FftDirection::Forward);
      testing::referenceFft(interleaved.data(), n, inverse);
      int mismatches = 0;
      for (int i = 0; i < n; ++i) {
        mismatches += std::memcmp(&x.re[i], &interleaved[2 * i], sizeof(double)) != 0;
        mismatches += std::memcmp(&x.im[i], &interleaved[2 * i + 1], sizeof(double)) != 0;
      }
      EXPECT_EQ(mismatches, 0) << (inverse ? "inverse " : "forward ") << simdLevelName(static_cast<SimdLevel>(level));
    }
  }
  useSimdLevel(chosen);
}

INSTANTIATE_TEST_SUITE_P(Fft, FftSizes, ::testing::Values(512, 1024, 2048));

TEST(Fft, SmallSizesMatchReferenceTransform) {
  for (int n = 1; n <= 256; n *= 2) {
    Split x(n);
    std::vector<double> interleaved(2 * n);
    for (int i = 0; i < n; ++i) {
      x.re[i] = interleaved[2 * i] = std::sin(1.3 * i + 0.2);
      x.im[i] = interleaved[2 * i + 1] = std::cos(0.7 * i);
    }
    fft(x.re, x.im, n, FftDirection::Forward);
    testing::referenceFft(interleaved.data(), n, false);
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(x.re[i], interleaved[2 * i]) << "n " << n << " i " << i;
      EXPECT_EQ(x.im[i], interleaved[2 * i + 1]) << "n " << n << " i " << i;
    }
  }
}

TEST(Fft, BitReversedIndices) {
  EXPECT_EQ(bitReversed(1, 8), 4);
  EXPECT_EQ(bitReversed(3, 8), 6);
  EXPECT_EQ(bitReversed(6, 8), 3);
  EXPECT_EQ(bitReversed(1, 2048), 1024);
  EXPECT_EQ(bitReversed(2047, 2048), 2047);
}

TEST(HannWindow, PeriodicWithZeroStartUnitPeakAndOlaScale) {
  SpectralEngine engine;
  for (int size : {512, 1024, 2048}) {
    engine.fftSize = size;
    buildStftTables(engine);
    EXPECT_EQ(engine.analysisWindow[0], 0.0);
    EXPECT_EQ(engine.analysisWindow[size / 2], 1.0);
    EXPECT_NEAR(engine.analysisWindow[size / 4], 0.5, 1e-15);
    // Periodic: symmetric around size/2, so w[i] == w[size - i].
    EXPECT_NEAR(engine.analysisWindow[1], engine.analysisWindow[size - 1], 1e-15);
    EXPECT_DOUBLE_EQ(engine.olaScale, 1.0 / (3.0 * size));
  }
}

TEST(HannWindow, SquaresOverEightHopsSumToThree) {
  SpectralEngine engine;
  engine.fftSize = 1024;
  buildStftTables(engine);
  const int hop = 128;
  for (int i = 0; i < hop; ++i) {
    double sum = 0.0;
    for (int frame = 0; frame < 8; ++frame) sum += std::pow(engine.analysisWindow[i + frame * hop], 2);
    EXPECT_NEAR(sum, 3.0, 1e-12);
  }
}

} // namespace
} // namespace varnock
