#pragma once
// The common widgets of the editor, each one call made during the frame
// (immediate mode): it lays itself out from design coordinates with the
// view's current origin, sets its help text while hovered, draws itself and
// reports a click, which the caller acts on at once. UI thread only.
namespace varnock {

class VarnockView;

// True when left <= mouseX < left + width and top <= mouseY < top + height.
bool rectHovered(const VarnockView& view, double left, double top, double width, double height);
// A button press: hovered, a press edge this frame and nobody owns the press.
// Takes the press (activeId = -1) and returns true.
bool takeClick(VarnockView& view, bool hovered);

// A filled button with a centred label in text slot 5, filled with
// buttonAccent when selected. Both edges are rounded so adjacent buttons meet.
bool labelButton(VarnockView& view, double x, double y, double w, double h, const char* label, bool selected,
                 const char* helpText);

// A box showing `text` with a down-pointing triangle; the caller raises its
// menu request when it reports a click.
bool dropdownBox(VarnockView& view, double x, double y, double w, double h, const char* text,
                 const char* helpText);

// A small box with a triangle pointing left (direction -1) or right (+1).
bool arrowButton(VarnockView& view, double x, double y, double w, double h, int direction, const char* helpText);

} // namespace varnock
