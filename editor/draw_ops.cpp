// VarnockView's drawing vocabulary: thin wrappers over IGraphics that apply
// the view's colour conversion, pixel-centre rules and text slots. Every
// operation is one IGraphics call in the order made; the graphics layer's
// back end batches consecutive calls into few GPU draws.
#include <algorithm>
#include <cmath>

#include "editor/frame_scale.h"
#include "editor/varnock_view.h"

namespace varnock {

using iplug::igraphics::EAlign;
using iplug::igraphics::EVAlign;
using iplug::igraphics::IColor;
using iplug::igraphics::IRECT;
using iplug::igraphics::IText;

namespace {
// One channel 0..1 to a byte: trunc(min(255, c * 255 + 0.5)), not below 0.
int toByte(double c) {
  const double v = std::min(255.0, c * 255.0 + 0.5);
  return v > 0.0 ? static_cast<int>(v) : 0;
}
constexpr double kTextDrawFactor = 0.86;       // font em size relative to the slot's line height
} // namespace

void VarnockView::setColour(double r, double g, double b, double a) {
  mColour[0] = r;
  mColour[1] = g;
  mColour[2] = b;
  mColour[3] = a;
}

void VarnockView::setColour(const Rgb& c, double a) { setColour(c.r, c.g, c.b, a); }

IColor VarnockView::drawIColor() const {
  return IColor(toByte(mColour[3]), toByte(mColour[0]), toByte(mColour[1]), toByte(mColour[2]));
}

void VarnockView::fillRect(double x, double y, double w, double h) {
  x = std::floor(x); y = std::floor(y); w = std::floor(w); h = std::floor(h);
  if (w <= 0.0 || h <= 0.0) return;
  mGraphics->FillRect(drawIColor(), IRECT(static_cast<float>(x), static_cast<float>(y),
                                          static_cast<float>(x + w), static_cast<float>(y + h)));
}

void VarnockView::outlineRect(double x, double y, double w, double h) {
  x = std::floor(x); y = std::floor(y); w = std::floor(w); h = std::floor(h);
  if (w <= 0.0 || h <= 0.0) return;
  fillRect(x, y, w, 1);
  if (h > 1) fillRect(x, y + h - 1, w, 1);
  if (h > 2) fillRect(x, y + 1, 1, h - 2);
  if (h > 2 && w > 1) fillRect(x + w - 1, y + 1, 1, h - 2);
}

void VarnockView::line(double x1, double y1, double x2, double y2) {
  // A line of no length has butt ends at the same place: it covers nothing.
  if (x1 == x2 && y1 == y2) return;
  mGraphics->DrawLine(drawIColor(), static_cast<float>(x1 + 0.5), static_cast<float>(y1 + 0.5),
                      static_cast<float>(x2 + 0.5), static_cast<float>(y2 + 0.5), 1.f);
}

void VarnockView::lineStack(double x1, double y1, double x2, double y2, int from, int to) {
  if (x1 == x2 && y1 == y2) return;
  mGraphics->DrawLineStack(drawIColor(), static_cast<float>(x1 + 0.5), static_cast<float>(y1 + 0.5),
                           static_cast<float>(x2 + 0.5), static_cast<float>(y2 + 0.5), from, to, 1.f);
}

void VarnockView::fillCircle(double cx, double cy, double r) {
  if (!(r > 0.0)) return;
  mGraphics->FillCircle(drawIColor(), static_cast<float>(cx + 0.5), static_cast<float>(cy + 0.5),
                        static_cast<float>(r));
}

void VarnockView::arc(double cx, double cy, double r, double a1Deg, double a2Deg, double thickness) {
  if (!(r > 0.0) || !(thickness > 0.0)) return;
  if (a2Deg < a1Deg) std::swap(a1Deg, a2Deg);
  mGraphics->DrawArc(drawIColor(), static_cast<float>(cx + 0.5), static_cast<float>(cy + 0.5),
                     static_cast<float>(r), static_cast<float>(a1Deg), static_cast<float>(a2Deg),
                     static_cast<float>(thickness));
}

void VarnockView::fillTriangle(double x1, double y1, double x2, double y2, double x3, double y3) {
  mGraphics->FillTriangle(drawIColor(), static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                          static_cast<float>(y2), static_cast<float>(x3), static_cast<float>(y3));
}

void VarnockView::gradientRect(double x, double y, double w, double h, double alpha) {
  if (w <= 0.0 || h <= 0.0) return;
  const IColor top(toByte(alpha), toByte(modeAccent.r), toByte(modeAccent.g), toByte(modeAccent.b));
  const IColor bottom(0, top.R, top.G, top.B);
  mGraphics->FillRectVerticalGradient(IRECT(static_cast<float>(x), static_cast<float>(y),
                                            static_cast<float>(x + w), static_cast<float>(y + h)),
                                      top, bottom);
}

void VarnockView::fillPolygon(const float* xy, int pointCount) {
  if (xy == nullptr || pointCount < 1) return;
  mGraphics->PathClear();
  mGraphics->PathMoveTo(xy[0], xy[1]);
  for (int i = 1; i < pointCount; ++i) mGraphics->PathLineTo(xy[2 * i], xy[2 * i + 1]);
  mGraphics->PathClose();
  mGraphics->PathFill(drawIColor());
}

void VarnockView::drawSvg(const iplug::igraphics::ISVG& svg, double x, double y, double w, double h) {
  mGraphics->DrawSVG(svg, IRECT(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + w),
                                static_cast<float>(y + h)));
}

// ---- Text ----

void VarnockView::setFontSlot(int slot) { mFontSlot = std::clamp(slot, 1, 6); }

int VarnockView::fontSize(int slot) const {
  if (slot < 1 || slot > 6) slot = 1;
  return mSlotSize[slot] > 0 ? mSlotSize[slot] : textSlotSize(slot, uiScale);
}

IText VarnockView::textStyle() const {
  IText style;
  style.size = static_cast<float>(kTextDrawFactor * fontSize(mFontSlot));
  style.fgColor = drawIColor();
  style.font = textSlotBold(mFontSlot) ? "Arial-Bold" : "Arial";
  style.align = EAlign::Near;
  style.valign = EVAlign::Middle;
  return style;
}

int VarnockView::measureText(const char* text) {
  iplug::igraphics::IGraphics* g = mGraphics != nullptr ? mGraphics : GetUI();
  if (g == nullptr || text == nullptr || text[0] == '\0') return 0;
  return static_cast<int>(std::ceil(g->MeasureText(textStyle(), text)));
}

void VarnockView::textRun(const char* text) {
  if (text == nullptr || text[0] == '\0') return;
  const int width = measureText(text);
  const double x = textCursorX, y = textCursorY;
  mGraphics->DrawText(textStyle(), text,
                      IRECT(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width + 2),
                            static_cast<float>(y + fontSize(mFontSlot))));
  textCursorX += width;
}

void VarnockView::centredText(const char* text, double x, double w, double y, double h) {
  const int width = measureText(text);
  textCursorX = x + std::floor((w - width) / 2.0);
  textCursorY = y + std::floor((h - fontSize(mFontSlot)) / 2.0);
  textRun(text);
}

} // namespace varnock
