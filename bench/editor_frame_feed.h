#pragma once
// A busy, music-like analysis feed for the editor benchmark: a sloped
// spectrum with a moving harmonic series and noise, two moving cut regions
// with their activity, a threshold curve above the spectrum, and the output
// spectrum after the cuts. Written straight into the engine's feed arrays
// (the benchmark runs no audio), different for every frame time.
namespace varnock {

struct SpectralEngine;

// fftSize 512, 1024 or 2048; timeS: the frame's time in seconds.
void writeBusyFeed(SpectralEngine& engine, int fftSize, double sampleRate, double timeS);

} // namespace varnock
