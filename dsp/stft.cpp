#include "dsp/stft.h"

#include <numbers>

#include "dsp/fft.h"
#include "dsp/portable_math.h"
#include "dsp/simd.h"

namespace varnock {
namespace {

// re[i] = window[i] * ringL[i], im[i] = window[i] * ringR[i]; returns
// whether the two channels' windowed samples differ anywhere.
VARNOCK_KERNEL_BODY bool windowIntoBody(double* __restrict re, double* __restrict im, const double* __restrict window,
                                        const double* __restrict ringL, const double* __restrict ringR, int count) {
  int differ = 0;
#pragma omp simd reduction(| : differ)
  for (int i = 0; i < count; ++i) {
    re[i] = window[i] * ringL[i];
    im[i] = window[i] * ringR[i];
    differ |= re[i] != im[i];
  }
  return differ != 0;
}
VARNOCK_DISPATCH(bool, windowInto,
                 (double* re, double* im, const double* window, const double* ringL, const double* ringR, int count),
                 (re, im, window, ringL, ringR, count))

// accumL[j] += scale * window[j] * re[j], accumR[j] += scale * window[j] * im[j].
VARNOCK_KERNEL_BODY void overlapAddBody(double* __restrict accumL, double* __restrict accumR,
                                        const double* __restrict window, const double* __restrict re,
                                        const double* __restrict im, double scale, int count) {
#pragma omp simd
  for (int j = 0; j < count; ++j) {
    accumL[j] += scale * window[j] * re[j];
    accumR[j] += scale * window[j] * im[j];
  }
}
VARNOCK_DISPATCH(void, overlapAdd,
                 (double* accumL, double* accumR, const double* window, const double* re, const double* im,
                  double scale, int count),
                 (accumL, accumR, window, re, im, scale, count))

} // namespace

void buildStftTables(SpectralEngine& engine) {
  const int n = engine.fftSize;
  for (int i = 0; i < n; ++i) engine.analysisWindow[i] = 0.5 - 0.5 * math::cos(2.0 * std::numbers::pi * i / n);
  engine.olaScale = 1.0 / (3.0 * n);
}

void frameIn(SpectralEngine& engine) {
  const int n = engine.fftSize;
  const int pos = engine.writePos;
  const int head = n - pos;                      // samples from writePos to the ring's end
  double* re = spectrumRe(engine.synthesis);
  double* im = spectrumIm(engine.synthesis);
  const double* window = engine.analysisWindow;
  const double* ringL = engine.inputRing[0];
  const double* ringR = engine.inputRing[1];
  const bool differHead = windowInto(re, im, window, ringL + pos, ringR + pos, head);
  const bool differTail = windowInto(re + head, im + head, window + head, ringL, ringR, n - head);
  engine.frameIsMono = !differHead && !differTail;
  fftFromNaturalOrder(re, im, spectrumRe(engine.spectrum), spectrumIm(engine.spectrum), n, FftDirection::Forward);
}

void frameOut(SpectralEngine& engine) {
  const int n = engine.fftSize;
  const int pos = engine.outputPos;
  const int head = n - pos;                      // accumulator cells from outputPos to the end
  double* re = spectrumRe(engine.synthesis);
  double* im = spectrumIm(engine.synthesis);
  fftFromNaturalOrder(spectrumRe(engine.spectrum), spectrumIm(engine.spectrum), re, im, n, FftDirection::Inverse);
  double* accumL = engine.outputAccum[0];
  double* accumR = engine.outputAccum[1];
  const double* window = engine.analysisWindow;
  const double scale = engine.olaScale;
  // Identical channels give identical output, as transforming each channel
  // on its own would: the left result serves both (the packed transform's
  // imaginary part differs from its real part by rounding).
  const double* right = engine.frameIsMono ? re : im;
  overlapAdd(accumL + pos, accumR + pos, window, re, right, scale, head);
  overlapAdd(accumL, accumR, window + head, re + head, right + head, scale, n - head);
}

} // namespace varnock
