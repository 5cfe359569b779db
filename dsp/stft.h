#pragma once
// Short-time Fourier framing: the periodic Hann window, windowing the input
// ring into the spectrum buffers with the forward transforms, and the inverse
// transforms with synthesis windowing and overlap-add into outputAccum.
// Audio thread only (buildStftTables also from the coefficient pass); no allocation.
#include "dsp/spectral_engine.h"

namespace varnock {

// Periodic Hann window of fftSize points and olaScale = 1/(3 fftSize).
// Called when the FFT size changes.
void buildStftTables(SpectralEngine& engine);

// Windows the last fftSize input samples of each channel (oldest first,
// starting at writePos) into spectrumL / spectrumR and transforms them forward.
void frameIn(SpectralEngine& engine);

// Transforms spectrumL / spectrumR back (through the synthesis buffer) and
// adds olaScale * window * real part into outputAccum from outputPos onward.
void frameOut(SpectralEngine& engine);

} // namespace varnock
