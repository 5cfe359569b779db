#pragma once
// The analyser's drawing passes and what they share within one frame. The
// Analyser runs them in this order, which decides what overlaps what, who
// takes a press first and whose help text wins:
//   panels and grids            (spectrum_drawing.cpp)
//   columns, curves, activity   (spectrum_drawing.cpp, activity_drawing.cpp; only with FFT bins)
//   range handles               (handle_drawing.cpp)
//   mode word and amounts, curve toggles, cursor readout, frame  (readout_drawing.cpp)
//   activity map outline        (activity_drawing.cpp)
// UI thread, inside VarnockView's frame.
#include <cstdint>

#include "editor/analyser/analyser_geometry.h"
#include "editor/analyser/column_pass.h"
#include "editor/analyser/range_handles.h"
#include "editor/varnock_view.h"

namespace varnock {

struct ActivityHistory;

struct AnalyserFrame {
  VarnockView& view;
  AnalyserGeometry g;
  FeedFrame feed;          // fftSize, lastBin, sampleRate as read at the start of the frame
  Rgb accent;              // the mode accent
  bool deltaOn;            // Delta above 0.5
  int h3, h4, h5, h6;      // text slot sizes of this frame, px
};

// Places a text run at (x, y) in the current font slot and colour.
void textAt(VarnockView& view, const char* text, double x, double y);

// ---- Spectrum area ----
void drawPanelsAndGrids(AnalyserFrame& f);
void drawColumnFills(AnalyserFrame& f, const ColumnState& columns);
void drawCurves(AnalyserFrame& f, const ColumnState& columns);

// ---- Activity map ----
// Push, cells, label, help text, marker scan and markers; engineFrames is
// the feed's frameCount (a row gets only what frames since the last push gave).
void drawActivityMap(AnalyserFrame& f, ActivityHistory& history, std::uint64_t engineFrames);
void drawActivityOutline(AnalyserFrame& f);

// ---- Range handles (shading, interaction, drawing) ----
HandleHover runRangeHandleStep(AnalyserFrame& f);

// ---- Readouts and frame ----
void drawAmounts(AnalyserFrame& f, double heldPeakDb);
void runCurveToggles(AnalyserFrame& f);
void drawCursorReadout(AnalyserFrame& f, bool nearHandle);
void drawAnalyserFrame(AnalyserFrame& f);

} // namespace varnock
