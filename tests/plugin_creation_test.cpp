// Instance creation through the framework's factory helper: constructors run
// one at a time under the process-wide creation lock, whichever thread asks.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/vst3/factory.h"
#include "framework/vst3/iplug_vst3.h"

namespace {

std::atomic<int> gInside{0};
std::atomic<int> gMostInside{0};
std::atomic<int> gConstructed{0};

// A plug-in whose constructor takes a while and records how many run at once.
class SlowPlugin : public iplug::IPlugVST3 {
public:
  SlowPlugin() : IPlugVST3(iplug::Config{}) {
    const int inside = ++gInside;
    int most = gMostInside.load();
    while (inside > most && !gMostInside.compare_exchange_weak(most, inside)) {}
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ++gConstructed;
    --gInside;
  }
};

TEST(PluginCreation, ConstructorsNeverOverlap) {
  constexpr int kThreads = 6, kPerThread = 5;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < kPerThread; ++i) iplug::vst3::CreateInstance<SlowPlugin>()->release();
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(gConstructed.load(), kThreads * kPerThread);
  EXPECT_EQ(gMostInside.load(), 1);
}

TEST(PluginCreation, InstanceIsHandedOutAsItsAudioProcessor) {
  Steinberg::FUnknown* made = iplug::vst3::CreateInstance<SlowPlugin>();
  void* processor = nullptr;
  ASSERT_EQ(made->queryInterface(Steinberg::Vst::IAudioProcessor::iid, &processor), Steinberg::kResultOk);
  EXPECT_EQ(processor, static_cast<void*>(made));
  static_cast<Steinberg::FUnknown*>(processor)->release();
  EXPECT_EQ(made->release(), 0u);
}

} // namespace
