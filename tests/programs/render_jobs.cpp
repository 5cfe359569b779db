// render_jobs: renders a fixed set of jobs through the built bundle and prints
// one line per job, "<name> <hash of the output samples>". Built for Linux
// and for Windows; the cross-platform test runs both (the Windows one under
// Wine) and requires identical lines, i.e. bit-identical audio. The jobs
// cover every mode and resolution, automation of Mode and Resolution at block
// boundaries, Mix, Delta and Trim, 32- and 64-bit samples, another sample
// rate and odd block sizes.
//
// Usage: render_jobs [BUNDLE]   (default: the build's own bundle)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "host/hosted_plugin.h"
#include "host/module.h"

namespace {

using vst3host::HostedPlugin;
using vst3host::SampleSize;

// A parameter write at the start of block `block`: a plain value, or (with
// `normalized` set) the host's normalised value as automation curves send it.
struct Change {
  int block;
  const char* title;
  double plain;
  bool normalized = false;
};

struct Job {
  const char* name;
  double sampleRate;
  int blockFrames;
  SampleSize sampleSize;
  std::vector<Change> changes;                 // block 0: set before processing starts
};

constexpr int kSeconds = 2;

// A tone as a rotating phasor: products and sums only, so every platform
// computes the same samples (a library sine need not).
struct Tone {
  double re = 1.0, im = 0.0, stepRe, stepIm;
  Tone(double hz, double sampleRate, double cosine, double sine) {
    // cos/sin of the step from their series, in plain arithmetic.
    const double x = 2.0 * std::numbers::pi * hz / sampleRate;
    double c = 1.0, s = x, term = 1.0, odd = x;
    for (int k = 1; k < 12; ++k) {
      term *= -x * x / ((2 * k - 1) * (2 * k));
      odd *= -x * x / ((2 * k) * (2 * k + 1));
      c += term;
      s += odd;
    }
    stepRe = c;
    stepIm = s;
    re = cosine;
    im = sine;
  }
  double next() {
    const double out = im;
    const double r = re * stepRe - im * stepIm;
    im = re * stepIm + im * stepRe;
    re = r;
    return out;
  }
};

// Noise, two steady tones and clicks: every detector has work.
void makeInput(double sampleRate, int frames, std::vector<double>& left, std::vector<double>& right) {
  left.resize(static_cast<size_t>(frames));
  right.resize(static_cast<size_t>(frames));
  uint32_t state = 12345u;
  Tone low(440.0, sampleRate, 1.0, 0.0), high(3150.0, sampleRate, 0.6, 0.8);
  for (int i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    const double click = (i % 9000) < 40 ? 0.7 * (1.0 - (i % 9000) / 40.0) : 0.0;
    left[static_cast<size_t>(i)] = 0.05 * noise + 0.2 * low.next() + click;
    right[static_cast<size_t>(i)] = 0.05 * noise + 0.15 * high.next() + 0.5 * click;
  }
}

// FNV-1a over the bytes of every output sample, left then right per block.
struct Hash {
  uint64_t value = 1469598103934665603ull;
  void add(const void* data, size_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < bytes; ++i) value = (value ^ p[i]) * 1099511628211ull;
  }
};

bool queue(HostedPlugin& plugin, const Change& change) {
  Steinberg::Vst::ParamID id = 0;
  if (!plugin.findParameter(change.title, &id)) return false;
  return plugin.queueParameterChange(id, 0, change.normalized ? change.plain : plugin.plainToNormalized(id, change.plain));
}

bool render(vst3host::Module& module, const Job& job, uint64_t* hash, std::string* error) {
  const vst3host::ClassDescription* cls = module.factory().findClass("Audio Module Class");
  if (!cls) {
    *error = "no effect class";
    return false;
  }
  std::unique_ptr<HostedPlugin> plugin = HostedPlugin::create(module.factory(), cls->id, error);
  if (!plugin) return false;
  vst3host::ProcessingSetup setup;
  setup.sampleRate = job.sampleRate;
  setup.maxBlockFrames = job.blockFrames;
  setup.sampleSize = job.sampleSize;
  if (!plugin->setupProcessing(setup, error) || !plugin->setActive(true) || !plugin->setProcessing(true)) {
    if (error->empty()) *error = "processing refused";
    return false;
  }
  const int frames = static_cast<int>(job.sampleRate) * kSeconds;
  std::vector<double> left, right;
  makeInput(job.sampleRate, frames, left, right);
  std::vector<double> outL(static_cast<size_t>(job.blockFrames)), outR(static_cast<size_t>(job.blockFrames));
  std::vector<float> inFL(static_cast<size_t>(job.blockFrames)), inFR(static_cast<size_t>(job.blockFrames));
  std::vector<float> outFL(static_cast<size_t>(job.blockFrames)), outFR(static_cast<size_t>(job.blockFrames));
  Hash h;
  for (int block = 0, start = 0; start < frames; ++block, start += job.blockFrames) {
    for (const Change& change : job.changes)
      if (change.block == block && !queue(*plugin, change)) {
        *error = std::string("cannot automate ") + change.title;
        return false;
      }
    const int n = std::min(job.blockFrames, frames - start);
    if (job.sampleSize == SampleSize::Float64) {
      const double* in[2] = {left.data() + start, right.data() + start};
      double* out[2] = {outL.data(), outR.data()};
      if (!plugin->process(in, out, n)) break;
      h.add(outL.data(), sizeof(double) * static_cast<size_t>(n));
      h.add(outR.data(), sizeof(double) * static_cast<size_t>(n));
    } else {
      for (int i = 0; i < n; ++i) {
        inFL[static_cast<size_t>(i)] = static_cast<float>(left[static_cast<size_t>(start + i)]);
        inFR[static_cast<size_t>(i)] = static_cast<float>(right[static_cast<size_t>(start + i)]);
      }
      const float* in[2] = {inFL.data(), inFR.data()};
      float* out[2] = {outFL.data(), outFR.data()};
      if (!plugin->process(in, out, n)) break;
      h.add(outFL.data(), sizeof(float) * static_cast<size_t>(n));
      h.add(outFR.data(), sizeof(float) * static_cast<size_t>(n));
    }
  }
  *hash = h.value;
  return true;
}

std::vector<Job> jobs() {
  std::vector<Job> all;
  const char* modes[3] = {"Cut", "Boost", "Tame"};
  static std::string names[9];
  for (int m = 0; m < 3; ++m)
    for (int r = 0; r < 3; ++r) {
      names[m * 3 + r] = std::string(modes[m]) + "-" + std::to_string(512 << r);
      all.push_back({names[m * 3 + r].c_str(), 48000.0, 256, SampleSize::Float64,
                     {{0, "Mode", double(m)}, {0, "Resolution", double(r)}, {0, "Depth", 18.0}}});
    }
  all.push_back({"mode-automation", 48000.0, 256, SampleSize::Float64,
                 {{0, "Mode", 0}, {60, "Mode", 1}, {120, "Mode", 2}, {200, "Mode", 0}, {250, "Tilt", 3.0}}});
  all.push_back({"resolution-automation", 48000.0, 256, SampleSize::Float64,
                 {{0, "Resolution", 1}, {70, "Resolution", 2}, {150, "Resolution", 0}, {260, "Resolution", 1}}});
  all.push_back({"mix-trim", 48000.0, 300, SampleSize::Float64, {{0, "Mix", 40.0}, {0, "Trim", -7.5}}});
  all.push_back({"delta", 48000.0, 512, SampleSize::Float64, {{0, "Delta", 1}, {0, "Trim", 6.0}, {100, "Mode", 1}}});
  all.push_back({"float32-tame", 48000.0, 256, SampleSize::Float32,
                 {{0, "Mode", 2}, {0, "Width", 1.2}, {0, "Smooth", 7}}});
  all.push_back({"float32-cut-odd-blocks", 44100.0, 37, SampleSize::Float32,
                 {{0, "Attack", 0.3}, {0, "Release", 240}, {0, "Freq Low", 150}, {0, "Freq High", 9000}}});
  // Normalised values as an automation lane sends them, on the exponential
  // frequency parameters and the linear ones.
  all.push_back({"normalized-automation", 48000.0, 128, SampleSize::Float64,
                 {{0, "Freq Low", 0.4123456789, true}, {0, "Freq High", 0.9176543211, true},
                  {40, "Freq Low", 0.3310987654, true}, {80, "Threshold", 0.1357913579, true},
                  {120, "Width", 0.7777777777, true}, {120, "Mode", 1.0, true}, {160, "Freq High", 0.8642086420, true},
                  {200, "Mode", 0.9999, true}, {200, "Attack", 0.0123456, true}, {260, "Release", 0.987654321, true}}});
  all.push_back({"44k1-boost", 44100.0, 1024, SampleSize::Float64,
                 {{0, "Mode", 1}, {0, "Background", 300}, {0, "Knee", 2}, {0, "Threshold", 3}}});
  return all;
}

} // namespace

int main(int argc, char** argv) {
  const std::string bundlePath = argc > 1 ? argv[1] : VARNOCK_BUNDLE_PATH;
  std::string error;
  std::unique_ptr<vst3host::Module> module = vst3host::loadModule(bundlePath, &error);
  if (!module) {
    std::fprintf(stderr, "render_jobs: %s\n", error.c_str());
    return 1;
  }
  int failed = 0;
  for (const Job& job : jobs()) {
    uint64_t hash = 0;
    if (!render(*module, job, &hash, &error)) {
      std::fprintf(stderr, "render_jobs: %s: %s\n", job.name, error.c_str());
      ++failed;
      continue;
    }
    std::printf("%s %016llx\n", job.name, static_cast<unsigned long long>(hash));
  }
  return failed == 0 ? 0 : 1;
}
