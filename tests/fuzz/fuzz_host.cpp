#include "tests/fuzz/fuzz_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/vst3/factory.h"
#include "framework/vst3/iplug_vst3.h"
#include "plugin/params.h"

namespace fuzzhost {
namespace {

struct Range {
  double min, max;
  bool list;
};

// Index order: Mode, Depth, Threshold, Knee, Background, Freq Low, Freq High,
// Smooth, Attack, Release, Mix, Trim, Delta, Resolution, Preset, Width, Tilt, UI Size.
const Range kRanges[kParams] = {
    {0, 2, true},       {0, 24, false},   {0, 24, false},    {1, 24, false},  {10, 500, false},  {20, 20000, false},
    {20, 20000, false}, {0, 16, false},   {0.1, 20, false},  {5, 500, false}, {0, 100, false},   {-24, 24, false},
    {0, 1, true},       {0, 2, true},     {0, 10, true},     {0.1, 1.5, false}, {-6, 6, false},  {0, 1, true},
};

// Varnock's configuration as far as the VST3 layer sees it.
iplug::Config makeConfig() {
  iplug::Config c;
  c.nParams = kParams;
  c.channelIOStr = "2-2";
  c.pluginName = "Varnock parameters";
  c.latency = 1024;
  c.maxLatency = 2048;
  return c;
}

class ParameterPlugin final : public iplug::IPlugVST3 {
 public:
  ParameterPlugin() : IPlugVST3(makeConfig()) { varnock::initParams(*this); }
};

const iplug::vst3::FactoryInfo kFactory{"fuzz", "", "", Steinberg::PFactoryInfo::kUnicode};
const iplug::vst3::ClassInfo kClass{{1, 2, 3, 4},          Steinberg::PClassInfo::kManyInstances,
                                    "Audio Module Class", "Varnock parameters",
                                    0,                      "Fx",
                                    "",                     "1",
                                    "VST 3",                &iplug::vst3::CreateInstance<ParameterPlugin>};

}  // namespace

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

vst3host::HostedPlugin& plugin() {
  static vst3host::Factory factory(iplug::vst3::GetFactory(kFactory, kClass));
  static std::unique_ptr<vst3host::HostedPlugin> instance = [] {
    std::string error;
    auto made = vst3host::HostedPlugin::create(factory, factory.classes().at(0).id, &error);
    require(made != nullptr, "the plug-in could not be created");
    vst3host::ProcessingSetup setup;
    setup.maxBlockFrames = 256;
    require(made->setupProcessing(setup, &error) && made->setActive(true) && made->setProcessing(true),
            "processing could not start");
    return made;
  }();
  return *instance;
}

void checkParameterRanges(vst3host::HostedPlugin& plugin) {
  std::vector<uint8_t> bytes;
  require(plugin.getState(&bytes) && bytes.size() == 148, "the state is not 148 bytes");
  for (int i = 0; i < kParams; ++i) {
    double v;
    std::memcpy(&v, bytes.data() + 8 * i, sizeof v);
    const Range& r = kRanges[i];
    if (!std::isfinite(v) || v < r.min || v > r.max || (r.list && v != std::round(v))) {
      std::fprintf(stderr, "parameter %d holds %g\n", i, v);
      std::abort();
    }
  }
  int32_t bypass;
  std::memcpy(&bypass, bytes.data() + 144, sizeof bypass);
  require(bypass == 0 || bypass == 1, "the bypass word is neither 0 nor 1");
}

}  // namespace fuzzhost
