// What is drawn over the spectrum area last: the mode word with the live and
// held amounts, the four curve toggles, the cursor readout, and the frame
// (the accent frame, or the amber frame with the DELTA banner).
#include <algorithm>
#include <cmath>

#include "plugin/param_index.h"
#include "editor/analyser/analyser_colours.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_text.h"
#include "editor/analyser/readout_layout.h"

namespace varnock {

namespace {

constexpr const char* kToggleHelp = "Click to show or hide this curve";
constexpr const char* kCursorHelp = "Cursor readout: frequency and current gain";
constexpr double kAccentFrameAlpha = 0.9;

enum class Swatch { Line, Dashed, Band };

// One curve toggle, drawn and handled; returns whether it was clicked. `left` receives its left edge.
bool curveToggle(AnalyserFrame& f, double rightEdge, double y, const char* label, const Rgb& colour, bool on,
                 Swatch swatch, double& left) {
  VarnockView& v = f.view;
  const double s = f.g.scale;
  v.setFontSlot(3);
  const CurveToggleLayout t = curveToggleLayout(rightEdge, y, s, f.h3, v.measureText(label));
  left = t.left;
  const bool hovered = t.hit(v.mouseX, v.mouseY);
  if (hovered) v.setHelpText(kToggleHelp);

  const double L = t.swatchLength;
  switch (swatch) {
  case Swatch::Line:
    v.setColour(colour, on ? 1.0 : 0.3);
    v.fillRect(t.left, t.mid - 1.0, L, t.thickness);
    break;
  case Swatch::Dashed:
    v.setColour(colour, on ? 0.9 : 0.3);
    v.fillRect(t.left, t.mid - 1.0, std::floor(6.0 * s), t.thickness);
    v.fillRect(t.left + std::floor(10.0 * s), t.mid - 1.0, L - std::floor(10.0 * s), t.thickness);
    break;
  case Swatch::Band:
    v.setColour(colour, on ? 0.3 : 0.1);
    v.fillRect(t.left, t.mid - std::floor(5.0 * s), L, std::floor(10.0 * s));
    v.setColour(colour, on ? 1.0 : 0.3);
    v.fillRect(t.left, t.mid - std::floor(5.0 * s), L, t.thickness);
    break;
  }
  setColour(v, hovered ? kToggleLabelHovered : on ? kToggleLabelOn : kToggleLabelOff);
  textAt(v, label, t.labelX, y);

  if (!(hovered && v.clickedThisFrame && v.activeId == kActiveNobody)) return false;
  v.activeId = kActiveConsumed;   // the press is used up until the button is released
  return true;
}

} // namespace

void drawAmounts(AnalyserFrame& f, double heldPeakDb) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double s = g.scale;
  const double baseline = g.top + std::floor(5.0 * s) + f.h4;   // shared bottom line of the three texts
  char text[kTextBufferSize];

  v.setFontSlot(6);
  v.setColour(f.accent, 1.0);
  textAt(v, modeWord(g.modeIndex), g.left + std::floor(10.0 * s), baseline - f.h6 - std::floor(2.0 * s));

  v.setFontSlot(4);
  setColour(v, kReadoutText);
  formatLiveAmount(text, sizeof text, v.liveAmountDb, g.boost());
  textAt(v, text, v.textCursorX + std::floor(8.0 * s), baseline - f.h4);

  v.setFontSlot(3);
  setColour(v, kHeldPeakText);
  formatHeldPeak(text, sizeof text, heldPeakDb, g.boost());
  textAt(v, text, v.textCursorX + std::floor(8.0 * s), baseline - f.h3 - std::floor(2.0 * s));
}

void runCurveToggles(AnalyserFrame& f) {
  EditorState& e = f.view.editorState;
  const double gap = nextToggleGap(f.g.scale);
  const double y = toggleRowTop(f.g);
  double left = 0.0;
  // Right to left.
  if (curveToggle(f, firstToggleRight(f.g), y, "Gain", f.accent, e.showGain, Swatch::Band, left))
    e.showGain = !e.showGain;
  if (curveToggle(f, left - gap, y, "Output", kOutputSwatch, e.showOutput, Swatch::Line, left))
    e.showOutput = !e.showOutput;
  if (curveToggle(f, left - gap, y, "Threshold", kThresholdSwatch, e.showThreshold, Swatch::Dashed, left))
    e.showThreshold = !e.showThreshold;
  if (curveToggle(f, left - gap, y, "Input", kInputSwatch, e.showInput, Swatch::Line, left))
    e.showInput = !e.showInput;
}

void drawCursorReadout(AnalyserFrame& f, bool nearHandle) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  if (!cursorReadoutShown(g, v.mouseX, v.mouseY, v.activeId, nearHandle, f.h3, f.feed.fftSize)) return;
  v.setHelpText(kCursorHelp);

  const double hz = xToFrequency(g, v.mouseX);
  const int bin = frequencyToBin(hz, f.feed.fftSize, f.feed.sampleRate, f.feed.lastBin);
  const double gainDb = feedLoad(v.engine.gainDb[bin]);   // the engine's value at that bin, not a column pick

  setColour(v, kCursorLine);
  v.line(v.mouseX, g.top, v.mouseX, g.spectrumBottom());
  v.setColour(f.accent, 1.0);
  v.fillCircle(v.mouseX, gainToY(g, gainDb), std::max(2.0, std::floor(3.0 * g.scale)));

  char text[kTextBufferSize];
  formatCursorReadout(text, sizeof text, hz, gainDb);
  v.setFontSlot(5);
  const ReadoutBox box = cursorReadoutBox(g, v.mouseX, v.mouseY, v.measureText(text), f.h3, f.h5);
  setColour(v, kCursorBox);
  v.fillRect(box.x, box.y, box.w, box.h);
  v.setColour(f.accent, 1.0);
  v.outlineRect(box.x, box.y, box.w, box.h);
  setColour(v, kReadoutText);
  v.centredText(text, box.x, box.w, box.y, box.h);
}

void drawAnalyserFrame(AnalyserFrame& f) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double s = g.scale;
  if (!f.deltaOn) {
    const int rings = static_cast<int>(std::max(1.0, std::floor(0.75 * s)));
    v.setColour(f.accent, kAccentFrameAlpha);
    for (int j = 0; j < rings; ++j) v.outlineRect(g.left + j, g.top + j, g.width - 2.0 * j, g.spectrumHeight - 2.0 * j);
    return;
  }
  setColour(v, kDeltaFrame);
  v.outlineRect(g.left, g.top, g.width, g.spectrumHeight);
  v.outlineRect(g.left + 1.0, g.top + 1.0, g.width - 2.0, g.spectrumHeight - 2.0);

  const char* banner = deltaBannerText(g.boost());
  v.setFontSlot(6);
  const int tw = v.measureText(banner);
  const double x0 = g.left + std::floor((g.width - tw) / 2.0) - std::floor(8.0 * s);
  const double y0 = g.spectrumBottom() - f.h6 - std::floor(16.0 * s);
  const double w = tw + std::floor(16.0 * s), h = f.h6 + std::floor(8.0 * s);
  setColour(v, kDeltaBannerBox);
  v.fillRect(x0, y0, w, h);
  setColour(v, kDeltaBannerText);
  v.centredText(banner, x0, w, y0, h);
}

} // namespace varnock
