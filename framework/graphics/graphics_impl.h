#pragma once
// The private state of IGraphics shared by its source files: loaded fonts,
// input routing, the popup menu layer, the corner resizer and the path
// winding tracker. Internal to the graphics layer. UI thread only.
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/corner_resizer.h"
#include "framework/graphics/font_source.h"
#include "framework/graphics/graphics.h"
#include "framework/graphics/popup_layer.h"

namespace iplug::igraphics {

// A font loaded under an id: its bytes and metrics (kept alive for NanoVG,
// which reads the bytes in place) and its NanoVG handle while a context exists.
struct LoadedFont {
  std::string id;
  FontData data;
  int nvgHandle = -1;
};

// Sums a sub-path's signed area (shoelace, y downwards) while it is built, so
// that its winding can be told to NanoVG before the next sub-path starts.
struct WindingTracker {
  bool open = false;       // a sub-path has been started
  bool haveFirst = false;  // the first finished sub-path of this path fixed the reference sign
  bool firstPositive = true;
  float startX = 0.f, startY = 0.f, lastX = 0.f, lastY = 0.f;
  double area2 = 0.0;      // twice the signed area so far

  void Clear() { open = false; haveFirst = false; area2 = 0.0; }
};

struct IGraphics::Impl {
  // Redraws after the popup layer closed: tells its caller the outcome.
  void Notify(const PopupLayer::Outcome& outcome) {
    if (!outcome.closed) return;
    redraw = true;
    if (outcome.caller) outcome.caller->OnPopupMenuSelection(outcome.menu, outcome.index);
  }
  const LoadedFont* FindFont(const char* id) const {
    for (const LoadedFont& font : fonts)
      if (id && font.id == id) return &font;
    return nullptr;
  }

  // Sets the NanoVG font and size for `text`; an unknown font id draws in
  // the embedded regular font. False before the context exists.
  bool SelectFont(NVGcontext* context, const IText& text) const;

  NVGcontext* vg = nullptr;                    // persistent NanoVG context (GL resources)
  bool redraw = true;                          // draw the next frame even if no control is dirty
  std::vector<LoadedFont> fonts;
  int menuFontHandle = -1;                     // the popup layer's embedded font in NanoVG
  FontData menuFont;

  // Input routing (editor coordinates).
  IControl* captured = nullptr;                // holds a pressed button's drags and release
  IControl* mouseOver = nullptr;               // under the pointer, no button held
  bool swallowRelease = false;                 // the press went to the popup layer
  float lastX = 0.f, lastY = 0.f;              // previous pointer position (for drag deltas)

  std::unique_ptr<ICornerResizerControl> cornerResizer;
  PopupLayer popup;
  WindingTracker winding;
  bool drawing = false;                        // inside Draw()
};

} // namespace iplug::igraphics
