#include "editor/analyser/range_handles.h"

#include <algorithm>
#include <cmath>

#include "plugin/param_table.h"

namespace varnock {

namespace {
constexpr double kGrabDistance = 9.0;        // design px around a handle
constexpr double kDoubleClickS = 0.3;
constexpr double kLowDefaultHz = paramDefault(kFreqLow);
constexpr double kHighDefaultHz = paramDefault(kFreqHigh);
constexpr double kMinHz = paramDef(kFreqLow).minValue;
constexpr double kMaxHz = paramDef(kFreqLow).maxValue;
constexpr double kLowMaxOfHigh = 0.95;       // a dragged Freq Low stays at or below 95 % of Freq High
constexpr double kHighMinOfLow = 1.05;       // a dragged Freq High stays at or above 105 % of Freq Low
}

HandleHover rangeHandleHover(const AnalyserGeometry& g, double mouseX, double mouseY, double xLow, double xHigh) {
  HandleHover hover;
  if (!g.inSpectrum(mouseX, mouseY)) return hover;
  const double reach = kGrabDistance * g.scale;
  if (std::fabs(mouseX - xLow) < reach)
    hover.nearLow = true;
  else if (std::fabs(mouseX - xHigh) < reach)
    hover.nearHigh = true;
  return hover;
}

HandleWrite runRangeHandles(const AnalyserGeometry& g, const PointerFrame& pointer, const HandleHover& hover,
                            double freqLowHz, double freqHighHz, PressState& press) {
  HandleWrite write;
  if (pointer.clicked && press.activeId == 0 && hover.any()) {
    const int id = hover.nearLow ? kLowHandleId : kHighHandleId;
    if (pointer.frameTime - press.lastClickTime < kDoubleClickS && press.lastClickId == id) {
      write.paramIndex = id == kLowHandleId ? kFreqLow : kFreqHigh;
      write.valueHz = id == kLowHandleId ? kLowDefaultHz : kHighDefaultHz;
      press.activeId = -1;
      press.lastClickId = 0;
      return write;
    }
    press.activeId = id;
    press.lastClickId = id;
    press.lastClickTime = pointer.frameTime;
  }
  // A drag follows the pointer's absolute position, and only when it moved.
  if (pointer.mouseX == pointer.prevMouseX) return write;
  const double hz = xToFrequency(g, pointer.mouseX);
  if (press.activeId == kLowHandleId) {
    write.paramIndex = kFreqLow;
    write.valueHz = std::max(std::min(hz, kLowMaxOfHigh * freqHighHz), kMinHz);
  } else if (press.activeId == kHighHandleId) {
    write.paramIndex = kFreqHigh;
    write.valueHz = std::min(std::max(hz, kHighMinOfLow * freqLowHz), kMaxHz);
  }
  return write;
}

} // namespace varnock
