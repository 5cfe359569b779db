// Varnock's editor opened the way a Linux host opens it: the bundle loaded
// through the host library, createView("editor") on its controller, the view
// embedded in a host window on a private Xvfb.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "host/editor_window.h"
#include "host/hosted_plugin.h"
#include "host/module.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/support/xvfb.h"

namespace {

using Steinberg::IPlugView;
using Steinberg::kResultTrue;
using Steinberg::ViewRect;
using testsupport::Xvfb;
using vst3host::EditorWindow;
using vst3host::HostedPlugin;

class EditorWindowBundle : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    server = Xvfb::Start(&serverError, &serverMissing);
    if (server) setenv("DISPLAY", server->DisplayName().c_str(), 1);
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (serverMissing) GTEST_SKIP() << serverError;
    ASSERT_TRUE(server) << serverError;
    std::string error;
    module = vst3host::loadModule(VARNOCK_BUNDLE_PATH, &error);
    ASSERT_TRUE(module) << error;
    const vst3host::ClassDescription* effect = module->factory().findClass("Audio Module Class");
    ASSERT_NE(effect, nullptr);
    plugin = HostedPlugin::create(module->factory(), effect->id, &error);
    ASSERT_TRUE(plugin) << error;
    window = EditorWindow::open(server->DisplayName().c_str(), &error);
    ASSERT_TRUE(window) << error;
  }

  void TearDown() override {
    window.reset();
    if (view) view->release();
    plugin.reset();
    module.reset();
  }

  void Open() {
    view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    std::string error;
    ASSERT_TRUE(window->attach(view, &error)) << error;
    window->runFor(300);
  }

  static std::unique_ptr<Xvfb> server;
  static std::string serverError;
  static bool serverMissing;

  std::unique_ptr<vst3host::Module> module;
  std::unique_ptr<HostedPlugin> plugin;
  std::unique_ptr<EditorWindow> window;
  IPlugView* view = nullptr;
};

std::unique_ptr<Xvfb> EditorWindowBundle::server;
std::string EditorWindowBundle::serverError;
bool EditorWindowBundle::serverMissing = false;

TEST_F(EditorWindowBundle, OnlyTheEditorViewTypeIsOffered) {
  IPlugView* other = plugin->controller()->createView("something else");
  EXPECT_EQ(other, nullptr);
  if (other) other->release();
}

TEST_F(EditorWindowBundle, EditorOpensAtItsDesignSizeAndDraws) {
  Open();
  int w = 0, h = 0;
  window->viewWindowSize(&w, &h);
  EXPECT_EQ(w, 760);
  EXPECT_EQ(h, 416);
  EXPECT_EQ(window->eventHandlerCount(), 1);
  EXPECT_EQ(window->timerCount(), 1);
  // Something other than the window's black background reached the screen.
  int drawn = 0;
  for (int y = 8; y < 416; y += 40)
    for (int x = 8; x < 760; x += 40) drawn += window->viewPixel(x, y) != 0;
  EXPECT_GT(drawn, 0);
}

// A host on a screen scaled to 200 % says so before it attaches the view; the
// editor opens at twice the pixels, and a later factor resizes it through the
// host's frame, so it keeps its size on screen.
TEST_F(EditorWindowBundle, ContentScaleFactorKeepsTheEditorsSizeOnScreen) {
  view = plugin->controller()->createView("editor");
  ASSERT_NE(view, nullptr);
  Steinberg::IPlugViewContentScaleSupport* scale = nullptr;
  ASSERT_EQ(view->queryInterface(Steinberg::IPlugViewContentScaleSupport_iid, reinterpret_cast<void**>(&scale)),
            Steinberg::kResultOk);
  EXPECT_EQ(scale->setContentScaleFactor(2.f), kResultTrue);
  std::string error;
  ASSERT_TRUE(window->attach(view, &error)) << error;
  window->runFor(300);
  int w = 0, h = 0;
  window->viewWindowSize(&w, &h);
  EXPECT_EQ(w, 1520);
  EXPECT_EQ(h, 832);
  // Fixed keeps the controls at their design size on that screen: the mode
  // selector's "CUT" button (design 216..272 x 12..36) is twice as big.
  EXPECT_EQ(window->viewPixel(2 * 244, 2 * 24), window->viewPixel(2 * 220, 2 * 14));
  EXPECT_EQ(scale->setContentScaleFactor(1.f), kResultTrue);
  window->runFor(100);
  ASSERT_GE(window->resizeViewCalls(), 1);
  EXPECT_EQ(window->lastResizeViewRequest().getWidth(), 760);
  EXPECT_EQ(window->lastResizeViewRequest().getHeight(), 416);
  scale->release();
}

TEST_F(EditorWindowBundle, HostResizeIsClampedToTheEditorLimits) {
  Open();
  int w = 0, h = 0;
  ASSERT_TRUE(window->resize(400, 2000, &w, &h));
  EXPECT_EQ(w, 560);
  EXPECT_EQ(h, 1664);
  window->runFor(100);
  int vw = 0, vh = 0;
  window->viewWindowSize(&vw, &vh);
  EXPECT_EQ(vw, 560);
  EXPECT_EQ(vh, 1664);
  EXPECT_EQ(view->canResize(), kResultTrue);
}

TEST_F(EditorWindowBundle, CornerHandleAsksTheHostToResize) {
  Open();
  window->movePointer(760 - 6, 416 - 6);
  window->pressButton(1);
  window->runFor(80);
  window->movePointer(760 + 94, 416 + 44);
  window->runFor(80);
  window->releaseButton(1);
  window->runFor(80);
  ASSERT_GE(window->resizeViewCalls(), 1);
  EXPECT_EQ(window->lastResizeViewRequest().getWidth(), 860);
  EXPECT_EQ(window->lastResizeViewRequest().getHeight(), 466);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), 860);
  EXPECT_EQ(size.getHeight(), 466);
}

TEST_F(EditorWindowBundle, ClosingAndReopeningTheEditorWorks) {
  Open();
  window->close();
  view->release();
  view = nullptr;
  EXPECT_EQ(window->eventHandlerCount(), 0);
  EXPECT_EQ(window->timerCount(), 0);
  Open();
  int w = 0, h = 0;
  window->viewWindowSize(&w, &h);
  EXPECT_EQ(w, 760);
}

} // namespace
