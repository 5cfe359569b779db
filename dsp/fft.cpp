#include "dsp/fft.h"

#include <cmath>
#include <numbers>
#include <utility>

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
        const double c = std::cos(theta);
        const double d = std::sin(theta);
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

// One butterfly: t = w * x1; x1 = x0 - t; x0 = x0 + t.
inline __attribute__((always_inline)) void butterfly(double& r0, double& i0, double& r1, double& i1,
                                                     double wr, double wi) {
  const double tr = wr * r1 - wi * i1;
  const double ti = wr * i1 + wi * r1;
  r1 = r0 - tr;
  i1 = i0 - ti;
  r0 = r0 + tr;
  i0 = i0 + ti;
}

// A stage whose half-span is a small constant: vectorised across blocks.
template <int kHalf>
inline __attribute__((always_inline)) void smallStage(double* __restrict re, double* __restrict im, int n,
                                                      const double* __restrict wr, const double* __restrict wi) {
  for (int b = 0; b < n; b += 2 * kHalf)
    for (int k = 0; k < kHalf; ++k)
      butterfly(re[b + k], im[b + k], re[b + k + kHalf], im[b + k + kHalf], wr[k], wi[k]);
}

// A stage with half-span of at least 8: vectorised along each block.
inline __attribute__((always_inline)) void wideStage(double* __restrict re, double* __restrict im, int n, int half,
                                                     const double* __restrict wr, const double* __restrict wi) {
  for (int b = 0; b < n; b += 2 * half) {
    double* __restrict r0 = re + b;
    double* __restrict i0 = im + b;
    double* __restrict r1 = re + b + half;
    double* __restrict i1 = im + b + half;
#pragma omp simd
    for (int k = 0; k < half; ++k) {
      const double tr = wr[k] * r1[k] - wi[k] * i1[k];
      const double ti = wr[k] * i1[k] + wi[k] * r1[k];
      const double ur = r0[k];
      const double ui = i0[k];
      r1[k] = ur - tr;
      i1[k] = ui - ti;
      r0[k] = ur + tr;
      i0[k] = ui + ti;
    }
  }
}

} // namespace

int bitReversed(int i, int n) {
  int r = 0;
  for (int bit = n >> 1, from = 1; bit > 0; bit >>= 1, from <<= 1)
    if (i & from) r |= bit;
  return r;
}

__attribute__((target_clones("avx512f", "avx2", "default")))
void fftStages(double* re, double* im, int n, FftDirection direction) {
  const int d = direction == FftDirection::Forward ? 0 : 1;
  const double* wr = kTwiddles.re[d];
  const double* wi = kTwiddles.im[d];
  int half = 1;
  if (half < n) { smallStage<1>(re, im, n, wr + 0, wi + 0); half = 2; }
  if (half < n) { smallStage<2>(re, im, n, wr + 1, wi + 1); half = 4; }
  if (half < n) { smallStage<4>(re, im, n, wr + 3, wi + 3); half = 8; }
  for (; half < n; half *= 2)
    wideStage(re, im, n, half, wr + half - 1, wi + half - 1);
}

void fft(double* re, double* im, int n, FftDirection direction) {
  for (int i = 1; i < n; ++i) {
    const int r = bitReversed(i, n);
    if (i < r) {
      std::swap(re[i], re[r]);
      std::swap(im[i], im[r]);
    }
  }
  fftStages(re, im, n, direction);
}

} // namespace varnock
