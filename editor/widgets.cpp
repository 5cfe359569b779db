#include "editor/widgets.h"

#include <cmath>

#include "editor/varnock_view.h"

namespace varnock {

namespace {
constexpr Rgb kArrowTriangleNormal{0.80, 0.82, 0.88};
} // namespace

bool rectHovered(const VarnockView& view, double left, double top, double width, double height) {
  return view.mouseX >= left && view.mouseX < left + width && view.mouseY >= top && view.mouseY < top + height;
}

bool takeClick(VarnockView& view, bool hovered) {
  if (!hovered || !view.clickedThisFrame || view.activeId != kActiveNobody) return false;
  view.activeId = kActiveConsumed;
  return true;
}

bool labelButton(VarnockView& view, double x, double y, double w, double h, const char* label, bool selected,
                 const char* helpText) {
  const int left = view.designX(x);
  const int top = view.designY(y);
  const int width = static_cast<int>(std::floor(view.uiScale * (x + w) + view.originX + 0.5)) - left;
  const int height = view.designLength(h);
  const bool hovered = rectHovered(view, left, top, width, height);
  if (hovered) view.setHelpText(helpText);

  view.setColour(selected ? view.buttonAccent : hovered ? kButtonFillHovered : kButtonFillNormal);
  view.fillRect(left, top, width, height);
  view.setFontSlot(5);
  view.setColour(selected ? kLabelOnSelected : hovered ? kWhite : kButtonLabelNormal);
  view.centredText(label, left, width, top, height);
  return takeClick(view, hovered);
}

bool dropdownBox(VarnockView& view, double x, double y, double w, double h, const char* text,
                 const char* helpText) {
  const int left = view.designX(x);
  const int top = view.designY(y);
  const int width = view.designLength(w);
  const int height = view.designLength(h);
  const bool hovered = rectHovered(view, left, top, width, height);
  if (hovered) view.setHelpText(helpText);

  view.setColour(hovered ? kButtonFillHovered : kButtonFillNormal);
  view.fillRect(left, top, width, height);
  view.setColour(hovered ? kOutlineHovered : kOutlineNormal);
  view.outlineRect(left, top, width, height);

  view.setFontSlot(3);
  view.setColour(kBrightText);
  view.textCursorX = left + std::floor(10.0 * view.uiScale);
  view.textCursorY = top + std::floor((height - view.fontSize(3)) / 2.0);
  view.textRun(text);

  const double s = view.uiScale;
  const double apexX = left + width - std::floor(14.0 * s);
  view.setColour(view.controlAccent);
  view.fillTriangle(apexX - 4.0 * s, top + 0.42 * height, apexX + 4.0 * s, top + 0.42 * height, apexX,
                    top + 0.62 * height);
  return takeClick(view, hovered);
}

bool arrowButton(VarnockView& view, double x, double y, double w, double h, int direction, const char* helpText) {
  const int left = view.designX(x);
  const int top = view.designY(y);
  const int width = view.designLength(w);
  const int height = view.designLength(h);
  const bool hovered = rectHovered(view, left, top, width, height);
  if (hovered) view.setHelpText(helpText);

  view.setColour(hovered ? kButtonFillHovered : kButtonFillNormal);
  view.fillRect(left, top, width, height);
  view.setColour(hovered ? kOutlineHovered : kOutlineNormal);
  view.outlineRect(left, top, width, height);

  const double u = 4.0 * view.uiScale;
  const double cx = left + width / 2.0;
  const double cy = top + height / 2.0;
  const bool pointsLeft = direction < 0;
  const double baseX = pointsLeft ? cx + 0.6 * u : cx - 0.6 * u;
  const double tipX = pointsLeft ? cx - 0.7 * u : cx + 0.7 * u;
  view.setColour(hovered ? kWhite : kArrowTriangleNormal);
  view.fillTriangle(baseX, cy - u, baseX, cy + u, tipX, cy);
  return takeClick(view, hovered);
}

} // namespace varnock
