#include "dsp/fft.h"

#include <numbers>

#include "dsp/portable_math.h"
#include "dsp/simd.h"

namespace varnock {
namespace {

// Forward twiddles of every stage span s = 2 .. kMaxFftPoints. The stage
// with half-span h = s/2 keeps its h twiddles w(0) .. w(h-1) at offset h - 1,
// so one table serves every transform size. The inverse needs no table of its
// own (see fftFromNaturalOrder).
struct TwiddleTable {
  double re[kMaxFftPoints];
  double im[kMaxFftPoints];

  TwiddleTable() {
    for (int span = 2; span <= kMaxFftPoints; span *= 2) {
      const double theta = -2.0 * std::numbers::pi / span;
      const double c = math::cos(theta);
      const double d = math::sin(theta);
      const int half = span / 2;
      double wr = 1.0;
      double wi = 0.0;
      for (int k = 0; k < half; ++k) {
        re[half - 1 + k] = wr;
        im[half - 1 + k] = wi;
        const double nextRe = wr * c - wi * d;
        wi = wr * d + wi * c;
        wr = nextRe;
      }
    }
  }
};

const TwiddleTable kTwiddles;

// Eight lanes of doubles. The transform runs on the vector type of the
// variant's registers (math::Lanes2 / Lanes4 / Lanes8, see transformBody):
// GCC splits wider vectors' shuffles and spills them.
using V8 = double __attribute__((vector_size(64)));
using Lanes = long long __attribute__((vector_size(64)));

// Unaligned loads and stores of a vector (by reference: no vector ABI involved).
template <class V> inline __attribute__((always_inline)) void load(V& v, const double* p) {
  v = math::loadLanes<V>(p);
}
template <class V> inline __attribute__((always_inline)) void store(double* p, const V& v) {
  math::storeLanes<V>(p, v);
}

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

// Transposes of four vectors of four lanes (v[q][t] -> out[t][q]) and of
// two vectors of two lanes.
using Index4 = long long __attribute__((vector_size(32)));
using Index2 = long long __attribute__((vector_size(16)));
inline __attribute__((always_inline)) void transpose4(const math::Lanes4* v, math::Lanes4 (&out)[4]) {
  const Index4 even = {0, 4, 2, 6}, odd = {1, 5, 3, 7}, low = {0, 1, 4, 5}, high = {2, 3, 6, 7};
  const math::Lanes4 t0 = __builtin_shuffle(v[0], v[1], even), t1 = __builtin_shuffle(v[0], v[1], odd);
  const math::Lanes4 t2 = __builtin_shuffle(v[2], v[3], even), t3 = __builtin_shuffle(v[2], v[3], odd);
  out[0] = __builtin_shuffle(t0, t2, low);
  out[1] = __builtin_shuffle(t1, t3, low);
  out[2] = __builtin_shuffle(t0, t2, high);
  out[3] = __builtin_shuffle(t1, t3, high);
}
inline __attribute__((always_inline)) void transpose2(const math::Lanes2& a, const math::Lanes2& b,
                                                      math::Lanes2 (&out)[2]) {
  const Index2 first = {0, 2}, second = {1, 3};
  out[0] = __builtin_shuffle(a, b, first);
  out[1] = __builtin_shuffle(a, b, second);
}

constexpr int kReverse4[4] = {0, 2, 1, 3};

// Bit-reversal permutation fused with the first three stages, out of place,
// for n >= 64. Group g (dst[8g .. 8g+7]) takes its inputs from
// src[rev(g) + rev8(q) n/8], q = 0..7, where rev(g) reverses g over n/8, so
// L consecutive values of rev(g) load as one vector of V (L lanes, one group
// per lane); the groups of lanes base + t are rev(base) + revL(t) n/(8L).
template <class V>
inline __attribute__((always_inline)) void permuteAndFirstStages(const double* __restrict srcRe,
                                                                  const double* __restrict srcIm, double* __restrict re,
                                                                  double* __restrict im, int n, const double* wr,
                                                                  const double* wi) {
  constexpr int kLanes = math::kLanes<V>;
  const int eighth = n / 8;
  for (int base = 0; base < eighth; base += kLanes) {
    V r[8], i[8];
    for (int q = 0; q < 8; ++q) {
      load(r[q], srcRe + base + kReverse8[q] * eighth);
      load(i[q], srcIm + base + kReverse8[q] * eighth);
    }
    firstThreeStages(r, i, wr, wi);
    const int group = bitReversed(base, eighth);
    if constexpr (kLanes == 8) {
      transpose(r);
      transpose(i);
      for (int t = 0; t < 8; ++t) {
        const int dst = 8 * (group + kReverse8[t] * (eighth / 8));
        store(re + dst, r[t]);
        store(im + dst, i[t]);
      }
    } else if constexpr (kLanes == 4) {
      V rLow[4], rHigh[4], iLow[4], iHigh[4];
      transpose4(r, rLow);
      transpose4(r + 4, rHigh);
      transpose4(i, iLow);
      transpose4(i + 4, iHigh);
      for (int t = 0; t < 4; ++t) {
        const int dst = 8 * (group + kReverse4[t] * (eighth / 4));
        store(re + dst, rLow[t]);
        store(re + dst + 4, rHigh[t]);
        store(im + dst, iLow[t]);
        store(im + dst + 4, iHigh[t]);
      }
    } else {
      static_assert(kLanes == 2);
      for (int m = 0; m < 4; ++m) {
        V rPair[2], iPair[2];
        transpose2(r[2 * m], r[2 * m + 1], rPair);
        transpose2(i[2 * m], i[2 * m + 1], iPair);
        for (int t = 0; t < 2; ++t) {
          const int dst = 8 * (group + t * (eighth / 2)) + 2 * m;
          store(re + dst, rPair[t]);
          store(im + dst, iPair[t]);
        }
      }
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
template <class V>
inline __attribute__((always_inline)) void stagePair(double* __restrict re, double* __restrict im, int n, int half,
                                                     const double* __restrict wr, const double* __restrict wi) {
  const double* w1r = wr + half - 1;
  const double* w1i = wi + half - 1;
  const double* w2r = wr + 2 * half - 1;
  const double* w2i = wi + 2 * half - 1;
  for (int b = 0; b < n; b += 4 * half) {
    for (int k = 0; k < half; k += math::kLanes<V>) {
      double* pr[4] = {re + b + k, re + b + k + half, re + b + k + 2 * half, re + b + k + 3 * half};
      double* pi[4] = {im + b + k, im + b + k + half, im + b + k + 2 * half, im + b + k + 3 * half};
      V r[4], i[4], w[6];
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
template <class V>
inline __attribute__((always_inline)) void stageSingle(double* __restrict re, double* __restrict im, int n, int half,
                                                       const double* __restrict wr, const double* __restrict wi) {
  for (int b = 0; b < n; b += 2 * half) {
    for (int k = 0; k < half; k += math::kLanes<V>) {
      V r0, i0, r1, i1, tr, ti;
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

// Stages with half-spans h, 2h and 4h in one pass (h >= 8), for instruction
// sets with 32 vector registers: per eight elements a0 .. a7 at k + j h of a
// span-8h block, the butterflies (a0, a1), (a2, a3), (a4, a5), (a6, a7) of
// stage h, then (a0, a2), (a1, a3), (a4, a6), (a5, a7) of stage 2h, then
// (aj, aj+4) of stage 4h.
template <class V>
inline __attribute__((always_inline)) void stageTriple(double* __restrict re, double* __restrict im, int n, int half,
                                                       const double* __restrict wr, const double* __restrict wi) {
  const double* w1r = wr + half - 1;
  const double* w1i = wi + half - 1;
  const double* w2r = wr + 2 * half - 1;
  const double* w2i = wi + 2 * half - 1;
  const double* w4r = wr + 4 * half - 1;
  const double* w4i = wi + 4 * half - 1;
  for (int b = 0; b < n; b += 8 * half) {
    for (int k = 0; k < half; k += math::kLanes<V>) {
      V r[8], i[8], tr, ti, ur, ui;
      for (int q = 0; q < 8; ++q) {
        load(r[q], re + b + k + q * half);
        load(i[q], im + b + k + q * half);
      }
      load(tr, w1r + k);
      load(ti, w1i + k);
      for (int q = 0; q < 8; q += 2) butterfly(r[q], i[q], r[q + 1], i[q + 1], tr, ti);
      load(tr, w2r + k);
      load(ti, w2i + k);
      load(ur, w2r + k + half);
      load(ui, w2i + k + half);
      for (int q = 0; q < 8; q += 4) {
        butterfly(r[q], i[q], r[q + 2], i[q + 2], tr, ti);
        butterfly(r[q + 1], i[q + 1], r[q + 3], i[q + 3], ur, ui);
      }
      for (int q = 0; q < 4; ++q) {
        load(tr, w4r + k + q * half);
        load(ti, w4i + k + q * half);
        butterfly(r[q], i[q], r[q + 4], i[q + 4], tr, ti);
      }
      for (int q = 0; q < 8; ++q) {
        store(re + b + k + q * half, r[q]);
        store(im + b + k + q * half, i[q]);
      }
    }
  }
}

// Stages with half-span 8 .. n/2: three per pass where possible with 32
// vector registers (`triples`), otherwise two per pass where possible.
template <class V>
inline __attribute__((always_inline)) void laterStages(double* re, double* im, int n, const double* wr,
                                                       const double* wi, bool triples) {
  int half = 8;
  if (triples)
    for (; 8 * half <= n; half *= 8) stageTriple<V>(re, im, n, half, wr, wi);
  for (; 4 * half <= n; half *= 4) stagePair<V>(re, im, n, half, wr, wi);
  if (half < n) stageSingle<V>(re, im, n, half, wr, wi);
}

} // namespace

int bitReversed(int i, int n) {
  int r = 0;
  for (int bit = n >> 1, from = 1; bit > 0; bit >>= 1, from <<= 1)
    if (i & from) r |= bit;
  return r;
}

namespace {

// V is the vector type of the variant's registers (dsp/simd.h); AVX-512 has
// the 32 registers that three stages per pass need.
template <class V>
VARNOCK_KERNEL_BODY void transformBody(const double* srcRe, const double* srcIm, double* re, double* im, int n) {
  const double* wr = kTwiddles.re;
  const double* wi = kTwiddles.im;
  if (n < 64) {
    permuteAndFirstStagesScalar(srcRe, srcIm, re, im, n, wr, wi);
    for (int half = 8; half < n; half *= 2)
      for (int b = 0; b < n; b += 2 * half)
        for (int k = 0; k < half; ++k)
          butterfly(re[b + k], im[b + k], re[b + k + half], im[b + k + half], wr[half - 1 + k], wi[half - 1 + k]);
    return;
  }
  permuteAndFirstStages<V>(srcRe, srcIm, re, im, n, wr, wi);
  laterStages<V>(re, im, n, wr, wi, math::kLanes<V> == 8);
}
VARNOCK_DISPATCH_LANES(void, transform, (const double* srcRe, const double* srcIm, double* re, double* im, int n),
                       (srcRe, srcIm, re, im, n))

} // namespace

// The inverse twiddles are the conjugates of the forward ones, bit for bit
// (sin is odd and the recurrence keeps the sign symmetry exactly), and an
// inverse butterfly on (a, b) = (re, im) computes exactly what a forward
// butterfly computes on (b, a): wr b - wi a and wr a + wi b. So the inverse is
// the forward transform with real and imaginary parts exchanged on both
// sides, and one table (half the cache footprint) serves both directions.
void fftFromNaturalOrder(const double* srcRe, const double* srcIm, double* re, double* im, int n,
                         FftDirection direction) {
  if (direction == FftDirection::Forward)
    transform(srcRe, srcIm, re, im, n);
  else
    transform(srcIm, srcRe, im, re, n);
}

} // namespace varnock
