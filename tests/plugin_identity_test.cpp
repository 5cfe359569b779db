// What a host learns about the bundle before and around processing: the
// factory, the class and its ID bytes, the interfaces, busses, unit and the
// processing set-ups it accepts.
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "tests/support/bundle_plugin.h"

namespace {

using namespace Steinberg;
using bundletest::bundle;
using bundletest::makePlugin;

std::u16string text16(const char16* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); }

// ---- Factory and class ----

TEST(PluginFactory, FactoryInfoNamesTheMaker) {
  const vst3host::FactoryDescription info = bundle().factory().info();
  EXPECT_EQ(info.vendor, "Pellwick");
  EXPECT_EQ(info.url, "https://pellwick.audio");
  EXPECT_EQ(info.email, "support@pellwick.audio");
  EXPECT_EQ(info.flags, 16);
}

TEST(PluginFactory, OffersOneAudioModuleClass) {
  const auto& classes = bundle().factory().classes();
  ASSERT_EQ(classes.size(), 1u);
  const vst3host::ClassDescription& c = classes[0];
  EXPECT_EQ(c.category, "Audio Module Class");
  EXPECT_EQ(c.name, "Varnock");
  EXPECT_EQ(c.cardinality, 0x7FFFFFFF);
  ASSERT_TRUE(c.hasInfo2);
  EXPECT_EQ(c.classFlags, 2u);
  EXPECT_EQ(c.subCategories, "Fx|Dynamics");
  EXPECT_EQ(c.vendor, "");
  EXPECT_EQ(c.version, "1.9.0");
  EXPECT_EQ(c.sdkVersion, "VST 3.8.1");
}

TEST(PluginFactory, ClassIdBytesFollowThePlatformUidLayout) {
  // Words 0xF2AEE70D, 0x00DE4F4E, 'Plwk', 'Vrnk'.
#if COM_COMPATIBLE
  // First word little-endian, second as two little-endian halves, then big-endian.
  const unsigned char expected[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                      'P',  'l',  'w',  'k',  'V',  'r',  'n',  'k'};
#else
  // Four big-endian words.
  const unsigned char expected[16] = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                      'P',  'l',  'w',  'k',  'V',  'r',  'n',  'k'};
#endif
  const vst3host::ClassId& id = bundle().factory().classes().at(0).id;
  EXPECT_EQ(std::memcmp(id.data(), expected, 16), 0) << vst3host::classIdToString(id);
  const FUID fuid = FUID::fromTUID(reinterpret_cast<const char*>(id.data()));
  EXPECT_EQ(fuid.getLong1(), 0xF2AEE70Du);
  EXPECT_EQ(fuid.getLong2(), 0x00DE4F4Eu);
  EXPECT_EQ(fuid.getLong3(), 0x506C776Bu);   // 'Plwk'
  EXPECT_EQ(fuid.getLong4(), 0x56726E6Bu);   // 'Vrnk'
}

TEST(PluginFactory, UnicodeClassInfoCarriesTheSameTexts) {
  void* obj = nullptr;
  ASSERT_EQ(bundle().factory().raw()->queryInterface(IPluginFactory3::iid, &obj), kResultOk);
  auto* factory3 = static_cast<IPluginFactory3*>(obj);
  PClassInfoW info;
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &info), kResultOk);
  EXPECT_EQ(text16(info.name), u"Varnock");
  EXPECT_EQ(text16(info.vendor), u"");
  EXPECT_EQ(text16(info.version), u"1.9.0");
  EXPECT_EQ(text16(info.sdkVersion), u"VST 3.8.1");
  EXPECT_STREQ(info.subCategories, "Fx|Dynamics");
  EXPECT_EQ(info.classFlags, 2u);
  EXPECT_EQ(factory3->getClassInfoUnicode(1, &info), kInvalidArgument);
  factory3->release();
}

TEST(PluginFactory, RefusesUnknownClassId) {
  TUID other = {};
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_NE(bundle().factory().raw()->createInstance(other, Vst::IComponent::iid, &obj), kResultOk);
  EXPECT_EQ(obj, nullptr);
}

TEST(PluginFactory, ConcurrentCreationGivesWorkingInstances) {
  const vst3host::ClassId id = bundle().factory().classes().at(0).id;
  IPluginFactory* factory = bundle().factory().raw();
  constexpr int kThreads = 8, kPerThread = 3;
  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) {
        void* obj = nullptr;
        if (factory->createInstance(id.data(), Vst::IComponent::iid, &obj) != kResultOk || !obj) continue;
        auto* component = static_cast<Vst::IComponent*>(obj);
        void* ctrl = nullptr;
        if (component->queryInterface(Vst::IEditController::iid, &ctrl) == kResultOk) {
          auto* controller = static_cast<Vst::IEditController*>(ctrl);
          if (component->initialize(nullptr) == kResultOk && controller->getParameterCount() == 19) ++good;
          component->terminate();
          controller->release();
        }
        component->release();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(good.load(), kThreads * kPerThread);
}

// ---- Interfaces ----

TEST(PluginInterfaces, OneObjectOffersEveryInterface) {
  auto plugin = makePlugin();
  ASSERT_TRUE(plugin);
  EXPECT_FALSE(plugin->hasSeparateController());
  const FUID* iids[] = {&Vst::IComponent::iid,        &Vst::IAudioProcessor::iid,
                        &Vst::IEditController::iid,   &Vst::IEditController2::iid,
                        &Vst::IUnitInfo::iid,         &Vst::IConnectionPoint::iid,
                        &Vst::IMidiMapping::iid,      &Vst::ChannelContext::IInfoListener::iid,
                        &Vst::IProcessContextRequirements::iid, &IPluginBase::iid,
                        &FUnknown::iid};
  for (const FUID* iid : iids) {
    void* obj = nullptr;
    EXPECT_EQ(plugin->component()->queryInterface(*iid, &obj), kResultOk);
    ASSERT_NE(obj, nullptr);
    static_cast<FUnknown*>(obj)->release();
  }
}

TEST(PluginInterfaces, ControllerClassAndRoutingAreNotImplemented) {
  auto plugin = makePlugin();
  TUID cid = {};
  EXPECT_EQ(plugin->component()->getControllerClassId(cid), kNotImplemented);
  Vst::RoutingInfo in{}, out{};
  EXPECT_EQ(plugin->component()->getRoutingInfo(in, out), kNotImplemented);
}

TEST(PluginInterfaces, NoMidiControllerIsMapped) {
  auto plugin = makePlugin();
  void* obj = nullptr;
  ASSERT_EQ(plugin->component()->queryInterface(Vst::IMidiMapping::iid, &obj), kResultOk);
  auto* mapping = static_cast<Vst::IMidiMapping*>(obj);
  Vst::ParamID id = 0;
  EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, Vst::kCtrlModWheel, id), kResultFalse);
  mapping->release();
}

// ---- Editor view ----

TEST(PluginEditor, OfferedForTheViewTypeEditorOnly) {
  auto plugin = makePlugin();
  EXPECT_EQ(plugin->controller()->createView("preview"), nullptr);
  IPlugView* view = plugin->controller()->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultOk);
  EXPECT_EQ(size.getWidth(), 760);
  EXPECT_EQ(size.getHeight(), 416);
  EXPECT_EQ(view->canResize(), kResultTrue);
  ViewRect proposed(0, 0, 400, 2000);
  ASSERT_EQ(view->checkSizeConstraint(&proposed), kResultTrue);
  EXPECT_EQ(proposed.getWidth(), 560);
  EXPECT_EQ(proposed.getHeight(), 1664);
  view->release();
}

// ---- Busses, unit, sample sizes ----

TEST(PluginBusses, OneStereoMainInputAndOutput) {
  auto plugin = makePlugin();
  Vst::IComponent* c = plugin->component();
  EXPECT_EQ(c->getBusCount(Vst::kAudio, Vst::kInput), 1);
  EXPECT_EQ(c->getBusCount(Vst::kAudio, Vst::kOutput), 1);
  EXPECT_EQ(c->getBusCount(Vst::kEvent, Vst::kInput), 0);
  EXPECT_EQ(c->getBusCount(Vst::kEvent, Vst::kOutput), 0);
  const struct { Vst::BusDirection dir; const char16_t* name; } busses[] = {{Vst::kInput, u"Input"},
                                                                            {Vst::kOutput, u"Output"}};
  for (const auto& b : busses) {
    Vst::BusInfo info{};
    ASSERT_EQ(c->getBusInfo(Vst::kAudio, b.dir, 0, info), kResultOk);
    EXPECT_EQ(text16(info.name), b.name);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, Vst::kMain);
    EXPECT_EQ(info.mediaType, Vst::kAudio);
    EXPECT_EQ(info.direction, b.dir);
    EXPECT_EQ(info.flags, static_cast<uint32>(Vst::BusInfo::kDefaultActive));
  }
  Vst::BusInfo info{};
  EXPECT_NE(c->getBusInfo(Vst::kAudio, Vst::kInput, 1, info), kResultOk);
}

TEST(PluginBusses, AcceptsStereoAndRefusesOtherLayouts) {
  auto plugin = makePlugin();
  Vst::SpeakerArrangement stereo = Vst::SpeakerArr::kStereo, mono = Vst::SpeakerArr::kMono;
  Vst::SpeakerArrangement in = stereo, out = stereo;
  EXPECT_EQ(plugin->processor()->setBusArrangements(&in, 1, &out, 1), kResultTrue);
  in = mono;
  out = mono;
  EXPECT_EQ(plugin->processor()->setBusArrangements(&in, 1, &out, 1), kResultFalse);
  Vst::SpeakerArrangement arr = 0;
  ASSERT_EQ(plugin->processor()->getBusArrangement(Vst::kOutput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, stereo);
}

TEST(PluginUnits, SingleRootUnitWithoutProgramList) {
  auto plugin = makePlugin();
  void* obj = nullptr;
  ASSERT_EQ(plugin->component()->queryInterface(Vst::IUnitInfo::iid, &obj), kResultOk);
  auto* units = static_cast<Vst::IUnitInfo*>(obj);
  ASSERT_EQ(units->getUnitCount(), 1);
  Vst::UnitInfo info{};
  ASSERT_EQ(units->getUnitInfo(0, info), kResultTrue);
  EXPECT_EQ(info.id, Vst::kRootUnitId);
  EXPECT_EQ(info.parentUnitId, Vst::kNoParentUnitId);
  EXPECT_EQ(info.programListId, Vst::kNoProgramListId);
  EXPECT_EQ(text16(info.name), u"Root");
  EXPECT_EQ(units->getProgramListCount(), 0);
  units->release();
}

TEST(PluginProcessing, Accepts32And64BitSamplesOnly) {
  auto plugin = makePlugin();
  EXPECT_EQ(plugin->processor()->canProcessSampleSize(Vst::kSample32), kResultTrue);
  EXPECT_EQ(plugin->processor()->canProcessSampleSize(Vst::kSample64), kResultTrue);
  EXPECT_EQ(plugin->processor()->canProcessSampleSize(2), kResultFalse);
  Vst::ProcessSetup setup{Vst::kRealtime, 2, 512, 48000.0};
  EXPECT_EQ(plugin->processor()->setupProcessing(setup), kResultFalse);
}

TEST(PluginProcessing, RefusesSampleRatesThatAreNotFiniteAndPositive) {
  auto plugin = makePlugin();
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 0.0,
                        -48000.0};
  for (double rate : bad) {
    Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample64, 512, rate};
    EXPECT_EQ(plugin->processor()->setupProcessing(setup), kResultFalse) << rate;
  }
  Vst::ProcessSetup zeroBlock{Vst::kRealtime, Vst::kSample64, 0, 48000.0};
  EXPECT_EQ(plugin->processor()->setupProcessing(zeroBlock), kResultFalse);
}

TEST(PluginProcessing, RefusedSetupLeavesThePreviousOneWorking) {
  auto plugin = makePlugin();
  ASSERT_TRUE(bundletest::start(*plugin, 44100.0, 256));
  ASSERT_TRUE(plugin->setProcessing(false) && plugin->setActive(false));
  Vst::ProcessSetup bad{Vst::kRealtime, Vst::kSample64, 256, std::numeric_limits<double>::quiet_NaN()};
  EXPECT_EQ(plugin->processor()->setupProcessing(bad), kResultFalse);
  ASSERT_TRUE(plugin->setActive(true) && plugin->setProcessing(true));
  const bundletest::Stereo out =
      bundletest::run(*plugin, bundletest::both(std::vector<double>(4096, 0.25)), 256);
  for (double v : out.left) ASSERT_TRUE(std::isfinite(v));
  EXPECT_GT(std::fabs(out.left.back()), 0.01);
}

TEST(PluginProcessing, TailIsZero) {
  auto plugin = makePlugin();
  EXPECT_EQ(plugin->tailSamples(), 0u);
}

} // namespace
