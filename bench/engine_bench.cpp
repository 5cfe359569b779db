// engine_bench: cost of the spectral engine per second of 48 kHz stereo audio
// in 256-sample blocks, for every FFT size and mode, against a floor measured
// in the same run, the cost of a minute of silence after music, and the cost
// of small host blocks (32 samples) against large ones (1024) at Normal 1024.
//
// Every benchmark warms up before it is measured and runs five repetitions,
// interleaved at random with the others; the table takes each one's fastest
// repetition, the least disturbed by other work on the machine.
// --simd=baseline|avx2|avx512 runs the engine with that instruction set.
//
// Floor: the least work an STFT of the engine's geometry can do with an
// optimised FFT (FFTW): per hop of fftSize/8 samples it windows both
// channels, runs two forward and two inverse complex transforms of fftSize
// points, multiplies every bin by a gain and overlap-adds; per sample it keeps
// the same rings as the engine.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "dsp/simd.h"
#include "dsp/spectral_engine.h"
#include "plugin/param_table.h"

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int kBlockFrames = 256;
constexpr int kRepetitions = 5;
constexpr double kWarmUpSeconds = 0.2;
constexpr int kSizes[3] = {512, 1024, 2048};
const char* const kModeNames[3] = {"Cut", "Boost", "Tame"};

class FloorStft {
public:
  explicit FloorStft(int fftSize);
  ~FloorStft();
  FloorStft(const FloorStft&) = delete;
  FloorStft& operator=(const FloorStft&) = delete;

  void process(const double* const* in, double* const* out, int nFrames);

private:
  void frame();

  int size_, hop_, pos_ = 0, hopCounter_ = 0;
  std::vector<double> window_, gain_, ring_[2], accum_[2];
  fftw_complex* buffer_[2];
  fftw_plan forward_[2], inverse_[2];
};

FloorStft::FloorStft(int fftSize) : size_(fftSize), hop_(fftSize / 8), window_(fftSize), gain_(fftSize, 0.9) {
  for (int i = 0; i < size_; ++i) window_[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size_);
  for (int c = 0; c < 2; ++c) {
    ring_[c].assign(size_, 0.0);
    accum_[c].assign(size_, 0.0);
    buffer_[c] = fftw_alloc_complex(size_);
    forward_[c] = fftw_plan_dft_1d(size_, buffer_[c], buffer_[c], FFTW_FORWARD, FFTW_MEASURE);
    inverse_[c] = fftw_plan_dft_1d(size_, buffer_[c], buffer_[c], FFTW_BACKWARD, FFTW_MEASURE);
  }
}

FloorStft::~FloorStft() {
  for (int c = 0; c < 2; ++c) {
    fftw_destroy_plan(forward_[c]);
    fftw_destroy_plan(inverse_[c]);
    fftw_free(buffer_[c]);
  }
}

void FloorStft::process(const double* const* in, double* const* out, int nFrames) {
  int done = 0;
  while (done < nFrames) {
    const int count = std::min({nFrames - done, hop_ - hopCounter_, size_ - pos_});
    for (int c = 0; c < 2; ++c) {
      double* ring = ring_[c].data() + pos_;
      double* accum = accum_[c].data() + pos_;
      const double* x = in[c] + done;
      double* y = out[c] + done;
      for (int i = 0; i < count; ++i) {
        const double dry = ring[i];
        const double wet = accum[i];
        accum[i] = 0.0;
        ring[i] = x[i];
        y[i] = 0.5 * dry + 0.5 * wet;
      }
    }
    done += count;
    pos_ = pos_ + count == size_ ? 0 : pos_ + count;
    hopCounter_ += count;
    if (hopCounter_ == hop_) {
      hopCounter_ = 0;
      frame();
    }
  }
}

void FloorStft::frame() {
  const double scale = 1.0 / (3.0 * size_);
  const int head = size_ - pos_;
  const double* window = window_.data();
  for (int c = 0; c < 2; ++c) {
    fftw_complex* x = buffer_[c];
    const double* ring = ring_[c].data();
    for (int i = 0; i < head; ++i) {
      x[i][0] = window[i] * ring[pos_ + i];
      x[i][1] = 0.0;
    }
    for (int i = head; i < size_; ++i) {
      x[i][0] = window[i] * ring[i - head];
      x[i][1] = 0.0;
    }
    fftw_execute(forward_[c]);
  }
  for (int c = 0; c < 2; ++c) {
    fftw_complex* x = buffer_[c];
    const double* gain = gain_.data();
    for (int k = 0; k < size_; ++k) {
      x[k][0] *= gain[k];
      x[k][1] *= gain[k];
    }
    fftw_execute(inverse_[c]);
    double* accum = accum_[c].data();
    for (int j = 0; j < head; ++j) accum[pos_ + j] += scale * window[j] * x[j][0];
    for (int j = head; j < size_; ++j) accum[j - head] += scale * window[j] * x[j][0];
  }
}

// Four seconds of a stereo test programme: a chord that changes every half
// second, noise-burst drum hits every quarter second, and a noise bed.
struct Programme {
  std::vector<double> left, right;
  Programme() : left(4 * 48000), right(4 * 48000) {
    std::mt19937 generator(1);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    const double roots[8] = {110.0, 146.8, 130.8, 98.0, 164.8, 123.5, 110.0, 87.3};
    for (int i = 0; i < static_cast<int>(left.size()); ++i) {
      const double t = i / kSampleRate;
      const double root = roots[(i / 24000) % 8];
      double chord = 0.0;
      for (int h = 1; h <= 6; ++h)
        for (const double ratio : {1.0, 1.26, 1.5}) chord += std::sin(2.0 * std::numbers::pi * root * ratio * h * t) / (h * 4.0);
      const double sinceHit = (i % 12000) / kSampleRate;
      const double hit = std::exp(-sinceHit * 40.0) * uniform(generator);
      const double bed = 0.01 * uniform(generator);
      left[i] = 0.3 * chord + 0.5 * hit + bed;
      right[i] = 0.25 * chord + 0.45 * hit + 0.01 * uniform(generator);
    }
  }
};

const Programme& programme() {
  static const Programme kProgramme;
  return kProgramme;
}

// Plays the programme in blocks, cycling; keeps its own position.
struct BlockSource {
  int frames = kBlockFrames;
  int pos = 0;
  const double* in[2];
  void next() {
    const Programme& p = programme();
    if (pos + frames > static_cast<int>(p.left.size())) pos = 0;
    in[0] = p.left.data() + pos;
    in[1] = p.right.data() + pos;
    pos += frames;
  }
};

std::unique_ptr<varnock::SpectralEngine> makeEngine(int sizeIndex, int mode) {
  auto engine = std::make_unique<varnock::SpectralEngine>();
  engine->paramSnapshot = varnock::defaultEngineParams();
  engine->paramSnapshot.resolution = sizeIndex;
  engine->paramSnapshot.mode = mode;
  varnock::fullReset(*engine, kSampleRate);
  return engine;
}

// Engine per 256-sample block; args: size index, mode.
void BM_Engine(benchmark::State& state) {
  auto engine = makeEngine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<double> outL(kBlockFrames), outR(kBlockFrames);
  double* out[2] = {outL.data(), outR.data()};
  BlockSource source;
  for (int i = 0; i < 375; ++i) {   // two seconds to settle the states
    source.next();
    varnock::processSamples(*engine, source.in, out, kBlockFrames);
  }
  for (auto _ : state) {
    source.next();
    varnock::processSamples(*engine, source.in, out, kBlockFrames);
    benchmark::DoNotOptimize(outL.data());
  }
}

// FFTW floor per 256-sample block; arg: size index.
void BM_Floor(benchmark::State& state) {
  FloorStft floor(kSizes[state.range(0)]);
  std::vector<double> outL(kBlockFrames), outR(kBlockFrames);
  double* out[2] = {outL.data(), outR.data()};
  BlockSource source;
  for (int i = 0; i < 375; ++i) {   // two seconds, as for the engine
    source.next();
    floor.process(source.in, out, kBlockFrames);
  }
  for (auto _ : state) {
    source.next();
    floor.process(source.in, out, kBlockFrames);
    benchmark::DoNotOptimize(outL.data());
  }
}

// A minute of silence (11250 blocks) after ten seconds of the programme, so
// that references, gains and tails decay through the subnormal range.
void BM_EngineSilenceAfterMusic(benchmark::State& state) {
  auto engine = makeEngine(1, static_cast<int>(state.range(0)));
  std::vector<double> outL(kBlockFrames), outR(kBlockFrames), zeros(kBlockFrames, 0.0);
  double* out[2] = {outL.data(), outR.data()};
  const double* silence[2] = {zeros.data(), zeros.data()};
  BlockSource source;
  for (int i = 0; i < 1875; ++i) {
    source.next();
    varnock::processSamples(*engine, source.in, out, kBlockFrames);
  }
  for (auto _ : state) {
    varnock::processSamples(*engine, silence, out, kBlockFrames);
    benchmark::DoNotOptimize(outL.data());
  }
}

// Engine at Normal 1024, Cut, in host blocks of range(0) samples; the
// time per iteration covers 1024 samples whatever the block size.
void BM_EngineBlockSize(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  auto engine = makeEngine(1, 0);
  std::vector<double> outL(1024), outR(1024);
  BlockSource source;
  source.frames = frames;
  auto play1024 = [&] {
    for (int done = 0; done < 1024; done += frames) {
      source.next();
      double* out[2] = {outL.data() + done, outR.data() + done};
      varnock::processSamples(*engine, source.in, out, frames);
    }
  };
  for (int i = 0; i < 94; ++i) play1024();   // two seconds
  for (auto _ : state) {
    play1024();
    benchmark::DoNotOptimize(outL.data());
  }
}

BENCHMARK(BM_Floor)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds)
    ->Repetitions(kRepetitions);
BENCHMARK(BM_Engine)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->Unit(benchmark::kMicrosecond)
    ->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions);
BENCHMARK(BM_EngineSilenceAfterMusic)->DenseRange(0, 2)->Iterations(11250)->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions);
BENCHMARK(BM_EngineBlockSize)->Arg(32)->Arg(1024)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds)
    ->Repetitions(kRepetitions);

// Collects the least CPU time per iteration over the repetitions, then prints
// cost per second of audio, real-time factors and the engine/floor ratios.
struct RatioReporter : benchmark::ConsoleReporter {
  std::map<std::string, double> secondsPerBlock;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      // Keyed by function and arguments, e.g. "BM_Engine/1/2".
      const std::string key =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      auto [entry, added] = secondsPerBlock.emplace(key, seconds);
      if (!added && seconds < entry->second) entry->second = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

} // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  bool interleavingChosen = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--simd=", 7) == 0) {
      bool found = false;
      for (int level = 0; level < varnock::kSimdLevelCount; ++level)
        if (std::strcmp(argv[i] + 7, varnock::simdLevelName(static_cast<varnock::SimdLevel>(level))) == 0)
          found = varnock::useSimdLevel(static_cast<varnock::SimdLevel>(level));
      if (!found) {
        std::fprintf(stderr, "unknown or unsupported instruction set: %s\n", argv[i] + 7);
        return 1;
      }
      continue;
    }
    if (std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0) interleavingChosen = true;
    args.push_back(argv[i]);
  }
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (!interleavingChosen) args.push_back(interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double blocksPerSecond = kSampleRate / kBlockFrames;
  auto costMs = [&](const std::string& name) { return reporter.secondsPerBlock[name] * blocksPerSecond * 1e3; };
  std::printf("\n48 kHz stereo, %d-sample blocks, engine instruction set %s; cost in ms of CPU per second of audio"
              " (fastest of %d repetitions)\n",
              kBlockFrames, varnock::simdLevelName(varnock::activeSimdLevel()), kRepetitions);
  std::printf("%-6s %-6s %10s %10s %10s %12s\n", "fft", "mode", "engine ms", "floor ms", "eng/floor", "real-time x");
  for (int s = 0; s < 3; ++s) {
    const double floorMs = costMs("BM_Floor/" + std::to_string(s));
    for (int m = 0; m < 3; ++m) {
      const double engineMs = costMs("BM_Engine/" + std::to_string(s) + "/" + std::to_string(m));
      if (engineMs <= 0.0 || floorMs <= 0.0) continue;
      std::printf("%-6d %-6s %10.3f %10.3f %10.2f %12.1f\n", kSizes[s], kModeNames[m], engineMs, floorMs,
                  engineMs / floorMs, 1000.0 / engineMs);
    }
  }
  for (int m = 0; m < 3; ++m) {
    const double silenceMs = costMs("BM_EngineSilenceAfterMusic/" + std::to_string(m));
    const double musicMs = costMs("BM_Engine/1/" + std::to_string(m));
    if (silenceMs > 0.0 && musicMs > 0.0)
      std::printf("1024 %-5s silence after music: %.3f ms/s (music %.3f ms/s, ratio %.2f)\n", kModeNames[m],
                  silenceMs, musicMs, silenceMs / musicMs);
  }
  // One iteration of BM_EngineBlockSize is 1024 samples.
  const double perSecond = kSampleRate / 1024.0 * 1e3;
  const double small = reporter.secondsPerBlock["BM_EngineBlockSize/32"] * perSecond;
  const double large = reporter.secondsPerBlock["BM_EngineBlockSize/1024"] * perSecond;
  if (small > 0.0 && large > 0.0)
    std::printf("1024 Cut   32-sample blocks: %.3f ms/s, 1024-sample blocks: %.3f ms/s (ratio %.2f)\n", small, large,
                small / large);
  std::printf("sizeof(SpectralEngine) = %zu bytes\n", sizeof(varnock::SpectralEngine));
  return 0;
}
