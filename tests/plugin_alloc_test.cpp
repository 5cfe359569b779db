// The audio path allocates nothing: every operator new in this program is
// counted while process() runs, with automation, resolution changes (latency
// reports) and bypass switching, at both sample sizes.
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "host/memory_stream.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/test_signals.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* countedAlloc(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return countedAlloc(size); }
void* operator new[](std::size_t size) { return countedAlloc(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using bundletest::both;
using bundletest::makePlugin;
using bundletest::start;

constexpr Steinberg::Vst::ParamID kBypass = 0x10000;

// Processes `blocks` blocks of 256 frames, changing parameters every block.
long allocationsWhileProcessing(vst3host::HostedPlugin& plugin, bool asFloat) {
  const std::vector<double> noise = testsignals::whiteNoise(256, 3, 0.5);
  std::vector<float> noiseF(noise.begin(), noise.end());
  std::vector<double> outL(256), outR(256);
  std::vector<float> outLF(256), outRF(256);
  const double* ins[2] = {noise.data(), noise.data()};
  double* outs[2] = {outL.data(), outR.data()};
  const float* insF[2] = {noiseF.data(), noiseF.data()};
  float* outsF[2] = {outLF.data(), outRF.data()};

  gAllocations = 0;
  gCounting = true;
  for (int block = 0; block < 200; ++block) {
    plugin.queueParameterChange(1, 0, (block % 10) / 10.0);          // Depth
    plugin.queueParameterChange(0, 17, (block % 3) / 2.0);           // Mode
    plugin.queueParameterChange(11, 100, 0.4);                       // Trim
    if (block % 50 == 25) plugin.queueParameterChange(13, 0, (block / 50 % 3) / 2.0);   // Resolution
    if (block % 40 == 20) plugin.queueParameterChange(kBypass, 0, 1.0);
    if (block % 40 == 30) plugin.queueParameterChange(kBypass, 0, 0.0);
    const bool ok = asFloat ? plugin.process(insF, outsF, 256) : plugin.process(ins, outs, 256);
    if (!ok) break;
  }
  gCounting = false;
  return gAllocations.load();
}

TEST(PluginAllocation, SixtyFourBitProcessingAllocatesNothing) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 48000.0, 256, vst3host::SampleSize::Float64));
  EXPECT_EQ(allocationsWhileProcessing(*plugin, false), 0);
  EXPECT_GE(plugin->handler().restartCount(Steinberg::Vst::kLatencyChanged), 3);   // the changes did happen
}

TEST(PluginAllocation, ThirtyTwoBitProcessingAllocatesNothing) {
  auto plugin = makePlugin();
  ASSERT_TRUE(start(*plugin, 44100.0, 256, vst3host::SampleSize::Float32));
  EXPECT_EQ(allocationsWhileProcessing(*plugin, true), 0);
}

TEST(PluginAllocation, CounterSeesAllocationsInsideTheBundle) {
  // Restoring state allocates inside the module (the stream is read into
  // memory) and nowhere else, so the counter must see it.
  auto plugin = makePlugin();
  std::vector<uint8_t> state;
  ASSERT_TRUE(plugin->getState(&state));
  vst3host::MemoryStream stream(state);
  gAllocations = 0;
  gCounting = true;
  const Steinberg::tresult result = plugin->component()->setState(&stream);
  gCounting = false;
  EXPECT_EQ(result, Steinberg::kResultOk);
  EXPECT_GT(gAllocations.load(), 0);
}

} // namespace
