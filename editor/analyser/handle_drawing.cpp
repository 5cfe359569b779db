// The frequency-range handles on the analyser: shading outside the range,
// hover, press, double-click and drag (behaviour in range_handles.cpp), then
// the two handles with their grips and labels, drawn from the parameter
// values as they stand after this frame's drag so a drag shows at once.
#include <algorithm>
#include <cmath>

#include "plugin/param_index.h"
#include "editor/analyser/analyser_colours.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_text.h"

namespace varnock {

namespace {

constexpr double kHotAlpha = 1.0;
constexpr double kIdleAlpha = 0.65;
constexpr const char* kHandleHelp = "Frequency range: drag a handle  |  double-click = default";

void drawShading(AnalyserFrame& f, double xLow, double xHigh) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  setColour(v, kRangeShading);
  if (xLow > g.left) {
    v.fillRect(g.left, g.top, xLow - g.left, g.spectrumHeight);
    v.fillRect(g.left, g.activityTop, xLow - g.left, g.activityHeight);
  }
  if (xHigh < g.right()) {
    v.fillRect(xHigh, g.top, g.right() - xHigh, g.spectrumHeight);
    v.fillRect(xHigh, g.activityTop, g.right() - xHigh, g.activityHeight);
  }
}

void drawHandles(AnalyserFrame& f, const HandleHover& hover) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double s = g.scale;
  const double lowHz = v.paramValue(kFreqLow);
  const double highHz = v.paramValue(kFreqHigh);
  const double xLow = frequencyToX(g, lowHz);
  const double xHigh = frequencyToX(g, highHz);
  const double alphaLow = lowHandleHot(hover, v.activeId) ? kHotAlpha : kIdleAlpha;
  const double alphaHigh = highHandleHot(hover, v.activeId) ? kHotAlpha : kIdleAlpha;
  const double barWidth = std::max(2.0, std::floor(2.0 * s));
  const double gripTop = g.top + std::floor(g.spectrumHeight / 2.0 - 10.0 * s);
  const double gripWidth = std::floor(7.0 * s), gripHeight = std::floor(20.0 * s);

  // The low bar lies right of its column, the high bar left of its column:
  // both inside the processed range.
  v.setColour(f.accent, alphaLow);
  v.fillRect(xLow, g.top, barWidth, g.spectrumHeight);
  v.fillRect(xLow - std::floor(3.0 * s), gripTop, gripWidth, gripHeight);
  v.setColour(f.accent, alphaHigh);
  v.fillRect(xHigh - barWidth + 1.0, g.top, barWidth, g.spectrumHeight);
  v.fillRect(xHigh - std::floor(3.0 * s), gripTop, gripWidth, gripHeight);

  v.setFontSlot(5);
  const double labelY = g.spectrumBottom() - f.h5 - std::floor(8.0 * s);
  char label[kTextBufferSize];
  v.setColour(f.accent, alphaLow);
  textAt(v, formatHandleFrequency(label, sizeof label, lowHz), xLow + std::floor(8.0 * s), labelY);
  formatHandleFrequency(label, sizeof label, highHz);
  const int tw = v.measureText(label);
  v.setColour(f.accent, alphaHigh);
  textAt(v, label, xHigh - std::floor(8.0 * s) - tw, labelY);
}

} // namespace

HandleHover runRangeHandleStep(AnalyserFrame& f) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double lowHz = v.paramValue(kFreqLow);
  const double highHz = v.paramValue(kFreqHigh);
  const double xLow = frequencyToX(g, lowHz);
  const double xHigh = frequencyToX(g, highHz);
  drawShading(f, xLow, xHigh);

  const HandleHover hover = rangeHandleHover(g, v.mouseX, v.mouseY, xLow, xHigh);
  if (hover.any() || v.activeId == kLowHandleId || v.activeId == kHighHandleId) v.setHelpText(kHandleHelp);

  PressState press{v.activeId, v.lastClickId, v.lastClickTime};
  const PointerFrame pointer{v.mouseX, v.mouseY, v.prevMouseX, v.clickedThisFrame, v.frameTime};
  const HandleWrite write = runRangeHandles(g, pointer, hover, lowHz, highHz, press);
  v.activeId = press.activeId;
  v.lastClickId = press.lastClickId;
  v.lastClickTime = press.lastClickTime;
  if (write.paramIndex >= 0) v.editParam(write.paramIndex, write.valueHz, 1.0);

  drawHandles(f, hover);
  return hover;
}

} // namespace varnock
