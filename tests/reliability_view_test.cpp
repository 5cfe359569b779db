// The editor view as careless hosts treat it. Without a display: null
// arguments, attaching without a parent, a run loop or the right window type,
// removing before attaching, absurd sizes and scale factors. On a private X
// server: an editor opened with absurd scale factors, and opened and closed
// over and over while the audio thread processes with automation. Every call
// answers; sizes always land inside the editor's limits (560 .. 3040 x
// 320 .. 1664); the audio stays finite.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>

#include <gtest/gtest.h>

#include "host/editor_window.h"
#include "host/parameter_changes.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"
#include "tests/support/xvfb.h"

namespace {

using namespace Steinberg;

constexpr int kMinWidth = 560, kMaxWidth = 3040, kMinHeight = 320, kMaxHeight = 1664;

void expectWithinLimits(const ViewRect& rect, const char* what) {
  EXPECT_GE(rect.getWidth(), kMinWidth) << what;
  EXPECT_LE(rect.getWidth(), kMaxWidth) << what;
  EXPECT_GE(rect.getHeight(), kMinHeight) << what;
  EXPECT_LE(rect.getHeight(), kMaxHeight) << what;
}

// The view's content-scale interface, with one reference; null when it has none.
IPlugViewContentScaleSupport* scaleSupport(IPlugView* view) {
  void* support = nullptr;
  if (view->queryInterface(IPlugViewContentScaleSupport_iid, &support) != kResultOk) return nullptr;
  return static_cast<IPlugViewContentScaleSupport*>(support);
}

TEST(HostileView, NullAndMisplacedCallsAreAnswered) {
  auto plugin = bundletest::makePlugin();
  IPlugView* view = plugin->controller()->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->removed(), kResultOk);   // removed before ever being attached
  EXPECT_NE(view->isPlatformTypeSupported(nullptr), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
  EXPECT_NE(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultTrue);
  int fakeParent = 0;
  EXPECT_NE(view->attached(&fakeParent, nullptr), kResultTrue);
  EXPECT_NE(view->attached(&fakeParent, kPlatformTypeHWND), kResultTrue);
  // No frame with a run loop: the view cannot live and says so before touching the window.
  EXPECT_EQ(view->setFrame(nullptr), kResultTrue);
  EXPECT_NE(view->attached(&fakeParent, kPlatformTypeX11EmbedWindowID), kResultTrue);
  EXPECT_NE(view->getSize(nullptr), kResultTrue);
  EXPECT_NE(view->onSize(nullptr), kResultTrue);
  EXPECT_NE(view->checkSizeConstraint(nullptr), kResultTrue);
  view->onKeyDown(0x1B, 0, 0);
  view->onKeyUp(0, 0, 0);
  view->onWheel(std::numeric_limits<float>::quiet_NaN());
  view->onFocus(true);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(view->release(), 0u);
}

TEST(HostileView, AbsurdSizesLandInsideTheLimits) {
  auto plugin = bundletest::makePlugin();
  IPlugView* view = plugin->controller()->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  const int32 big = std::numeric_limits<int32>::max() / 2, small = std::numeric_limits<int32>::min() / 2;
  const ViewRect proposals[] = {{0, 0, 0, 0},         {0, 0, -100, -100}, {100, 100, 0, 0},   {0, 0, big, big},
                                {small, small, big, big}, {0, 0, 1, 100000}, {0, 0, 400, 2000}, {5, 7, 765, 423}};
  for (ViewRect proposal : proposals) {
    ViewRect checked = proposal;
    ASSERT_EQ(view->checkSizeConstraint(&checked), kResultTrue);
    expectWithinLimits(checked, "checkSizeConstraint");
    ViewRect sized = proposal;
    ASSERT_EQ(view->onSize(&sized), kResultTrue);
    ViewRect now{};
    ASSERT_EQ(view->getSize(&now), kResultTrue);
    expectWithinLimits(now, "size after onSize");
  }
  IPlugViewContentScaleSupport* scale = scaleSupport(view);
  ASSERT_NE(scale, nullptr);
  for (float factor : {0.f, -1.f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       1e-30f, 2.f})
    scale->setContentScaleFactor(factor);
  ViewRect now{};
  ASSERT_EQ(view->getSize(&now), kResultTrue);
  expectWithinLimits(now, "size after scale factors");
  scale->release();
  view->release();
}

class HostileViewOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = testsupport::Xvfb::Start(&serverError, &serverMissing);
    if (server) setenv("DISPLAY", server->DisplayName().c_str(), 1);
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (serverMissing) GTEST_SKIP() << serverError;
    ASSERT_TRUE(server) << serverError;
    plugin = bundletest::makePlugin();
    ASSERT_TRUE(plugin);
  }

  // Opens a new editor view in a new host window; null on failure.
  std::unique_ptr<vst3host::EditorWindow> open(IPlugView** view, float scale = 1.f) {
    std::string error;
    auto window = vst3host::EditorWindow::open(server->DisplayName().c_str(), &error);
    EXPECT_TRUE(window) << error;
    if (!window) return nullptr;
    *view = plugin->controller()->createView(Vst::ViewType::kEditor);
    EXPECT_NE(*view, nullptr);
    if (!*view) return nullptr;
    if (IPlugViewContentScaleSupport* support = scaleSupport(*view)) {
      support->setContentScaleFactor(scale);
      support->release();
    }
    EXPECT_TRUE(window->attach(*view, &error)) << error;
    return window;
  }

  static std::unique_ptr<testsupport::Xvfb> server;
  static std::string serverError;
  static bool serverMissing;
  std::unique_ptr<vst3host::HostedPlugin> plugin;
};

std::unique_ptr<testsupport::Xvfb> HostileViewOnScreen::server;
std::string HostileViewOnScreen::serverError;
bool HostileViewOnScreen::serverMissing = false;

TEST_F(HostileViewOnScreen, AbsurdScaleFactorsStillOpenWithinTheLimits) {
  for (float scale : {std::numeric_limits<float>::infinity(), 1e30f, 1e-30f, 64.f, 0.01f}) {
    IPlugView* view = nullptr;
    auto window = open(&view, scale);
    ASSERT_TRUE(window && view) << "scale " << scale;
    window->runFor(100);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    expectWithinLimits(size, "open at an absurd scale");
    window->close();
    view->release();
  }
}

TEST_F(HostileViewOnScreen, OpenedAndClosedRepeatedlyWhileProcessing) {
  ASSERT_TRUE(bundletest::start(*plugin, 48000.0, 512));
  std::atomic<bool> done{false};
  std::atomic<int> nonFinite{0}, blocks{0};
  std::thread audio([&] {
    reliability::RawAudio raw(512);
    vst3host::ParameterChanges changes;
    const std::vector<double> noise = testsignals::whiteNoise(512, 17, 0.7);
    std::copy(noise.begin(), noise.end(), raw.input(0));
    std::copy(noise.begin(), noise.end(), raw.input(1));
    for (int block = 0; !done; ++block) {
      changes.clear();
      changes.add(static_cast<Vst::ParamID>(block % 17), 0, (block % 11) / 10.0);
      if (block % 25 == 0) changes.add(13, 0, (block / 25 % 3) / 2.0);
      raw.process(plugin->processor(), 512, true, &changes);
      nonFinite += raw.nonFiniteOutputs(512);
      ++blocks;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  for (int cycle = 0; cycle < 6; ++cycle) {
    IPlugView* view = nullptr;
    auto window = open(&view);
    if (!window || !view) break;
    window->runFor(40 + 10 * (cycle % 3));
    if (cycle % 2 == 0) window->resize(560 + 200 * cycle, 320 + 100 * cycle);
    window->runFor(20);
    window->close();
    view->release();
  }
  done = true;
  audio.join();
  EXPECT_EQ(nonFinite.load(), 0);
  EXPECT_GT(blocks.load(), 0);
}

}  // namespace
