#pragma once
// X11GLWindow: the editor's window on Linux, an X11 child window of the
// host's window with a GLX context (double buffered, 8 stencil bits, an
// opaque visual), on a Display connection of its own. It is the
// IGraphicsPlatform of the editor's IGraphics: it makes the context current,
// swaps buffers without waiting for the vertical blank, turns X input events
// into IGraphics input and redraws on Expose and on the frame timer.
// Nothing here knows VST3: the view feeds it the host run loop's callbacks.
//
// Threads: the host's UI thread only.
// Ownership: the view owns the window; the window only points at the
// graphics context, which must be released (its GL resources while the
// context is current) before the window is destroyed.
#include <functional>
#include <memory>
#include <string>

#include "framework/graphics/graphics.h"

namespace iplug::vst3 {

class X11GLWindow : public igraphics::IGraphicsPlatform {
public:
  // Opens a connection to $DISPLAY and a width x height child of `parent`
  // (an X window id); null and *error on failure.
  static std::unique_ptr<X11GLWindow> Open(unsigned long parent, int width, int height, std::string* error);
  // Destroys the GL context, the window and the connection, in that order.
  ~X11GLWindow() override;
  X11GLWindow(const X11GLWindow&) = delete;
  X11GLWindow& operator=(const X11GLWindow&) = delete;

  unsigned long WindowId() const;
  int ConnectionFd() const;                    // readable when X events arrive
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Where input and frames go; nullptr stops both.
  void SetGraphics(igraphics::IGraphics* graphics) { mGraphics = graphics; }
  // Called for the corner handle's resize requests (window pixels).
  void SetResizeRequestHandler(std::function<void(int, int)> handler) { mOnResizeRequest = std::move(handler); }

  // Resizes the child window (the host resized the view).
  void Resize(int width, int height);
  // Reads and dispatches every pending X event; draws if the window was exposed.
  void ProcessEvents();
  // The frame timer: events first, then a frame if anything is dirty.
  void OnFrameTimer();
  // Makes the GL context of whoever had one before MakeCurrent() current again.
  void RestorePreviousContext();

  // ---- IGraphicsPlatform ----
  bool MakeCurrent() override;
  void Present() override;
  void RequestResize(int width, int height) override;

private:
  struct State;
  explicit X11GLWindow(std::unique_ptr<State> state);
  void Dispatch(void* event);                  // one XEvent
  void Redraw();

  std::unique_ptr<State> mState;
  igraphics::IGraphics* mGraphics = nullptr;
  std::function<void(int, int)> mOnResizeRequest;
  int mWidth = 0, mHeight = 0;
  bool mExposed = false;
};

} // namespace iplug::vst3
