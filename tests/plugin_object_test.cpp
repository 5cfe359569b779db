// The Varnock object in-process, through its VST3 interfaces and the
// framework calls its editor uses: configuration, editor size limits, the
// engine's snapshot, editor edits, resets, and host blocks longer than the
// announced maximum.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/spectral_engine.h"
#include "host/component_handler.h"
#include "host/host_context.h"
#include "plugin/param_table.h"
#include "plugin/varnock.h"
#include "tests/support/test_signals.h"

namespace {

using namespace Steinberg;
using varnock::Varnock;
using Kind = vst3host::HandlerEvent::Kind;

// A Varnock instance initialised with a host context and a recording handler.
class VarnockObject : public ::testing::Test {
protected:
  void SetUp() override {
    plugin = new Varnock();
    context = new vst3host::HostContext();
    handler = new vst3host::RecordingComponentHandler();
    ASSERT_EQ(plugin->initialize(context), kResultOk);
    plugin->setComponentHandler(handler);
  }
  void TearDown() override {
    plugin->terminate();
    plugin->release();
    handler->release();
    context->release();
  }

  void setup(double sampleRate, int maxBlock, Varnock* target = nullptr) {
    Vst::ProcessSetup s{Vst::kRealtime, Vst::kSample64, maxBlock, sampleRate};
    ASSERT_EQ((target ? target : plugin)->setupProcessing(s), kResultOk);
  }

  // One 64-bit stereo block through IAudioProcessor::process.
  static void process(Varnock& p, std::vector<double>& left, std::vector<double>& right) {
    double* channels[2] = {left.data(), right.data()};
    Vst::AudioBusBuffers in, out;
    in.numChannels = out.numChannels = 2;
    in.channelBuffers64 = channels;
    out.channelBuffers64 = channels;
    Vst::ProcessData data;
    data.symbolicSampleSize = Vst::kSample64;
    data.numSamples = static_cast<int32>(left.size());
    data.numInputs = data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    ASSERT_EQ(p.process(data), kResultOk);
  }

  void processSilence(int frames) {
    std::vector<double> l(static_cast<size_t>(frames)), r(static_cast<size_t>(frames));
    process(*plugin, l, r);
  }

  Varnock* plugin = nullptr;
  vst3host::HostContext* context = nullptr;
  vst3host::RecordingComponentHandler* handler = nullptr;
};

// ---- Configuration ----

TEST_F(VarnockObject, ConfigurationRecord) {
  const iplug::Config& c = plugin->GetConfig();
  EXPECT_EQ(c.nParams, 18);
  EXPECT_STREQ(c.channelIOStr, "2-2");
  EXPECT_EQ(c.latency, 1024);
  EXPECT_TRUE(c.plugHasUI);
  EXPECT_EQ(c.plugWidth, 760);
  EXPECT_EQ(c.plugHeight, 416);
  EXPECT_TRUE(c.plugHostResize);
  EXPECT_EQ(plugin->NInChannels(), 2);
  EXPECT_EQ(plugin->NOutChannels(), 2);
}

TEST_F(VarnockObject, EditorSizeIsLimitedWidthThenHeight) {
  EXPECT_EQ(plugin->GetEditorWidth(), 760);
  EXPECT_EQ(plugin->GetEditorHeight(), 416);
  int w = 400, h = 2000;
  plugin->ConstrainEditorSize(w, h);
  EXPECT_EQ(w, 560);
  EXPECT_EQ(h, 1664);
  w = 5000;
  h = 100;
  plugin->ConstrainEditorSize(w, h);
  EXPECT_EQ(w, 3040);
  EXPECT_EQ(h, 320);
}

TEST_F(VarnockObject, EditorHooksAreInstalled) {
  EXPECT_TRUE(static_cast<bool>(plugin->mMakeGraphicsFunc));
  EXPECT_TRUE(static_cast<bool>(plugin->mLayoutFunc));
}

TEST_F(VarnockObject, EngineSnapshotStartsAtParameterDefaults) {
  for (const varnock::ParamDef& def : varnock::kParamDefs) {
    if (def.engineField == nullptr) continue;
    EXPECT_EQ(plugin->engine().paramSnapshot.*def.engineField, plugin->GetParam(def.index)->Value()) << def.name;
    EXPECT_EQ(plugin->GetParam(def.index)->Value(), plugin->GetParam(def.index)->GetDefault()) << def.name;
  }
  EXPECT_EQ(plugin->engine().fftSize, 0);
  EXPECT_EQ(plugin->engine().sampleRate, 48000.0);
}

// ---- Edits from the editor ----

TEST_F(VarnockObject, EditorEditIsOneHostGestureAndStoresTheValue) {
  plugin->BeginInformHostOfParamChangeFromUI(varnock::kDepth);
  plugin->SendParameterValueFromUI(varnock::kDepth, 0.25);
  plugin->EndInformHostOfParamChangeFromUI(varnock::kDepth);
  const auto events = handler->events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, Kind::BeginEdit);
  EXPECT_EQ(events[1].kind, Kind::PerformEdit);
  EXPECT_EQ(events[1].value, 0.25);
  EXPECT_EQ(events[2].kind, Kind::EndEdit);
  for (const auto& e : events) EXPECT_EQ(e.id, static_cast<Vst::ParamID>(varnock::kDepth));
  EXPECT_EQ(plugin->GetParam(varnock::kDepth)->Value(), 6.0);
  EXPECT_EQ(plugin->getParamNormalized(varnock::kDepth), 0.25);
}

TEST_F(VarnockObject, EditorEditReachesTheEngineAtTheNextBlock) {
  setup(48000.0, 256);
  processSilence(256);
  plugin->SendParameterValueFromUI(varnock::kTrim, 0.75);   // +12 dB
  EXPECT_EQ(plugin->engine().paramSnapshot.trimDb, 0.0);
  processSilence(256);
  EXPECT_EQ(plugin->engine().paramSnapshot.trimDb, 12.0);
}

TEST_F(VarnockObject, NaNEditorEditIsIgnored) {
  plugin->SendParameterValueFromUI(varnock::kDepth, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(handler->events().empty());
  EXPECT_EQ(plugin->GetParam(varnock::kDepth)->Value(), 12.0);
}

TEST_F(VarnockObject, EditorEditOutsideUnitRangeIsClamped) {
  plugin->SendParameterValueFromUI(varnock::kMix, 1.5);
  const auto events = handler->events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].value, 1.0);
  EXPECT_EQ(plugin->GetParam(varnock::kMix)->Value(), 100.0);
}

// ---- Resets ----

TEST_F(VarnockObject, SetupResetsTheEngineAtTheHostRate) {
  setup(96000.0, 256);
  EXPECT_EQ(plugin->engine().sampleRate, 96000.0);
  EXPECT_EQ(plugin->engine().fftSize, 1024);
}

TEST_F(VarnockObject, RefusedRateNeverReachesTheEngine) {
  setup(44100.0, 256);
  Vst::ProcessSetup bad{Vst::kRealtime, Vst::kSample64, 256, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_EQ(plugin->setupProcessing(bad), kResultFalse);
  processSilence(256);
  EXPECT_EQ(plugin->engine().sampleRate, 44100.0);
  EXPECT_EQ(plugin->GetSampleRate(), 44100.0);
}

TEST_F(VarnockObject, StoppingProcessingResetsTheStream) {
  setup(48000.0, 300);
  processSilence(300);
  EXPECT_EQ(plugin->engine().writePos, 300);
  ASSERT_EQ(plugin->setProcessing(false), kResultOk);
  EXPECT_EQ(plugin->engine().writePos, 0);
}

TEST_F(VarnockObject, ProcessingBeforeAnySetupRunsAtTheDefaultRate) {
  processSilence(64);
  EXPECT_EQ(plugin->engine().sampleRate, 48000.0);
  EXPECT_EQ(plugin->engine().fftSize, 1024);
}

// ---- Host blocks ----

TEST_F(VarnockObject, BlockLongerThanTheAnnouncedMaximumIsProcessedInPieces) {
  Varnock* reference = new Varnock();
  ASSERT_EQ(reference->initialize(nullptr), kResultOk);
  setup(48000.0, 64);
  setup(48000.0, 4096, reference);
  std::vector<double> l = testsignals::mix(testsignals::clickTrain(3000, 700, 0.9), testsignals::whiteNoise(3000, 5, 0.1));
  std::vector<double> r = testsignals::whiteNoise(3000, 6, 0.3);
  std::vector<double> l2 = l, r2 = r;
  process(*plugin, l, r);
  process(*reference, l2, r2);
  EXPECT_EQ(l, l2);
  EXPECT_EQ(r, r2);
  EXPECT_GT(testsignals::peak(l), 0.1);
  reference->terminate();
  reference->release();
}

TEST_F(VarnockObject, MissingInputBusReadsAsSilence) {
  setup(48000.0, 256);
  std::vector<double> l(256, 1.0), r(256, 1.0);
  double* channels[2] = {l.data(), r.data()};
  Vst::AudioBusBuffers out;
  out.numChannels = 2;
  out.channelBuffers64 = channels;
  Vst::ProcessData data;
  data.symbolicSampleSize = Vst::kSample64;
  data.numSamples = 256;
  data.numOutputs = 1;
  data.outputs = &out;
  ASSERT_EQ(plugin->process(data), kResultOk);
  EXPECT_EQ(testsignals::peak(l), 0.0);
  EXPECT_EQ(testsignals::peak(r), 0.0);
}

} // namespace
