#pragma once
// The control strip: the knob panel with its ten knobs (the third shows
// Width in Tame and Background otherwise; Depth carries the live ring), and
// the Delta toggle that the header draws in its right group. UI thread only.
#include "editor/knob.h"

namespace varnock {

class VarnockView;

constexpr int kKnobCount = 10;

// The knob row of this frame: knob i has id i + 1; `tame` selects Width for
// the third knob; liveAmount of Depth is liveDb / max(0.1, depthDb).
void knobRow(bool tame, double liveDb, double depthDb, KnobDef out[kKnobCount]);

// Draws the panel, the group separators and the ten knobs; leaves origins at
// originX = floor(extraWidth / 2), originY = extraHeight.
void drawKnobPanel(VarnockView& view);

// The Delta toggle: a headphone glyph and "DELTA", amber while on. Returns
// true when clicked this frame.
bool deltaToggle(VarnockView& view, double x, double y, double w, double h, bool on);

} // namespace varnock
