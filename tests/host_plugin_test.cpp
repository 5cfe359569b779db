// HostedPlugin against the test effect, whose processor and controller are
// separate classes: creation and connection, processing in both sample
// sizes, parameter changes, state, teardown order, no allocation per block.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "host/hosted_plugin.h"
#include "host/module.h"
#include "tests/support/test_signals.h"

using Steinberg::Vst::ParamID;
using vst3host::HostedPlugin;
using vst3host::ProcessingSetup;
using vst3host::SampleSize;

// Counts heap allocations made anywhere in the process while counting is on.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<int> gAllocations{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that they match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr ParamID kGain = 0, kEcho = 1, kConnected = 2;
constexpr int kBlock = 64;
const std::string kFixtureLibrary = std::string(HOST_FIXTURE_BUNDLE) + "/Contents/x86_64-linux/host_fixture.so";

std::string fixtureCallLog() {
  void* handle = dlopen(kFixtureLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return "<not loaded>";
  auto log = reinterpret_cast<const char* (*)()>(dlsym(handle, "FixtureCallLog"));
  std::string out = log ? log() : "<no log>";
  dlclose(handle);
  return out;
}

void clearFixtureCallLog() {
  void* handle = dlopen(kFixtureLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return;
  if (auto clear = reinterpret_cast<void (*)()>(dlsym(handle, "FixtureClearCallLog"))) clear();
  dlclose(handle);
}

class HostedFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = vst3host::loadModule(HOST_FIXTURE_BUNDLE, &error);
    ASSERT_NE(module_, nullptr) << error;
    clearFixtureCallLog();
  }

  std::unique_ptr<HostedPlugin> create() {
    const vst3host::ClassDescription* effect = module_->factory().findClass("Audio Module Class");
    if (!effect) return nullptr;
    std::string error;
    auto plugin = HostedPlugin::create(module_->factory(), effect->id, &error);
    EXPECT_NE(plugin, nullptr) << error;
    return plugin;
  }

  std::unique_ptr<HostedPlugin> createRunning(SampleSize size) {
    auto plugin = create();
    if (!plugin) return nullptr;
    std::string error;
    ProcessingSetup setup;
    setup.maxBlockFrames = kBlock;
    setup.sampleSize = size;
    EXPECT_TRUE(plugin->setupProcessing(setup, &error)) << error;
    EXPECT_TRUE(plugin->setActive(true));
    EXPECT_TRUE(plugin->setProcessing(true));
    return plugin;
  }

  template <class Sample>
  std::vector<Sample> processNoise(HostedPlugin& plugin, std::vector<Sample>* input = nullptr) {
    const auto noise = testsignals::whiteNoise(kBlock, 7, 0.5);
    std::vector<Sample> in(noise.begin(), noise.end()), left(kBlock), right(kBlock);
    const Sample* inputs[] = {in.data(), in.data()};
    Sample* outputs[] = {left.data(), right.data()};
    EXPECT_TRUE(plugin.process(inputs, outputs, kBlock));
    EXPECT_EQ(left, right);
    if (input) *input = in;
    return left;
  }

  std::unique_ptr<vst3host::Module> module_;
};

}  // namespace

TEST_F(HostedFixture, CreatesSeparateControllerAndConnectsIt) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(plugin->hasSeparateController());
  // The processor's "hello" travels in a host-made message through the connection.
  EXPECT_EQ(plugin->normalizedValue(kConnected), 1.0);
  EXPECT_EQ(fixtureCallLog(), "component.initialize;controller.initialize;component.connect;");
}

TEST_F(HostedFixture, ControllerFollowsComponentState) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_DOUBLE_EQ(plugin->normalizedValue(kGain), 0.5);
  const double gain = 0.8;
  std::vector<uint8_t> bytes(sizeof gain);
  std::memcpy(bytes.data(), &gain, sizeof gain);
  ASSERT_TRUE(plugin->setState(bytes));
  EXPECT_DOUBLE_EQ(plugin->normalizedValue(kGain), 0.8);
  std::vector<uint8_t> saved;
  ASSERT_TRUE(plugin->getState(&saved));
  EXPECT_EQ(saved, bytes);
}

TEST_F(HostedFixture, StateThatTheComponentRefusesIsReported) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  vst3host::MemoryStream stream(std::vector<uint8_t>(8, 0));
  stream.failReadsAfter(4);
  EXPECT_FALSE(plugin->setState(stream));
  EXPECT_DOUBLE_EQ(plugin->normalizedValue(kGain), 0.5);
}

TEST_F(HostedFixture, DescribesParameters) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  const auto params = plugin->parameters();
  ASSERT_EQ(params.size(), 3u);
  EXPECT_EQ(params[0].title, "Gain");
  EXPECT_EQ(params[0].units, "x");
  EXPECT_DOUBLE_EQ(params[0].defaultNormalized, 0.5);
  EXPECT_EQ(params[2].stepCount, 1);
  EXPECT_NE(params[2].flags & Steinberg::Vst::ParameterInfo::kIsReadOnly, 0);
  ParamID id = 99;
  EXPECT_TRUE(plugin->findParameter("Echo", &id));
  EXPECT_EQ(id, kEcho);
  EXPECT_FALSE(plugin->findParameter("echo", &id));
}

TEST_F(HostedFixture, ConvertsValuesToTextAndBack) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  std::string text;
  ASSERT_TRUE(plugin->valueToText(kGain, 0.25, &text));
  double value = 0;
  ASSERT_TRUE(plugin->textToValue(kGain, text, &value));
  EXPECT_NEAR(value, 0.25, 1e-4);
  ASSERT_TRUE(plugin->setNormalizedValue(kGain, 0.75));
  EXPECT_DOUBLE_EQ(plugin->normalizedValue(kGain), 0.75);
}

TEST_F(HostedFixture, Processes32Bit) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  std::vector<float> input;
  EXPECT_EQ(processNoise<float>(*plugin, &input), input);  // gain 0.5 is unity
}

TEST_F(HostedFixture, Processes64Bit) {
  auto plugin = createRunning(SampleSize::Float64);
  ASSERT_NE(plugin, nullptr);
  std::vector<double> input;
  EXPECT_EQ(processNoise<double>(*plugin, &input), input);
}

TEST_F(HostedFixture, ConvertsCallerSamplesToSetUpSize) {
  auto plugin = createRunning(SampleSize::Float64);
  ASSERT_NE(plugin, nullptr);
  std::vector<float> input;
  EXPECT_EQ(processNoise<float>(*plugin, &input), input);
}

TEST_F(HostedFixture, PluginSeesLastPointOfEachQueue) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  ASSERT_TRUE(plugin->queueParameterChange(kGain, 0, 0.25));
  ASSERT_TRUE(plugin->queueParameterChange(kGain, 63, 1.0));
  std::vector<float> input;
  const auto output = processNoise<float>(*plugin, &input);
  for (int i = 0; i < kBlock; ++i) EXPECT_FLOAT_EQ(output[i], 2.0f * input[i]);
}

TEST_F(HostedFixture, DeliversEveryPointInOffsetOrder) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  plugin->queueParameterChange(kEcho, 30, 0.3);
  plugin->queueParameterChange(kEcho, 10, 0.1);
  plugin->queueParameterChange(kEcho, 20, 0.2);
  processNoise<float>(*plugin);
  vst3host::ParamValueQueue* echo = plugin->outputParameterChanges().find(kEcho);
  ASSERT_NE(echo, nullptr);
  ASSERT_EQ(echo->getPointCount(), 3);
  for (int i = 0; i < 3; ++i) {
    Steinberg::int32 offset = 0;
    double value = 0;
    echo->getPoint(i, offset, value);
    EXPECT_EQ(offset, 10 * (i + 1));
    EXPECT_DOUBLE_EQ(value, 0.1 * (i + 1));
  }
}

TEST_F(HostedFixture, QueuedChangesGoOnlyToTheNextBlock) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  plugin->queueParameterChange(kEcho, 5, 0.5);
  processNoise<float>(*plugin);
  processNoise<float>(*plugin);
  EXPECT_EQ(plugin->outputParameterChanges().getParameterCount(), 0);
}

TEST_F(HostedFixture, RefusesToProcessWhenInactiveOrBlockTooLong) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  std::vector<float> buffer(kBlock * 2);
  float* channels[] = {buffer.data(), buffer.data()};
  EXPECT_FALSE(plugin->process(channels, channels, kBlock));
  EXPECT_FALSE(plugin->setActive(true));  // not set up yet
  std::string error;
  ProcessingSetup setup;
  setup.maxBlockFrames = kBlock;
  ASSERT_TRUE(plugin->setupProcessing(setup, &error));
  ASSERT_TRUE(plugin->setActive(true));
  EXPECT_FALSE(plugin->process(channels, channels, kBlock + 1));
  EXPECT_TRUE(plugin->process(channels, channels, 0));
  EXPECT_FALSE(plugin->setupProcessing(setup, &error));
  EXPECT_EQ(error, "processing cannot be set up while the plug-in is active");
}

TEST_F(HostedFixture, ReportsLatencyAndTail) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->latencySamples(), 37u);
  EXPECT_EQ(plugin->tailSamples(), 5u);
  EXPECT_EQ(plugin->mainInputChannels(), 2);
  EXPECT_EQ(plugin->mainOutputChannels(), 2);
}

TEST_F(HostedFixture, TearsDownInReverseOrderWhenStepsAreForgotten) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  clearFixtureCallLog();
  plugin.reset();
  EXPECT_EQ(fixtureCallLog(), "setProcessing(0);setActive(0);controller.terminate;component.terminate;");
}

TEST_F(HostedFixture, DeactivatingStopsProcessingFirst) {
  auto plugin = createRunning(SampleSize::Float32);
  ASSERT_NE(plugin, nullptr);
  clearFixtureCallLog();
  EXPECT_TRUE(plugin->setActive(false));
  EXPECT_FALSE(plugin->isProcessing());
  plugin.reset();
  EXPECT_EQ(fixtureCallLog(), "setProcessing(0);setActive(0);controller.terminate;component.terminate;");
}

TEST_F(HostedFixture, CreatesAndDestroysRepeatedly) {
  for (int i = 0; i < 50; ++i) {
    auto plugin = createRunning(i % 2 ? SampleSize::Float64 : SampleSize::Float32);
    ASSERT_NE(plugin, nullptr);
  }
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->normalizedValue(kConnected), 1.0);
}

TEST_F(HostedFixture, ProcessDoesNotAllocate) {
  auto plugin = createRunning(SampleSize::Float64);
  ASSERT_NE(plugin, nullptr);
  std::vector<float> in(kBlock, 0.25f), left(kBlock), right(kBlock);
  const float* inputs[] = {in.data(), in.data()};
  float* outputs[] = {left.data(), right.data()};
  gAllocations = 0;
  gCounting = true;
  for (int block = 0; block < 8; ++block) {
    plugin->queueParameterChange(kGain, block, 0.5);
    plugin->queueParameterChange(kEcho, 0, 0.1);
    plugin->queueParameterChange(kEcho, 9, 0.9);
    plugin->process(inputs, outputs, kBlock);
  }
  gCounting = false;
  EXPECT_EQ(gAllocations.load(), 0);
}
