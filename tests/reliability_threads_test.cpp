// The host's threads at once. An audio thread processes with automation
// (Resolution and Bypass included) while a UI thread sets parameters on the
// controller side, applies factory presets the way the editor does, saves
// and restores state, and reads the analysis feed; and 16 instances are
// created, run and destroyed concurrently. Built with ThreadSanitizer this
// shows every shared value is accessed safely; in every build the audio and
// the feed stay finite and every parameter stays in its range.
//
// Presets and the feed exist only on the plug-in object, so those cases host
// Varnock in-process; the others load the bundle.
#include <dlfcn.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/spectral_engine.h"
#include "host/parameter_changes.h"
#include "plugin/presets.h"
#include "plugin/varnock.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"

namespace {

using namespace Steinberg;
using reliability::RawAudio;

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kAudioBlocks = 1500;     // sanitized code runs several times slower
constexpr int kRateRounds = 12;
#else
constexpr int kAudioBlocks = 6000;
constexpr int kRateRounds = 40;
#endif

// Audio thread: random blocks with random automation until kAudioBlocks are
// done; counts non-finite output samples.
void audioThread(vst3host::HostedPlugin& plugin, uint32_t seed, std::atomic<int>& nonFinite,
                 std::atomic<bool>& done) {
  std::mt19937 random(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  RawAudio audio(1024);
  vst3host::ParameterChanges changes;
  for (int block = 0; block < kAudioBlocks; ++block) {
    const int frames = pick(1, 1024);
    changes.clear();
    for (int q = pick(0, 3); q > 0; --q)
      changes.add(static_cast<Vst::ParamID>(pick(0, reliability::kParams - 1)), pick(0, frames - 1),
                  pick(0, 1000) / 1000.0);
    if (block % 40 == 0) changes.add(13, 0, pick(0, 2) / 2.0);                  // Resolution
    if (block % 97 == 0) changes.add(reliability::kBypassId, 0, pick(0, 1));    // Bypass
    const std::vector<double> noise = testsignals::whiteNoise(frames, static_cast<uint32_t>(block + 1), 0.8);
    std::copy(noise.begin(), noise.end(), audio.input(0));
    std::copy(noise.begin(), noise.end(), audio.input(1));
    audio.process(plugin.processor(), frames, block % 2 == 0, &changes);
    nonFinite += audio.nonFiniteOutputs(frames);
  }
  done = true;
}

// Every feed value the editor reads, read as the editor does; counts the
// non-finite ones and the bin counts outside the arrays.
int readFeed(const varnock::SpectralEngine& e) {
  int bad = 0;
  const int lastBin = varnock::feedLoad(e.lastBin);
  const int fftSize = varnock::feedLoad(e.fftSize);
  if (lastBin < 0 || lastBin >= varnock::SpectralEngine::kBinSlots || fftSize < 0 ||
      fftSize > varnock::SpectralEngine::kMaxFftSize)
    return 1;
  if (!std::isfinite(varnock::feedLoad(e.sampleRate)) || !std::isfinite(varnock::feedLoad(e.peakGainDb))) ++bad;
  for (int k = 0; k <= lastBin; ++k)
    for (const double* array : {e.inputMag, e.outputMag, e.gainDb, e.activity, e.thresholdMag})
      if (!std::isfinite(varnock::feedLoad(array[k]))) ++bad;
  return bad;
}

// Hosts that scan plug-ins in parallel: 16 threads fetch the module's
// factory, create and release an instance, and drop the factory again, so the
// factory is made and destroyed over and over while others use it. First in
// this program, so that no other test holds the module (and its factory) yet.
TEST(Threads, FactoryFetchedAndReleasedFromSixteenThreads) {
  const std::string library = vst3host::moduleLibraryPath(VARNOCK_BUNDLE_PATH);
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  using GetFactory = IPluginFactory* (PLUGIN_API*)();
  auto getFactory = reinterpret_cast<GetFactory>(dlsym(handle, "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t)
    threads.emplace_back([&] {
      for (int round = 0; round < 20; ++round) {
        IPluginFactory* factory = getFactory();
        PClassInfo info{};
        if (!factory || factory->getClassInfo(0, &info) != kResultOk) {
          ++failures;
          continue;
        }
        void* made = nullptr;
        if (factory->createInstance(info.cid, Vst::IComponent::iid, &made) == kResultOk && made)
          static_cast<Vst::IComponent*>(made)->release();
        else
          ++failures;
        factory->release();
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  dlclose(handle);
}

TEST(Threads, UiWorkWhileTheAudioThreadProcesses) {
  auto plugin = reliability::makeInProcessPlugin();
  ASSERT_TRUE(plugin);
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 1024));
  varnock::Varnock& varnock = reliability::varnockOf(*plugin);
  std::vector<uint8_t> saved;
  ASSERT_TRUE(plugin->getState(&saved));

  std::atomic<int> nonFinite{0};
  std::atomic<bool> done{false};
  std::thread audio(audioThread, std::ref(*plugin), 11u, std::ref(nonFinite), std::ref(done));

  std::mt19937 random(12);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  int uiRounds = 0, badFeed = 0;
  while (!done) {
    switch (uiRounds % 5) {
      case 0:
        plugin->setNormalizedValue(static_cast<Vst::ParamID>(pick(0, reliability::kParams - 1)), pick(0, 100) / 100.0);
        break;
      case 1: varnock::applyFactoryPreset(varnock, varnock.editorState(), pick(1, 10)); break;
      case 2: ASSERT_TRUE(plugin->getState(&saved)); break;
      case 3: ASSERT_TRUE(plugin->setState(saved)); break;
      default: badFeed += readFeed(varnock.engine()); break;
    }
    const uint32 latency = plugin->latencySamples();
    ASSERT_TRUE(latency == 512 || latency == 1024 || latency == 2048) << latency;
    ++uiRounds;
  }
  audio.join();
  EXPECT_EQ(nonFinite.load(), 0);
  EXPECT_EQ(badFeed, 0);
  EXPECT_GT(uiRounds, 50);
  EXPECT_TRUE(reliability::stateWithinRanges(reliability::savedState(*plugin)));
}

TEST(Threads, FeedReaderWhileResolutionAndSampleRateChange) {
  auto plugin = reliability::makeInProcessPlugin();
  ASSERT_TRUE(plugin);
  ASSERT_TRUE(bundletest::start(*plugin, 44100.0, 1024));
  varnock::Varnock& varnock = reliability::varnockOf(*plugin);
  std::atomic<bool> done{false};
  std::atomic<int> badFeed{0}, reads{0};
  std::thread editor([&] {
    while (!done) {
      badFeed += readFeed(varnock.engine());
      ++reads;
    }
  });
  RawAudio audio(1024);
  vst3host::ParameterChanges changes;
  const double rates[] = {22050.0, 44100.0, 96000.0, 192000.0};
  for (int round = 0; round < kRateRounds; ++round) {
    // Sample-rate changes run a full reset from the host's set-up call.
    plugin->setActive(false);
    vst3host::ProcessingSetup setup;
    setup.sampleRate = rates[round % 4];
    setup.maxBlockFrames = 1024;
    std::string error;
    ASSERT_TRUE(plugin->setupProcessing(setup, &error)) << error;
    plugin->setActive(true);
    for (int block = 0; block < 20; ++block) {
      changes.clear();
      changes.add(13, 0, (round + block) % 3 / 2.0);
      changes.add(0, 0, block % 3 / 2.0);
      const std::vector<double> noise = testsignals::whiteNoise(1024, static_cast<uint32_t>(round * 20 + block + 1));
      std::copy(noise.begin(), noise.end(), audio.input(0));
      std::copy(noise.begin(), noise.end(), audio.input(1));
      ASSERT_EQ(audio.process(plugin->processor(), 1024, true, &changes), kResultOk);
    }
  }
  done = true;
  editor.join();
  EXPECT_EQ(badFeed.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

// One host thread's instance from birth to death.
void instanceLifetime(vst3host::Factory& factory, int seed, std::atomic<int>& failures) {
  std::string error;
  auto plugin = vst3host::HostedPlugin::create(factory, factory.classes().at(0).id, &error);
  if (!plugin) {
    ++failures;
    return;
  }
  vst3host::ProcessingSetup setup;
  setup.sampleRate = 44100.0 + 1000.0 * seed;
  setup.maxBlockFrames = 512;
  if (!plugin->setupProcessing(setup, &error) || !plugin->setActive(true) || !plugin->setProcessing(true)) {
    ++failures;
    return;
  }
  const std::vector<double> noise = testsignals::whiteNoise(512, static_cast<uint32_t>(seed + 1), 0.5);
  std::vector<double> outL(512), outR(512);
  const double* ins[2] = {noise.data(), noise.data()};
  double* outs[2] = {outL.data(), outR.data()};
  for (int block = 0; block < 10; ++block) {
    plugin->queueParameterChange(13, 0, (seed + block) % 3 / 2.0);
    if (!plugin->process(ins, outs, 512)) ++failures;
    for (double v : outL)
      if (!std::isfinite(v)) ++failures;
  }
  std::vector<uint8_t> state;
  if (!plugin->getState(&state) || state.size() != reliability::kStateBytes || !plugin->setState(state)) ++failures;
}

void createAndDestroyConcurrently(vst3host::Factory& factory, int rounds) {
  std::atomic<int> failures{0};
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 16; ++i)
      threads.emplace_back(instanceLifetime, std::ref(factory), round * 16 + i, std::ref(failures));
    for (std::thread& t : threads) t.join();
  }
  EXPECT_EQ(failures.load(), 0);
}

TEST(Threads, SixteenBundleInstancesCreatedAndDestroyedConcurrently) {
  createAndDestroyConcurrently(bundletest::bundle().factory(), 4);
}

TEST(Threads, SixteenInProcessInstancesCreatedAndDestroyedConcurrently) {
  createAndDestroyConcurrently(reliability::inProcessFactory(), 4);
}

}  // namespace
