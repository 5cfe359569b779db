#include "tests/support/engine_digest.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "dsp/portable_math.h"
#include "dsp/spectral_engine.h"

namespace varnock::testing {
namespace {

class Fnv1a {
public:
  void add(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    for (int byte = 0; byte < 8; ++byte) {
      hash_ ^= (bits >> (8 * byte)) & 0xff;
      hash_ *= 0x100000001b3ull;
    }
  }
  std::uint64_t value() const { return hash_; }

private:
  std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

// xorshift64*: the same integers everywhere; doubles in [-1, 1) from 53 bits.
struct Random {
  std::uint64_t state = 0x9e3779b97f4a7c15ull;
  std::uint64_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545f4914f6cdd1dull;
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1p-52 - 1.0; }
};

// Stereo programme from sample `start` on: a gliding tone, a steady tone,
// noise, clicks every 2999 samples.
void makeInput(std::vector<double>& left, std::vector<double>& right, long start, Random& random) {
  const int frames = static_cast<int>(left.size());
  for (int i = 0; i < frames; ++i) {
    const double t = ((start + i) % 96000) / 48000.0;
    const double toneL = math::sin(2.0 * 3.141592653589793 * (440.0 + 300.0 * t) * t);
    const double toneR = math::cos(2.0 * 3.141592653589793 * 2437.0 * t);
    const double click = (start + i) % 2999 < 16 ? 0.8 * random.uniform() : 0.0;
    left[i] = 0.3 * toneL + 0.04 * random.uniform() + click;
    right[i] = 0.2 * toneR + 0.04 * random.uniform() + 0.5 * click;
  }
}

struct Step {
  double mode, resolution, mix, trimDb, delta, smooth, width, tilt;
  int frames;
};

// Every mode at every resolution, then automation between blocks.
constexpr Step kSchedule[] = {
    {0, 1, 100, 0, 0, 2, 0.33, 0, 12000},   {1, 1, 100, 0, 0, 2, 0.33, 0, 6000},
    {2, 1, 100, 0, 0, 2, 0.33, 0, 6000},    {2, 0, 80, -3, 0, 0, 0.1, 2, 8000},
    {0, 0, 100, 0, 0, 5, 0.33, -2, 6000},   {1, 0, 50, 6, 0, 16, 0.33, 0, 6000},
    {1, 2, 100, 0, 1, 2, 0.33, 0, 12000},   {0, 2, 100, 0, 0, 2, 1.5, 6, 9000},
    {2, 2, 30, -24, 0, 3, 1.5, -6, 9000},   {0, 1, 100, 24, 1, 1, 0.7, 1, 3000},
    {2, 1, 100, 0, 0, 2, 0.33, 0, 30000},     {0, 1, 100, 0, 0, 2, 0.33, 0, 1300},
    {1, 2, 100, 0, 0, 2, 0.33, 0, 300},     {2, 0, 100, 0, 0, 2, 0.33, 0, 4000},
};

EngineParams paramsFor(const Step& step) {
  EngineParams p;
  p.mode = step.mode;
  p.depthDb = 18.0;
  p.thresholdDb = 4.0;
  p.kneeDb = 6.0;
  p.backgroundMs = 80.0;
  p.freqLowHz = 150.0;
  p.freqHighHz = 16000.0;
  p.smoothBins = step.smooth;
  p.attackMs = 1.5;
  p.releaseMs = 70.0;
  p.mixPercent = step.mix;
  p.trimDb = step.trimDb;
  p.delta = step.delta;
  p.resolution = step.resolution;
  p.widthOctaves = step.width;
  p.tiltDbPerOctave = step.tilt;
  return p;
}

} // namespace

std::uint64_t engineDigest() {
  auto engine = std::make_unique<SpectralEngine>();
  engine->paramSnapshot = paramsFor(kSchedule[0]);
  fullReset(*engine, 48000.0);
  Random random;
  Fnv1a hash;
  std::vector<double> left(2048), right(2048), outL(2048), outR(2048);
  int segment = 0;
  long position = 0;
  for (const Step& step : kSchedule) {
    engine->paramSnapshot = paramsFor(step);
    coefficientPass(*engine);
    for (int done = 0; done < step.frames;) {
      const int block = std::min<int>(step.frames - done, 1 + static_cast<int>(random.next() % 2048));
      left.resize(block);
      right.resize(block);
      makeInput(left, right, position, random);
      if (segment == 3 && done == 0) {   // over-range and non-finite samples
        left[0] = 1e200;
        right[0] = -std::numeric_limits<double>::infinity();
        if (block > 1) left[1] = std::numeric_limits<double>::quiet_NaN();
      }
      if (segment == 10) {   // silence after music: states decay through the subnormal range
        std::memset(left.data(), 0, sizeof(double) * block);
        std::memset(right.data(), 0, sizeof(double) * block);
      }
      const double* in[2] = {left.data(), right.data()};
      double* out[2] = {outL.data(), outR.data()};
      processSamples(*engine, in, out, block);
      for (int i = 0; i < block; ++i) {
        hash.add(outL[i]);
        hash.add(outR[i]);
      }
      for (int k = 0; k <= engine->lastBin; ++k) {
        hash.add(engine->gainDb[k]);
        hash.add(engine->inputMag[k]);
        hash.add(engine->thresholdMag[k]);
        hash.add(engine->activity[k]);
      }
      hash.add(engine->peakGainDb);
      done += block;
      position += block;
    }
    ++segment;
  }
  return hash.value();
}

} // namespace varnock::testing
