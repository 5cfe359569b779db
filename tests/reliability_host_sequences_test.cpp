// Host sequences a demanding host or validator sends the bundle: repeated
// initialise/terminate, activation and processing toggled in any order,
// parameter flushes without audio, null and missing buffers, block sizes
// from 1 to 8192 changing every call, sample rates from 1 kHz to 768 kHz
// changing between blocks, and 32/64-bit processing alternated on one
// instance. Every randomised case has a fixed seed.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "host/host_message.h"
#include "host/memory_stream.h"
#include "host/parameter_changes.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"

namespace {

using namespace Steinberg;
using reliability::RawAudio;

constexpr int kMaxFrames = 8192;
const double kSampleRates[] = {1000,  8000,   11025,  22050,  32000,  44100,  48000,
                               88200, 96000,  176400, 192000, 352800, 384000, 705600, 768000};

// Plain values through the persisted state (the host's way to set many at once).
void setPlainValues(vst3host::HostedPlugin& plugin, std::initializer_list<std::pair<int, double>> values) {
  reliability::SavedState state = reliability::savedState(plugin);
  for (const auto& [index, value] : values) state.values[static_cast<size_t>(index)] = value;
  ASSERT_TRUE(plugin.setState(reliability::encodeState(state)));
}

bool setup(vst3host::HostedPlugin& plugin, double sampleRate, int maxFrames, bool wide = true) {
  Vst::ProcessSetup setup{Vst::kRealtime, wide ? Vst::kSample64 : Vst::kSample32, maxFrames, sampleRate};
  return plugin.processor()->setupProcessing(setup) == kResultOk;
}

void fillNoise(RawAudio& audio, int frames, uint32_t seed, double amplitude = 0.5) {
  const std::vector<double> left = testsignals::whiteNoise(frames, seed, amplitude);
  const std::vector<double> right = testsignals::whiteNoise(frames, seed + 1, amplitude);
  std::copy(left.begin(), left.end(), audio.input(0));
  std::copy(right.begin(), right.end(), audio.input(1));
}

// Processes `input` (both channels the same) in the given block sizes; returns the left output.
std::vector<double> processInBlocks(vst3host::HostedPlugin& plugin, RawAudio& audio, const std::vector<double>& input,
                                    const std::vector<int>& blocks, bool wide = true) {
  std::vector<double> out;
  size_t at = 0;
  for (int frames : blocks) {
    frames = static_cast<int>(std::min<size_t>(static_cast<size_t>(frames), input.size() - at));
    for (int i = 0; i < frames; ++i) audio.input(0)[i] = audio.input(1)[i] = input[at + static_cast<size_t>(i)];
    EXPECT_EQ(audio.process(plugin.processor(), frames, wide), kResultOk);
    EXPECT_EQ(audio.nonFiniteOutputs(frames), 0);
    for (int i = 0; i < frames; ++i) out.push_back(audio.output(0, i));
    at += static_cast<size_t>(frames);
    if (at == input.size()) break;
  }
  return out;
}

TEST(HostSequences, InitializeTerminateRepeatedRepublishesEverything) {
  vst3host::Factory& factory = bundletest::bundle().factory();
  std::string error;
  FUnknown* made = factory.createInstance(factory.classes().at(0).id, Vst::IComponent::iid, &error);
  ASSERT_NE(made, nullptr) << error;
  auto* component = static_cast<Vst::IComponent*>(made);
  FUnknownPtr<Vst::IEditController> controller(component);
  FUnknownPtr<Vst::IAudioProcessor> processor(component);
  ASSERT_TRUE(controller && processor);
  auto* context = new vst3host::HostContext;

  for (int cycle = 0; cycle < 50; ++cycle) {
    ASSERT_EQ(component->initialize(context), kResultOk) << "cycle " << cycle;
    EXPECT_EQ(component->getBusCount(Vst::kAudio, Vst::kInput), 1);
    EXPECT_EQ(component->getBusCount(Vst::kAudio, Vst::kOutput), 1);
    EXPECT_EQ(controller->getParameterCount(), 19);
    ASSERT_EQ(component->terminate(), kResultOk);
  }
  // A second initialise without terminate must not publish anything twice.
  ASSERT_EQ(component->initialize(context), kResultOk);
  component->initialize(context);
  EXPECT_EQ(controller->getParameterCount(), 19);
  EXPECT_EQ(component->getBusCount(Vst::kAudio, Vst::kOutput), 1);

  Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample64, 512, 48000.0};
  ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
  component->setActive(true);
  RawAudio audio(512);
  fillNoise(audio, 512, 3);
  EXPECT_EQ(audio.process(processor, 512, true), kResultOk);
  EXPECT_EQ(audio.nonFiniteOutputs(512), 0);
  component->setActive(false);
  component->terminate();
  component->terminate();   // a second terminate is harmless
  controller = nullptr;
  processor = nullptr;
  component->release();
  context->release();
}

TEST(HostSequences, NullContextsHandlersAndMessagesAreSurvived) {
  vst3host::Factory& factory = bundletest::bundle().factory();
  std::string error;
  FUnknown* made = factory.createInstance(factory.classes().at(0).id, Vst::IComponent::iid, &error);
  ASSERT_NE(made, nullptr) << error;
  auto* component = static_cast<Vst::IComponent*>(made);
  EXPECT_EQ(component->initialize(nullptr), kResultOk);   // a host without an application interface
  FUnknownPtr<Vst::IEditController> controller(component);
  FUnknownPtr<Vst::IConnectionPoint> connection(component);
  FUnknownPtr<Vst::ChannelContext::IInfoListener> channel(component);
  ASSERT_TRUE(controller && connection && channel);
  EXPECT_EQ(controller->getParameterCount(), 19);
  EXPECT_NE(connection->connect(nullptr), kResultOk);
  EXPECT_NE(connection->disconnect(nullptr), kResultOk);
  EXPECT_NE(connection->notify(nullptr), kResultOk);
  auto* message = new vst3host::HostMessage;   // no ID set
  connection->notify(message);
  message->setMessageID("no such message");
  connection->notify(message);
  message->release();
  channel->setChannelContextInfos(nullptr);
  EXPECT_EQ(controller->setComponentHandler(nullptr), kResultOk);
  EXPECT_NE(controller->setComponentState(nullptr), kInternalError);
  vst3host::MemoryStream state;
  EXPECT_EQ(component->getState(&state), kResultOk);
  EXPECT_EQ(state.bytes().size(), 148u);
  // Latency reports without a handler still update the latency.
  FUnknownPtr<Vst::IAudioProcessor> processor(component);
  Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 256, 48000.0};
  ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
  vst3host::ParameterChanges changes;
  changes.add(13, 0, 1.0);
  EXPECT_EQ(RawAudio::flush(processor, &changes), kResultOk);
  EXPECT_EQ(processor->getLatencySamples(), 2048u);
  component->terminate();
  controller = nullptr;
  connection = nullptr;
  channel = nullptr;
  processor = nullptr;
  component->release();
}

TEST(HostSequences, ActivationAndProcessingTogglesInAnyOrder) {
  reliability::reseed(101);
  vst3host::HostContext context;   // outlives the plug-in, which may hold it
  auto plugin = bundletest::makePlugin();
  RawAudio audio(kMaxFrames);
  Vst::IComponent* component = plugin->component();
  Vst::IAudioProcessor* processor = plugin->processor();
  int operations = 0, processCalls = 0;
  for (; operations < 4000; ++operations) {
    switch (reliability::randomInt(0, 8)) {
      case 0: {
        const double rate = kSampleRates[reliability::randomInt(0, static_cast<int>(std::size(kSampleRates)) - 1)];
        ASSERT_TRUE(setup(*plugin, rate, reliability::randomInt(1, kMaxFrames), reliability::randomInt(0, 1) == 1));
        break;
      }
      case 1: component->setActive(reliability::randomInt(0, 1)); break;
      case 2: processor->setProcessing(reliability::randomInt(0, 1)); break;
      // Rarely, a host tears the component down (or brings it back) in the middle of it all.
      case 3:
        if (reliability::randomInt(0, 9) == 0) component->terminate();
        break;
      case 4:
        if (reliability::randomInt(0, 4) == 0) component->initialize(&context);
        break;
      default: {
        const int frames = reliability::randomInt(0, 2048);
        fillNoise(audio, frames, static_cast<uint32_t>(operations + 1));
        const bool wide = reliability::randomInt(0, 1) == 1;
        ASSERT_EQ(audio.process(processor, frames, wide), kResultOk) << "operation " << operations;
        ASSERT_EQ(audio.nonFiniteOutputs(frames), 0) << "operation " << operations;
        ++processCalls;
      }
    }
    const uint32 latency = processor->getLatencySamples();
    ASSERT_TRUE(latency == 512 || latency == 1024 || latency == 2048) << latency;
  }
  EXPECT_GT(processCalls, 1500);   // about four in nine operations
}

TEST(HostSequences, QueriesWithBadIndicesAndIdsAreRefused) {
  auto plugin = bundletest::makePlugin();
  Vst::IComponent* component = plugin->component();
  Vst::IEditController* controller = plugin->controller();
  Vst::IAudioProcessor* processor = plugin->processor();
  Vst::BusInfo bus{};
  for (int32 index : {-1, 1, 1000}) {
    EXPECT_NE(component->getBusInfo(Vst::kAudio, Vst::kInput, index, bus), kResultOk) << index;
    EXPECT_NE(component->activateBus(Vst::kAudio, Vst::kOutput, index, true), kResultOk) << index;
    Vst::SpeakerArrangement arrangement = 0;
    EXPECT_NE(processor->getBusArrangement(Vst::kOutput, index, arrangement), kResultOk) << index;
  }
  EXPECT_NE(component->getBusInfo(Vst::kEvent, Vst::kInput, 0, bus), kResultOk);
  EXPECT_EQ(component->getBusCount(Vst::kEvent, Vst::kInput), 0);
  // Indices past either end are answered with a refusal, not an exception
  // thrown into the host.
  Vst::ParameterInfo info{};
  for (int32 index : {-1, 19, 65536}) EXPECT_NE(controller->getParameterInfo(index, info), kResultOk) << index;
  FUnknownPtr<Vst::IUnitInfo> units(controller);
  ASSERT_TRUE(units);
  Vst::UnitInfo unit{};
  for (int32 index : {-1, 1, 1000}) EXPECT_NE(units->getUnitInfo(index, unit), kResultOk) << index;
  EXPECT_EQ(units->getUnitInfo(0, unit), kResultOk);
  Vst::ProgramListInfo list{};
  EXPECT_NE(units->getProgramListInfo(-1, list), kResultOk);
  Vst::String128 text{};
  Vst::ParamValue value = 0;
  for (Vst::ParamID id : {18u, 0x10001u, 0xFFFFFFFFu}) {
    EXPECT_NE(controller->getParamStringByValue(id, 0.5, text), kResultOk) << id;
    EXPECT_NE(controller->getParamValueByString(id, text, value), kResultOk) << id;
    EXPECT_NE(controller->setParamNormalized(id, 0.5), kResultOk) << id;
    EXPECT_EQ(controller->getParamNormalized(id), 0.0) << id;
  }
  EXPECT_NE(controller->getParamValueByString(1, nullptr, value), kResultOk);
  // Layouts other than stereo in and out are refused; the stereo buses stay.
  Vst::SpeakerArrangement mono = Vst::SpeakerArr::kMono, surround = Vst::SpeakerArr::k51;
  Vst::SpeakerArrangement stereo = Vst::SpeakerArr::kStereo;
  EXPECT_NE(processor->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
  EXPECT_NE(processor->setBusArrangements(&stereo, 1, &surround, 1), kResultOk);
  EXPECT_NE(processor->setBusArrangements(nullptr, 1, nullptr, 1), kResultOk);
  EXPECT_NE(processor->setBusArrangements(&stereo, 0, &stereo, 0), kResultOk);
  EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultOk);
  // Views of types other than "editor", or of no type, are not offered.
  EXPECT_EQ(controller->createView(nullptr), nullptr);
  EXPECT_EQ(controller->createView("no such view"), nullptr);
  // A process call with an unknown sample size is refused.
  Vst::ProcessData data;
  data.symbolicSampleSize = 7;
  data.numSamples = 64;
  EXPECT_NE(processor->process(data), kResultOk);
}

TEST(HostSequences, ProcessingBeforeAnySetupIsSafe) {
  auto plugin = bundletest::makePlugin();
  RawAudio audio(4096);
  fillNoise(audio, 4096, 5);
  EXPECT_EQ(audio.process(plugin->processor(), 4096, false), kResultOk);
  EXPECT_EQ(audio.nonFiniteOutputs(4096), 0);
  EXPECT_EQ(plugin->latencySamples(), 1024u);
}

TEST(HostSequences, ParameterFlushWithoutAudioAppliesTheChanges) {
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 512));
  vst3host::ParameterChanges changes;
  changes.add(1, 0, 0.25);   // Depth 6 dB
  changes.add(13, 0, 0.0);   // Resolution Fast 512
  EXPECT_EQ(RawAudio::flush(plugin->processor(), &changes), kResultOk);
  EXPECT_DOUBLE_EQ(reliability::savedState(*plugin).values[1], 6.0);
  EXPECT_EQ(plugin->latencySamples(), 512u);
  EXPECT_GE(plugin->handler().restartCount(Vst::kLatencyChanged), 1);

  // The other shapes of "no audio": frames but no output bus, and a negative count.
  changes.clear();
  changes.add(1, 0, 0.5);
  EXPECT_EQ(RawAudio::flush(plugin->processor(), &changes, 256), kResultOk);
  EXPECT_DOUBLE_EQ(reliability::savedState(*plugin).values[1], 12.0);
  changes.clear();
  changes.add(13, 0, 1.0);
  EXPECT_EQ(RawAudio::flush(plugin->processor(), &changes, -64), kResultOk);
  EXPECT_EQ(plugin->latencySamples(), 2048u);
}

TEST(HostSequences, MissingChannelsAndNullPointersReadAsSilence) {
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 1024));
  std::vector<double> left(1024, std::numeric_limits<double>::quiet_NaN());
  double* outputs[2] = {left.data(), nullptr};
  Vst::AudioBusBuffers input{}, output{};
  input.numChannels = 2;            // two channels announced, no channel array
  output.numChannels = 2;
  output.channelBuffers64 = outputs;
  Vst::ProcessData data;
  data.symbolicSampleSize = Vst::kSample64;
  data.numSamples = 1024;
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &input;
  data.outputs = &output;
  for (int block = 0; block < 8; ++block) ASSERT_EQ(plugin->processor()->process(data), kResultOk);
  for (double v : left) ASSERT_EQ(v, 0.0);

  // An output bus with fewer channels than the plug-in's, and an input bus with none.
  output.numChannels = 1;
  input.numChannels = 0;
  std::fill(left.begin(), left.end(), 1.0);
  ASSERT_EQ(plugin->processor()->process(data), kResultOk);
  for (double v : left) ASSERT_EQ(v, 0.0);
}

TEST(HostSequences, BlockSizesChangingEveryCallMatchFixedBlocks) {
  reliability::reseed(202);
  const std::vector<double> input = testsignals::whiteNoise(120000, 77, 0.7);
  std::vector<int> varying;
  for (int total = 0; total < 120000;) {
    const int kind = reliability::randomInt(0, 9);
    const int frames = kind == 0 ? 1 : kind == 1 ? kMaxFrames : kind == 2 ? 0 : reliability::randomInt(1, 3000);
    varying.push_back(frames);
    total += frames;
  }
  auto a = bundletest::makePlugin();
  auto b = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*a, 44100.0, kMaxFrames));
  ASSERT_TRUE(bundletest::start(*b, 44100.0, kMaxFrames));
  RawAudio audioA(kMaxFrames), audioB(kMaxFrames);
  const std::vector<double> outA = processInBlocks(*a, audioA, input, varying);
  const std::vector<double> outB = processInBlocks(*b, audioB, input, std::vector<int>(input.size() / 512 + 1, 512));
  ASSERT_EQ(outA.size(), input.size());
  ASSERT_EQ(outB.size(), input.size());
  for (size_t i = 0; i < input.size(); ++i) ASSERT_EQ(outA[i], outB[i]) << "frame " << i;
}

TEST(HostSequences, BlocksLongerThanTheDeclaredMaximumAreProcessedWhole) {
  const std::vector<double> input = testsignals::whiteNoise(5 * kMaxFrames, 91, 0.5);
  auto small = bundletest::makePlugin();
  auto large = bundletest::makePlugin();
  ASSERT_TRUE(setup(*small, 48000.0, 64));
  ASSERT_TRUE(setup(*large, 48000.0, kMaxFrames));
  RawAudio audioSmall(kMaxFrames), audioLarge(kMaxFrames);
  const std::vector<int> blocks(5, kMaxFrames);
  EXPECT_EQ(processInBlocks(*small, audioSmall, input, blocks), processInBlocks(*large, audioLarge, input, blocks));
}

// With Depth 0 the plug-in is a pure delay of the FFT size after any reset:
// silence for fftSize frames, then the input. Checks one block of `frames`.
void expectCleanDelayAfterReset(vst3host::HostedPlugin& plugin, RawAudio& audio, int frames, int fftSize,
                                uint32_t seed, bool wide) {
  fillNoise(audio, frames, seed);
  ASSERT_EQ(audio.process(plugin.processor(), frames, wide), kResultOk);
  const double tolerance = wide ? 1e-9 : 1e-6;
  for (int i = 0; i < frames; ++i) {
    const double expected = i < fftSize ? 0.0 : audio.input(0)[i - fftSize];
    const double expectedF = wide ? expected : static_cast<float>(expected);
    ASSERT_NEAR(audio.output(0, i), expectedF, tolerance) << "frame " << i << ", fft " << fftSize;
  }
}

TEST(HostSequences, EverySampleRateFrom1kHzTo768kHzRunsAtEveryResolution) {
  RawAudio audio(kMaxFrames);
  for (double rate : kSampleRates) {
    for (int resolution = 0; resolution < 3; ++resolution) {
      auto plugin = bundletest::makePlugin();
      setPlainValues(*plugin, {{1, 0.0}, {13, resolution}});
      ASSERT_TRUE(setup(*plugin, rate, kMaxFrames));
      plugin->component()->setActive(true);
      const int fftSize = 512 << resolution;
      EXPECT_EQ(plugin->latencySamples(), static_cast<uint32>(fftSize)) << rate;
      expectCleanDelayAfterReset(*plugin, audio, 3 * fftSize, fftSize, static_cast<uint32_t>(rate), true);

      // Full detection in every mode stays finite at this rate.
      for (int mode = 0; mode < 3; ++mode) {
        setPlainValues(*plugin, {{0, mode}, {1, 24.0}, {5, 20.0}, {6, 20000.0}, {7, 16.0}});
        fillNoise(audio, kMaxFrames, 7, 1.0);
        ASSERT_EQ(audio.process(plugin->processor(), kMaxFrames, true), kResultOk);
        ASSERT_EQ(audio.nonFiniteOutputs(kMaxFrames), 0) << rate << " Hz, mode " << mode;
      }
    }
  }
}

// Rates no host uses, but nothing refuses: the output still stays finite
// and the latency still follows Resolution.
TEST(HostSequences, AbsurdButFiniteSampleRatesKeepTheOutputFinite) {
  RawAudio audio(4096);
  for (double rate : {std::numeric_limits<double>::denorm_min(), 1e-3, 1.0, 100.0, 1e7, 1e12, 1e300,
                      std::numeric_limits<double>::max()}) {
    auto plugin = bundletest::makePlugin();
    for (int mode = 0; mode < 3; ++mode) {
      setPlainValues(*plugin, {{0, mode}, {13, mode}, {5, 20.0}, {6, 20000.0}, {16, -6.0}});
      ASSERT_TRUE(setup(*plugin, rate, 4096));
      plugin->component()->setActive(true);
      for (int block = 0; block < 4; ++block) {
        fillNoise(audio, 4096, static_cast<uint32_t>(block + 1), 1.0);
        ASSERT_EQ(audio.process(plugin->processor(), 4096, true), kResultOk);
        ASSERT_EQ(audio.nonFiniteOutputs(4096), 0) << rate << " Hz, mode " << mode;
      }
      EXPECT_EQ(plugin->latencySamples(), static_cast<uint32>(512 << mode)) << rate;
      plugin->component()->setActive(false);
    }
  }
}

TEST(HostSequences, SampleRateChangeBetweenEveryPairOfBlocksResetsCleanly) {
  reliability::reseed(303);
  auto plugin = bundletest::makePlugin();
  setPlainValues(*plugin, {{1, 0.0}});
  RawAudio audio(kMaxFrames);
  for (int block = 0; block < 300; ++block) {
    const double rate = kSampleRates[reliability::randomInt(0, static_cast<int>(std::size(kSampleRates)) - 1)];
    const bool wide = reliability::randomInt(0, 1) == 1;
    plugin->component()->setActive(false);
    if (block % 50 == 0) setPlainValues(*plugin, {{1, 0.0}, {13, block / 50 % 3}});
    ASSERT_TRUE(setup(*plugin, rate, kMaxFrames, wide));
    plugin->component()->setActive(true);
    plugin->processor()->setProcessing(true);
    const int fftSize = static_cast<int>(plugin->latencySamples());
    expectCleanDelayAfterReset(*plugin, audio, reliability::randomInt(1, kMaxFrames), fftSize,
                               static_cast<uint32_t>(block + 1), wide);
    plugin->processor()->setProcessing(false);
  }
}

// A host that announces blocks of up to 2^31 - 1 frames gets processing,
// not an attempt to allocate for them.
TEST(HostSequences, HugeAnnouncedBlockSizeIsNotAllocated) {
  auto plugin = bundletest::makePlugin();
  ASSERT_TRUE(setup(*plugin, 48000.0, std::numeric_limits<int32>::max()));
  plugin->component()->setActive(true);
  RawAudio audio(kMaxFrames);
  fillNoise(audio, kMaxFrames, 4);
  ASSERT_EQ(audio.process(plugin->processor(), kMaxFrames, true), kResultOk);
  EXPECT_EQ(audio.nonFiniteOutputs(kMaxFrames), 0);
}

TEST(HostSequences, RefusedSetupsLeaveProcessingAsItWas) {
  auto plugin = bundletest::makePlugin();
  setPlainValues(*plugin, {{1, 0.0}});
  ASSERT_TRUE(setup(*plugin, 48000.0, 2048));
  plugin->component()->setActive(true);
  RawAudio audio(2048);
  expectCleanDelayAfterReset(*plugin, audio, 2048, 1024, 1, true);

  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (double rate : {0.0, -48000.0, nan, inf, -inf}) EXPECT_FALSE(setup(*plugin, rate, 512)) << rate;
  EXPECT_FALSE(setup(*plugin, 48000.0, 0));
  EXPECT_FALSE(setup(*plugin, 48000.0, -1));
  Vst::ProcessSetup odd{Vst::kRealtime, 7, 512, 48000.0};
  EXPECT_EQ(plugin->processor()->setupProcessing(odd), kResultFalse);
  EXPECT_EQ(plugin->processor()->canProcessSampleSize(7), kResultFalse);

  // The stream continues where it was: the delayed input, no reset silence.
  const std::vector<double> previous(audio.input(0) + 1024, audio.input(0) + 2048);
  fillNoise(audio, 1024, 2);
  ASSERT_EQ(audio.process(plugin->processor(), 1024, true), kResultOk);
  for (int i = 0; i < 1024; ++i) ASSERT_NEAR(audio.output(0, i), previous[static_cast<size_t>(i)], 1e-9);
}

TEST(HostSequences, ThirtyTwoAndSixtyFourBitAlternatedOnOneInstance) {
  reliability::reseed(404);
  // Samples that a float holds exactly, so both paths see the same input.
  std::vector<double> input = testsignals::whiteNoise(100000, 13, 0.8);
  for (double& x : input) x = static_cast<float>(x);
  auto mixed = bundletest::makePlugin();
  auto wideOnly = bundletest::makePlugin();
  ASSERT_TRUE(bundletest::start(*mixed, 48000.0, 4096, vst3host::SampleSize::Float32));
  ASSERT_TRUE(bundletest::start(*wideOnly, 48000.0, 4096, vst3host::SampleSize::Float64));
  RawAudio audioMixed(4096), audioWide(4096);
  size_t at = 0;
  while (at < input.size()) {
    const int frames = static_cast<int>(std::min<size_t>(static_cast<size_t>(reliability::randomInt(1, 4096)),
                                                         input.size() - at));
    const bool wide = reliability::randomInt(0, 1) == 1;
    for (int i = 0; i < frames; ++i) {
      audioMixed.input(0)[i] = audioMixed.input(1)[i] = input[at + static_cast<size_t>(i)];
      audioWide.input(0)[i] = audioWide.input(1)[i] = input[at + static_cast<size_t>(i)];
    }
    ASSERT_EQ(audioMixed.process(mixed->processor(), frames, wide), kResultOk);
    ASSERT_EQ(audioWide.process(wideOnly->processor(), frames, true), kResultOk);
    for (int i = 0; i < frames; ++i)
      ASSERT_NEAR(audioMixed.output(0, i), audioWide.output(0, i), 1e-6) << "frame " << at + static_cast<size_t>(i);
    at += static_cast<size_t>(frames);
  }
}

}  // namespace
