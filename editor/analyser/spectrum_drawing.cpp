// The spectrum area: panels, frequency and gain grids, the per-column fills
// and the four curves. Each fill is a vertical strip per pixel column; a run
// of neighbouring strips is drawn as one polygon (the same pixels as one line
// per column, in a few draw calls). Each curve is drawn whole before the
// next (all thresholds, then all inputs, ...), as polylines of one colour.
#include <algorithm>
#include <cmath>

#include "editor/analyser/analyser_colours.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_text.h"
#include "editor/analyser/curve_stroker.h"

namespace varnock {

namespace {

constexpr double kGradientAlpha = 0.3;        // accent at the top of the spectrum area
constexpr double kGradientShare = 0.6;        // of the spectrum height
constexpr double kBandAlpha = 0.4;            // between input and output
constexpr double kGainFillAlpha = 0.14;       // between gain curve and zero line
constexpr double kGainGlowAlpha = 0.1;
constexpr double kTintThickenAbove = 0.3;     // activity above this doubles the input line
constexpr int kDashColumns = 4;               // threshold dashes and gaps

void drawFrequencyGrid(AnalyserFrame& f) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  double hz[kMaxGridLines];
  const int count = frequencyGridHz(hz);
  setColour(v, kFrequencyGridLine);
  for (int i = 0; i < count; ++i) {
    const double x = frequencyToX(g, hz[i]);
    v.line(x, g.top, x, g.spectrumBottom());
    v.line(x, g.activityTop, x, g.activityBottom());
  }
  // Labels centred under the lines, in the band between spectrum and map.
  v.setFontSlot(3);
  setColour(v, kAxisLabel);
  char label[kTextBufferSize];
  for (int i = 0; i < count; ++i) {
    formatGridLabel(label, sizeof label, hz[i]);
    const int tw = v.measureText(label);
    textAt(v, label, frequencyToX(g, hz[i]) - std::floor(tw / 2.0), g.spectrumBottom() + std::floor(2.0 * g.scale));
  }
}

void drawGainGrid(AnalyserFrame& f) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  v.setFontSlot(3);
  char label[kTextBufferSize];
  for (int i = 1; i <= 2; ++i) {
    const double gainDb = gainGridDb(g, i);
    const double y = std::floor(gainToYUnclamped(g, gainDb));
    setColour(v, kGainGridLine);
    v.line(g.left, y, g.right(), y);
    formatGainGridLabel(label, sizeof label, gainDb);
    const int tw = v.measureText(label);
    setColour(v, kAxisLabel);
    textAt(v, label, g.right() - std::floor(8.0 * g.scale) - tw, y - f.h3 - std::floor(g.scale));
  }
  setColour(v, kGainZeroLine);
  v.line(g.left, g.gainZeroY, g.right(), g.gainZeroY);
}

// Fills runs of columns whose span is not empty, as polygons: column c
// covers x .. x + 1 and, like a vertical line between pixel centres,
// upper + 0.5 .. lower + 0.5. span(c, upper, lower) gives the column's extent
// and whether it is drawn. A polygon covers at most kPolygonColumns columns:
// the rasteriser's cost of a concave fill grows with the width its triangle
// fan spans, and pixel-aligned joins between pieces leave no seam.
constexpr int kPolygonColumns = 32;

template <typename Span>
void fillColumnRuns(VarnockView& v, DrawScratch& scratch, const AnalyserGeometry& g, int count, Span span) {
  float* xy = scratch.xy;
  double upper = 0.0, lower = 0.0;
  for (int c0 = 0; c0 < count;) {
    if (!span(c0, upper, lower)) {
      ++c0;
      continue;
    }
    int c1 = c0;
    while (c1 + 1 < count && c1 + 1 < c0 + kPolygonColumns && span(c1 + 1, upper, lower)) ++c1;
    int n = 0;
    auto point = [&](double x, double y) {
      xy[2 * n] = static_cast<float>(x);
      xy[2 * n + 1] = static_cast<float>(y + 0.5);
      ++n;
    };
    for (int c = c0; c <= c1; ++c) {
      span(c, upper, lower);
      point(g.left + c, upper);
      point(g.left + c + 1, upper);
    }
    for (int c = c1; c >= c0; --c) {
      span(c, upper, lower);
      point(g.left + c + 1, lower);
      point(g.left + c, lower);
    }
    v.fillPolygon(xy, n);
    c0 = c1 + 1;
  }
}

// The gain glow: the union of the gain polyline over columns c0 - 1 .. c1
// shifted by every whole offset -w .. +w (1-pixel lines between pixel
// centres), that is the band from y - w to y + w + 1 along the polyline,
// filled in pieces of at most kPolygonColumns segments.
void fillGlowBand(VarnockView& v, DrawScratch& scratch, const AnalyserGeometry& g, const double* y, int c0,
                  int c1, int w) {
  float* xy = scratch.xy;
  for (int p0 = c0; p0 <= c1; p0 += kPolygonColumns) {
    const int p1 = std::min(c1, p0 + kPolygonColumns - 1);
    int n = 0;
    for (int c = p0 - 1; c <= p1; ++c, ++n) {
      xy[2 * n] = static_cast<float>(g.left + c + 0.5);
      xy[2 * n + 1] = static_cast<float>(y[c] - w);
    }
    for (int c = p1; c >= p0 - 1; --c, ++n) {
      xy[2 * n] = static_cast<float>(g.left + c + 0.5);
      xy[2 * n + 1] = static_cast<float>(y[c] + w + 1);
    }
    v.fillPolygon(xy, n);
  }
}

} // namespace

void drawPanelsAndGrids(AnalyserFrame& f) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  setColour(v, kSpectrumPanel);
  v.fillRect(g.left, g.top, g.width, g.spectrumHeight);
  v.gradientRect(g.left, g.top, g.width, std::max(1.0, std::floor(kGradientShare * g.spectrumHeight)),
                 kGradientAlpha);
  setColour(v, kActivityPanel);
  v.fillRect(g.left, g.activityTop, g.width, g.activityHeight);
  drawFrequencyGrid(f);
  drawGainGrid(f);
}

void drawColumnFills(AnalyserFrame& f, const ColumnState& columns, DrawScratch& scratch) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const SpectralEngine& e = v.engine;
  const int count = g.columnCount;
  if (e.showInput) {
    // The area under the input curve.
    setColour(v, kInputFill);
    fillColumnRuns(v, scratch, g, count, [&](int c, double& upper, double& lower) {
      upper = columns.inputY[c];
      lower = g.spectrumBottom();
      return upper < lower;
    });
  }
  if (e.showInput && e.showOutput) {
    // The band between input and output: what was cut or added.
    v.setColour(f.accent, kBandAlpha);
    fillColumnRuns(v, scratch, g, count, [&](int c, double& upper, double& lower) {
      upper = std::min(columns.inputY[c], columns.outputY[c]);
      lower = std::max(columns.inputY[c], columns.outputY[c]);
      return lower - upper > 0.5;
    });
  }
  if (e.showGain) {
    // The area between the gain curve and its zero line.
    v.setColour(f.accent, kGainFillAlpha);
    fillColumnRuns(v, scratch, g, count, [&](int c, double& upper, double& lower) {
      upper = std::min(columns.gainY[c], g.gainZeroY);
      lower = std::max(columns.gainY[c], g.gainZeroY);
      return upper < lower;
    });
  }
}

void drawCurves(AnalyserFrame& f, const ColumnState& columns, DrawScratch& scratch) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const SpectralEngine& e = v.engine;
  const int count = g.columnCount;
  CurveStroker stroker(v);
  // Segment c runs from (x - 1, y[c - 1]) to (x, y[c]); a run of segments
  // c0 .. c1 is one polyline through columns c0 - 1 .. c1, shifted by dy.
  auto polyline = [&](const double* y, int c0, int c1, double dy) {
    stroker.moveTo(g.left + c0 - 1, y[c0 - 1] + dy);
    for (int c = c0; c <= c1; ++c) stroker.lineTo(g.left + c, y[c] + dy);
  };

  if (e.showThreshold) {
    // Dashes of four segments (the first of three) with four-column gaps.
    stroker.setColour(kThresholdLine.r, kThresholdLine.g, kThresholdLine.b, kThresholdLine.a);
    for (int c0 = 1; c0 < count; c0 = (c0 / (2 * kDashColumns) + 1) * 2 * kDashColumns)
      polyline(columns.thresholdY, c0, std::min(count - 1, (c0 / kDashColumns + 1) * kDashColumns - 1), 0.0);
  }
  if (e.showInput && count > 1) {
    // Where processing happens the line turns towards the accent, brightens
    // and (above 0.3) doubles one pixel higher. Every stroke of a new colour
    // costs the rasteriser far more than a longer path, so the columns are
    // drawn grouped by their 8-bit colour: one stroke per colour, one
    // polyline per run of neighbouring columns within it.
    const Rgb idle = kInputLineIdle;
    auto colourOf = [&](int c, double rgba[4]) {
      const double a = std::min(1.0, columns.activityLevel[c]);
      rgba[0] = idle.r + a * (f.accent.r - idle.r);
      rgba[1] = idle.g + a * (f.accent.g - idle.g);
      rgba[2] = idle.b + a * (f.accent.b - idle.b);
      rgba[3] = 0.5 + 0.5 * a;
      return a > kTintThickenAbove;
    };
    int n = 0;
    for (int c = 1; c < count; ++c) {
      double rgba[4];
      const bool thick = colourOf(c, rgba);
      scratch.inputKey[c] = colourKey(rgba[0], rgba[1], rgba[2], rgba[3]) * 2 + (thick ? 1 : 0);
      scratch.inputOrder[n++] = c;
    }
    std::sort(scratch.inputOrder, scratch.inputOrder + n, [&](int a, int b) {
      return scratch.inputKey[a] != scratch.inputKey[b] ? scratch.inputKey[a] < scratch.inputKey[b] : a < b;
    });
    for (int i = 0; i < n;) {
      const int c0 = scratch.inputOrder[i];
      int j = i;
      while (j + 1 < n && scratch.inputOrder[j + 1] == scratch.inputOrder[j] + 1 &&
             scratch.inputKey[scratch.inputOrder[j + 1]] == scratch.inputKey[c0])
        ++j;
      const int c1 = scratch.inputOrder[j];
      double rgba[4];
      const bool thick = colourOf(c0, rgba);
      stroker.setColour(rgba[0], rgba[1], rgba[2], rgba[3]);
      polyline(columns.inputY, c0, c1, 0.0);
      if (thick) polyline(columns.inputY, c0, c1, -1.0);
      i = j + 1;
    }
  }
  if (e.showOutput && count > 1) {
    stroker.setColour(kOutputLine.r, kOutputLine.g, kOutputLine.b, kOutputLine.a);
    polyline(columns.outputY, 1, count - 1, 0.0);
  }
  if (e.showGain && count > 1) {
    // A soft glow where the gain leaves its zero line, then a 2-pixel core.
    const int w = static_cast<int>(std::max(1.0, std::floor(2.0 * g.scale + 0.5)));
    auto glows = [&](int c) {
      return std::fabs(columns.gainY[c] - g.gainZeroY) > 0.5 || std::fabs(columns.gainY[c - 1] - g.gainZeroY) > 0.5;
    };
    stroker.finish();
    v.setColour(f.accent, kGainGlowAlpha);
    for (int c0 = 1; c0 < count;) {
      if (!glows(c0)) {
        ++c0;
        continue;
      }
      int c1 = c0;
      while (c1 + 1 < count && glows(c1 + 1)) ++c1;
      fillGlowBand(v, scratch, g, columns.gainY, c0, c1, w);
      c0 = c1 + 1;
    }
    stroker.setColour(0.35 + 0.65 * f.accent.r, 0.35 + 0.65 * f.accent.g, 0.35 + 0.65 * f.accent.b, 1.0);
    polyline(columns.gainY, 1, count - 1, 0.0);
    polyline(columns.gainY, 1, count - 1, 1.0);
  }
}

} // namespace varnock
