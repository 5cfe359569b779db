// The spectrum area: panels, frequency and gain grids, the per-column fills
// (one vertical line per column) and the four curves (one segment per column
// and curve).
#include <algorithm>
#include <cmath>

#include "editor/analyser/analyser_colours.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_text.h"

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

void drawColumnFills(AnalyserFrame& f, const ColumnState& columns) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const EditorState& e = v.editorState;
  const int count = g.columnCount;
  // Each fill is a vertical line in its own pixel column and touches no
  // other column, so drawing all columns' input fills, then all bands, then
  // all gain fills gives the pixels of drawing each column's three in turn,
  // in runs of one colour.
  if (e.showInput) {
    // The area under the input curve.
    setColour(v, kInputFill);
    for (int c = 0; c < count; ++c) v.line(g.left + c, g.spectrumBottom(), g.left + c, columns.inputY[c]);
  }
  if (e.showInput && e.showOutput) {
    // The band between input and output: what was cut or added.
    v.setColour(f.accent, kBandAlpha);
    for (int c = 0; c < count; ++c)
      if (std::fabs(columns.inputY[c] - columns.outputY[c]) > 0.5)
        v.line(g.left + c, columns.outputY[c], g.left + c, columns.inputY[c]);
  }
  if (e.showGain) {
    // The area between the gain curve and its zero line.
    v.setColour(f.accent, kGainFillAlpha);
    for (int c = 0; c < count; ++c) v.line(g.left + c, columns.gainY[c], g.left + c, g.gainZeroY);
  }
}

void drawCurves(AnalyserFrame& f, const ColumnState& columns) {
  VarnockView& v = f.view;
  const AnalyserGeometry& g = f.g;
  const EditorState& e = v.editorState;
  const int count = g.columnCount;
  const Rgb idle = kInputLineIdle;
  const Rgb& accent = f.accent;
  const int glowHalfWidth = static_cast<int>(std::max(1.0, std::floor(2.0 * g.scale + 0.5)));
  // Column by column, each curve is one segment from (x - 1, y[c - 1]) to
  // (x, y[c]); neighbouring segments overlap at their shared column, so the
  // order threshold, input, output, gain holds across the whole curve pass.
  for (int c = 1; c < count; ++c) {
    const double x = g.left + c;
    auto segment = [&](const double* y) { v.line(x - 1.0, y[c - 1], x, y[c]); };
    // The segment at each whole-pixel offset from `from` to `to` (same colour, so in any order).
    auto segments = [&](const double* y, int from, int to) { v.lineStack(x - 1.0, y[c - 1], x, y[c], from, to); };
    if (e.showThreshold && (c / kDashColumns) % 2 == 0) {
      // Dashes of four columns and gaps of four (the first dash has three segments).
      setColour(v, kThresholdLine);
      segment(columns.thresholdY);
    }
    if (e.showInput) {
      // Where processing happens the line turns towards the accent, brightens and thickens.
      const double a = std::min(1.0, columns.activityLevel[c]);
      v.setColour(idle.r + a * (accent.r - idle.r), idle.g + a * (accent.g - idle.g), idle.b + a * (accent.b - idle.b),
                  0.5 + 0.5 * a);
      if (a > kTintThickenAbove)
        segments(columns.inputY, -1, 0);
      else
        segment(columns.inputY);
    }
    if (e.showOutput) {
      setColour(v, kOutputLine);
      segment(columns.outputY);
    }
    if (e.showGain) {
      // A soft glow where the gain leaves its zero line (2w + 1 shifted
      // copies whose alpha adds up where they overlap), then a 2-pixel core.
      if (std::fabs(columns.gainY[c] - g.gainZeroY) > 0.5 || std::fabs(columns.gainY[c - 1] - g.gainZeroY) > 0.5) {
        v.setColour(accent, kGainGlowAlpha);
        segments(columns.gainY, -glowHalfWidth, glowHalfWidth);
      }
      v.setColour(0.35 + 0.65 * accent.r, 0.35 + 0.65 * accent.g, 0.35 + 0.65 * accent.b, 1.0);
      segments(columns.gainY, 0, 1);
    }
  }
}

} // namespace varnock
