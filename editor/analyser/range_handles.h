#pragma once
// The frequency-range handles' behaviour, apart from their drawing: which
// handle the pointer is near, how a press starts a drag or (pressed twice
// within 0.3 s) resets the handle's parameter, and what a drag writes. The
// caller applies the write through the view's editParam(param, hz, 1), i.e.
// rounded to whole hertz and sent only when it changes the value.
// UI thread; pure functions over the view's captured input.
#include "editor/analyser/analyser_geometry.h"

namespace varnock {

inline constexpr int kLowHandleId = 100;    // activeId while Freq Low is dragged
inline constexpr int kHighHandleId = 101;   // activeId while Freq High is dragged

// The view's input of this frame, as the handles read it.
struct PointerFrame {
  double mouseX = -10000.0, mouseY = -10000.0;   // px; -10000 while outside the editor
  double prevMouseX = -10000.0;                  // mouseX at the end of the previous frame
  bool clicked = false;                          // a press arrived before this frame
  double frameTime = 0.0;                        // s
};

// The view's press ownership fields, shared by every widget (copied in and back).
struct PressState {
  int activeId = 0;        // 0 nobody, -1 consumed, 1..10 knobs, 100/101 handles
  int lastClickId = 0;
  double lastClickTime = 0.0;
};

struct HandleHover {
  bool nearLow = false;
  bool nearHigh = false;
  bool any() const { return nearLow || nearHigh; }
};

// What the handles want written this frame (at most one parameter).
struct HandleWrite {
  int paramIndex = -1;     // kFreqLow, kFreqHigh, or -1 for none
  double valueHz = 0.0;
};

// Hover inside the spectrum area within 9 * uiScale px of a handle; when both
// are that close only the low one counts. xLow/xHigh are the handles' columns.
HandleHover rangeHandleHover(const AnalyserGeometry& g, double mouseX, double mouseY, double xLow, double xHigh);

// Press (drag start or double-click reset) and drag for this frame, given the
// parameters' current values. Updates `press`; returns the write to make.
HandleWrite runRangeHandles(const AnalyserGeometry& g, const PointerFrame& pointer, const HandleHover& hover,
                            double freqLowHz, double freqHighHz, PressState& press);

// A handle's label shows its frequency lit (alpha 1) while dragged or hovered.
inline bool lowHandleHot(const HandleHover& h, int activeId) { return h.nearLow || activeId == kLowHandleId; }
inline bool highHandleHot(const HandleHover& h, int activeId) { return h.nearHigh || activeId == kHighHandleId; }

} // namespace varnock
