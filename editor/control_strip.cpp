#include "editor/control_strip.h"

#include <algorithm>
#include <cmath>

#include "editor/varnock_view.h"
#include "editor/widgets.h"
#include "plugin/param_table.h"

namespace varnock {

namespace {
constexpr Rgb kDeltaAmber{1.0, 0.82, 0.28};
constexpr Rgb kDeltaOnFill{0.26, 0.21, 0.07};

// A knob over the whole range of its parameter, resetting to the parameter's
// default and writing multiples of its display step.
constexpr KnobDef knobFor(int id, double x, double y, ParamIndex param, bool logTaper, bool bipolar,
                          const char* label, int format, const char* helpText, double radius = 12,
                          bool liveRing = false) {
  const ParamDef& def = paramDef(param);
  return {id, x, y, param, def.minValue, def.maxValue, def.defaultValue, logTaper, def.step, bipolar, label,
          format, helpText, radius, liveRing};
}

// The ten knobs in panel order; index 2 is the Cut/Boost knob, kWidthKnob replaces it in Tame.
constexpr KnobDef kKnobTable[kKnobCount] = {
  knobFor(1, 50, 324, kThreshold, false, false, "Threshold", kFormatDb,
          "Threshold: how far a bin must poke out to be processed"),
  knobFor(2, 118, 324, kKnee, false, false, "Knee", kFormatDb, "Knee: how gently processing fades in"),
  knobFor(3, 186, 324, kBackground, true, false, "Background", kFormatMs,
          "Background: how fast the reference level follows"),
  knobFor(4, 254, 324, kSmooth, false, false, "Smooth", kFormatInteger,
          "Smooth: spreads detection to neighbouring bins"),
  knobFor(5, 322, 324, kTilt, false, true, "Tilt", kFormatSignedDbPerOct,
          "Tilt: lowers the threshold toward the highs (pivot 1 kHz)"),
  knobFor(6, 408, 328, kDepth, false, false, "Depth (dB)", kFormatDb,
          "Depth: max cut or boost  |  outer ring = live amount", 22, true),
  knobFor(7, 496, 324, kAttack, true, false, "Attack", kFormatMs, "Attack: how fast processing reacts"),
  knobFor(8, 564, 324, kRelease, true, false, "Release", kFormatMs, "Release: how fast processing lets go"),
  knobFor(9, 644, 324, kMix, false, false, "Mix", kFormatPercent, "Mix: blend of dry and processed signal"),
  knobFor(10, 712, 324, kTrim, false, true, "Trim", kFormatSignedDb, "Trim: output level"),
};
constexpr KnobDef kWidthKnob = knobFor(3, 186, 324, kWidth, false, false, "Width", kFormatOctaves,
                                       "Width: octave range each bin is compared against");
constexpr int kDepthKnob = 5;
} // namespace

void knobRow(bool tame, double liveDb, double depthDb, KnobDef out[kKnobCount]) {
  for (int i = 0; i < kKnobCount; ++i) out[i] = kKnobTable[i];
  if (tame) out[2] = kWidthKnob;
  out[kDepthKnob].liveAmount = liveDb / std::max(0.1, depthDb);
}

void drawKnobPanel(VarnockView& view) {
  const double s = view.uiScale;
  view.originX = 0.0;
  view.originY = view.extraHeight;
  const double left = std::floor(16 * s + 0.5);
  const double top = view.designY(290);
  view.setColour(kKnobPanel);
  view.fillRect(left, top, view.editorWidth - 2 * left, view.designY(382) - top);
  view.setColour(view.controlAccent, 0.8);
  view.fillRect(left, top, view.editorWidth - 2 * left, std::max(1.0, std::floor(s)));

  view.originX = std::floor(view.extraWidth * 0.5);
  view.setColour(kSeparator);
  for (double x : {360.0, 456.0, 604.0}) view.line(view.designX(x), view.designY(308), view.designX(x), view.designY(362));

  KnobDef row[kKnobCount];
  knobRow(view.modeIndex == 2, view.liveAmountDb, view.paramValue(kDepth), row);
  for (const KnobDef& knobDef : row) knob(view, knobDef);
}

bool deltaToggle(VarnockView& view, double x, double y, double w, double h, bool on) {
  const double s = view.uiScale;
  const int left = view.designX(x);
  const int top = view.designY(y);
  const int width = view.designLength(w);
  const int height = view.designLength(h);
  const bool hovered = rectHovered(view, left, top, width, height);
  if (hovered) view.setHelpText("Delta: hear only what is removed or added");

  const Rgb& fill = on ? kDeltaOnFill : hovered ? kButtonFillHovered : kButtonFillNormal;
  const Rgb& outline = on ? kDeltaAmber : hovered ? kOutlineHovered : kOutlineNormal;
  const Rgb& content = on ? kDeltaAmber : hovered ? kWhite : kButtonLabelNormal;
  view.setColour(fill);
  view.fillRect(left, top, width, height);
  view.setColour(outline);
  view.outlineRect(left, top, width, height);
  if (on) view.outlineRect(left + 1, top + 1, width - 2, height - 2);

  static constexpr const char* kText = "DELTA";
  view.setFontSlot(5);
  const double glyphWidth = std::floor(14 * s), gap = std::floor(7 * s);
  const double contentWidth = glyphWidth + gap + view.measureText(kText);
  const double start = left + std::floor((width - contentWidth) / 2.0);

  // Headphones: the band is the upper half of a ring, the ear cups two small bars.
  view.setColour(content);
  const double gx = start + 7 * s;
  const double gy = top + height / 2.0 + s;
  // The band: one stroke whose outer edge lies half a pixel outside radius 5 s.
  const double bandWidth = std::min(std::max(1.0, std::floor(1.5 * s + 0.5)), 5 * s + 0.5);
  view.arc(gx, gy, 5 * s + 0.5 - bandWidth / 2.0, -90.0, 90.0, bandWidth);
  const double cupWidth = std::floor(3 * s), cupHeight = std::floor(5 * s);
  view.fillRect(std::floor(gx - 6 * s), std::floor(gy), cupWidth, cupHeight);
  view.fillRect(std::floor(gx + 3 * s), std::floor(gy), cupWidth, cupHeight);

  view.textCursorX = start + glyphWidth + gap;
  view.textCursorY = top + std::floor((height - view.fontSize(5)) / 2.0);
  view.textRun(kText);
  return takeClick(view, hovered);
}

} // namespace varnock
