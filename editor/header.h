#pragma once
// The header band: word-mark, version label and mode selector at the left;
// preset bar (previous, preset list, next) and the Delta toggle anchored to
// the right edge. Drawn first in every frame, so its widgets are the first
// offered a press. UI thread only.
#include "framework/graphics/popup_menu.h"
#include "framework/graphics/types.h"

namespace varnock {

class VarnockView;

constexpr const char* kVersionLabel = "v1.9";

// Draws and handles the header; leaves originX = originY = 0.
void drawHeader(VarnockView& view);
// Draws the word-mark with its left edge at x0, top at y0, height hw (pixels).
void drawWordMark(VarnockView& view, double x0, double y0, double hw);

// The preset name of the bar: the Preset text (nearest of 0..10) with " *"
// when the preset was edited since loading (never on "Custom"). Writes into out.
void presetBarName(double presetValue, bool presetModified, char* out, int outSize);

// Fills the popup list: presets 1..10 tagged with their index, separators
// before 7 and 10, the check mark on the current preset.
void fillPresetMenu(VarnockView& view, iplug::igraphics::IPopupMenu& menu);
// The preset name box in pixels (the list's anchor).
iplug::igraphics::IRECT presetBoxRect(const VarnockView& view);

} // namespace varnock
