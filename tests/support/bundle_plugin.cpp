#include "tests/support/bundle_plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace bundletest {

vst3host::Module& bundle() {
  static std::string error;
  static std::unique_ptr<vst3host::Module> module = vst3host::loadModule(VARNOCK_BUNDLE_PATH, &error);
  if (!module) {
    std::fprintf(stderr, "cannot load %s: %s\n", VARNOCK_BUNDLE_PATH, error.c_str());
    std::abort();
  }
  return *module;
}

std::unique_ptr<vst3host::HostedPlugin> makePlugin(vst3host::HostContext* context) {
  vst3host::Factory& factory = bundle().factory();
  std::string error;
  auto plugin = vst3host::HostedPlugin::create(factory, factory.classes().at(0).id, &error, context);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

bool start(vst3host::HostedPlugin& plugin, double sampleRate, int maxBlockFrames, vst3host::SampleSize sampleSize) {
  vst3host::ProcessingSetup setup;
  setup.sampleRate = sampleRate;
  setup.maxBlockFrames = maxBlockFrames;
  setup.sampleSize = sampleSize;
  std::string error;
  if (!plugin.setupProcessing(setup, &error)) {
    ADD_FAILURE() << error;
    return false;
  }
  return plugin.setActive(true) && plugin.setProcessing(true);
}

Stereo both(const std::vector<double>& signal) { return Stereo{signal, signal}; }

Stereo run(vst3host::HostedPlugin& plugin, const Stereo& in, int blockFrames, bool asFloat) {
  Stereo out{std::vector<double>(in.left.size()), std::vector<double>(in.right.size())};
  std::vector<float> inL(static_cast<size_t>(blockFrames)), inR(inL), outL(inL), outR(inL);
  for (int offset = 0; offset < in.frames(); offset += blockFrames) {
    const int n = std::min(blockFrames, in.frames() - offset);
    if (asFloat) {
      for (int i = 0; i < n; ++i) {
        inL[static_cast<size_t>(i)] = static_cast<float>(in.left[static_cast<size_t>(offset + i)]);
        inR[static_cast<size_t>(i)] = static_cast<float>(in.right[static_cast<size_t>(offset + i)]);
      }
      const float* ins[2] = {inL.data(), inR.data()};
      float* outs[2] = {outL.data(), outR.data()};
      EXPECT_TRUE(plugin.process(ins, outs, n));
      for (int i = 0; i < n; ++i) {
        out.left[static_cast<size_t>(offset + i)] = outL[static_cast<size_t>(i)];
        out.right[static_cast<size_t>(offset + i)] = outR[static_cast<size_t>(i)];
      }
    } else {
      const double* ins[2] = {in.left.data() + offset, in.right.data() + offset};
      double* outs[2] = {out.left.data() + offset, out.right.data() + offset};
      EXPECT_TRUE(plugin.process(ins, outs, n));
    }
  }
  return out;
}

double normalized(vst3host::HostedPlugin& plugin, int index, double plain) {
  return plugin.plainToNormalized(static_cast<Steinberg::Vst::ParamID>(index), plain);
}

void automate(vst3host::HostedPlugin& plugin, int index, double plain, int sampleOffset) {
  EXPECT_TRUE(plugin.queueParameterChange(static_cast<Steinberg::Vst::ParamID>(index), sampleOffset,
                                          normalized(plugin, index, plain)));
}

double dbToGain(double db) { return std::exp(db * 0.11512925465); }

} // namespace bundletest
