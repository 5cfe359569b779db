#include "editor/analyser/curve_stroker.h"

#include <algorithm>

namespace varnock {

namespace {
// One channel 0..1 to a byte, as the view converts its drawing colour.
int toByte(double c) {
  const double v = std::min(255.0, c * 255.0 + 0.5);
  return v > 0.0 ? static_cast<int>(v) : 0;
}
} // namespace

CurveStroker::CurveStroker(VarnockView& view) : mGraphics(view.graphics()) {
  // drawSvg strokes the view's pending lines before drawing; an empty
  // document draws nothing.
  view.drawSvg(iplug::igraphics::ISVG(), 0.0, 0.0, 0.0, 0.0);
}

void CurveStroker::setColour(double r, double g, double b, double a) {
  const iplug::igraphics::IColor colour(toByte(a), toByte(r), toByte(g), toByte(b));
  if (mPending && !(colour == mColour)) finish();
  mColour = colour;
}

void CurveStroker::moveTo(double x, double y) {
  if (mGraphics == nullptr) return;
  if (!mPending) {
    mGraphics->PathClear();
    mPending = true;
  }
  mGraphics->PathMoveTo(static_cast<float>(x + 0.5), static_cast<float>(y + 0.5));
}

void CurveStroker::lineTo(double x, double y) {
  if (mGraphics == nullptr || !mPending) return;
  mGraphics->PathLineTo(static_cast<float>(x + 0.5), static_cast<float>(y + 0.5));
}

void CurveStroker::finish() {
  if (!mPending) return;
  mPending = false;
  mGraphics->PathStroke(mColour, 1.f);
}

} // namespace varnock
