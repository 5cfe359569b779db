// bundle_realtime: the real-time factor of the built bundle as a host runs
// it: 60 s of 48 kHz stereo (noise, tones and clicks) through
// IAudioProcessor::process in 256-sample 32-bit blocks, Cut at Normal 1024.
// Built for Linux and for Windows, so scripts/bench-windows can compare the
// Windows DLL under Wine with the Linux module in one run. Prints the best
// of `runs` timings: "realtime <factor>".
//
// Usage: bundle_realtime [RUNS] [BUNDLE]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "host/hosted_plugin.h"
#include "host/module.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string bundlePath = argc > 2 ? argv[2] : VARNOCK_BUNDLE_PATH;
  constexpr double kRate = 48000.0;
  constexpr int kBlock = 256, kSeconds = 60;
  std::string error;
  std::unique_ptr<vst3host::Module> module = vst3host::loadModule(bundlePath, &error);
  const vst3host::ClassDescription* cls = module ? module->factory().findClass("Audio Module Class") : nullptr;
  if (!cls) {
    std::fprintf(stderr, "bundle_realtime: %s\n", module ? "no effect class" : error.c_str());
    return 1;
  }
  const int frames = static_cast<int>(kRate) * kSeconds;
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  uint32_t state = 7u;
  for (int i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    const double t = i / kRate, click = (i % 12000) < 30 ? 0.6 : 0.0;
    left[static_cast<size_t>(i)] = static_cast<float>(0.05 * noise + 0.2 * std::sin(2 * std::numbers::pi * 220 * t) + click);
    right[static_cast<size_t>(i)] = static_cast<float>(0.05 * noise + 0.2 * std::sin(2 * std::numbers::pi * 1760 * t) + click);
  }
  std::vector<float> outL(kBlock), outR(kBlock);
  double best = 0.0;
  for (int run = 0; run < runs; ++run) {
    std::unique_ptr<vst3host::HostedPlugin> plugin = vst3host::HostedPlugin::create(module->factory(), cls->id, &error);
    vst3host::ProcessingSetup setup;
    setup.sampleRate = kRate;
    setup.maxBlockFrames = kBlock;
    if (!plugin || !plugin->setupProcessing(setup, &error) || !plugin->setActive(true) || !plugin->setProcessing(true)) {
      std::fprintf(stderr, "bundle_realtime: %s\n", error.c_str());
      return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    for (int at = 0; at + kBlock <= frames; at += kBlock) {
      const float* in[2] = {left.data() + at, right.data() + at};
      float* out[2] = {outL.data(), outR.data()};
      plugin->process(in, out, kBlock);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::max(best, kSeconds / seconds);
  }
  std::printf("realtime %.1f\n", best);
  return 0;
}
