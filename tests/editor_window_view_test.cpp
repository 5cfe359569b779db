// The X11 editor view in a host window on a private Xvfb: frames on the run
// loop's timer, real X input reaching the controls, host and corner resizes
// within the delegate's limits, and a clean close.
#include <X11/keysym.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/graphics/offscreen_editor.h"
#include "framework/vst3/plug_view.h"
#include "host/editor_window.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tests/support/test_delegate.h"
#include "tests/support/xvfb.h"

namespace {

using iplug::igraphics::EUIResizerMode;
using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::IPopupMenu;
using iplug::igraphics::IRECT;
using Steinberg::IPlugView;
using Steinberg::kResultTrue;
using Steinberg::ViewRect;
using testsupport::MouseEvent;
using testsupport::RecordingControl;
using testsupport::TestDelegate;
using testsupport::Xvfb;
using vst3host::EditorWindow;

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

// One Xvfb for the whole suite; each test has its own host window, delegate
// and view. The view shows one full-size control filled with 0x336699 that
// asks for a frame every time, plus the corner handle.
class EditorWindowView : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    server = Xvfb::Start(&serverError, &serverMissing);
    if (server) setenv("DISPLAY", server->DisplayName().c_str(), 1);
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (serverMissing) GTEST_SKIP() << serverError;
    ASSERT_TRUE(server) << serverError;
    delegate.onLayout = [this](IGraphics& g, bool first) {
      graphics = &g;
      if (first) {
        control = static_cast<RecordingControl*>(g.AttachControl(new RecordingControl(
            IRECT(0, 0, g.Width(), g.Height()),
            [](IGraphics& gr, RecordingControl& c) { gr.FillRect(IColor(255, 0x33, 0x66, 0x99), c.GetRECT()); })));
        control->alwaysDirty = true;
        g.AttachCornerResizer(EUIResizerMode::Size, true, IColor(255, 0, 0, 0), IColor(255, 0, 0, 0), IColor(255, 0, 0, 0));
      } else {
        control->SetTargetAndDrawRECTs(IRECT(0, 0, g.Width(), g.Height()));
      }
    };
    std::string error;
    window = EditorWindow::open(server->DisplayName().c_str(), &error);
    ASSERT_TRUE(window) << error;
  }

  void TearDown() override {
    window.reset();
    if (view) view->release();
  }

  void Attach() {
    view = iplug::vst3::MakePlugView(delegate, nullptr);
    ASSERT_NE(view, nullptr);
    std::string error;
    ASSERT_TRUE(window->attach(view, &error)) << error;
    window->runFor(100);                       // first frames
  }
  // Lets the view read and handle what the X server sent it.
  void Settle() { window->runFor(80); }

  static std::unique_ptr<Xvfb> server;
  static std::string serverError;
  static bool serverMissing;

  TestDelegate delegate;
  std::unique_ptr<EditorWindow> window;
  IPlugView* view = nullptr;
  IGraphics* graphics = nullptr;
  RecordingControl* control = nullptr;
};

std::unique_ptr<Xvfb> EditorWindowView::server;
std::string EditorWindowView::serverError;
bool EditorWindowView::serverMissing = false;

TEST_F(EditorWindowView, AttachOpensAChildWindowOfTheEditorSizeAndRegistersWithTheRunLoop) {
  Attach();
  int w = 0, h = 0;
  window->viewWindowSize(&w, &h);
  EXPECT_EQ(w, TestDelegate::kWidth);
  EXPECT_EQ(h, TestDelegate::kHeight);
  EXPECT_EQ(window->eventHandlerCount(), 1) << "the X connection";
  EXPECT_EQ(window->timerCount(), 1) << "the frame timer";
  EXPECT_EQ(delegate.layoutCalls, 1);
}

TEST_F(EditorWindowView, ContentScaleFactorReachesTheGraphics) {
  Attach();
  Steinberg::IPlugViewContentScaleSupport* scale = nullptr;
  ASSERT_EQ(view->queryInterface(Steinberg::IPlugViewContentScaleSupport_iid, reinterpret_cast<void**>(&scale)),
            Steinberg::kResultOk);
  EXPECT_EQ(scale->setContentScaleFactor(1.5f), kResultTrue);
  scale->release();
  EXPECT_FLOAT_EQ(graphics->GetScreenScale(), 1.5f);
}

TEST_F(EditorWindowView, FramesFollowTheTimerAndReachTheScreen) {
  Attach();
  const int before = control->drawCount;
  window->runFor(1000);
  const int frames = control->drawCount - before;
  EXPECT_GE(frames, 10) << "about 30 per second";
  EXPECT_LE(frames, 32) << "no more than the 33 ms timer allows";
  EXPECT_EQ(window->viewPixel(10, 10), 0x336699u);
}

TEST_F(EditorWindowView, ClickReachesTheControlWithTheLeftButton) {
  Attach();
  window->click(50, 60);
  Settle();
  const MouseEvent* down = control->Last(MouseEvent::Down);
  ASSERT_NE(down, nullptr);
  EXPECT_FLOAT_EQ(down->x, 50.f);
  EXPECT_FLOAT_EQ(down->y, 60.f);
  EXPECT_TRUE(down->mod.L);
  EXPECT_EQ(control->Count(MouseEvent::Up), 1);
}

TEST_F(EditorWindowView, DragOutsideTheWindowStaysWithTheControl) {
  Attach();
  window->movePointer(50, 50);
  window->pressButton(1);
  Settle();
  window->movePointer(700, 500);               // far outside the 400 x 300 view
  Settle();
  window->releaseButton(1);
  Settle();
  const MouseEvent* drag = control->Last(MouseEvent::Drag);
  ASSERT_NE(drag, nullptr);
  EXPECT_FLOAT_EQ(drag->x, 700.f);
  EXPECT_FLOAT_EQ(drag->y, 500.f);
  EXPECT_TRUE(drag->mod.L);
  ASSERT_EQ(control->Count(MouseEvent::Up), 1);
  EXPECT_FLOAT_EQ(control->Last(MouseEvent::Up)->x, 700.f);
}

TEST_F(EditorWindowView, WheelButtonsBecomeWheelNotches) {
  Attach();
  window->movePointer(100, 100);
  window->pressButton(4);
  window->releaseButton(4);
  window->pressButton(5);
  window->releaseButton(5);
  Settle();
  ASSERT_EQ(control->Count(MouseEvent::Wheel), 2);
  EXPECT_FLOAT_EQ(control->events[control->events.size() - 1].notches, -1.f);
  EXPECT_EQ(control->Count(MouseEvent::Down), 0) << "wheel buttons are not presses";
  int up = 0;
  for (const MouseEvent& e : control->events) up += e.kind == MouseEvent::Wheel && e.notches == 1.f;
  EXPECT_EQ(up, 1);
}

TEST_F(EditorWindowView, QuickSecondPressOnTheSameSpotIsADoubleClick) {
  Attach();
  window->click(80, 80);
  window->click(80, 80);
  window->click(80, 80);
  Settle();
  EXPECT_EQ(control->Count(MouseEvent::DblClick), 1);
  EXPECT_EQ(control->Count(MouseEvent::Down), 2) << "the third press starts over";
  EXPECT_EQ(control->Count(MouseEvent::Up), 3);
}

TEST_F(EditorWindowView, PressesFarApartAreNotADoubleClick) {
  Attach();
  window->click(80, 80);
  window->click(200, 200);
  Settle();
  EXPECT_EQ(control->Count(MouseEvent::DblClick), 0);
  EXPECT_EQ(control->Count(MouseEvent::Down), 2);
}

TEST_F(EditorWindowView, ModifierKeysComeFromTheEventState) {
  Attach();
  window->key(XK_Shift_L, true);
  window->click(60, 60);
  window->key(XK_Shift_L, false);
  window->key(XK_Control_L, true);
  window->click(60, 60);
  window->key(XK_Control_L, false);
  Settle();
  ASSERT_GE(control->events.size(), 2u);
  const MouseEvent* first = nullptr;
  for (const MouseEvent& e : control->events)
    if (e.kind == MouseEvent::Down) {
      first = &e;
      break;
    }
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->mod.S);
  EXPECT_FALSE(first->mod.C);
  const MouseEvent* second = control->Last(MouseEvent::DblClick);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->mod.C);
  EXPECT_FALSE(second->mod.S);
}

TEST_F(EditorWindowView, PointerLeavingTheWindowIsAMouseOut) {
  Attach();
  window->movePointer(100, 100);
  Settle();
  EXPECT_GE(control->Count(MouseEvent::Over), 1);
  window->movePointer(900, 900);
  Settle();
  EXPECT_EQ(control->Count(MouseEvent::Out), 1);
}

TEST_F(EditorWindowView, HostResizeIsClampedToTheLimitsAndRunsTheLayoutHook) {
  Attach();
  int w = 0, h = 0;
  ASSERT_TRUE(window->resize(400, 2000, &w, &h));
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, TestDelegate::kMaxHeight) << "checkSizeConstraint clamps the height";
  Settle();
  int vw = 0, vh = 0;
  window->viewWindowSize(&vw, &vh);
  EXPECT_EQ(vw, 400);
  EXPECT_EQ(vh, TestDelegate::kMaxHeight);
  EXPECT_EQ(delegate.lastLayoutHeight, TestDelegate::kMaxHeight);
  EXPECT_EQ(delegate.GetEditorHeight(), TestDelegate::kMaxHeight);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getHeight(), TestDelegate::kMaxHeight);
}

TEST_F(EditorWindowView, CornerHandleResizeGoesThroughTheHost) {
  Attach();
  window->movePointer(TestDelegate::kWidth - 8, TestDelegate::kHeight - 8);
  window->pressButton(1);
  Settle();
  window->movePointer(TestDelegate::kWidth + 92, TestDelegate::kHeight + 42);
  Settle();
  window->releaseButton(1);
  Settle();
  ASSERT_GE(window->resizeViewCalls(), 1);
  const ViewRect last = window->lastResizeViewRequest();
  EXPECT_EQ(last.getWidth(), 500);
  EXPECT_EQ(last.getHeight(), 350);
  int pw = 0, ph = 0, vw = 0, vh = 0;
  window->parentSize(&pw, &ph);
  window->viewWindowSize(&vw, &vh);
  EXPECT_EQ(pw, 500);
  EXPECT_EQ(ph, 350);
  EXPECT_EQ(vw, 500);
  EXPECT_EQ(vh, 350);
  EXPECT_EQ(delegate.GetEditorWidth(), 500);
}

TEST_F(EditorWindowView, RefusedResizeLeavesTheEditorAtTheWindowSize) {
  Attach();
  window->setRefuseResizeView(true);
  window->movePointer(TestDelegate::kWidth - 8, TestDelegate::kHeight - 8);
  window->pressButton(1);
  Settle();
  window->movePointer(TestDelegate::kWidth + 92, TestDelegate::kHeight + 42);
  Settle();
  window->releaseButton(1);
  Settle();
  EXPECT_GE(window->resizeViewCalls(), 1);
  ViewRect size;
  view->getSize(&size);
  EXPECT_EQ(size.getWidth(), TestDelegate::kWidth);
  EXPECT_EQ(size.getHeight(), TestDelegate::kHeight);
  EXPECT_EQ(graphics->Width(), TestDelegate::kWidth);
}

TEST_F(EditorWindowView, ReopenedViewComesBackAtTheLastSize) {
  Attach();
  ASSERT_TRUE(window->resize(500, 350));
  window->close();
  view->release();
  view = nullptr;
  Attach();
  int w = 0, h = 0;
  window->viewWindowSize(&w, &h);
  EXPECT_EQ(w, 500);
  EXPECT_EQ(h, 350);
}

TEST_F(EditorWindowView, CloseUnregistersEverythingAndDestroysTheWindow) {
  Attach();
  window->close();
  EXPECT_EQ(window->eventHandlerCount(), 0);
  EXPECT_EQ(window->timerCount(), 0);
  window->runFor(50);
  EXPECT_EQ(window->viewWindow(), 0u) << "the child window is gone";
}

TEST_F(EditorWindowView, TheSameViewCanBeAttachedAgainAfterRemoved) {
  Attach();
  ASSERT_EQ(view->removed(), Steinberg::kResultOk);
  EXPECT_EQ(window->eventHandlerCount(), 0);
  EXPECT_EQ(window->timerCount(), 0);
  control = nullptr;
  ASSERT_EQ(view->attached(reinterpret_cast<void*>(window->parentWindow()), "X11EmbedWindowID"), kResultTrue);
  EXPECT_EQ(window->eventHandlerCount(), 1);
  EXPECT_EQ(window->timerCount(), 1);
  window->runFor(200);
  ASSERT_NE(control, nullptr) << "a new graphics context was laid out";
  EXPECT_GT(control->drawCount, 0);
}

TEST_F(EditorWindowView, OpeningAndClosingTwentyTimesLeaksNoDescriptors) {
  auto cycle = [&] {
    IPlugView* v = iplug::vst3::MakePlugView(delegate, nullptr);
    std::string error;
    ASSERT_TRUE(window->attach(v, &error)) << error;
    window->runFor(40);
    window->close();
    v->release();
  };
  cycle();                                     // the GL driver's one-time set-up
  const int before = OpenDescriptors();
  for (int i = 0; i < 20; ++i) cycle();
  EXPECT_EQ(OpenDescriptors(), before) << "each view's X connection is closed";
}

TEST_F(EditorWindowView, EscapeFromTheHostClosesAnOpenMenu) {
  Attach();
  IPopupMenu menu;
  menu.AddItem("One");
  graphics->CreatePopupMenu(*control, menu, IRECT(10, 10, 60, 30));
  EXPECT_EQ(view->onKeyDown(0, 6 /* KEY_ESCAPE */, 0), kResultTrue);
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].second, -1);
  EXPECT_NE(view->onKeyDown(0, 6, 0), kResultTrue) << "no menu: the host keeps the key";
}

TEST_F(EditorWindowView, MenuEntryChosenWithRealClicks) {
  Attach();
  IPopupMenu menu;
  menu.AddItem("One");
  menu.AddItem("Two");
  graphics->CreatePopupMenu(*control, menu, IRECT(10, 10, 110, 30));
  window->runFor(50);
  window->click(40, 30 + 4 + 20 + 10);         // below the anchor: padding, row 0, middle of row 1
  Settle();
  ASSERT_EQ(control->selections.size(), 1u);
  EXPECT_EQ(control->selections[0].first, &menu);
  EXPECT_EQ(control->selections[0].second, 1);
}

TEST(PlugView, AnswersTheHostsQuestionsBeforeAttaching) {
  TestDelegate delegate;
  IPlugView* view = iplug::vst3::MakePlugView(delegate, nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported("HWND"), kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(nullptr), kResultTrue);
  EXPECT_EQ(view->canResize(), kResultTrue);
  ViewRect size;
  ASSERT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), TestDelegate::kWidth);
  EXPECT_EQ(size.getHeight(), TestDelegate::kHeight);
  ViewRect proposed(10, 20, 10 + 400, 20 + 2000);
  ASSERT_EQ(view->checkSizeConstraint(&proposed), kResultTrue);
  EXPECT_EQ(proposed.left, 10);
  EXPECT_EQ(proposed.getWidth(), 400);
  EXPECT_EQ(proposed.getHeight(), TestDelegate::kMaxHeight);
  ViewRect tiny(0, 0, 10, 10);
  view->checkSizeConstraint(&tiny);
  EXPECT_EQ(tiny.getWidth(), TestDelegate::kMinWidth) << "width first, then height";
  EXPECT_EQ(tiny.getHeight(), TestDelegate::kMinHeight);
  EXPECT_NE(view->attached(reinterpret_cast<void*>(1), "X11EmbedWindowID"), kResultTrue) << "no frame, no run loop";
  Steinberg::IPlugViewContentScaleSupport* scale = nullptr;
  ASSERT_EQ(view->queryInterface(Steinberg::IPlugViewContentScaleSupport_iid, reinterpret_cast<void**>(&scale)),
            Steinberg::kResultOk);
  EXPECT_EQ(scale->setContentScaleFactor(2.f), kResultTrue);
  scale->release();
  EXPECT_EQ(view->release(), 0u);
}

TEST(PlugView, NoViewWithoutAGraphicsHook) {
  TestDelegate delegate;
  delegate.mMakeGraphicsFunc = nullptr;
  EXPECT_EQ(iplug::vst3::MakePlugView(delegate, nullptr), nullptr);
}

TEST(PlugView, HostSizeBeforeAttachingIsKeptForTheEditor) {
  TestDelegate delegate;
  IPlugView* view = iplug::vst3::MakePlugView(delegate, nullptr);
  ViewRect rect(0, 0, 5000, 500);
  EXPECT_EQ(view->onSize(&rect), kResultTrue);
  EXPECT_EQ(delegate.GetEditorWidth(), TestDelegate::kMaxWidth);
  EXPECT_EQ(delegate.GetEditorHeight(), 500);
  view->release();
}

} // namespace
