// The engine's own elementary functions (dsp/portable_math.h) against the
// long double library functions over dense sweeps of the ranges the engine
// uses and beyond, their special values, and lane-for-lane equality of the
// eight-lane and the scalar forms.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "dsp/portable_math.h"

namespace varnock {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// |got - ref| in units of the last place of the double nearest to ref.
double ulpError(double got, long double ref) {
  const double nearest = static_cast<double>(ref);
  if (std::isinf(nearest)) return got == nearest ? 0.0 : kInf;
  const int exponent = nearest == 0.0 ? -1074 : std::max(std::ilogb(nearest) - 52, -1074);
  const long double error = std::fabs(static_cast<long double>(got) - ref) / std::ldexp(1.0L, exponent);
  return std::isnan(got) ? kInf : static_cast<double>(error);
}

struct Sweep {
  const char* name;
  double (*function)(double);
  long double (*reference)(long double);
  double from, to;
  bool logSpaced;
};

class MathAccuracy : public ::testing::TestWithParam<Sweep> {};

TEST_P(MathAccuracy, WithinOneUlpOfLongDoubleReference) {
  const Sweep& sweep = GetParam();
  constexpr int kPoints = 400000;
  double worst = 0.0, worstAt = 0.0;
  for (int i = 0; i < kPoints; ++i) {
    const double t = i / (kPoints - 1.0);
    // Log-spaced sweeps step through the exponents; a small odd offset keeps
    // the points off exact powers and round numbers.
    const double x = sweep.logSpaced ? std::exp2(std::log2(sweep.from) + t * (std::log2(sweep.to) - std::log2(sweep.from)))
                                     : sweep.from + t * (sweep.to - sweep.from) * (1.0 - 1e-9);
    const double error = ulpError(sweep.function(x), sweep.reference(x));
    if (!(error <= worst)) {
      worst = error;
      worstAt = x;
    }
  }
  EXPECT_LT(worst, 1.0) << sweep.name << " at " << worstAt;
}

double expD(double x) { return math::exp(x); }
double exp2D(double x) { return math::exp2(x); }
double log10D(double x) { return math::log10(x); }
double log2D(double x) { return math::log2(x); }
long double expL(long double x) { return std::exp(x); }
long double exp2L(long double x) { return std::exp2(x); }
long double log10L(long double x) { return std::log10(x); }
long double log2L(long double x) { return std::log2(x); }
// Trigonometric references reduce by pi/2 in long double first (pi/2 in
// three parts, n * part exact for |n| < 2^31): some runtimes' long double
// sin and cos reduce large arguments with too short a pi.
long double reduceByHalfPi(long double x, int& quadrant) {
  constexpr long double kPart1 = 0x1.921fb544p0L, kPart2 = 0x1.0b4611a6p-34L, kPart3 = 0x1.3198a2e037073p-69L;
  const long double n = std::nearbyint(x / (kPart1 + kPart2));
  quadrant = static_cast<int>(static_cast<long long>(n) & 3);
  return ((x - n * kPart1) - n * kPart2) - n * kPart3;
}
long double sinL(long double x) {
  int quadrant;
  const long double r = reduceByHalfPi(x, quadrant);
  const long double values[4] = {std::sin(r), std::cos(r), -std::sin(r), -std::cos(r)};
  return values[quadrant];
}
long double cosL(long double x) {
  int quadrant;
  const long double r = reduceByHalfPi(x, quadrant);
  const long double values[4] = {std::cos(r), -std::sin(r), -std::cos(r), std::sin(r)};
  return values[quadrant];
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, MathAccuracy,
    ::testing::Values(
        Sweep{"exp", expD, expL, -745.1, 709.78, false},        // whole range, subnormal results included
        Sweep{"exp", expD, expL, -12.0, 12.0, false},           // gains, threshold factors, trim
        Sweep{"exp", expD, expL, -1e-6, 1e-6, false},
        Sweep{"exp2", exp2D, exp2L, -1074.0, 1023.9, false},
        Sweep{"exp2", exp2D, exp2L, -1.0, 1.0, false},          // Width factors
        Sweep{"log10", log10D, log10L, 4.9e-324, 1e308, true},  // subnormals to the largest powers
        Sweep{"log10", log10D, log10L, 0.5, 2.0, false},
        Sweep{"log10", log10D, log10L, 1e-10, 2e-10, false},    // the -100 dB floor of Tame levels
        Sweep{"log2", log2D, log2L, 4.9e-324, 1e308, true},
        Sweep{"log2", log2D, log2L, 0.5, 2.0, false},
        Sweep{"cos", math::cos, cosL, -7.0, 7.0, false},        // window and twiddle angles
        Sweep{"sin", math::sin, sinL, -7.0, 7.0, false},
        Sweep{"cos", math::cos, cosL, -1e5, 1e5, false},
        Sweep{"sin", math::sin, sinL, -1e5, 1e5, false},
        Sweep{"sin", math::sin, sinL, 1e-300, 0.7, true}),
    [](const auto& info) { return std::string(info.param.name) + "_" + std::to_string(info.index); });

TEST(MathSpecialValues, EdgesOfEachFunction) {
  EXPECT_EQ(math::exp(0.0), 1.0);
  EXPECT_EQ(math::exp(-kInf), 0.0);
  EXPECT_EQ(math::exp(kInf), kInf);
  EXPECT_EQ(math::exp(710.0), kInf);
  EXPECT_EQ(math::exp(-746.0), 0.0);
  EXPECT_GT(math::exp(-745.0), 0.0);
  EXPECT_EQ(math::exp2(-1074.0), std::ldexp(1.0, -1074));
  EXPECT_EQ(math::exp2(1024.0), kInf);
  for (int k = -1074; k <= 1023; ++k) ASSERT_EQ(math::log2(std::ldexp(1.0, k)), k) << k;
  for (int k = -1022; k <= 1023; ++k) ASSERT_EQ(math::exp2(static_cast<double>(k)), std::ldexp(1.0, k)) << k;
  EXPECT_EQ(math::log10(1.0), 0.0);
  EXPECT_EQ(math::log10(10.0), 1.0);
  EXPECT_EQ(math::log10(0.0), -kInf);
  EXPECT_EQ(math::log10(-0.0), -kInf);
  EXPECT_EQ(math::log2(0.0), -kInf);
  EXPECT_TRUE(std::isnan(math::log10(-1.0)));
  EXPECT_TRUE(std::isnan(math::log2(-1e-300)));
  EXPECT_EQ(math::log10(kInf), kInf);
  EXPECT_EQ(math::cos(0.0), 1.0);
  EXPECT_EQ(math::sin(0.0), 0.0);
  EXPECT_EQ(math::cos(std::numbers::pi), -1.0);
  for (const double x : {kNan, kInf, -kInf}) {
    EXPECT_TRUE(std::isnan(math::sin(x)));
    EXPECT_TRUE(std::isnan(math::cos(x)));
  }
  for (const double x : {kNan, -kNan}) {
    EXPECT_TRUE(std::isnan(math::exp(x)));
    EXPECT_TRUE(std::isnan(math::exp2(x)));
    EXPECT_TRUE(std::isnan(math::log10(x)));
    EXPECT_TRUE(std::isnan(math::log2(x)));
  }
}

// The per-bin loops run whole vectors (two, four or eight lanes) and the
// rest as scalars; every width must give the scalar bits for every input,
// the specials included.
template <class V> void expectLanesEqualScalars(const std::vector<double>& inputs) {
  std::vector<double> exps = inputs, logs = inputs;
  math::expInPlace<V>(exps.data(), static_cast<int>(exps.size()));
  math::log10InPlace<V>(logs.data(), static_cast<int>(logs.size()));
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    ASSERT_EQ(std::bit_cast<std::uint64_t>(exps[i]), std::bit_cast<std::uint64_t>(math::exp(inputs[i])))
        << math::kLanes<V> << " lanes, exp " << inputs[i];
    ASSERT_EQ(std::bit_cast<std::uint64_t>(logs[i]), std::bit_cast<std::uint64_t>(math::log10(inputs[i])))
        << math::kLanes<V> << " lanes, log10 " << inputs[i];
  }
}

TEST(MathLanes, VectorLanesEqualScalarResults) {
  std::mt19937_64 generator(5);
  std::uniform_real_distribution<double> exponent(-1100.0, 1100.0);
  std::vector<double> inputs = {0.0, -0.0, kInf, -kInf, kNan, 4.9e-324, 2.2e-308, 1e-10, -1.0, 709.9, -745.2, 1e4};
  while (inputs.size() < 4099) inputs.push_back((generator() & 1 ? 1 : -1) * std::exp2(exponent(generator) / 1.5));
  expectLanesEqualScalars<math::Lanes2>(inputs);
  expectLanesEqualScalars<math::Lanes4>(inputs);
  expectLanesEqualScalars<math::Lanes8>(inputs);
}

} // namespace
} // namespace varnock
