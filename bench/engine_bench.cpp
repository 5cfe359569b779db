// engine_bench: cost of the spectral engine per second of 48 kHz stereo audio
// in 256-sample blocks, for every FFT size and mode, against a floor measured
// in the same run, the cost of a minute of silence after music, and the cost
// of small host blocks (32 samples) against large ones (1024) at Normal 1024.
//
// Each benchmark times two things alternately, in turns of 16 blocks (engine
// and floor, music and silence; four calls of 1024 samples for the block
// sizes), so that other work on the machine slows both sides alike; it warms
// up before it is measured and runs five repetitions, interleaved at random
// with the others, and the table shows the repetition with the median ratio.
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
#include <ctime>
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

// Thread CPU time in seconds.
double threadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Times `a` and `b` alternately, chunk after chunk, so that both see the same
// machine: whatever else runs on it slows both alike; which goes first
// alternates too, so that neither always finds the caches filled by the
// other. Reports CPU seconds per call of each as the counters "a" and "b".
template <class A, class B> void interleave(benchmark::State& state, int chunk, A a, B b) {
  double secondsA = 0.0, secondsB = 0.0;
  bool aFirst = true;
  auto timed = [chunk](auto& task) {
    const double start = threadSeconds();
    for (int i = 0; i < chunk; ++i) task();
    return threadSeconds() - start;
  };
  for (auto _ : state) {
    if (aFirst) {
      secondsA += timed(a);
      secondsB += timed(b);
    } else {
      secondsB += timed(b);
      secondsA += timed(a);
    }
    aFirst = !aFirst;
  }
  const double calls = static_cast<double>(state.iterations()) * chunk;
  state.counters["a"] = secondsA / calls;
  state.counters["b"] = secondsB / calls;
}

constexpr int kChunk = 16;   // blocks per turn

// Engine (a) against the FFTW floor (b) per 256-sample block; args: size index, mode.
void BM_EngineAgainstFloor(benchmark::State& state) {
  auto engine = makeEngine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  FloorStft floor(kSizes[state.range(0)]);
  std::vector<double> outL(kBlockFrames), outR(kBlockFrames);
  double* out[2] = {outL.data(), outR.data()};
  BlockSource engineSource, floorSource;
  auto engineBlock = [&] {
    engineSource.next();
    varnock::processSamples(*engine, engineSource.in, out, kBlockFrames);
    benchmark::DoNotOptimize(outL.data());
  };
  auto floorBlock = [&] {
    floorSource.next();
    floor.process(floorSource.in, out, kBlockFrames);
    benchmark::DoNotOptimize(outL.data());
  };
  for (int i = 0; i < 375; ++i) {   // two seconds to settle the states
    engineBlock();
    floorBlock();
  }
  interleave(state, kChunk, engineBlock, floorBlock);
}

// Normal 1024: a minute of silence (b; 11250 blocks) after ten seconds of the
// programme, so that references, gains and tails decay through the subnormal
// range, against the programme going on (a); arg: mode.
void BM_SilenceAgainstMusic(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  auto music = makeEngine(1, mode);
  auto quiet = makeEngine(1, mode);
  std::vector<double> outL(kBlockFrames), outR(kBlockFrames), zeros(kBlockFrames, 0.0);
  double* out[2] = {outL.data(), outR.data()};
  const double* silence[2] = {zeros.data(), zeros.data()};
  BlockSource musicSource, quietSource;
  for (int i = 0; i < 1875; ++i) {
    musicSource.next();
    varnock::processSamples(*music, musicSource.in, out, kBlockFrames);
    quietSource.next();
    varnock::processSamples(*quiet, quietSource.in, out, kBlockFrames);
  }
  interleave(
      state, kChunk,
      [&] {
        musicSource.next();
        varnock::processSamples(*music, musicSource.in, out, kBlockFrames);
        benchmark::DoNotOptimize(outL.data());
      },
      [&] {
        varnock::processSamples(*quiet, silence, out, kBlockFrames);
        benchmark::DoNotOptimize(outL.data());
      });
}

// Normal 1024, Cut: 1024 samples in one host block (a) against the same in
// 32-sample blocks (b).
void BM_SmallBlocksAgainstLarge(benchmark::State& state) {
  auto large = makeEngine(1, 0);
  auto small = makeEngine(1, 0);
  std::vector<double> outL(1024), outR(1024);
  BlockSource largeSource, smallSource;
  largeSource.frames = 1024;
  smallSource.frames = 32;
  auto playLarge = [&] {
    largeSource.next();
    double* out[2] = {outL.data(), outR.data()};
    varnock::processSamples(*large, largeSource.in, out, 1024);
    benchmark::DoNotOptimize(outL.data());
  };
  auto playSmall = [&] {
    for (int done = 0; done < 1024; done += 32) {
      smallSource.next();
      double* out[2] = {outL.data() + done, outR.data() + done};
      varnock::processSamples(*small, smallSource.in, out, 32);
    }
    benchmark::DoNotOptimize(outL.data());
  };
  for (int i = 0; i < 94; ++i) {   // two seconds
    playLarge();
    playSmall();
  }
  interleave(state, 4, playLarge, playSmall);
}

BENCHMARK(BM_EngineAgainstFloor)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->Unit(benchmark::kMicrosecond)
    ->MinWarmUpTime(kWarmUpSeconds)->Repetitions(kRepetitions);
BENCHMARK(BM_SilenceAgainstMusic)->DenseRange(0, 2)->Iterations(11250 / kChunk)->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions);
BENCHMARK(BM_SmallBlocksAgainstLarge)->Unit(benchmark::kMicrosecond)->MinWarmUpTime(kWarmUpSeconds)
    ->Repetitions(kRepetitions);

// Collects each repetition's CPU seconds per call of the two interleaved
// sides, then prints cost per second of audio, real-time factors and ratios:
// the median over the repetitions of each repetition's ratio, with the
// costs of that repetition.
struct RatioReporter : benchmark::ConsoleReporter {
  struct Pair {
    double a, b;
  };
  std::map<std::string, std::vector<Pair>> pairs;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      // Keyed by function and arguments, e.g. "BM_EngineAgainstFloor/1/2".
      const std::string key =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      const auto a = run.counters.find("a");
      const auto b = run.counters.find("b");
      if (a != run.counters.end() && b != run.counters.end()) pairs[key].push_back({a->second.value, b->second.value});
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // The repetition with the median ratio a/b; {0, 0} if none ran.
  Pair median(const std::string& key) const {
    const auto found = pairs.find(key);
    if (found == pairs.end() || found->second.empty()) return {0.0, 0.0};
    std::vector<Pair> sorted = found->second;
    std::sort(sorted.begin(), sorted.end(), [](const Pair& x, const Pair& y) { return x.a * y.b < y.a * x.b; });
    return sorted[sorted.size() / 2];
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
  auto ms = [&](double secondsPerBlock) { return secondsPerBlock * blocksPerSecond * 1e3; };
  std::printf("\n48 kHz stereo, %d-sample blocks, engine instruction set %s; cost in ms of CPU per second of audio,"
              " engine and floor interleaved (median of %d repetitions)\n",
              kBlockFrames, varnock::simdLevelName(varnock::activeSimdLevel()), kRepetitions);
  std::printf("%-6s %-6s %10s %10s %10s %12s\n", "fft", "mode", "engine ms", "floor ms", "eng/floor", "real-time x");
  for (int s = 0; s < 3; ++s) {
    for (int m = 0; m < 3; ++m) {
      const auto pair = reporter.median("BM_EngineAgainstFloor/" + std::to_string(s) + "/" + std::to_string(m));
      if (pair.a <= 0.0 || pair.b <= 0.0) continue;
      std::printf("%-6d %-6s %10.3f %10.3f %10.2f %12.1f\n", kSizes[s], kModeNames[m], ms(pair.a), ms(pair.b),
                  pair.a / pair.b, 1000.0 / ms(pair.a));
    }
  }
  for (int m = 0; m < 3; ++m) {
    const auto pair = reporter.median("BM_SilenceAgainstMusic/" + std::to_string(m));
    if (pair.a > 0.0 && pair.b > 0.0)
      std::printf("1024 %-5s silence after music: %.3f ms/s (music %.3f ms/s, ratio %.2f)\n", kModeNames[m],
                  ms(pair.b), ms(pair.a), pair.b / pair.a);
  }
  const auto blocks = reporter.median("BM_SmallBlocksAgainstLarge");
  const double perSecond = kSampleRate / 1024.0 * 1e3;   // one call covers 1024 samples
  if (blocks.a > 0.0 && blocks.b > 0.0)
    std::printf("1024 Cut   32-sample blocks: %.3f ms/s, 1024-sample blocks: %.3f ms/s (ratio %.2f)\n",
                blocks.b * perSecond, blocks.a * perSecond, blocks.b / blocks.a);
  std::printf("sizeof(SpectralEngine) = %zu bytes\n", sizeof(varnock::SpectralEngine));
  return 0;
}
