#pragma once
// Deterministic test signals, one channel each, samples in [-1, 1] at full
// scale. Lengths in frames.
#include <cstdint>
#include <vector>

namespace testsignals {

// Zeros with one sample of `amplitude` at `position`.
std::vector<double> impulse(int frames, int position, double amplitude = 1.0);
// A sine of `frequencyHz` at `sampleRate`, starting at phase 0.
std::vector<double> sine(int frames, double frequencyHz, double sampleRate, double amplitude = 1.0);
// Uniform white noise in [-amplitude, amplitude]; the same seed gives the same samples.
std::vector<double> whiteNoise(int frames, uint32_t seed, double amplitude = 1.0);
// Short decaying bursts (clicks) of `amplitude` every `periodFrames`, the first at 0.
std::vector<double> clickTrain(int frames, int periodFrames, double amplitude = 1.0);

// Largest absolute sample; 0 for an empty signal.
double peak(const std::vector<double>& signal);
double rms(const std::vector<double>& signal);
// a + b sample by sample, over the shorter length.
std::vector<double> mix(const std::vector<double>& a, const std::vector<double>& b);
std::vector<float> toFloat(const std::vector<double>& signal);

}  // namespace testsignals
