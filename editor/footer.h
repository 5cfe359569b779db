#pragma once
// The footer band: web link, divider and status line (the frame's help text)
// at the left; VST logo, UI Size switch ("Fixed" / "Grow") and the FFT size
// box with its latency anchored to the right edge. Drawn after the knob row.
// UI thread only.
#include <cstring>

#include "framework/graphics/popup_menu.h"
#include "framework/graphics/types.h"

namespace varnock {

class VarnockView;


// FFT size for a Resolution value: 512 below 0.5, 1024 below 1.5, else 2048.
int fftSizeForResolution(double resolution);
// "FFT %d   %.1f ms": size and latency in ms at sampleRate (Hz).
void formatFftReadout(double resolution, double sampleRate, char* out, int outSize);
// "%s  (%.0f ms)" of the size's name ("Fast 512", ...) for tag 0..2.
void formatFftMenuEntry(int tag, double sampleRate, char* out, int outSize);

// Removes trailing characters of `text` (in place) until
// x + measure(text) <= limit; an emptied text stays empty. No ellipsis.
template <typename Measure>
void shortenToFit(char* text, double x, double limit, Measure&& measure) {
  std::size_t length = std::strlen(text);
  while (length > 0 && x + measure(text) > limit) text[--length] = '\0';
}

// Draws and handles the footer; leaves originX = 0.
void drawFooter(VarnockView& view);
// Fills the FFT size list: the three sizes with their latency, tags 0..2,
// the check mark on the current one.
void fillFftMenu(VarnockView& view, iplug::igraphics::IPopupMenu& menu);
// The FFT size box in pixels (the list's anchor).
iplug::igraphics::IRECT fftBoxRect(const VarnockView& view);

} // namespace varnock
