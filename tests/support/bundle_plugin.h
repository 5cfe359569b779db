#pragma once
// The built Varnock bundle as a VST3 host sees it, for the plug-in's tests:
// the module is loaded once per test program; each test hosts fresh
// instances through the host library. UI-thread helpers unless noted.
#include <memory>
#include <string>
#include <vector>

#include "host/hosted_plugin.h"
#include "host/module.h"

namespace bundletest {

// The loaded bundle (VARNOCK_BUNDLE_PATH); fails the calling test when it does not load.
vst3host::Module& bundle();

// A new instance of the bundle's one class, initialised, with a recording
// handler. `context` may carry a host name; null for the default host.
std::unique_ptr<vst3host::HostedPlugin> makePlugin(vst3host::HostContext* context = nullptr);

// setupProcessing + setActive + setProcessing; false on any refusal.
bool start(vst3host::HostedPlugin& plugin, double sampleRate, int maxBlockFrames,
           vst3host::SampleSize sampleSize = vst3host::SampleSize::Float64);

struct Stereo {
  std::vector<double> left, right;
  int frames() const { return static_cast<int>(left.size()); }
};

// The same signal on both channels.
Stereo both(const std::vector<double>& signal);

// Processes `in` in consecutive blocks of at most `blockFrames` (64-bit
// buffers, or 32-bit when the set-up is 32-bit: pass `asFloat`).
Stereo run(vst3host::HostedPlugin& plugin, const Stereo& in, int blockFrames, bool asFloat = false);

// The host's normalised value for a plain value of parameter `index`.
double normalized(vst3host::HostedPlugin& plugin, int index, double plain);
// Queues a plain value of parameter `index` for the next process() call.
void automate(vst3host::HostedPlugin& plugin, int index, double plain, int sampleOffset = 0);

// dB to linear amplitude, with the plug-in's own constant (ln 10 / 20 to 11 digits).
double dbToGain(double db);

} // namespace bundletest
