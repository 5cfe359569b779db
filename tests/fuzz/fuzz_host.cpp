#include "tests/fuzz/fuzz_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/vst3/factory.h"
#include "framework/vst3/iplug_vst3.h"
#include "plugin/param_table.h"
#include "plugin/params.h"

namespace fuzzhost {
namespace {

// Varnock's configuration as far as the VST3 layer sees it.
iplug::Config makeConfig() {
  iplug::Config c;
  c.nParams = kParams;
  c.channelIOStr = "2-2";
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
    const varnock::ParamDef& def = varnock::kParamDefs[i];
    const bool list = def.kind == varnock::ParamKind::List;
    if (!std::isfinite(v) || v < def.minValue || v > def.maxValue || (list && v != std::round(v))) {
      std::fprintf(stderr, "parameter %d holds %g\n", i, v);
      std::abort();
    }
  }
  int32_t bypass;
  std::memcpy(&bypass, bytes.data() + 144, sizeof bypass);
  require(bypass == 0 || bypass == 1, "the bypass word is neither 0 nor 1");
}

}  // namespace fuzzhost
