#include "editor/knob.h"

#include <algorithm>
#include <cmath>

#include "editor/value_text.h"
#include "editor/varnock_view.h"

namespace varnock {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kTravelStart = -2.356194490192345;   // -3pi/4 rad: the left end of the travel
constexpr double kDragPerPixel = 0.006;               // travel per editor pixel (full travel ~167 px)
constexpr double kFineDragPerPixel = 0.0015;
constexpr double kWheelPerNotch = 0.025;              // travel per wheel notch
constexpr double kFineWheelPerNotch = 0.005;

constexpr Rgb kBodyNormal{0.16, 0.17, 0.21};
constexpr Rgb kBodyActive{0.22, 0.23, 0.28};
constexpr Rgb kTrack{0.26, 0.27, 0.33};
constexpr Rgb kPointer{0.95, 0.96, 0.98};
constexpr Rgb kLabelNormal{0.70, 0.72, 0.78};
constexpr Rgb kLabelActive{0.93, 0.94, 0.96};
constexpr Rgb kValueNormal{0.95, 0.96, 0.98};

double degrees(double radians) { return radians * 180.0 / kPi; }

// Handles press, drag and wheel for this frame.
void handleKnobInput(VarnockView& view, const KnobDef& knobDef, double travel, bool hovered) {
  if (hovered && view.clickedThisFrame && view.activeId == kActiveNobody) {
    const bool doubleClick = view.frameTime - view.lastClickTime < kDoubleClickSeconds && view.lastClickId == knobDef.id;
    if ((view.modifierFlags & kModCtrl) == 0 && !doubleClick) {
      view.dragAnchorY = view.mouseY;
      view.dragValue = travel;
      view.lastClickTime = view.frameTime;
      view.activeId = knobDef.id;
      view.lastClickId = knobDef.id;
    } else {
      view.editParam(knobDef.param, knobDef.defaultValue, knobDef.step);
      view.lastClickId = 0;
      view.activeId = kActiveConsumed;
    }
  }
  if (view.activeId == knobDef.id && view.mouseY != view.dragAnchorY) {
    const double rate = (view.modifierFlags & kModShift) != 0 ? kFineDragPerPixel : kDragPerPixel;
    view.dragValue = std::clamp(view.dragValue + (view.dragAnchorY - view.mouseY) * rate, 0.0, 1.0);
    view.dragAnchorY = view.mouseY;
    view.editParam(knobDef.param, knobValue(knobDef, view.dragValue), knobDef.step);
  }
  if (hovered && view.wheelFrame != 0.0 && view.activeId == kActiveNobody) {
    const double rate = (view.modifierFlags & kModShift) != 0 ? kFineWheelPerNotch : kWheelPerNotch;
    const double moved = std::clamp(travel + view.wheelFrame / 120.0 * rate, 0.0, 1.0);
    view.editParam(knobDef.param, knobValue(knobDef, moved), knobDef.step);
    view.wheelFrame = 0.0;
  }
}

// A band of k pixels whose outer edge lies half a pixel outside radius r
// (the pixel circle of radius r is its outermost ring), from a1 to a2 degrees.
// One stroke of the band's width: concentric 1-pixel arcs would leave
// uneven seams between them that show as moire on large knobs.
void ringBand(VarnockView& view, double cx, double cy, double r, int k, double a1, double a2) {
  const double width = std::min(static_cast<double>(k), r + 0.5);   // never past the centre
  view.arc(cx, cy, r + 0.5 - width / 2.0, a1, a2, width);
}

void drawKnobTexts(VarnockView& view, const KnobDef& knobDef, double cx, double cy, double r, bool lit) {
  const double s = view.uiScale;
  const double value = view.paramValue(knobDef.param);
  if (knobDef.liveRing) {
    formatNumber(view.valueText, sizeof view.valueText, value, roundedForDisplay(value, 1) >= 10.0 ? 0 : 1);
    const int slot = knobDef.radius >= 20 ? 4 : 5;
    view.setFontSlot(slot);
    view.setColour(lit ? view.controlAccent : kValueNormal);
    view.textCursorX = std::floor(cx - view.measureText(view.valueText) / 2.0);
    view.textCursorY = std::floor(cy - view.fontSize(slot) / 2.0);
    view.textRun(view.valueText);
    view.setFontSlot(3);
    view.setColour(lit ? kLabelActive : kLabelNormal);
    view.textCursorX = std::floor(cx - view.measureText(knobDef.label) / 2.0);
    view.textCursorY = std::floor(cy + r + (knobDef.radius >= 20 ? 5.0 : 6.0) * s);
    view.textRun(knobDef.label);
    return;
  }
  view.setFontSlot(3);
  view.setColour(lit ? kLabelActive : kLabelNormal);
  view.textCursorX = std::floor(cx - view.measureText(knobDef.label) / 2.0);
  view.textCursorY = std::floor(cy + r + 4 * s);
  view.textRun(knobDef.label);
  formatKnobValue(knobDef.format, value, view.valueText, sizeof view.valueText);
  view.setFontSlot(5);
  view.setColour(lit ? view.controlAccent : kValueNormal);
  view.textCursorX = std::floor(cx - view.measureText(view.valueText) / 2.0);
  view.textCursorY = std::floor(cy + r + 17 * s);
  view.textRun(view.valueText);
}
} // namespace

double knobTravel(const KnobDef& knobDef, double value) {
  const double v = std::clamp(value, knobDef.minValue, knobDef.maxValue);
  const double t = knobDef.logTaper ? std::log(v / knobDef.minValue) / std::log(knobDef.maxValue / knobDef.minValue)
                                 : (v - knobDef.minValue) / (knobDef.maxValue - knobDef.minValue);
  return std::clamp(t, 0.0, 1.0);
}

double knobValue(const KnobDef& knobDef, double travel) {
  return knobDef.logTaper ? knobDef.minValue * std::exp(std::log(knobDef.maxValue / knobDef.minValue) * travel)
                       : knobDef.minValue + (knobDef.maxValue - knobDef.minValue) * travel;
}

void formatKnobValue(int format, double value, char* out, int outSize) {
  if (out == nullptr || outSize <= 0) return;
  const size_t size = static_cast<size_t>(outSize);
  switch (format) {
    case kFormatDb: formatNumber(out, size, value, 1, false, " dB"); break;
    case kFormatMs: formatNumber(out, size, value, roundedForDisplay(value, 1) < 10.0 ? 1 : 0, false, " ms"); break;
    case kFormatHz: formatFrequency(out, size, value, 1); break;
    case kFormatPercent: formatNumber(out, size, value, 0, false, " %"); break;
    case kFormatInteger: formatNumber(out, size, value, 0); break;
    case kFormatOctaves: formatNumber(out, size, value, 2, false, " oct"); break;
    case kFormatSignedDbPerOct: formatNumber(out, size, value, 1, true, " dB/oct"); break;
    default: formatNumber(out, size, value, 1, true, " dB"); break;
  }
}

void knob(VarnockView& view, const KnobDef& knobDef) {
  const double s = view.uiScale;
  const double cx = view.designX(knobDef.x);
  const double cy = view.designY(knobDef.y);
  const double r = s * knobDef.radius;
  const double reach = 8.0 * s + r;
  const double dx = view.mouseX - cx, dy = view.mouseY - cy;
  const bool hovered = reach * reach > dx * dx + dy * dy;
  if (hovered || view.activeId == knobDef.id) view.setHelpText(knobDef.helpText);

  handleKnobInput(view, knobDef, knobTravel(knobDef, view.paramValue(knobDef.param)), hovered);

  const double t = knobTravel(knobDef, view.paramValue(knobDef.param));
  const double startAngle = knobDef.bipolar ? 0.0 : kTravelStart;
  const double valueAngle = t * 1.5 * kPi - 0.75 * kPi;
  const bool dragged = view.activeId == knobDef.id;
  const bool lit = hovered || dragged;
  const int k = knobDef.liveRing ? std::max(3, static_cast<int>(std::floor(4 * s + 0.5)))
                              : std::max(2, static_cast<int>(std::floor(2.5 * s + 0.5)));

  if (dragged) {
    view.setColour(view.controlAccent, 0.18);
    view.fillCircle(cx, cy, r + 4 * s);
  }
  view.setColour(lit ? kBodyActive : kBodyNormal);
  view.fillCircle(cx, cy, knobDef.liveRing ? r - 7 * s : r - 5 * s);
  view.setColour(kTrack);
  ringBand(view, cx, cy, r, k, -135.0, 135.0);
  if (std::fabs(valueAngle - startAngle) > 0.01) {
    view.setColour(view.controlAccent);
    ringBand(view, cx, cy, r, k, degrees(std::min(valueAngle, startAngle)), degrees(std::max(valueAngle, startAngle)));
  }
  if (knobDef.liveRing && knobDef.liveAmount > 0.01) {
    const double liveAngle = std::min(1.0, knobDef.liveAmount) * 1.5 * kPi - 0.75 * kPi;
    const Rgb& a = view.controlAccent;
    view.setColour(a.r * 0.5 + 0.5, a.g * 0.5 + 0.5, a.b * 0.5 + 0.5, 0.95);
    const int rings = std::max(2, static_cast<int>(std::floor(3 * s + 0.5)));
    ringBand(view, cx, cy, r + 4 * s + rings - 1, rings, -135.0, degrees(liveAngle));
  }
  const double rho1 = knobDef.liveRing ? r - 6 * s : 0.3 * r;
  const double rho2 = knobDef.liveRing ? r - s : r - 5 * s;
  view.setColour(kPointer);
  view.line(cx + rho1 * std::sin(valueAngle), cy - rho1 * std::cos(valueAngle), cx + rho2 * std::sin(valueAngle),
            cy - rho2 * std::cos(valueAngle));

  drawKnobTexts(view, knobDef, cx, cy, r, lit);
}

} // namespace varnock
