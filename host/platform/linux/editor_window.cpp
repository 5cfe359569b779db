#include "host/editor_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>

namespace vst3host {
namespace {

using Clock = std::chrono::steady_clock;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::tresult;
using Steinberg::uint32;
namespace Linux = Steinberg::Linux;

bool iidIs(const Steinberg::TUID iid, const Steinberg::TUID other) {
  return Steinberg::FUnknownPrivate::iidEqual(iid, other);
}

}  // namespace

// The frame and run loop given to the view. Reference counted, since the
// view may hold it; once the window is gone it answers nothing.
class EditorWindow::Frame final : public Steinberg::IPlugFrame, public Linux::IRunLoop {
 public:
  struct Handler {
    Linux::IEventHandler* handler;
    int fd;
  };
  struct Timer {
    Linux::ITimerHandler* handler;
    Clock::duration interval;
    Clock::time_point due;
  };

  explicit Frame(EditorWindow* owner) : owner_(owner) {}
  void detach() { owner_ = nullptr; }

  // ---- IPlugFrame ----
  tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override {
    if (!owner_ || !view || !newSize) return kResultFalse;
    ++resizeViewCalls;
    lastRequest = *newSize;
    if (refuse) return kResultFalse;
    auto* dpy = static_cast<Display*>(owner_->display_);
    XResizeWindow(dpy, owner_->parent_, static_cast<unsigned>(std::max(1, newSize->getWidth())),
                  static_cast<unsigned>(std::max(1, newSize->getHeight())));
    XSync(dpy, False);
    Steinberg::ViewRect rect = *newSize;
    return view->onSize(&rect) == kResultTrue ? kResultTrue : kResultFalse;
  }

  // ---- IRunLoop ----
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override {
    if (!handler || fd < 0) return Steinberg::kInvalidArgument;
    handler->addRef();
    handlers.push_back({handler, fd});
    return kResultTrue;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override {
    auto it = std::remove_if(handlers.begin(), handlers.end(), [&](const Handler& h) { return h.handler == handler; });
    if (it == handlers.end()) return kResultFalse;
    for (auto i = it; i != handlers.end(); ++i) i->handler->release();
    handlers.erase(it, handlers.end());
    return kResultTrue;
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override {
    if (!handler || ms == 0) return Steinberg::kInvalidArgument;
    handler->addRef();
    const auto interval = std::chrono::milliseconds(ms);
    timers.push_back({handler, interval, Clock::now() + interval});
    return kResultTrue;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override {
    auto it = std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.handler == handler; });
    if (it == timers.end()) return kResultFalse;
    for (auto i = it; i != timers.end(); ++i) i->handler->release();
    timers.erase(it, timers.end());
    return kResultTrue;
  }

  // ---- FUnknown ----
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
    if (!obj) return Steinberg::kInvalidArgument;
    if (iidIs(iid, Steinberg::IPlugFrame_iid) || iidIs(iid, Steinberg::FUnknown_iid)) {
      *obj = static_cast<Steinberg::IPlugFrame*>(this);
    } else if (iidIs(iid, Linux::IRunLoop_iid)) {
      *obj = static_cast<Linux::IRunLoop*>(this);
    } else {
      *obj = nullptr;
      return Steinberg::kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++refs_; }
  uint32 PLUGIN_API release() override {
    const uint32 left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // Calls the due timers; returns how many.
  int dispatchTimers() {
    const Clock::time_point now = Clock::now();
    std::vector<Linux::ITimerHandler*> due;
    for (Frame::Timer& t : timers) {
      if (t.due > now) continue;
      // The next tick keeps the rhythm unless the loop fell a whole interval behind.
      t.due += t.interval;
      if (t.due <= now) t.due = now + t.interval;
      due.push_back(t.handler);
    }
    int called = 0;
    for (Linux::ITimerHandler* handler : due) {
      const bool stillRegistered = std::any_of(timers.begin(), timers.end(),
                                               [&](const Frame::Timer& t) { return t.handler == handler; });
      if (!stillRegistered) continue;
      handler->onTimer();
      ++called;
    }
    return called;
  }

  std::vector<Handler> handlers;
  std::vector<Timer> timers;
  int resizeViewCalls = 0;
  Steinberg::ViewRect lastRequest;
  bool refuse = false;

 private:
  ~Frame() {
    for (Handler& h : handlers) h.handler->release();
    for (Timer& t : timers) t.handler->release();
  }
  std::atomic<uint32> refs_{1};
  EditorWindow* owner_;
};

std::unique_ptr<EditorWindow> EditorWindow::open(const char* displayName, std::string* error) {
  Display* dpy = XOpenDisplay(displayName);
  if (!dpy) {
    *error = std::string("cannot open X display ") + (displayName ? displayName : "$DISPLAY");
    return nullptr;
  }
  int eventBase, errorBase, major, minor;
  if (!XTestQueryExtension(dpy, &eventBase, &errorBase, &major, &minor)) {
    XCloseDisplay(dpy);
    *error = "the X server has no XTest extension";
    return nullptr;
  }
  std::unique_ptr<EditorWindow> window(new EditorWindow());
  window->display_ = dpy;
  const int screen = DefaultScreen(dpy);
  window->parent_ = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 100, 100, 0, BlackPixel(dpy, screen),
                                        BlackPixel(dpy, screen));
  XStoreName(dpy, window->parent_, "Editor");
  XMapWindow(dpy, window->parent_);
  XSync(dpy, False);
  window->frame_ = new Frame(window.get());
  return window;
}

EditorWindow::~EditorWindow() {
  close();
  if (frame_) {
    frame_->detach();
    frame_->release();
  }
  auto* dpy = static_cast<Display*>(display_);
  if (dpy) {
    XDestroyWindow(dpy, parent_);
    XCloseDisplay(dpy);
  }
}

bool EditorWindow::attach(Steinberg::IPlugView* view, std::string* error) {
  if (!view || view_) {
    *error = view ? "a view is already attached" : "no view";
    return false;
  }
  if (view->isPlatformTypeSupported(Steinberg::kPlatformTypeX11EmbedWindowID) != kResultTrue) {
    *error = "the view does not support X11EmbedWindowID";
    return false;
  }
  view->addRef();
  view_ = view;
  view->setFrame(frame_);
  Steinberg::ViewRect size;
  if (view->getSize(&size) == kResultTrue && size.getWidth() > 0 && size.getHeight() > 0) {
    auto* dpy = static_cast<Display*>(display_);
    XResizeWindow(dpy, parent_, static_cast<unsigned>(size.getWidth()), static_cast<unsigned>(size.getHeight()));
    XSync(dpy, False);
  }
  if (view->attached(reinterpret_cast<void*>(parent_), Steinberg::kPlatformTypeX11EmbedWindowID) != kResultTrue) {
    *error = "the view refused attached()";
    view->setFrame(nullptr);
    view->release();
    view_ = nullptr;
    return false;
  }
  return true;
}

bool EditorWindow::resize(int width, int height, int* outWidth, int* outHeight) {
  if (!view_) return false;
  Steinberg::ViewRect rect(0, 0, width, height);
  if (view_->canResize() == kResultTrue) view_->checkSizeConstraint(&rect);
  auto* dpy = static_cast<Display*>(display_);
  XResizeWindow(dpy, parent_, static_cast<unsigned>(std::max(1, rect.getWidth())),
                static_cast<unsigned>(std::max(1, rect.getHeight())));
  XSync(dpy, False);
  if (outWidth) *outWidth = rect.getWidth();
  if (outHeight) *outHeight = rect.getHeight();
  return view_->onSize(&rect) == kResultTrue;
}

bool EditorWindow::pumpOnce(int timeoutMs) {
  auto* dpy = static_cast<Display*>(display_);
  while (XPending(dpy) > 0) {  // the parent's own events are of no interest
    XEvent event;
    XNextEvent(dpy, &event);
  }
  const Clock::time_point now = Clock::now();
  Clock::time_point wake = now + std::chrono::milliseconds(std::max(0, timeoutMs));
  for (const Frame::Timer& t : frame_->timers) wake = std::min(wake, t.due);
  std::vector<pollfd> fds;
  for (const Frame::Handler& h : frame_->handlers) fds.push_back({h.fd, POLLIN, 0});
  const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
  const int ready = poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, waitMs)));
  int called = 0;
  if (ready > 0) {
    // Handlers may unregister themselves (or others) from their callback.
    const std::vector<Frame::Handler> snapshot = frame_->handlers;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const bool stillRegistered = std::any_of(frame_->handlers.begin(), frame_->handlers.end(), [&](const Frame::Handler& h) {
        return h.handler == snapshot[i].handler;
      });
      if (!stillRegistered) continue;
      snapshot[i].handler->onFDIsSet(snapshot[i].fd);
      ++called;
    }
  }
  called += frame_->dispatchTimers();
  return called > 0;
}

int EditorWindow::eventHandlerCount() const { return static_cast<int>(frame_->handlers.size()); }
int EditorWindow::timerCount() const { return static_cast<int>(frame_->timers.size()); }
int EditorWindow::resizeViewCalls() const { return frame_->resizeViewCalls; }
Steinberg::ViewRect EditorWindow::lastResizeViewRequest() const { return frame_->lastRequest; }
void EditorWindow::setRefuseResizeView(bool refuse) { frame_->refuse = refuse; }

std::uintptr_t EditorWindow::viewWindow() const {
  auto* dpy = static_cast<Display*>(display_);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(dpy, parent_, &root, &parent, &children, &count)) return 0;
  const Window child = count > 0 ? children[0] : 0;
  if (children) XFree(children);
  return child;
}

void EditorWindow::parentSize(int* width, int* height) const {
  XWindowAttributes attrs;
  XGetWindowAttributes(static_cast<Display*>(display_), parent_, &attrs);
  *width = attrs.width;
  *height = attrs.height;
}

void EditorWindow::viewWindowSize(int* width, int* height) const {
  *width = *height = 0;
  const Window child = viewWindow();
  XWindowAttributes attrs;
  if (child && XGetWindowAttributes(static_cast<Display*>(display_), child, &attrs)) {
    *width = attrs.width;
    *height = attrs.height;
  }
}

uint32_t EditorWindow::viewPixel(int x, int y) const {
  auto* dpy = static_cast<Display*>(display_);
  const Window child = viewWindow();
  if (!child) return 0;
  XImage* image = XGetImage(dpy, child, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  const unsigned long p = XGetPixel(image, 0, 0);
  // A TrueColor visual: shift each channel's mask down to 8 bits.
  auto channel = [p](unsigned long mask) {
    if (!mask) return 0u;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long value = (p & mask) >> shift, max = mask >> shift;
    return static_cast<unsigned>(value * 255 / max);
  };
  const uint32_t rgb = (channel(image->red_mask) << 16) | (channel(image->green_mask) << 8) | channel(image->blue_mask);
  XDestroyImage(image);
  return rgb;
}

void EditorWindow::movePointer(int x, int y) {
  auto* dpy = static_cast<Display*>(display_);
  Window child = 0;
  int rootX = x, rootY = y;
  XTranslateCoordinates(dpy, viewWindow() ? viewWindow() : parent_, DefaultRootWindow(dpy), x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(dpy, DefaultScreen(dpy), rootX, rootY, CurrentTime);
  XSync(dpy, False);
}

void EditorWindow::pressButton(int button) {
  auto* dpy = static_cast<Display*>(display_);
  XTestFakeButtonEvent(dpy, static_cast<unsigned>(button), True, CurrentTime);
  XSync(dpy, False);
}

void EditorWindow::releaseButton(int button) {
  auto* dpy = static_cast<Display*>(display_);
  XTestFakeButtonEvent(dpy, static_cast<unsigned>(button), False, CurrentTime);
  XSync(dpy, False);
}

void EditorWindow::key(unsigned long code, bool down) {
  auto* dpy = static_cast<Display*>(display_);
  const KeyCode keycode = XKeysymToKeycode(dpy, code);
  if (!keycode) return;
  XTestFakeKeyEvent(dpy, keycode, down ? True : False, CurrentTime);
  XSync(dpy, False);
}

}  // namespace vst3host
