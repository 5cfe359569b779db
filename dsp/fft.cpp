#include "dsp/fft.h"

#include <cstring>
#include <numbers>

#include "dsp/portable_math.h"
#include "dsp/simd.h"

namespace varnock {
namespace {

// Twiddles of every stage span s = 2 .. kMaxFftPoints, per direction. The
// stage with half-span h = s/2 keeps its h twiddles w(0) .. w(h-1) at offset
// h - 1, so one table serves every transform size.
struct TwiddleTable {
  double re[2][kMaxFftPoints];
  double im[2][kMaxFftPoints];

  TwiddleTable() {
    for (int direction = 0; direction < 2; ++direction) {
      for (int span = 2; span <= kMaxFftPoints; span *= 2) {
        const double magnitude = 2.0 * std::numbers::pi / span;
        const double theta = direction == 0 ? -magnitude : magnitude;
        const double c = math::cos(theta);
        const double d = math::sin(theta);
        const int half = span / 2;
        double wr = 1.0;
        double wi = 0.0;
        for (int k = 0; k < half; ++k) {
          re[direction][half - 1 + k] = wr;
          im[direction][half - 1 + k] = wi;
          const double nextRe = wr * c - wi * d;
          wi = wr * d + wi * c;
          wr = nextRe;
        }
      }
    }
  }
};

const TwiddleTable kTwiddles;

// Eight lanes of doubles; GCC lowers the operations to the widest vectors of
// the variant's instruction set (one AVX-512 register, two AVX2 or four SSE2
// registers).
using V8 = double __attribute__((vector_size(64)));
using Lanes = long long __attribute__((vector_size(64)));

// Unaligned loads and stores of eight lanes (by reference: no vector ABI involved).
inline __attribute__((always_inline)) void load(V8& v, const double* p) { std::memcpy(&v, p, sizeof v); }
inline __attribute__((always_inline)) void store(double* p, const V8& v) { std::memcpy(p, &v, sizeof v); }

// One butterfly: t = w * x1; x1 = x0 - t; x0 = x0 + t (scalar or eight lanes).
template <typename T, typename W>
inline __attribute__((always_inline)) void butterfly(T& r0, T& i0, T& r1, T& i1, const W& wr, const W& wi) {
  const T tr = wr * r1 - wi * i1;
  const T ti = wr * i1 + wi * r1;
  r1 = r0 - tr;
  i1 = i0 - ti;
  r0 = r0 + tr;
  i0 = i0 + ti;
}

// Stages with half-spans 1, 2 and 4 of one group of eight elements held in
// r[0..7], i[0..7] (each lane a different group).
template <typename T>
inline __attribute__((always_inline)) void firstThreeStages(T (&r)[8], T (&i)[8], const double* wr, const double* wi) {
  for (int q = 0; q < 8; q += 2) butterfly(r[q], i[q], r[q + 1], i[q + 1], wr[0], wi[0]);
  for (int q = 0; q < 8; q += 4)
    for (int k = 0; k < 2; ++k) butterfly(r[q + k], i[q + k], r[q + k + 2], i[q + k + 2], wr[1 + k], wi[1 + k]);
  for (int k = 0; k < 4; ++k) butterfly(r[k], i[k], r[k + 4], i[k + 4], wr[3 + k], wi[3 + k]);
}

// Transposes eight vectors of eight lanes: v[q][t] -> v[t][q].
inline __attribute__((always_inline)) void transpose(V8 (&v)[8]) {
  const Lanes even = {0, 8, 2, 10, 4, 12, 6, 14}, odd = {1, 9, 3, 11, 5, 13, 7, 15};
  const Lanes pairLo = {0, 1, 8, 9, 4, 5, 12, 13}, pairHi = {2, 3, 10, 11, 6, 7, 14, 15};
  const Lanes quadLo = {0, 1, 2, 3, 8, 9, 10, 11}, quadHi = {4, 5, 6, 7, 12, 13, 14, 15};
  V8 a[8], b[8];
  for (int q = 0; q < 8; q += 2) {
    a[q] = __builtin_shuffle(v[q], v[q + 1], even);
    a[q + 1] = __builtin_shuffle(v[q], v[q + 1], odd);
  }
  for (int q = 0; q < 8; q += 4)
    for (int m = 0; m < 2; ++m) {
      b[q + m] = __builtin_shuffle(a[q + m], a[q + m + 2], pairLo);
      b[q + m + 2] = __builtin_shuffle(a[q + m], a[q + m + 2], pairHi);
    }
  for (int m = 0; m < 4; ++m) {
    v[m] = __builtin_shuffle(b[m], b[m + 4], quadLo);
    v[m + 4] = __builtin_shuffle(b[m], b[m + 4], quadHi);
  }
}

constexpr int kReverse8[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Bit-reversal permutation fused with the first three stages, out of place,
// for n >= 64. Group g (dst[8g .. 8g+7]) takes its inputs from
// src[rev(g) + rev8(q) n/8], q = 0..7, where rev(g) reverses g over n/8, so
// eight consecutive values of rev(g) load as contiguous vectors.
inline __attribute__((always_inline)) void permuteAndFirstStages(const double* __restrict srcRe,
                                                                  const double* __restrict srcIm, double* __restrict re,
                                                                  double* __restrict im, int n, const double* wr,
                                                                  const double* wi) {
  const int eighth = n / 8;
  for (int base = 0; base < eighth; base += 8) {
    V8 r[8], i[8];
    for (int q = 0; q < 8; ++q) {
      load(r[q], srcRe + base + kReverse8[q] * eighth);
      load(i[q], srcIm + base + kReverse8[q] * eighth);
    }
    firstThreeStages(r, i, wr, wi);
    transpose(r);
    transpose(i);
    const int group = bitReversed(base, eighth);
    for (int t = 0; t < 8; ++t) {
      const int dst = 8 * (group + kReverse8[t] * (eighth / 8));
      store(re + dst, r[t]);
      store(im + dst, i[t]);
    }
  }
}

// The same permutation and stages for any n, one group or element at a time.
inline void permuteAndFirstStagesScalar(const double* srcRe, const double* srcIm, double* re, double* im, int n,
                                        const double* wr, const double* wi) {
  for (int j = 0; j < n; ++j) {
    re[j] = srcRe[bitReversed(j, n)];
    im[j] = srcIm[bitReversed(j, n)];
  }
  for (int half = 1; half < n && half < 8; half *= 2)
    for (int b = 0; b < n; b += 2 * half)
      for (int k = 0; k < half; ++k)
        butterfly(re[b + k], im[b + k], re[b + k + half], im[b + k + half], wr[half - 1 + k], wi[half - 1 + k]);
}

// Stages with half-spans h and 2h in one pass (h >= 8): per four elements
// a, b, c, d at k, k+h, k+2h, k+3h of a span-4h block, the butterflies
// (a, b) and (c, d) of stage h, then (a, c) and (b, d) of stage 2h.
inline __attribute__((always_inline)) void stagePair(double* __restrict re, double* __restrict im, int n, int half,
                                                     const double* __restrict wr, const double* __restrict wi) {
  const double* w1r = wr + half - 1;
  const double* w1i = wi + half - 1;
  const double* w2r = wr + 2 * half - 1;
  const double* w2i = wi + 2 * half - 1;
  for (int b = 0; b < n; b += 4 * half) {
    for (int k = 0; k < half; k += 8) {
      double* pr[4] = {re + b + k, re + b + k + half, re + b + k + 2 * half, re + b + k + 3 * half};
      double* pi[4] = {im + b + k, im + b + k + half, im + b + k + 2 * half, im + b + k + 3 * half};
      V8 r[4], i[4], w[6];
      for (int q = 0; q < 4; ++q) {
        load(r[q], pr[q]);
        load(i[q], pi[q]);
      }
      load(w[0], w1r + k);
      load(w[1], w1i + k);
      load(w[2], w2r + k);
      load(w[3], w2i + k);
      load(w[4], w2r + k + half);
      load(w[5], w2i + k + half);
      butterfly(r[0], i[0], r[1], i[1], w[0], w[1]);
      butterfly(r[2], i[2], r[3], i[3], w[0], w[1]);
      butterfly(r[0], i[0], r[2], i[2], w[2], w[3]);
      butterfly(r[1], i[1], r[3], i[3], w[4], w[5]);
      for (int q = 0; q < 4; ++q) {
        store(pr[q], r[q]);
        store(pi[q], i[q]);
      }
    }
  }
}

// One stage with half-span h >= 8.
inline __attribute__((always_inline)) void stageSingle(double* __restrict re, double* __restrict im, int n, int half,
                                                       const double* __restrict wr, const double* __restrict wi) {
  for (int b = 0; b < n; b += 2 * half) {
    for (int k = 0; k < half; k += 8) {
      V8 r0, i0, r1, i1, tr, ti;
      load(r0, re + b + k);
      load(i0, im + b + k);
      load(r1, re + b + k + half);
      load(i1, im + b + k + half);
      load(tr, wr + half - 1 + k);
      load(ti, wi + half - 1 + k);
      butterfly(r0, i0, r1, i1, tr, ti);
      store(re + b + k, r0);
      store(im + b + k, i0);
      store(re + b + k + half, r1);
      store(im + b + k + half, i1);
    }
  }
}

// Stages with half-span 8 .. n/2, two per pass where possible.
inline __attribute__((always_inline)) void laterStages(double* re, double* im, int n, const double* wr,
                                                       const double* wi) {
  int half = 8;
  for (; 4 * half <= n; half *= 4) stagePair(re, im, n, half, wr, wi);
  if (half < n) stageSingle(re, im, n, half, wr, wi);
}

} // namespace

int bitReversed(int i, int n) {
  int r = 0;
  for (int bit = n >> 1, from = 1; bit > 0; bit >>= 1, from <<= 1)
    if (i & from) r |= bit;
  return r;
}

namespace {

VARNOCK_KERNEL_BODY void transformBody(const double* srcRe, const double* srcIm, double* re, double* im, int n,
                                       int d) {
  const double* wr = kTwiddles.re[d];
  const double* wi = kTwiddles.im[d];
  if (n < 64) {
    permuteAndFirstStagesScalar(srcRe, srcIm, re, im, n, wr, wi);
    for (int half = 8; half < n; half *= 2)
      for (int b = 0; b < n; b += 2 * half)
        for (int k = 0; k < half; ++k)
          butterfly(re[b + k], im[b + k], re[b + k + half], im[b + k + half], wr[half - 1 + k], wi[half - 1 + k]);
    return;
  }
  permuteAndFirstStages(srcRe, srcIm, re, im, n, wr, wi);
  laterStages(re, im, n, wr, wi);
}
VARNOCK_DISPATCH(void, transform, (const double* srcRe, const double* srcIm, double* re, double* im, int n, int d),
                 (srcRe, srcIm, re, im, n, d))

} // namespace

void fftFromNaturalOrder(const double* srcRe, const double* srcIm, double* re, double* im, int n,
                         FftDirection direction) {
  transform(srcRe, srcIm, re, im, n, direction == FftDirection::Forward ? 0 : 1);
}

} // namespace varnock
