#pragma once
// EditorWindow: shows a plug-in's editor view the way a desktop VST3 host
// does, for tests and tools. It owns a top-level window that is the view's
// parent, gives the view an IPlugFrame, and runs the window system's event
// loop in runFor()/pumpOnce(). resizeView() from the view resizes the parent
// and calls onSize(), as hosts do. Per platform (host/platform/<platform>/):
// - Linux: an X11 window ("X11EmbedWindowID"); the frame also is the Linux
//   IRunLoop, where the view registers its X connection's descriptor and its
//   frame timer, which pumpOnce() poll()s and calls back. Input reaches the
//   view as real X events, sent through the XTest extension.
// - Windows: an HWND ("HWND") whose thread's message queue pumpOnce()
//   dispatches (the view keeps its own timer). Input is sent with SendInput.
// Input is given in the view's own coordinates.
//
// Lifecycle: open() -> attach(view) -> pump, resize, send input -> close()
// (removed(), setFrame(nullptr), release) -> destroy. The view must not
// outlive the plug-in object it came from; close() before releasing that.
// Threads: one thread (the "UI thread") for everything.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"

namespace vst3host {

class EditorWindow {
 public:
  // Creates the parent window (on Linux on X display `displayName`, nullptr:
  // $DISPLAY; ignored elsewhere); null and *error on failure (no display, no
  // XTest).
  static std::unique_ptr<EditorWindow> open(const char* displayName, std::string* error);
  ~EditorWindow();  // close()s the view, then the window (and the X connection)
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Gives the view the frame, sizes the parent to the view's getSize() and
  // calls attached(); false and *error if the view declines. Holds a
  // reference to the view until close().
  bool attach(Steinberg::IPlugView* view, std::string* error);
  // A user resize of the host window: the view's checkSizeConstraint()
  // adjusts width x height, the parent takes that size and the view gets
  // onSize(). Returns the size given to the view through *outWidth/*outHeight.
  bool resize(int width, int height, int* outWidth = nullptr, int* outHeight = nullptr);
  void close();
  Steinberg::IPlugView* view() const { return view_; }

  // ---- Run loop ----
  // Waits up to timeoutMs for events (Linux: a registered descriptor to
  // become readable or a timer to fall due; Windows: a message) and handles
  // them; false when nothing was handled.
  bool pumpOnce(int timeoutMs);
  void runFor(int milliseconds);
  // What the view registered with the Linux run loop (0 on Windows, where
  // the view's window has a timer of its own).
  int eventHandlerCount() const;
  int timerCount() const;

  // ---- What the view asked of the host ----
  int resizeViewCalls() const;
  Steinberg::ViewRect lastResizeViewRequest() const;
  // Makes resizeView() refuse (answer kResultFalse without resizing).
  void setRefuseResizeView(bool refuse);

  // ---- The windows (X window ids or HWNDs) ----
  std::uintptr_t parentWindow() const { return parent_; }
  std::uintptr_t viewWindow() const;  // the view's child window (0 when there is none)
  void parentSize(int* width, int* height) const;  // the parent's client area
  void viewWindowSize(int* width, int* height) const;
  // The colour 0xRRGGBB of the view window's pixel (x, y) as the screen shows it.
  uint32_t viewPixel(int x, int y) const;

  // ---- Real input, in view coordinates; each call is delivered to the window system ----
  void movePointer(int x, int y);
  void pressButton(int button);  // 1 left, 3 right, 4/5 wheel up/down
  void releaseButton(int button);
  void click(int x, int y, int button = 1);
  // A key by the platform's code: an X KeySym (XK_Shift_L) on Linux, a
  // virtual-key code (VK_SHIFT) on Windows.
  void key(unsigned long code, bool down);

 private:
  class Frame;
  EditorWindow() = default;

  void* display_ = nullptr;  // Display* on Linux
  std::uintptr_t parent_ = 0;
  Frame* frame_ = nullptr;   // reference counted; detached from this window in the destructor
  Steinberg::IPlugView* view_ = nullptr;
};

}  // namespace vst3host
