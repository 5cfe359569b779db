#include "editor/analyser/readout_layout.h"

#include <algorithm>
#include <cmath>

namespace varnock {

CurveToggleLayout curveToggleLayout(double rightEdge, double y, double s, int h3, int labelWidth) {
  CurveToggleLayout t;
  t.swatchLength = std::floor(16.0 * s);
  const double gap = std::floor(6.0 * s);
  t.thickness = std::max(2.0, std::floor(2.0 * s));
  t.left = rightEdge - t.swatchLength - gap - labelWidth;
  t.mid = y + std::floor(h3 / 2.0);
  t.labelX = t.left + t.swatchLength + gap;
  t.hitLeft = t.left;
  t.hitRight = t.left + 6.0 * s + t.swatchLength + labelWidth;
  t.hitTop = y - 2.0 * s;
  t.hitBottom = y - 2.0 * s + 4.0 * s + h3;
  return t;
}

double firstToggleRight(const AnalyserGeometry& g) { return g.right() - std::floor(8.0 * g.scale); }
double toggleRowTop(const AnalyserGeometry& g) { return g.top + std::floor(8.0 * g.scale); }
double nextToggleGap(double s) { return std::floor(14.0 * s); }

double toggleRowBottom(const AnalyserGeometry& g, int h3) {
  return g.top + std::floor(8.0 * g.scale) + h3 + std::floor(4.0 * g.scale);
}

bool cursorReadoutShown(const AnalyserGeometry& g, double mouseX, double mouseY, int activeId,
                        bool nearHandle, int h3, int fftSize) {
  return g.inSpectrum(mouseX, mouseY) && activeId == 0 && !nearHandle &&
         mouseY > toggleRowBottom(g, h3) && fftSize > 0;
}

ReadoutBox cursorReadoutBox(const AnalyserGeometry& g, double mouseX, double mouseY, int textWidth, int h3, int h5) {
  const double s = g.scale;
  ReadoutBox box;
  box.w = std::floor(16.0 * s) + textWidth;
  box.h = std::floor(8.0 * s) + h5;
  box.x = mouseX + std::floor(12.0 * s);
  if (box.x + box.w > g.right()) box.x = mouseX - std::floor(12.0 * s) - box.w;
  box.y = std::max(toggleRowBottom(g, h3), mouseY - box.h - std::floor(10.0 * s));
  return box;
}

} // namespace varnock
