#pragma once
// EditorWindow: shows a plug-in's editor view the way a Linux VST3 host does,
// for tests and tools. It owns an X11 top-level window that is the view's
// parent ("X11EmbedWindowID"), and gives the view an IPlugFrame that also is
// the Linux IRunLoop: the view registers its X connection's descriptor and
// its frame timer there, and runFor()/pumpOnce() poll() them and call back.
// resizeView() from the view resizes the parent and calls onSize(), as hosts
// do. Input reaches the view as real X events: the pointer and buttons are
// driven through the XTest extension, in the view's own coordinates.
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
  // Connects to `displayName` (nullptr: $DISPLAY) and creates the parent
  // window; null and *error on failure (no display, no XTest).
  static std::unique_ptr<EditorWindow> open(const char* displayName, std::string* error);
  ~EditorWindow();  // close()s the view, then the window and the connection
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
  // Waits up to timeoutMs for a registered descriptor to become readable or
  // a timer to fall due and calls the handlers; false when none was called.
  bool pumpOnce(int timeoutMs);
  void runFor(int milliseconds);
  int eventHandlerCount() const;
  int timerCount() const;

  // ---- What the view asked of the host ----
  int resizeViewCalls() const;
  Steinberg::ViewRect lastResizeViewRequest() const;
  // Makes resizeView() refuse (answer kResultFalse without resizing).
  void setRefuseResizeView(bool refuse);

  // ---- The windows ----
  unsigned long parentWindow() const { return parent_; }
  unsigned long viewWindow() const;  // the view's child window (0 when there is none)
  void parentSize(int* width, int* height) const;
  void viewWindowSize(int* width, int* height) const;
  // The colour 0xRRGGBB of the view window's pixel (x, y) as the X server shows it.
  uint32_t viewPixel(int x, int y) const;

  // ---- Real input (XTest), in view coordinates; each call flushes to the server ----
  void movePointer(int x, int y);
  void pressButton(int button);  // 1 left, 3 right, 4/5 wheel up/down
  void releaseButton(int button);
  void click(int x, int y, int button = 1);
  void key(unsigned long keysym, bool down);  // an X KeySym, e.g. XK_Shift_L

 private:
  class Frame;
  EditorWindow() = default;
  int dispatchTimers();  // calls the due timers; returns how many

  void* display_ = nullptr;  // Display*
  unsigned long parent_ = 0;
  Frame* frame_ = nullptr;   // reference counted; detached from this window in the destructor
  Steinberg::IPlugView* view_ = nullptr;
};

}  // namespace vst3host
