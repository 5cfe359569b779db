// The editor view's window on Linux: an X11GLWindow inside the host's
// "X11EmbedWindowID" window, driven by the host's run loop (Linux::IRunLoop,
// found on the view's IPlugFrame): the X connection's descriptor for input
// and exposure, and a timer at the graphics' frame rate.
#include <atomic>
#include <string>

#include "framework/platform/linux/x11_gl_window.h"
#include "framework/vst3/abi_guard.h"
#include "framework/vst3/view_window.h"
#include "pluginterfaces/gui/iplugview.h"

namespace iplug::vst3 {
namespace {

using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::TUID;
using Steinberg::uint32;
namespace Linux = Steinberg::Linux;

bool IidIs(const TUID iid, const TUID other) { return Steinberg::FUnknownPrivate::iidEqual(iid, other); }

// The run loop's callbacks. It is its own reference-counted object that the
// host may keep a reference to; the window detaches it when it goes, so a
// late call does nothing.
class RunLoopHandler final : public Linux::IEventHandler, public Linux::ITimerHandler {
public:
  explicit RunLoopHandler(X11GLWindow* window) : mWindow(window) {}
  void Detach() { mWindow = nullptr; }

  // Input and frames run editor code; nothing it throws may reach the host's run loop.
  void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override {
    Guarded(0, [this] {
      if (mWindow) mWindow->ProcessEvents();
      return 0;
    });
  }
  void PLUGIN_API onTimer() override {
    Guarded(0, [this] {
      if (mWindow) mWindow->OnFrameTimer();
      return 0;
    });
  }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return Steinberg::kInvalidArgument;
    if (IidIs(iid, Linux::IEventHandler_iid) || IidIs(iid, Steinberg::FUnknown_iid)) {
      *obj = static_cast<Linux::IEventHandler*>(this);
    } else if (IidIs(iid, Linux::ITimerHandler_iid)) {
      *obj = static_cast<Linux::ITimerHandler*>(this);
    } else {
      *obj = nullptr;
      return Steinberg::kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override {
    const uint32 left = --mRefs;
    if (left == 0) delete this;
    return left;
  }

private:
  std::atomic<uint32> mRefs{1};
  X11GLWindow* mWindow;
};

class X11ViewWindow final : public ViewWindow {
public:
  X11ViewWindow(std::unique_ptr<X11GLWindow> window, Linux::IRunLoop* runLoop, int fps)
      : mWindow(std::move(window)), mRunLoop(runLoop), mHandler(new RunLoopHandler(mWindow.get())) {
    mRunLoop->addRef();
    mRunLoop->registerEventHandler(mHandler, mWindow->ConnectionFd());
    mRunLoop->registerTimer(mHandler, static_cast<Linux::TimerInterval>(1000 / fps));
  }
  ~X11ViewWindow() override {
    mRunLoop->unregisterEventHandler(mHandler);
    mRunLoop->unregisterTimer(mHandler);
    mRunLoop->release();
    mHandler->Detach();
    mHandler->release();
  }

  void Resize(int width, int height) override { mWindow->Resize(width, height); }
  int Width() const override { return mWindow->Width(); }
  int Height() const override { return mWindow->Height(); }
  bool MakeCurrent() override { return mWindow->MakeCurrent(); }
  void Present() override { mWindow->Present(); }
  void RequestResize(int width, int height) override { mWindow->RequestResize(width, height); }

private:
  std::unique_ptr<X11GLWindow> mWindow;
  Linux::IRunLoop* mRunLoop;                   // one reference while the window lives
  RunLoopHandler* mHandler;                    // registered with the run loop while the window lives
};

} // namespace

const char* ViewWindow::PlatformType() { return Steinberg::kPlatformTypeX11EmbedWindowID; }

std::unique_ptr<ViewWindow> ViewWindow::Open(void* parent, Steinberg::IPlugFrame* frame, igraphics::IGraphics& graphics,
                                             int width, int height, std::function<void(int, int)> onResizeRequest) {
  if (!parent || !frame) return nullptr;
  Linux::IRunLoop* runLoop = nullptr;
  if (frame->queryInterface(Linux::IRunLoop_iid, reinterpret_cast<void**>(&runLoop)) != kResultOk || !runLoop)
    return nullptr;
  std::string error;
  std::unique_ptr<X11GLWindow> window = X11GLWindow::Open(reinterpret_cast<unsigned long>(parent), width, height, &error);
  if (!window) {
    runLoop->release();
    return nullptr;
  }
  window->SetGraphics(&graphics);
  window->SetResizeRequestHandler(std::move(onResizeRequest));
  const int fps = graphics.FPS() > 0 ? graphics.FPS() : 30;
  auto view = std::make_unique<X11ViewWindow>(std::move(window), runLoop, fps);
  runLoop->release();                          // the view window holds its own reference
  return view;
}

} // namespace iplug::vst3
