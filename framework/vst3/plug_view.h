#pragma once
// The editor view a VST3 host embeds: an IPlugView (with content scale
// support) for the platform type "X11EmbedWindowID". attached() makes the
// delegate's graphics context, opens an X11/GLX child window of the host's
// window at the delegate's current editor size, runs the layout hook and
// registers an event handler (the X connection) and a frame timer with the
// host's Linux run loop, which the view finds on the IPlugFrame given to
// setFrame(). removed() unregisters both and destroys the graphics context
// (while its GL context is current), then the GL context, the window and the
// connection. Host resizes (onSize) and the corner handle's requests (through
// IPlugFrame::resizeView) stay within the delegate's size limits, and the
// delegate keeps the size, so a reopened editor comes back at it.
//
// Threads: the host's UI thread only.
// Ownership: reference counted; the host releases it. It must not outlive
// the delegate (the VST3 rule that a view never outlives its controller).
namespace Steinberg {
class IPlugView;
}
namespace iplug {
class IPlugAPIBase;
}

namespace iplug::vst3 {

// A new view with one reference, or nullptr when the delegate has no
// graphics-creation hook.
Steinberg::IPlugView* MakePlugView(IPlugAPIBase& delegate);

} // namespace iplug::vst3
