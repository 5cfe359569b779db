#pragma once
// CurveStroker: draws the analyser's curves as 1-pixel polylines straight on
// the frame's graphics context. The view's line() makes one NanoVG sub-path
// per segment, and the GL back end issues draw calls per sub-path (three per
// sub-path with stencil strokes), which for thousands of column segments
// costs far more than the picture needs. Here consecutive segments of one
// colour continue one sub-path: a curve of N columns in one colour is one
// sub-path. The points are those the line operation would use (pixel
// centres: +0.5), so the picture differs only where two segments meet (a
// join instead of two butt ends).
//
// Construction strokes the view's pending lines first, so the drawing order
// stays that of the calls; call finish() before using the view's drawing
// operations again. UI thread, inside the view's frame.
#include "editor/varnock_view.h"

namespace varnock {

class CurveStroker {
public:
  explicit CurveStroker(VarnockView& view);
  ~CurveStroker() { finish(); }
  CurveStroker(const CurveStroker&) = delete;
  CurveStroker& operator=(const CurveStroker&) = delete;

  // Colour of the following points (0..1, converted to bytes as the view
  // does). A different 8-bit colour strokes what is pending first.
  void setColour(double r, double g, double b, double a);
  void setColour(const Rgb& c, double a) { setColour(c.r, c.g, c.b, a); }
  // Starts a new sub-path at (x, y), editor pixels.
  void moveTo(double x, double y);
  // Continues the current sub-path to (x, y).
  void lineTo(double x, double y);
  // Strokes everything pending.
  void finish();

private:
  iplug::igraphics::IGraphics* mGraphics;
  iplug::igraphics::IColor mColour;
  bool mPending = false;
};

} // namespace varnock
