#include "editor/frame_scale.h"

#include <algorithm>
#include <cmath>

namespace varnock {

FrameScale computeFrameScale(double rectWidth, double rectHeight, double uiSizeValue, double screenScale) {
  FrameScale s;
  s.editorWidth = static_cast<int>(std::floor(rectWidth));
  s.editorHeight = static_cast<int>(std::floor(rectHeight));
  // A design pixel is screenScale window pixels on a screen the host scales.
  const double fixedScale = screenScale > 0.0 ? std::min(screenScale, 4.0) : 1.0;
  const double maxScale = uiSizeValue > 0.5 ? 4.0 : fixedScale;
  s.uiScale = std::min({maxScale, s.editorHeight / kDesignHeight, s.editorWidth / kDesignWidth});
  if (!(s.uiScale > 0.1)) s.uiScale = 1.0;
  s.extraWidth = s.editorWidth - kDesignWidth * s.uiScale;
  s.extraHeight = s.editorHeight - kDesignHeight * s.uiScale;
  return s;
}

int textSlotSize(int slot, double uiScale) {
  // Design size and minimum per slot; slot 5 repeats slot 3 in bold.
  static constexpr double kDesignSize[7] = {13, 13, 20, 13, 18, 13, 12};
  static constexpr int kMinimum[7] = {9, 9, 12, 9, 11, 9, 8};
  if (slot < 1 || slot > 6) slot = 1;
  const int size = static_cast<int>(std::floor(kDesignSize[slot] * uiScale + 0.5));
  return std::max(kMinimum[slot], size);
}

bool textSlotBold(int slot) { return slot == 2 || slot == 4 || slot == 5 || slot == 6; }

} // namespace varnock
