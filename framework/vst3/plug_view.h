#pragma once
// The editor view a VST3 host embeds: an IPlugView (with content scale
// support) for the platform type of this build's windows (ViewWindow:
// "HWND" on Windows, "X11EmbedWindowID" on Linux). attached() makes the
// delegate's graphics context, opens the platform's child window of the
// host's window at the delegate's current editor size and runs the layout
// hook. removed() releases the graphics' GL resources (with the window's
// context current), then the window and the graphics. Host resizes (onSize)
// and the corner handle's requests (through IPlugFrame::resizeView) stay
// within the delegate's size limits, and the delegate keeps the size, so a
// reopened editor comes back at it.
//
// Threads: the host's UI thread only.
// Ownership: reference counted; the host releases it. The view holds a
// reference on its edit controller (`owner`) for its whole life, so the
// controller and the delegate cannot go before it.
namespace Steinberg {
class FUnknown;
class IPlugView;
}
namespace iplug {
class IPlugAPIBase;
}

namespace iplug::vst3 {

// A new view with one reference, or nullptr when the delegate has no
// graphics-creation hook. `owner` is the edit controller (the delegate's
// COM object) the view keeps a reference on; it may be null in tests.
Steinberg::IPlugView* MakePlugView(IPlugAPIBase& delegate, Steinberg::FUnknown* owner);

} // namespace iplug::vst3
