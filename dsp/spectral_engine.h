#pragma once
// SpectralEngine: the whole state of the audio path in one record of fixed
// arrays, sized for the largest FFT (2048 samples, 1026 bin slots). The plug-in
// object owns it by value; nothing is allocated after construction.
//
// Units: lengths count frames per channel; gains and thresholds are in dB;
// spectra are linear magnitudes on the scale of the unnormalised FFT of the
// Hann-windowed frame (a sine of amplitude 1 gives about fftSize / 4).
//
// Threads: the audio thread runs fullReset(), coefficientPass() and
// processSamples(). The editor thread reads the analysis feed (fftSize,
// lastBin, sampleRate, peakGainDb, frameCount and the arrays inputMag,
// outputMag, gainDb, activity, thresholdMag) while the audio thread writes it:
// every feed element is written with feedStore() and must be read with
// feedLoad() (relaxed atomics, one indivisible 8-byte value each; no order
// between elements).
#include <atomic>
#include <cstdint>

#include "dsp/engine_params.h"

namespace varnock {

// Relaxed atomic access to one element shared between the audio and editor threads.
template <typename T> inline void feedStore(T& cell, T value) {
  std::atomic_ref<T>(cell).store(value, std::memory_order_relaxed);
}
template <typename T> inline T feedLoad(const T& cell) {
  return std::atomic_ref<T>(const_cast<T&>(cell)).load(std::memory_order_relaxed);
}

struct SpectralEngine {
  static constexpr int kMaxFftSize = 2048;
  static constexpr int kBinSlots = 1026;       // room for at most 1025 bins
  static constexpr int kMaxSmoothRadius = 16;  // the Smooth parameter's maximum, in bins

  // ---- Stream (audio thread) ----
  EngineParams paramSnapshot;                  // plain values, taken at the last snapshot read
  double sampleRate = 48000.0;                 // feed: copied at every full reset
  double inputRing[2][kMaxFftSize];
  double outputAccum[2][kMaxFftSize];
  int writePos = 0;
  int outputPos = 0;
  int hopCounter = 0;
  int fftSize = 0;                             // feed: 512, 1024, 2048; 0 before the first pass
  int lastBin = 0;                             // feed: fftSize / 2
  int hopSize = 1;
  int lastMode = -1;
  double peakGainDb = 0.0;                     // feed: held peak of |gainDb|, >= 0
  std::uint64_t frameCount = 0;                // feed: frames processed since construction (never reset)
  bool havePrevFrame = false;

  // ---- FFT work buffers and window ----
  // The two channels are real signals, so one complex transform of
  // left + i right carries both spectra: L[k] = (Z[k] + conj Z[n-k]) / 2 and
  // R[k] = (Z[k] - conj Z[n-k]) / 2i. `spectrum` holds Z in split layout:
  // real parts in the first kMaxFftSize doubles, imaginary parts in the next
  // kMaxFftSize (see spectrumRe()/spectrumIm()). After a frame it holds the
  // forward spectrum with the frame's gains applied; since the gains are real
  // and the same for both channels, its inverse transform (in `synthesis`)
  // is the left output frame in the real parts and the right one in the
  // imaginary parts.
  double spectrum[2 * kMaxFftSize];
  double analysisWindow[kMaxFftSize];
  double olaScale = 1.0;
  double synthesis[2 * kMaxFftSize];           // windowed input, then inverse-transform output; split layout
  bool frameIsMono = false;                    // this frame's windowed channels are identical

  // ---- Coefficient block ----
  int modeIndex = 0;
  bool tameMode = false;
  double gainSign = -1.0;
  double depthDb = 12.0;
  double thresholdDb = 6.0;
  double kneeDb = 8.0;
  double invKneeDb = 0.125;                    // 1 / kneeDb
  double framePeriod = 0.0;
  double bgRiseCoef = 0.0;
  double bgFallCoef = 0.0;
  double tameSmoothCoef = 0.0;
  double attackCoef = 0.0;
  double releaseCoef = 0.0;
  int smoothRadius = 2;
  double mixAmount = 1.0;
  double trimGain = 1.0;
  bool deltaOn = false;
  double widthLoFactor = 1.0;
  double widthHiFactor = 1.0;
  double rangeLowHz = 1000.0;
  double rangeHighHz = 18000.0;

  // ---- Per-bin arrays (bins 0 .. lastBin) ----
  double reference[kBinSlots];
  double inputMag[kBinSlots];                  // feed
  double levelDb[kBinSlots];
  double targetGainDb[kBinSlots];
  double smoothedTargetDb[kBinSlots];
  double gainDb[kBinSlots];                    // feed
  double activity[kBinSlots];                  // feed
  double outputMag[kBinSlots];                 // feed
  double thresholdMag[kBinSlots];              // feed
  double rangeWeight[kBinSlots];
  double tiltDb[kBinSlots];
  double levelPrefix[kBinSlots + 1];

  // ---- Per-bin values derived by the coefficient pass ----
  double binThresholdDb[kBinSlots];            // thresholdDb - tiltDb[k]
  double thresholdFactor[kBinSlots];           // exp(binThresholdDb[k] * ln(10)/20)
  int tameLowBin[kBinSlots];                   // Tame neighbour span lo .. hi of bin k
  int tameHighBin[kBinSlots];
  double tameInvSpan[kBinSlots];               // 1 / max(hi - lo, 1): the mean's divisor

  // ---- Frame scratch (audio thread only; recomputed every frame) ----
  double frameMag[kBinSlots];                  // this frame's inputMag before publishing
  double frameActivity[kBinSlots];             // activity (knee amount s times range weight) before publishing
  double frameGainDb[kBinSlots];               // new gainDb before publishing
  double frameGainLin[kBinSlots];              // linear gain applied per bin
  double frameThresholdMag[kBinSlots];         // thresholdMag before publishing
  double paddedTargetDb[kBinSlots + 2 * kMaxSmoothRadius];  // edge-clamped targets

  SpectralEngine();                            // cleared buffers; the owner sets paramSnapshot
};

// The split halves of a spectrum buffer (spectrum or synthesis).
inline double* spectrumRe(double* spectrum) { return spectrum; }
inline double* spectrumIm(double* spectrum) { return spectrum + SpectralEngine::kMaxFftSize; }

// Zeroes the spectra, rings, accumulators, window and all per-bin arrays.
void stateClear(SpectralEngine& engine);

// Full reset with the snapshot already in engine.paramSnapshot: takes the
// sample rate, resets positions, counters, peak and mode memory, clears the
// state and runs the coefficient pass (which selects the FFT size).
void fullReset(SpectralEngine& engine, double sampleRate);

// Turns engine.paramSnapshot into the coefficient block and per-bin curves;
// a new FFT size restarts the stream, a new mode clears havePrevFrame.
void coefficientPass(SpectralEngine& engine);

// The per-sample loop: rings, one frame per hop, dry delay, mix/delta/trim.
// in[0], in[1], out[0], out[1] hold nFrames samples each (out[c] may be
// in[c]). Non-finite input samples enter as 0, samples beyond +/-1e30 as
// +/-1e30. Runs with flush-to-zero and denormals-are-zero set and rounding
// to nearest (as does coefficientPass), restoring the caller's
// floating-point mode on return. Before the first full reset it
// writes silence. Real-time safe: no allocation, lock or system call.
void processSamples(SpectralEngine& engine, const double* const* in, double* const* out, int nFrames);

} // namespace varnock
