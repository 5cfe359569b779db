#pragma once
// The editor's scale rule: the layout is designed on a 760 x 416 canvas and
// scaled every frame from the window size and the UI Size mode ("Fixed" keeps
// controls at their design size and gives extra pixels to the live view,
// "Grow" scales everything up to 4x). Pure functions; any thread.

namespace varnock {

constexpr double kDesignWidth = 760.0;
constexpr double kDesignHeight = 416.0;

struct FrameScale {
  int editorWidth = 0;       // the control rectangle's width, floored, pixels
  int editorHeight = 0;      // its height, floored
  double uiScale = 1.0;      // editor pixels per design pixel
  double extraWidth = 0.0;   // editorWidth - 760 * uiScale, pixels: the room the scaled layout leaves (never negative)
  double extraHeight = 0.0;  // editorHeight - 416 * uiScale
};

// rectWidth/rectHeight: the view's rectangle in pixels; uiSizeValue: the UI
// Size parameter (above 0.5 = "Grow"); screenScale: the host's content scale
// factor (window pixels per logical pixel, 1.5 on a screen set to 150 %),
// which is the size "Fixed" keeps its controls at. A scale of 0.1 or less
// falls back to 1.
FrameScale computeFrameScale(double rectWidth, double rectHeight, double uiSizeValue, double screenScale = 1.0);

// Line height in pixels of text slot 1..6 at this scale (slots outside 1..6 use slot 1).
int textSlotSize(int slot, double uiScale);
// Slots 2, 4, 5 and 6 use "Arial-Bold", 1 and 3 "Arial".
bool textSlotBold(int slot);

} // namespace varnock
