#include "framework/platform/linux/x11_gl_window.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/keysym.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace iplug::vst3 {
namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | StructureNotifyMask;
constexpr int kDefaultDoubleClickMs = 400;     // when the X resources name no multiClickTime
constexpr int kDoubleClickSlopPx = 4;          // the second press must land this close

// X protocol errors while the window is created are collected here instead of
// ending the host (Xlib's default handler exits). UI thread only.
int gTrappedError = 0;
int TrapError(Display*, XErrorEvent* e) {
  gTrappedError = e->error_code;
  return 0;
}

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const std::size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

igraphics::IMouseMod ModFromState(unsigned int state) {
  igraphics::IMouseMod mod;
  mod.L = (state & Button1Mask) != 0;
  mod.R = (state & Button3Mask) != 0;
  mod.S = (state & ShiftMask) != 0;
  mod.C = (state & ControlMask) != 0;
  mod.A = (state & Mod1Mask) != 0;
  return mod;
}

} // namespace

struct X11GLWindow::State {
  Display* display = nullptr;
  Window window = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
  int doubleClickMs = kDefaultDoubleClickMs;
  // The previous press, for double-click detection (X server time, ms).
  Time lastPressTime = 0;
  unsigned int lastPressButton = 0;
  int lastPressX = 0, lastPressY = 0;
  bool havePress = false;
  // The GL context current before ours, restored after each frame.
  Display* prevDisplay = nullptr;
  GLXDrawable prevDrawable = 0;
  GLXContext prevContext = nullptr;

  ~State() {
    if (!display) return;
    // The host may have destroyed its window (and so ours) already: errors
    // here are expected and must not reach Xlib's exiting default handler.
    XErrorHandler oldHandler = XSetErrorHandler(TrapError);
    if (context) {
      if (glXGetCurrentContext() == context) glXMakeCurrent(display, None, nullptr);
      glXDestroyContext(display, context);
    }
    if (window) XDestroyWindow(display, window);
    if (colormap) XFreeColormap(display, colormap);
    XSync(display, False);
    XSetErrorHandler(oldHandler);
    XCloseDisplay(display);
  }
};

X11GLWindow::X11GLWindow(std::unique_ptr<State> state) : mState(std::move(state)) {}

X11GLWindow::~X11GLWindow() {
  RestorePreviousContext();
}

std::unique_ptr<X11GLWindow> X11GLWindow::Open(unsigned long parent, int width, int height, std::string* error) {
  auto state = std::make_unique<State>();
  state->display = XOpenDisplay(nullptr);
  if (!state->display) {
    *error = "cannot open the X display";
    return nullptr;
  }
  Display* dpy = state->display;
  const int screen = DefaultScreen(dpy);
  const int attribs[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                         GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                         GLX_STENCIL_SIZE, 8, GLX_DOUBLEBUFFER, True, None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(dpy, screen, attribs, &count);
  if (!configs || count < 1) {
    if (configs) XFree(configs);
    *error = "no double-buffered GLX configuration with a stencil buffer";
    return nullptr;
  }
  // An opaque (24-bit) visual: a 32-bit ARGB one would let the host's
  // window show through wherever the editor leaves alpha below 1.
  GLXFBConfig config = configs[0];
  XVisualInfo* visual = nullptr;
  for (int i = 0; i < count; ++i) {
    XVisualInfo* vi = glXGetVisualFromFBConfig(dpy, configs[i]);
    if (vi && vi->depth == 24) {
      config = configs[i];
      visual = vi;
      break;
    }
    if (vi) XFree(vi);
  }
  if (!visual) visual = glXGetVisualFromFBConfig(dpy, config);
  XFree(configs);
  if (!visual) {
    *error = "the GLX configuration has no X visual";
    return nullptr;
  }

  gTrappedError = 0;
  XErrorHandler oldHandler = XSetErrorHandler(TrapError);
  state->colormap = XCreateColormap(dpy, RootWindow(dpy, visual->screen), visual->visual, AllocNone);
  XSetWindowAttributes swa{};
  swa.colormap = state->colormap;
  swa.event_mask = kEventMask;
  swa.border_pixel = 0;
  swa.background_pixmap = None;
  state->window = XCreateWindow(dpy, static_cast<Window>(parent), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                                CWColormap | CWEventMask | CWBorderPixel | CWBackPixmap, &swa);
  XFree(visual);
  XMapWindow(dpy, state->window);
  XSync(dpy, False);
  XSetErrorHandler(oldHandler);
  if (gTrappedError) {
    *error = "cannot create the editor window in the host's window (X error " + std::to_string(gTrappedError) + ")";
    state->window = 0;                         // never created
    return nullptr;
  }

  state->context = glXCreateNewContext(dpy, config, GLX_RGBA_TYPE, nullptr, True);
  if (!state->context) {
    *error = "cannot create a GLX context";
    return nullptr;
  }

  // The host application's own X resources decide the double-click time.
  if (const char* ms = XGetDefault(dpy, program_invocation_short_name, "multiClickTime")) {
    const int value = std::atoi(ms);
    if (value > 0) state->doubleClickMs = value;
  }

  std::unique_ptr<X11GLWindow> window(new X11GLWindow(std::move(state)));
  window->mWidth = width;
  window->mHeight = height;
  // No waiting for the vertical blank: a swap must never block the host's UI thread.
  if (window->MakeCurrent()) {
    const char* extensions = glXQueryExtensionsString(dpy, screen);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
      if (auto fn = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(
              glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT"))))
        fn(dpy, window->mState->window, 0);
    } else if (HasExtension(extensions, "GLX_MESA_swap_control")) {
      using SwapIntervalMesa = int (*)(unsigned int);
      if (auto fn = reinterpret_cast<SwapIntervalMesa>(
              glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA"))))
        fn(0);
    }
    window->RestorePreviousContext();
  }
  return window;
}

unsigned long X11GLWindow::WindowId() const { return mState->window; }
int X11GLWindow::ConnectionFd() const { return ConnectionNumber(mState->display); }

void X11GLWindow::Resize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (width != mWidth || height != mHeight) {
    mWidth = width;
    mHeight = height;
    XResizeWindow(mState->display, mState->window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(mState->display);
  }
  mExposed = true;
}

bool X11GLWindow::MakeCurrent() {
  GLXContext current = glXGetCurrentContext();
  if (current == mState->context) return true;
  mState->prevContext = current;
  mState->prevDisplay = current ? glXGetCurrentDisplay() : nullptr;
  mState->prevDrawable = current ? glXGetCurrentDrawable() : 0;
  return glXMakeCurrent(mState->display, mState->window, mState->context);
}

void X11GLWindow::RestorePreviousContext() {
  if (glXGetCurrentContext() != mState->context) return;
  if (mState->prevContext && mState->prevDisplay)
    glXMakeCurrent(mState->prevDisplay, mState->prevDrawable, mState->prevContext);
  else
    glXMakeCurrent(mState->display, None, nullptr);
  mState->prevContext = nullptr;
  mState->prevDisplay = nullptr;
  mState->prevDrawable = 0;
}

void X11GLWindow::Present() {
  glXSwapBuffers(mState->display, mState->window);
  RestorePreviousContext();
}

void X11GLWindow::RequestResize(int width, int height) {
  if (mOnResizeRequest)
    mOnResizeRequest(width, height);
  else
    Resize(width, height);
}

void X11GLWindow::Redraw() {
  mExposed = false;
  if (mGraphics) mGraphics->Draw();
}

void X11GLWindow::ProcessEvents() {
  Display* dpy = mState->display;
  while (XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    // Only the latest of consecutive pointer motions matters.
    while (event.type == MotionNotify && XPending(dpy) > 0) {
      XEvent next;
      XPeekEvent(dpy, &next);
      if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
      XNextEvent(dpy, &event);
    }
    Dispatch(&event);
  }
  if (mExposed) Redraw();
}

void X11GLWindow::OnFrameTimer() {
  ProcessEvents();
  if (mGraphics && mGraphics->IsDirty()) Redraw();
}

void X11GLWindow::Dispatch(void* raw) {
  XEvent& e = *static_cast<XEvent*>(raw);
  if (e.xany.window != mState->window) return;
  igraphics::IGraphics* g = mGraphics;
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) mExposed = true;
      break;
    case ButtonPress: {
      const XButtonEvent& b = e.xbutton;
      if (!g) break;
      if (b.button >= 4 && b.button <= 7) {
        // Wheel: 4 up, 5 down; 6 and 7 (sideways) have no meaning for the editor.
        if (b.button <= 5) g->OnMouseWheel(b.x, b.y, ModFromState(b.state), b.button == 4 ? 1.f : -1.f);
        break;
      }
      igraphics::IMouseMod mod = ModFromState(b.state);
      mod.L = b.button == Button1;
      mod.R = b.button == Button3;
      State& s = *mState;
      const bool doubleClick = s.havePress && b.button == s.lastPressButton &&
                               b.time - s.lastPressTime < static_cast<Time>(s.doubleClickMs) &&
                               std::abs(b.x - s.lastPressX) <= kDoubleClickSlopPx &&
                               std::abs(b.y - s.lastPressY) <= kDoubleClickSlopPx;
      // A double-click's second press does not start another one.
      s.havePress = !doubleClick;
      s.lastPressTime = b.time;
      s.lastPressButton = b.button;
      s.lastPressX = b.x;
      s.lastPressY = b.y;
      if (doubleClick)
        g->OnMouseDblClick(b.x, b.y, mod);
      else
        g->OnMouseDown(b.x, b.y, mod);
      break;
    }
    case ButtonRelease:
      if (g && e.xbutton.button >= 1 && e.xbutton.button <= 3)
        g->OnMouseUp(e.xbutton.x, e.xbutton.y, ModFromState(e.xbutton.state));
      break;
    case MotionNotify:
      if (g) g->OnMouseMove(e.xmotion.x, e.xmotion.y, ModFromState(e.xmotion.state));
      break;
    case LeaveNotify:
      // Crossings caused by grabs are not the pointer leaving.
      if (g && e.xcrossing.mode == NotifyNormal) g->OnMouseOut();
      break;
    case KeyPress:
      if (g && XLookupKeysym(&e.xkey, 0) == XK_Escape) g->OnKeyDown(igraphics::kVK_ESCAPE);
      break;
    default:
      break;
  }
}

} // namespace iplug::vst3
