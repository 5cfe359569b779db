#pragma once
// ViewWindow: the platform window an editor view opens inside the host's
// window, and the IGraphicsPlatform of the view's graphics context. Each
// platform has one implementation (framework/platform/<platform>/): on Linux
// an X11 child window with a GLX context, driven by the host's run loop; on
// Windows a child HWND with a WGL context and a frame timer. The window turns
// the platform's input into IGraphics input and draws a frame at the
// graphics' frame rate whenever something is dirty.
//
// Threads: the host's UI thread only.
// Ownership: the view owns the window; the window only points at the
// graphics, whose GL resources the view releases (with the window's context
// current) before it destroys the window.
#include <functional>
#include <memory>

#include "framework/graphics/graphics.h"

namespace Steinberg {
class IPlugFrame;
}

namespace iplug::vst3 {

class ViewWindow : public igraphics::IGraphicsPlatform {
public:
  // The VST3 platform type of the windows this build embeds in ("HWND",
  // "X11EmbedWindowID").
  static const char* PlatformType();

  // Opens a width x height child of `parent` (a host window of
  // PlatformType()) showing `graphics`, which must outlive the window.
  // `frame` is the host's IPlugFrame (the Linux window needs its run loop).
  // `onResizeRequest` receives the corner handle's size requests. Returns
  // null when the parent is not a usable window or no GL context can be made.
  static std::unique_ptr<ViewWindow> Open(void* parent, Steinberg::IPlugFrame* frame,
                                          igraphics::IGraphics& graphics, int width, int height,
                                          std::function<void(int, int)> onResizeRequest);

  // Resizes the child window (the host resized the view).
  virtual void Resize(int width, int height) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

} // namespace iplug::vst3
