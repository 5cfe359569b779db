#include "tests/support/engine_harness.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace varnock::testing {

Params::Params() {
  for (int i = 0; i < kNumParams; ++i) values[i] = paramDefault(static_cast<ParamIndex>(i));
}

EngineParams Params::engineParams() const {
  return makeEngineParams([this](ParamIndex index) { return values[index]; });
}

std::unique_ptr<SpectralEngine> makeEngine(const Params& params, double sampleRate) {
  auto engine = std::make_unique<SpectralEngine>();
  engine->paramSnapshot = params.engineParams();
  fullReset(*engine, sampleRate);
  return engine;
}

void applyParams(SpectralEngine& engine, const Params& params) {
  engine.paramSnapshot = params.engineParams();
  coefficientPass(engine);
}

Stereo run(SpectralEngine& engine, const Stereo& input, int blockFrames) {
  Stereo output(input.frames());
  for (int start = 0; start < input.frames(); start += blockFrames) {
    const int count = std::min(blockFrames, input.frames() - start);
    const double* in[2] = {input.left.data() + start, input.right.data() + start};
    double* out[2] = {output.left.data() + start, output.right.data() + start};
    processSamples(engine, in, out, count);
  }
  return output;
}

Stereo noise(int frames, double amplitude, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
  Stereo s(frames);
  for (int i = 0; i < frames; ++i) {
    s.left[i] = uniform(generator);
    s.right[i] = uniform(generator);
  }
  return s;
}

Stereo sine(int frames, double hz, double amplitude, double sampleRate) {
  Stereo s(frames);
  for (int i = 0; i < frames; ++i) s.left[i] = s.right[i] = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / sampleRate);
  return s;
}

} // namespace varnock::testing
