#pragma once
// Where the analyser's readouts sit and when they react: the curve toggles'
// boxes and hit areas, the cursor readout's visibility rule and its box. Text
// heights (h3, h5) and widths come from the view's text slots and measure
// text; s is uiScale. Pure functions; UI thread.
#include "editor/analyser/analyser_geometry.h"

namespace varnock {

// A curve toggle: a swatch of length swatchLength starting at `left`, a gap,
// then the label. Its hit area is a little wider and taller than the drawing.
struct CurveToggleLayout {
  double left = 0.0;            // left edge of the swatch (the next toggle's right edge is left - floor(14 s))
  double mid = 0.0;             // y of the swatch's centre row
  double swatchLength = 0.0;    // pixels
  double thickness = 0.0;       // stroke of line and dashed swatches, pixels
  double labelX = 0.0;          // label text at (labelX, y)
  double hitLeft = 0.0, hitRight = 0.0, hitTop = 0.0, hitBottom = 0.0;   // [left, right) x [top, bottom)
  bool hit(double x, double y) const { return x >= hitLeft && x < hitRight && y >= hitTop && y < hitBottom; }
};
CurveToggleLayout curveToggleLayout(double rightEdge, double y, double s, int h3, int labelWidth);

// Right edge and top of the first (rightmost) toggle; each next toggle's
// right edge is the previous one's left minus nextToggleGap().
double firstToggleRight(const AnalyserGeometry& g);
double toggleRowTop(const AnalyserGeometry& g);
double nextToggleGap(double s);
// Bottom of the toggle row: the cursor readout stays below it.
double toggleRowBottom(const AnalyserGeometry& g, int h3);

// The cursor readout shows while the pointer is in the spectrum area below
// the toggle row, no widget owns a press, no handle is near, and the engine
// has bins to show.
bool cursorReadoutShown(const AnalyserGeometry& g, double mouseX, double mouseY, int activeId,
                        bool nearHandle, int h3, int fftSize);

struct ReadoutBox {
  double x = 0.0, y = 0.0, w = 0.0, h = 0.0;
};
// The readout's box beside the pointer: to its right, flipped to its left
// when it would pass the analyser's right edge, never above the toggle row.
ReadoutBox cursorReadoutBox(const AnalyserGeometry& g, double mouseX, double mouseY, int textWidth, int h3, int h5);

} // namespace varnock
