// The activity map: history push, lit cells (newest row at the top), the
// "last 4 s" label, its help text, the peak markers under the map, and the
// outline drawn at the very end of the analyser.
#include <algorithm>
#include <cmath>

#include "editor/analyser/activity_history.h"
#include "editor/analyser/analyser_colours.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_text.h"

namespace varnock {

namespace {

constexpr double kOutlineAlpha = 0.45;
constexpr const char* kMapLabel = "last 4 s";
constexpr const char* kMapHelp = "Activity: where processing happened in the last 4 s";

void drawCells(AnalyserFrame& f, const ActivityHistory& history) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double bandWidth = g.width / ActivityHistory::kBands;
  const double rowHeight = g.activityHeight / ActivityHistory::kRows;
  for (int age = 0; age < ActivityHistory::kRows; ++age) {
    const double* row = history.rowByAge(age);
    const double y0 = std::floor(g.activityTop + age * rowHeight);
    const double h = std::max(1.0, std::floor(g.activityTop + (age + 1) * rowHeight) - y0);
    for (int j = 0; j < ActivityHistory::kBands; ++j) {
      const CellLook look = activityCellLook(row[j], g.depthScaleDb, f.accent.r, f.accent.g, f.accent.b);
      if (!look.lit) continue;
      const double x0 = std::floor(g.left + j * bandWidth);
      const double w = std::max(1.0, std::floor(g.left + (j + 1) * bandWidth) - x0);
      v.setColour(look.r, look.g, look.b, look.a);
      v.fillRect(x0, y0, w, h);
    }
  }
}

void drawMarkers(AnalyserFrame& f, const ActivityHistory& history) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const double s = g.scale;
  const double bandWidth = g.width / ActivityHistory::kBands;
  const double mapBottom = g.activityBottom();
  v.setFontSlot(6);
  v.setColour(0.5 + 0.5 * f.accent.r, 0.5 + 0.5 * f.accent.g, 0.5 + 0.5 * f.accent.b, 1.0);
  char text[kTextBufferSize];
  for (int k = 0; k < history.markerCount; ++k) {
    const double x = std::floor(g.left + (history.markerBand[k] + 0.5) * bandWidth);
    formatMarkerText(text, sizeof text, xToFrequency(g, x), history.markerValueDb[k], g.boost());
    v.fillTriangle(x, mapBottom + std::floor(s), x - std::floor(4.0 * s), mapBottom + std::floor(5.0 * s),
                   x + std::floor(4.0 * s), mapBottom + std::floor(5.0 * s));
    // Centred under the triangle, kept inside the analyser's width.
    const int tw = v.measureText(text);
    const double textX = std::min(g.right() - tw, std::max(g.left, x - std::floor(tw / 2.0)));
    textAt(v, text, textX, mapBottom + std::floor(6.0 * s));
  }
}

} // namespace

void drawActivityMap(AnalyserFrame& f, ActivityHistory& history, std::uint64_t engineFrames) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  history.pushIfDue(v.frameTime, engineFrames);
  drawCells(f, history);

  v.setFontSlot(3);
  setColour(v, kActivityLabel);
  const int tw = v.measureText(kMapLabel);
  textAt(v, kMapLabel, g.right() - std::floor(8.0 * g.scale) - tw, g.activityBottom() - f.h3 - std::floor(3.0 * g.scale));

  if (g.inActivityMap(v.mouseX, v.mouseY)) v.setHelpText(kMapHelp);

  history.scanIfDue(v.frameTime, markerSpacingBands(g.scale, g.width / ActivityHistory::kBands));
  drawMarkers(f, history);
}

void drawActivityOutline(AnalyserFrame& f) {
  const AnalyserGeometry& g = f.g;
  f.view.setColour(f.accent, kOutlineAlpha);
  f.view.outlineRect(g.left, g.activityTop, g.width, g.activityHeight);
}

} // namespace varnock
