#include "tools/render_demo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace render {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// xorshift32 noise in [-1, 1]: deterministic and cheap.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
  }

 private:
  uint32_t state_;
};

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

// Adds `source(t)` (t in seconds from `start`) to both channels, panned
// (-1 left … 1 right), for `length` seconds.
template <class Source>
void addEvent(DemoSignal& s, double startSeconds, double lengthSeconds, double pan, Source source) {
  const auto first = static_cast<size_t>(startSeconds * s.sampleRate);
  const auto count = static_cast<size_t>(lengthSeconds * s.sampleRate);
  const double gainLeft = std::sqrt(0.5 * (1.0 - pan)), gainRight = std::sqrt(0.5 * (1.0 + pan));
  for (size_t i = 0; i < count && first + i < s.left.size(); ++i) {
    const double x = source(static_cast<double>(i) / s.sampleRate);
    s.left[first + i] += gainLeft * x;
    s.right[first + i] += gainRight * x;
  }
}

void addBed(DemoSignal& s) {
  Noise noiseLeft(0x1234567u), noiseRight(0x7654321u);
  double lowLeft = 0, lowRight = 0;
  const double chordHz[] = {220.0, 277.18, 329.63};
  for (size_t i = 0; i < s.left.size(); ++i) {
    const double t = static_cast<double>(i) / s.sampleRate;
    // Soft, darkened noise: a one-pole low-pass around 2 kHz.
    lowLeft += 0.25 * (noiseLeft.next() - lowLeft);
    lowRight += 0.25 * (noiseRight.next() - lowRight);
    double chord = 0;
    for (double hz : chordHz) chord += std::sin(kTwoPi * hz * t) + 0.3 * std::sin(kTwoPi * 2.0 * hz * t);
    // The steady resonance: a narrow ring at 2.8 kHz that stands out of the bed.
    const double ring = std::sin(kTwoPi * 2800.0 * t) * (1.0 + 0.1 * std::sin(kTwoPi * 0.5 * t));
    s.left[i] += dbToGain(-30) * lowLeft + dbToGain(-30) * chord + dbToGain(-22) * ring;
    s.right[i] += dbToGain(-30) * lowRight + dbToGain(-30) * chord + dbToGain(-22) * ring;
  }
}

void addHits(DemoSignal& s) {
  const double beatSeconds = 0.5;  // 120 BPM
  Noise snareNoise(0xBEEF01u);
  for (int beat = 0; beat * beatSeconds < kDemoSeconds; ++beat) {
    const double start = beat * beatSeconds;
    if (beat % 2 == 0) {
      // Kick: a sine sweeping from 150 Hz down to 50 Hz, 120 ms decay.
      addEvent(s, start, 0.4, 0.0, [](double t) {
        const double phase = kTwoPi * (50.0 * t + 100.0 * 0.03 * (1.0 - std::exp(-t / 0.03)));
        return dbToGain(-6) * std::exp(-t / 0.12) * std::sin(phase);
      });
    } else {
      // Snare: a noise burst with a 180 Hz body.
      addEvent(s, start, 0.3, 0.1, [&snareNoise](double t) {
        return dbToGain(-9) * (std::exp(-t / 0.06) * snareNoise.next() +
                               0.5 * std::exp(-t / 0.04) * std::sin(kTwoPi * 180.0 * t));
      });
    }
    // Hi-hat on the off-beat: a very short bright tick.
    addEvent(s, start + 0.25, 0.05, -0.4, [&snareNoise](double t) {
      return dbToGain(-18) * std::exp(-t / 0.008) * snareNoise.next();
    });
  }
}

void addClicks(DemoSignal& s) {
  // Mouth-click-like events: a few milliseconds of bright ringing at uneven times.
  const double clickTimes[] = {0.37, 1.13, 1.91, 2.44, 3.02, 3.71, 4.28, 5.16, 5.63};
  for (double start : clickTimes) {
    addEvent(s, start, 0.004, 0.3, [](double t) {
      return dbToGain(-10) * std::exp(-t / 0.0008) * std::sin(kTwoPi * 6000.0 * t);
    });
  }
}

}  // namespace

DemoSignal makeDemoSignal() {
  DemoSignal s;
  s.sampleRate = kDemoSampleRate;
  const auto frames = static_cast<size_t>(kDemoSeconds * kDemoSampleRate);
  s.left.assign(frames, 0.0);
  s.right.assign(frames, 0.0);
  addBed(s);
  addHits(s);
  addClicks(s);
  double peak = 0;
  for (size_t i = 0; i < frames; ++i) peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
  const double scale = dbToGain(-1) / peak;
  for (size_t i = 0; i < frames; ++i) {
    s.left[i] *= scale;
    s.right[i] *= scale;
  }
  return s;
}

}  // namespace render
