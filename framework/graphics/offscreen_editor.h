#pragma once
// OffscreenEditor: opens a plug-in's editor without a window, for tests,
// benchmarks and snapshots. It makes the graphics context through the
// delegate's mMakeGraphicsFunc, gives it an EGL surfaceless GL context with a
// framebuffer object (RGBA8 colour, 24-bit depth and 8-bit stencil) of the
// editor's size, and runs the layout hook, exactly as a host-side view does.
// The software rasteriser (llvmpipe) is forced so pixels are the same on
// every machine. Input is injected through the same IGraphics calls the
// window delivers. Single-threaded: use it on one thread.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/graphics.h"

namespace iplug { class IPlugAPIBase; }

namespace iplug::igraphics {

// RGBA pixels, top row first, straight (un-premultiplied) alpha.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  // Packed 0xRRGGBBAA of pixel (x, y).
  uint32_t Pixel(int x, int y) const;
  bool SavePng(const char* path, std::string* error) const;
};

class OffscreenEditor {
public:
  // Null and *error on failure (no EGL device, renderer not llvmpipe, ...).
  static std::unique_ptr<OffscreenEditor> Open(IPlugAPIBase& delegate, std::string* error);
  ~OffscreenEditor();                          // destroys the graphics, then the GL context

  IGraphics& Graphics() { return *mGraphics; }
  // A host resize: constrained by the delegate's limits, layout hook called.
  void Resize(int width, int height);
  // Draws one frame whether or not anything is dirty. With finish, waits for
  // the rasteriser (glFinish) so the pixels can be read. Without, it only
  // builds and submits the frame's drawing commands: llvmpipe rasterises them
  // at the next Finish(), ReadPixels() or DrawFrame(true), so the cost of
  // building a frame can be measured apart from rasterising it (only a frame
  // of thousands of draw calls fills llvmpipe's command bins, which makes it
  // rasterise part of the frame on the spot).
  void DrawFrame(bool finish = true);
  // Waits until every submitted frame is rasterised.
  void Finish();
  Image ReadPixels() const;

  // Injected input, delivered as the platform window delivers it: a press
  // that names no button is a left press, and moves and the release while a
  // button is held carry that button.
  void MouseMove(float x, float y, const IMouseMod& mod = {});
  void MouseDown(float x, float y, const IMouseMod& mod = {});
  void MouseUp(float x, float y, const IMouseMod& mod = {});
  void MouseDoubleClick(float x, float y, const IMouseMod& mod = {});
  void MouseWheel(float x, float y, float notches, const IMouseMod& mod = {});
  void MouseLeave();
  void KeyDown(int virtualKey);                // EVirtualKey

  // The web addresses the editor asked to open (nothing is launched offscreen).
  const std::vector<std::string>& OpenedUrls() const;

private:
  OffscreenEditor() = default;
  struct Context;
  std::unique_ptr<Context> mContext;
  std::unique_ptr<IGraphics> mGraphics;
};

} // namespace iplug::igraphics
