#include "dsp/stft.h"

#include <numbers>

#include "dsp/fft.h"
#include "dsp/portable_math.h"

namespace varnock {

void buildStftTables(SpectralEngine& engine) {
  const int n = engine.fftSize;
  for (int i = 0; i < n; ++i) engine.analysisWindow[i] = 0.5 - 0.5 * math::cos(2.0 * std::numbers::pi * i / n);
  engine.olaScale = 1.0 / (3.0 * n);
}

void frameIn(SpectralEngine& engine) {
  const int n = engine.fftSize;
  const int head = n - engine.writePos;          // samples from writePos to the ring's end
  double* windowed = spectrumRe(engine.synthesis);
  double* zeros = spectrumIm(engine.synthesis);
  for (int i = 0; i < n; ++i) zeros[i] = 0.0;
  double* spectra[2] = {engine.spectrumL, engine.spectrumR};
  for (int channel = 0; channel < 2; ++channel) {
    const double* ring = engine.inputRing[channel];
    const double* window = engine.analysisWindow;
    for (int i = 0; i < head; ++i) windowed[i] = window[i] * ring[engine.writePos + i];
    for (int i = head; i < n; ++i) windowed[i] = window[i] * ring[i - head];
    fftFromNaturalOrder(windowed, zeros, spectrumRe(spectra[channel]), spectrumIm(spectra[channel]), n,
                        FftDirection::Forward);
  }
}

void frameOut(SpectralEngine& engine) {
  const int n = engine.fftSize;
  const int head = n - engine.outputPos;         // accumulator cells from outputPos to the end
  double* re = spectrumRe(engine.synthesis);
  double* im = spectrumIm(engine.synthesis);
  double* spectra[2] = {engine.spectrumL, engine.spectrumR};
  for (int channel = 0; channel < 2; ++channel) {
    fftFromNaturalOrder(spectrumRe(spectra[channel]), spectrumIm(spectra[channel]), re, im, n,
                        FftDirection::Inverse);
    double* accum = engine.outputAccum[channel];
    const double* window = engine.analysisWindow;
    const double scale = engine.olaScale;
    for (int j = 0; j < head; ++j) accum[engine.outputPos + j] += scale * window[j] * re[j];
    for (int j = head; j < n; ++j) accum[j - head] += scale * window[j] * re[j];
  }
}

} // namespace varnock
