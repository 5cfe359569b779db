#pragma once
// Short-time Fourier framing: the periodic Hann window, windowing the input
// rings into one complex frame (left + i right) with its forward transform,
// and the inverse transform with synthesis windowing and overlap-add of its
// real and imaginary parts into the two channels' outputAccum.
// Audio thread only (buildStftTables also from the coefficient pass); no allocation.
#include "dsp/spectral_engine.h"

namespace varnock {

// Periodic Hann window of fftSize points and olaScale = 1/(3 fftSize).
// Called when the FFT size changes.
void buildStftTables(SpectralEngine& engine);

// Windows the last fftSize input samples of each channel (oldest first,
// starting at writePos) as the real (left) and imaginary (right) parts of
// one frame in `synthesis` and transforms it forward into `spectrum`; notes
// in frameIsMono whether the two windowed channels are identical.
void frameIn(SpectralEngine& engine);

// Transforms `spectrum` back into `synthesis` and adds olaScale * window *
// real part into outputAccum[0], the same of the imaginary part into
// outputAccum[1] (of the real part if frameIsMono), from outputPos onward.
void frameOut(SpectralEngine& engine);

} // namespace varnock
