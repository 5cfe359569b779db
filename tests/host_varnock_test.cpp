// The host library against the real Varnock bundle, as a host sees it:
// identity, busses, parameters, latency with its restart request, processing
// in both sample sizes, automation points, state through memory streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/hosted_plugin.h"
#include "host/module.h"
#include "tests/support/test_signals.h"

using Steinberg::Vst::ParamID;
using vst3host::HostedPlugin;
using vst3host::SampleSize;

namespace {

// Parameter IDs and normalised values a host would use.
constexpr ParamID kDepth = 1, kMix = 10, kTrim = 11, kResolution = 13, kWidth = 15, kBypass = 0x10000;
constexpr int kStateBytes = 148;
constexpr int kDefaultLatency = 1024;
double trimNormalized(double db) { return (db + 24.0) / 48.0; }
double depthNormalized(double db) { return db / 24.0; }

double doubleAt(const std::vector<uint8_t>& bytes, size_t offset) {
  double value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

class VarnockHost : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = vst3host::loadModule(VARNOCK_BUNDLE_PATH, &error);
    ASSERT_NE(module_, nullptr) << error;
  }

  std::unique_ptr<HostedPlugin> create() {
    const auto& classes = module_->factory().classes();
    if (classes.empty()) return nullptr;
    std::string error;
    auto plugin = HostedPlugin::create(module_->factory(), classes[0].id, &error);
    EXPECT_NE(plugin, nullptr) << error;
    return plugin;
  }

  bool start(HostedPlugin& plugin, SampleSize size, int block) {
    vst3host::ProcessingSetup setup;
    setup.sampleRate = 48000;
    setup.maxBlockFrames = block;
    setup.sampleSize = size;
    std::string error;
    const bool ok = plugin.setupProcessing(setup, &error) && plugin.setActive(true) && plugin.setProcessing(true);
    EXPECT_TRUE(ok) << error;
    return ok;
  }

  // Runs `input` (both channels) through in blocks; returns the left output.
  template <class Sample>
  std::vector<double> run(HostedPlugin& plugin, const std::vector<double>& input, int block) {
    std::vector<Sample> in(input.begin(), input.end()), left(input.size()), right(input.size());
    for (size_t at = 0; at < input.size(); at += static_cast<size_t>(block)) {
      const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), input.size() - at));
      const Sample* inputs[] = {in.data() + at, in.data() + at};
      Sample* outputs[] = {left.data() + at, right.data() + at};
      EXPECT_TRUE(plugin.process(inputs, outputs, n));
    }
    EXPECT_EQ(left, right);
    return std::vector<double>(left.begin(), left.end());
  }

  std::vector<uint8_t> stateOf(HostedPlugin& plugin) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(plugin.getState(&bytes));
    return bytes;
  }

  std::unique_ptr<vst3host::Module> module_;
};

}  // namespace

TEST_F(VarnockHost, OffersOneEffectClass) {
  const vst3host::Factory& factory = module_->factory();
  EXPECT_EQ(factory.info().vendor, "Pellwick");
  ASSERT_EQ(factory.classes().size(), 1u);
  const vst3host::ClassDescription& effect = factory.classes()[0];
  EXPECT_EQ(effect.category, "Audio Module Class");
  EXPECT_EQ(effect.name, "Varnock");
  EXPECT_TRUE(effect.hasInfo2);
  EXPECT_EQ(effect.subCategories, "Fx|Dynamics");
  EXPECT_EQ(effect.version, "1.9.0");
  EXPECT_EQ(std::string(effect.id.data() + 8, 8), "PlwkVrnk");
}

TEST_F(VarnockHost, IsOneComponentWithStereoBusses) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_FALSE(plugin->hasSeparateController());
  ASSERT_TRUE(start(*plugin, SampleSize::Float32, 256));
  EXPECT_EQ(plugin->mainInputChannels(), 2);
  EXPECT_EQ(plugin->mainOutputChannels(), 2);
  EXPECT_EQ(plugin->tailSamples(), 0u);
}

TEST_F(VarnockHost, PublishesEighteenParametersAndBypass) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  const auto params = plugin->parameters();
  ASSERT_EQ(params.size(), 19u);
  EXPECT_EQ(params[0].title, "Mode");
  EXPECT_EQ(params[kResolution].title, "Resolution");
  EXPECT_EQ(params[kResolution].stepCount, 2);
  EXPECT_EQ(params[18].id, kBypass);
  EXPECT_EQ(params[18].title, "Bypass");
  EXPECT_EQ(params[18].flags, 0x10009);
}

TEST_F(VarnockHost, ConvertsParameterTextsThroughThePlugin) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  double normalized = -1;
  ASSERT_TRUE(plugin->textToValue(0, "Tame", &normalized));
  EXPECT_DOUBLE_EQ(normalized, 1.0);
  ASSERT_TRUE(plugin->textToValue(kResolution, "Precise 2048", &normalized));
  EXPECT_DOUBLE_EQ(normalized, 1.0);
  std::string text;
  ASSERT_TRUE(plugin->valueToText(kDepth, 0.5, &text));
  EXPECT_EQ(text, "12.0");
}

TEST_F(VarnockHost, ReportsLatencyAndRequestsRestartWhenItChanges) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->latencySamples(), static_cast<uint32_t>(kDefaultLatency));
  ASSERT_TRUE(plugin->setNormalizedValue(kResolution, 0.0));  // "Fast 512"
  ASSERT_TRUE(start(*plugin, SampleSize::Float32, 256));
  EXPECT_EQ(plugin->latencySamples(), 512u);
  EXPECT_GE(plugin->handler().restartCount(Steinberg::Vst::kLatencyChanged), 1);
}

TEST_F(VarnockHost, CreatesAndTearsDownRepeatedly) {
  const auto input = testsignals::whiteNoise(512, 3, 0.5);
  for (int i = 0; i < 12; ++i) {
    auto plugin = create();
    ASSERT_NE(plugin, nullptr);
    if (i % 3 == 0) continue;  // created and initialised only
    ASSERT_TRUE(start(*plugin, i % 2 ? SampleSize::Float64 : SampleSize::Float32, 256));
    run<float>(*plugin, input, 256);
    if (i % 3 == 1) {  // a polite host; the others leave teardown to the destructor
      EXPECT_TRUE(plugin->setProcessing(false));
      EXPECT_TRUE(plugin->setActive(false));
    }
  }
}

TEST_F(VarnockHost, DryMixDelaysInputByLatency32Bit) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  plugin->setNormalizedValue(kMix, 0.0);
  ASSERT_TRUE(start(*plugin, SampleSize::Float32, 256));
  const auto output = run<float>(*plugin, testsignals::impulse(4096, 300), 256);
  EXPECT_NEAR(output[300 + kDefaultLatency], 1.0, 1e-6);
  EXPECT_NEAR(testsignals::peak(output), 1.0, 1e-6);
}

TEST_F(VarnockHost, DryMixDelaysInputByLatency64Bit) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  plugin->setNormalizedValue(kMix, 0.0);
  ASSERT_TRUE(start(*plugin, SampleSize::Float64, 333));
  const auto input = testsignals::whiteNoise(6000, 11, 0.5);
  const auto output = run<double>(*plugin, input, 333);
  for (size_t i = kDefaultLatency; i < input.size(); ++i)
    ASSERT_NEAR(output[i], input[i - kDefaultLatency], 1e-12) << "at " << i;
}

TEST_F(VarnockHost, PluginAppliesLastPointOfAParameterQueue) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  plugin->setNormalizedValue(kMix, 0.0);
  ASSERT_TRUE(start(*plugin, SampleSize::Float64, 512));
  ASSERT_TRUE(plugin->queueParameterChange(kTrim, 0, trimNormalized(-24)));
  ASSERT_TRUE(plugin->queueParameterChange(kTrim, 100, trimNormalized(6)));
  const auto input = testsignals::whiteNoise(4096, 5, 0.25);
  const auto output = run<double>(*plugin, input, 512);
  const double gain = std::pow(10.0, 6.0 / 20.0);
  for (size_t i = kDefaultLatency; i < input.size(); ++i)
    ASSERT_NEAR(output[i], gain * input[i - kDefaultLatency], 1e-9) << "at " << i;
}

TEST_F(VarnockHost, StateRoundTripsThroughMemoryStream) {
  auto source = create();
  ASSERT_NE(source, nullptr);
  source->setNormalizedValue(kDepth, depthNormalized(9));
  const auto bytes = stateOf(*source);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(kStateBytes));
  EXPECT_EQ(doubleAt(bytes, 8), 9.0);
  EXPECT_EQ(doubleAt(bytes, 120), 0.33);

  auto target = create();
  ASSERT_NE(target, nullptr);
  vst3host::MemoryStream stream(bytes);
  ASSERT_TRUE(target->setState(stream));
  EXPECT_DOUBLE_EQ(target->normalizedValue(kDepth), depthNormalized(9));
  EXPECT_EQ(stateOf(*target), bytes);
}

TEST_F(VarnockHost, FailedStreamReadIsReportedButParametersStay) {
  auto source = create();
  ASSERT_NE(source, nullptr);
  source->setNormalizedValue(kDepth, depthNormalized(9));
  vst3host::MemoryStream stream(stateOf(*source));
  stream.failReadsAfter(144);  // the parameters arrive, the bypass word does not

  auto target = create();
  ASSERT_NE(target, nullptr);
  EXPECT_FALSE(target->setState(stream));
  EXPECT_EQ(doubleAt(stateOf(*target), 8), 9.0);
}

TEST_F(VarnockHost, TruncatedStateRestoresOnlyWholeValues) {
  auto source = create();
  ASSERT_NE(source, nullptr);
  source->setNormalizedValue(kDepth, depthNormalized(9));
  source->setNormalizedValue(kWidth, 1.0);
  vst3host::MemoryStream stream(stateOf(*source));
  stream.truncate(100);  // parameters 0 … 11 fit whole

  auto target = create();
  ASSERT_NE(target, nullptr);
  EXPECT_TRUE(target->setState(stream));
  const auto restored = stateOf(*target);
  EXPECT_EQ(doubleAt(restored, 8), 9.0);
  EXPECT_EQ(doubleAt(restored, 120), 0.33);
}
