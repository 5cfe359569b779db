#pragma once
// The engine's own elementary functions: exp, exp2, log2, log10, cos and sin.
//
// They are built only from IEEE-754 +, -, *, / (each correctly rounded),
// comparisons, selections and bit manipulation of the exponent, and the
// project compiles without floating-point contraction, so every compiler,
// operating system and vector width computes the same bits for the same
// input. The platform's math library may round differently in the last
// place; the engine calls none of its transcendental functions.
//
// exp, exp2, log2 and log10 are templates over the lane type: `double` for
// scalar code, Lanes2 / Lanes4 / Lanes8 (two, four or eight doubles as one
// GCC vector; use the width of the instruction set's registers, since GCC
// splits wider comparisons into scalar ones) for the per-bin loops. Each lane
// of a vector result equals the scalar result for that lane, so
// expInPlace / log10InPlace run whole vectors and the rest as doubles.
//
// Accuracy (tests/dsp_math_test.cpp): below one unit in the last place
// (about 0.5 ulp typical) over the engine's ranges; exp and exp2 overflow to
// +inf and underflow to 0 like the library functions; log10 and log2 of 0 are
// -inf, of negative numbers NaN; NaN stays NaN. cos and sin take
// |x| < 1.6e6 (the engine's angles lie within +-2 pi).
#include <bit>
#include <cstdint>

// Vector values are passed by value only between always-inlined functions,
// so the vector calling convention (which differs between instruction sets)
// never applies. GCC warns about it when the templates are instantiated, at
// the end of the including file, so the warning stays off from here on.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace varnock::math {

using Lanes2 = double __attribute__((vector_size(16)));
using Lanes4 = double __attribute__((vector_size(32)));
using Lanes8 = double __attribute__((vector_size(64)));
using Bits2 = std::uint64_t __attribute__((vector_size(16)));
using Bits4 = std::uint64_t __attribute__((vector_size(32)));
using Bits8 = std::uint64_t __attribute__((vector_size(64)));

template <class T> inline constexpr int kLanes = sizeof(T) / sizeof(double);

#define VARNOCK_MATH_INLINE inline __attribute__((always_inline))

namespace detail {

template <class T> struct BitsOfT;
template <> struct BitsOfT<double> { using type = std::uint64_t; };
template <> struct BitsOfT<Lanes2> { using type = Bits2; };
template <> struct BitsOfT<Lanes4> { using type = Bits4; };
template <> struct BitsOfT<Lanes8> { using type = Bits8; };
template <class T> using BitsOf = typename BitsOfT<T>::type;

template <class T> VARNOCK_MATH_INLINE T splat(double c) { return c - T{}; }   // c - 0 keeps -0.0
template <class T> VARNOCK_MATH_INLINE BitsOf<T> asBits(const T& x) { return std::bit_cast<BitsOf<T>>(x); }
template <class T> VARNOCK_MATH_INLINE T fromBits(const BitsOf<T>& u) { return std::bit_cast<T>(u); }
template <class T, class Mask> VARNOCK_MATH_INLINE T select(const Mask& mask, const T& a, const T& b) { return mask ? a : b; }

// Adding and subtracting 1.5 * 2^52 rounds |x| < 2^51 to the nearest whole
// number (ties to even) in the default rounding mode.
constexpr double kRoundToInteger = 0x1.8p52;
template <class T> VARNOCK_MATH_INLINE T roundToInteger(const T& x) { return (x + kRoundToInteger) - kRoundToInteger; }

// 2^n for a whole-number n in -1022 .. 1023, built from its exponent bits:
// n + 2^52 + 1023 holds n + 1023 in its low mantissa bits.
template <class T> VARNOCK_MATH_INLINE T powerOfTwo(const T& n) {
  return fromBits<T>(asBits<T>(n + 0x1.00000000003ffp52) << 52);
}

// exp(hi - lo) * 2^k for |hi - lo| <= about 0.35 (the reduced argument as a
// rounded value plus a correction) and a whole-number k with |k| <= 1600.
// Rational approximation of exp on the reduced range (error below 2^-59),
// then scaling in two factors so that a subnormal result is rounded once.
template <class T> VARNOCK_MATH_INLINE T expReduced(const T& hi, const T& lo, const T& k) {
  constexpr double P1 = 0x1.555555555553ep-3;
  constexpr double P2 = -0x1.6c16c16bebd93p-9;
  constexpr double P3 = 0x1.1566aaf25de2cp-14;
  constexpr double P4 = -0x1.bbd41c5d26bf1p-20;
  constexpr double P5 = 0x1.6376972bea4d0p-25;
  const T r = hi - lo;
  const T t = r * r;
  const T c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
  const T y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  const T k1 = roundToInteger<T>(k * 0.5);
  const T k2 = k - k1;
  return y * powerOfTwo<T>(k1) * powerOfTwo<T>(k2);
}

// x = 2^k * (1 + f) with 1 + f in [sqrt(2)/2, sqrt(2)), for finite x > 0
// (subnormal x scaled up first). Returns f; k as a double.
template <class T> VARNOCK_MATH_INLINE T splitExponent(const T& x, T& k) {
  const auto subnormal = x < 0x1p-1022;
  const T scaled = select<T>(subnormal, x * 0x1p54, x);
  const T offset = select<T>(subnormal, splat<T>(-54.0), splat<T>(0.0));
  // Moving the mantissa's range from [1, 2) to [0x1.6a09ep-1, 0x1.6a09ep0)
  // by adding the difference of the two high words, then reading the exponent.
  const BitsOf<T> u = asBits<T>(scaled) + 0x0009'5f62'0000'0000ull;
  k = fromBits<T>((u >> 52) | 0x4330'0000'0000'0000ull) - 0x1.00000000003ffp52 + offset;
  return fromBits<T>((u & 0x000f'ffff'ffff'ffffull) + 0x3fe6'a09e'0000'0000ull) - 1.0;
}

// log(1 + f) - f + f^2/2 for f in [sqrt(2)/2 - 1, sqrt(2) - 1), with
// s = f / (2 + f): s (f^2/2 + R(s^2)), R a minimax polynomial.
template <class T> VARNOCK_MATH_INLINE T log1pTail(const T& f) {
  constexpr double Lg1 = 0x1.5555555555593p-1;
  constexpr double Lg2 = 0x1.999999997fa04p-2;
  constexpr double Lg3 = 0x1.2492494229359p-2;
  constexpr double Lg4 = 0x1.c71c51d8e78afp-3;
  constexpr double Lg5 = 0x1.7466496cb03dep-3;
  constexpr double Lg6 = 0x1.39a09d078c69fp-3;
  constexpr double Lg7 = 0x1.2f112df3e5244p-3;
  const T s = f / (2.0 + f);
  const T z = s * s;
  const T w = z * z;
  const T t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
  const T t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
  const T hfsq = 0.5 * f * f;
  return s * (hfsq + (t2 + t1));
}

// log_b(x) = k log_b(2) + log_b(1 + f), with log(1 + f) split into a high
// part of 32 significant bits and a low part so that the scaling by
// 1/ln(b) adds no rounding error of note. scaleHi + scaleLo = 1/ln(b),
// k2Hi + k2Lo = log_b(2) (1 and 0 for log2).
template <class T> VARNOCK_MATH_INLINE T logBase(const T& x, double scaleHi, double scaleLo, double k2Hi, double k2Lo) {
  T k;
  const T f = splitExponent<T>(x, k);
  const T hfsq = 0.5 * f * f;
  const T r = log1pTail<T>(f);
  const T hi = fromBits<T>(asBits<T>(f - hfsq) & 0xffff'ffff'0000'0000ull);
  const T lo = ((f - hi) - hfsq) + r;
  T valHi = hi * scaleHi;
  const T y2 = k * k2Hi;
  T valLo = k * k2Lo + (lo + hi) * scaleLo + lo * scaleHi;
  const T w = y2 + valHi;
  valLo = valLo + ((y2 - w) + valHi);
  valHi = w;
  const T result = valLo + valHi;
  // 0 -> -inf, negative -> NaN, +inf -> +inf, NaN -> NaN; one comparison per
  // selection (GCC splits selections on combined vector masks into scalars).
  const T zeroOrNegative = select<T>(x == 0.0, splat<T>(-__builtin_inf()), splat<T>(__builtin_nan("")));
  const T finiteOrNot = select<T>(x > 0.0, result, zeroOrNegative);
  return select<T>(x < __builtin_inf(), finiteOrNot, x);
}

// Argument reduction by pi/2 for |x| < 1.6e6: x = n pi/2 + y0 + y1 with
// |y0| <= about pi/4; pi/2 in three parts of 33 bits plus tails
// (Cody and Waite), so n * part is exact.
inline int reduceByHalfPi(double x, double& y0, double& y1) {
  if (x > -0x1.921fb54442d18p-1 && x < 0x1.921fb54442d18p-1) {
    y0 = x;
    y1 = 0.0;
    return 0;
  }
  constexpr double kInvHalfPi = 0x1.45f306dc9c883p-1;
  constexpr double kPart1 = 0x1.921fb544p+0, kTail1 = 0x1.0b4611a626331p-34;
  constexpr double kPart2 = 0x1.0b4611a6p-34, kTail2 = 0x1.3198a2e037073p-69;
  constexpr double kPart3 = 0x1.3198a2ep-69, kTail3 = 0x1.b839a252049c1p-104;
  const double n = roundToInteger(x * kInvHalfPi);
  auto exponent = [](double v) { return static_cast<int>((std::bit_cast<std::uint64_t>(v) >> 52) & 0x7ff); };
  double r = x - n * kPart1;                       // exact
  double w = n * kTail1;
  y0 = r - w;
  // Where x lies close to a multiple of pi/2 the subtraction cancels many
  // bits; then the next part of pi/2 is taken as well (twice at most).
  if (exponent(x) - exponent(y0) > 16) {
    double t = r;
    w = n * kPart2;
    r = t - w;
    w = n * kTail2 - ((t - r) - w);
    y0 = r - w;
    if (exponent(x) - exponent(y0) > 49) {
      t = r;
      w = n * kPart3;
      r = t - w;
      w = n * kTail3 - ((t - r) - w);
      y0 = r - w;
    }
  }
  y1 = (r - y0) - w;
  return static_cast<int>(n);
}

// sin(y0 + y1) and cos(y0 + y1) for |y0| <= about pi/4, |y1| tiny: minimax
// polynomials (error below 2^-58 on the range) with the tail y1 as a correction.
inline double sinKernel(double x, double y) {
  constexpr double S1 = -0x1.5555555555549p-3;
  constexpr double S2 = 0x1.111111110f8a6p-7;
  constexpr double S3 = -0x1.a01a019c161d5p-13;
  constexpr double S4 = 0x1.71de357b1fe7dp-19;
  constexpr double S5 = -0x1.ae5e68a2b9cebp-26;
  constexpr double S6 = 0x1.5d93a5acfd57cp-33;
  const double z = x * x;
  const double v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

inline double cosKernel(double x, double y) {
  constexpr double C1 = 0x1.555555555554cp-5;
  constexpr double C2 = -0x1.6c16c16c15177p-10;
  constexpr double C3 = 0x1.a01a019cb159p-16;
  constexpr double C4 = -0x1.27e4f809c52adp-22;
  constexpr double C5 = 0x1.1ee9ebdb4b1c4p-29;
  constexpr double C6 = -0x1.8fae9be8838d4p-37;
  const double z = x * x;
  const double w = z * z;
  const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
  const double hz = 0.5 * z;
  const double v = 1.0 - hz;
  return v + (((1.0 - v) - hz) + (z * r - x * y));
}

} // namespace detail

// e^x. Arguments are clamped to +-1100 first (NaN to -1100), where the
// scaling overflows to +inf or underflows to 0 by itself.
template <class T> VARNOCK_MATH_INLINE T exp(const T& x) {
  using namespace detail;
  constexpr double kInvLn2 = 0x1.71547652b82fep+0;
  constexpr double kLn2Hi = 0x1.62e42feep-1;            // low 21 bits zero: k * kLn2Hi is exact
  constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
  T xr = select<T>(x > -1100.0, x, splat<T>(-1100.0));
  xr = select<T>(xr < 1100.0, xr, splat<T>(1100.0));
  const T k = roundToInteger<T>(xr * kInvLn2);
  const T result = expReduced<T>(xr - k * kLn2Hi, k * kLn2Lo, k);
  return select<T>(x == x, result, x);                  // NaN stays NaN
}

// log10(x).
template <class T> VARNOCK_MATH_INLINE T log10(const T& x) {
  return detail::logBase<T>(x, 0x1.bcb7b152p-2, 0x1.b9438ca9aadd5p-36, 0x1.34413509f6p-2, 0x1.9fef311f12b36p-42);
}

// log2(x).
template <class T> VARNOCK_MATH_INLINE T log2(const T& x) {
  return detail::logBase<T>(x, 0x1.71547652p+0, 0x1.705fc2eefa2p-33, 1.0, 0.0);
}

// 2^x: x = k + r with k whole and |r| <= 1/2 exactly, r ln 2 formed as an
// exact product of r and a two-part ln 2 (Dekker), then exp of it times 2^k.
template <class T> VARNOCK_MATH_INLINE T exp2(const T& x) {
  using namespace detail;
  const auto inRange = (x >= -1075.0) & (x <= 1024.0);
  const T xr = select<T>(inRange, x, splat<T>(0.0));
  const T k = roundToInteger<T>(xr);
  const T r = xr - k;
  constexpr double kLn2 = 0x1.62e42fefa39efp-1;
  constexpr double kLn2Tail = 0x1.abc9e3b39803fp-56;  // ln 2 - kLn2
  constexpr double kLn2High = 0x1.62e43p-1;           // kLn2 in two halves of 26 bits
  constexpr double kLn2Low = kLn2 - kLn2High;
  const T split = r * 134217729.0;                    // Veltkamp split of r
  const T rHigh = split - (split - r);
  const T rLow = r - rHigh;
  const T product = r * kLn2;
  const T error = ((rHigh * kLn2High - product) + rHigh * kLn2Low + rLow * kLn2High) + rLow * kLn2Low;
  const T result = expReduced<T>(product, -(error + r * kLn2Tail), k);
  const T outside = select<T>(x > 1024.0, splat<T>(__builtin_inf()), select<T>(x < -1075.0, splat<T>(0.0), x));
  return select<T>(inRange, result, outside);
}

inline double sin(double x) {
  if (!(x - x == 0.0)) return __builtin_nan("");   // inf or NaN
  double y0, y1;
  const int n = detail::reduceByHalfPi(x, y0, y1);
  switch (n & 3) {
  case 0: return detail::sinKernel(y0, y1);
  case 1: return detail::cosKernel(y0, y1);
  case 2: return -detail::sinKernel(y0, y1);
  default: return -detail::cosKernel(y0, y1);
  }
}

inline double cos(double x) {
  if (!(x - x == 0.0)) return __builtin_nan("");
  double y0, y1;
  const int n = detail::reduceByHalfPi(x, y0, y1);
  switch (n & 3) {
  case 0: return detail::cosKernel(y0, y1);
  case 1: return -detail::sinKernel(y0, y1);
  case 2: return -detail::cosKernel(y0, y1);
  default: return detail::sinKernel(y0, y1);
  }
}

// Loads and stores of a vector from and to unaligned memory, through vector
// types aligned to one double (GCC expands a memcpy of 32 bytes for AVX2 as
// two 16-byte moves through the stack).
template <class V> struct UnalignedT;
template <> struct UnalignedT<Lanes2> {
  typedef double type __attribute__((vector_size(16), aligned(8), may_alias));
};
template <> struct UnalignedT<Lanes4> {
  typedef double type __attribute__((vector_size(32), aligned(8), may_alias));
};
template <> struct UnalignedT<Lanes8> {
  typedef double type __attribute__((vector_size(64), aligned(8), may_alias));
};
template <class V> VARNOCK_MATH_INLINE V loadLanes(const double* p) {
  return *reinterpret_cast<const typename UnalignedT<V>::type*>(p);
}
template <class V> VARNOCK_MATH_INLINE void storeLanes(double* p, const V& v) {
  *reinterpret_cast<typename UnalignedT<V>::type*>(p) = v;
}

// x[k] = exp(x[k]) and x[k] = log10(x[k]) for k < count: whole vectors of
// type V, the rest one by one (with the same results).
template <class V> VARNOCK_MATH_INLINE void expInPlace(double* x, int count) {
  int k = 0;
  for (; k + kLanes<V> <= count; k += kLanes<V>) storeLanes(x + k, exp<V>(loadLanes<V>(x + k)));
  for (; k < count; ++k) x[k] = exp<double>(x[k]);
}
template <class V> VARNOCK_MATH_INLINE void log10InPlace(double* x, int count) {
  int k = 0;
  for (; k + kLanes<V> <= count; k += kLanes<V>) storeLanes(x + k, log10<V>(loadLanes<V>(x + k)));
  for (; k < count; ++k) x[k] = log10<double>(x[k]);
}

} // namespace varnock::math
