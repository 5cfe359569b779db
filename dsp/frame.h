#pragma once
// Spectral frame processing, once per hop on the audio thread: analysis,
// detection (Cut / Boost against each bin's slow reference, Tame against the
// mean level of the bin's neighbours), Smooth across bins, attack / release
// ballistics, gain application to both channels, peak hold, resynthesis.
// Writes the analysis feed with feedStore(). No allocation.
#include "dsp/spectral_engine.h"

namespace varnock {

// One whole frame: frameIn, processSpectrum, frameOut.
void processFrame(SpectralEngine& engine);

// Everything between the forward and the inverse transforms, on the packed
// spectrum in `spectrum`: detection, havePrevFrame, Smooth, ballistics and
// gain application, peak hold; then counts the frame in frameCount.
void processSpectrum(SpectralEngine& engine);

// The steps of processSpectrum, in its order.
void detectAgainstReference(SpectralEngine& engine);   // Cut and Boost
void detectAgainstNeighbours(SpectralEngine& engine);  // Tame
void smoothTargets(SpectralEngine& engine);
void applyGains(SpectralEngine& engine);               // ballistics, spectra, outputMag, peak hold

// Publishes values[0 .. count-1] into the feed array `cells`, one relaxed
// atomic store per element (unrolled: the copy is bound by its stores).
inline void publishFeed(double* cells, const double* values, int count) {
#pragma GCC unroll 8
  for (int k = 0; k < count; ++k) feedStore(cells[k], values[k]);
}

// dB to linear factor, as used for gains, trim and the Cut/Boost threshold.
inline constexpr double kDbToLinear = 0.11512925465;

} // namespace varnock
