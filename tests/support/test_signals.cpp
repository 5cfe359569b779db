#include "tests/support/test_signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace testsignals {

std::vector<double> impulse(int frames, int position, double amplitude) {
  std::vector<double> out(static_cast<size_t>(std::max(0, frames)), 0.0);
  if (position >= 0 && position < frames) out[static_cast<size_t>(position)] = amplitude;
  return out;
}

std::vector<double> sine(int frames, double frequencyHz, double sampleRate, double amplitude) {
  std::vector<double> out(static_cast<size_t>(std::max(0, frames)));
  const double step = 2.0 * std::numbers::pi * frequencyHz / sampleRate;
  for (size_t i = 0; i < out.size(); ++i) out[i] = amplitude * std::sin(step * static_cast<double>(i));
  return out;
}

std::vector<double> whiteNoise(int frames, uint32_t seed, double amplitude) {
  std::vector<double> out(static_cast<size_t>(std::max(0, frames)));
  uint32_t state = seed ? seed : 0x9E3779B9u;
  for (double& x : out) {
    // xorshift32: cheap, deterministic, good enough for test noise
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    x = amplitude * (static_cast<double>(state) / 2147483647.5 - 1.0);
  }
  return out;
}

std::vector<double> clickTrain(int frames, int periodFrames, double amplitude) {
  constexpr int kClickFrames = 48;
  std::vector<double> out(static_cast<size_t>(std::max(0, frames)), 0.0);
  if (periodFrames <= 0) return out;
  for (int start = 0; start < frames; start += periodFrames)
    for (int i = 0; i < kClickFrames && start + i < frames; ++i)
      out[static_cast<size_t>(start + i)] = amplitude * std::exp(-i / 8.0) * (i % 2 ? -1.0 : 1.0);
  return out;
}

double peak(const std::vector<double>& signal) {
  double p = 0;
  for (double x : signal) p = std::max(p, std::fabs(x));
  return p;
}

double rms(const std::vector<double>& signal) {
  if (signal.empty()) return 0;
  double sum = 0;
  for (double x : signal) sum += x * x;
  return std::sqrt(sum / static_cast<double>(signal.size()));
}

std::vector<double> mix(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> out(std::min(a.size(), b.size()));
  for (size_t i = 0; i < out.size(); ++i) out[i] = a[i] + b[i];
  return out;
}

std::vector<float> toFloat(const std::vector<double>& signal) {
  return std::vector<float>(signal.begin(), signal.end());
}

}  // namespace testsignals
