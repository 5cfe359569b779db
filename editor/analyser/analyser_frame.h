#pragma once
// The analyser's drawing steps and what they share within one frame. The
// Analyser runs them in a fixed order (which decides what overlaps what, who
// takes a press first and whose help text wins):
//   1 panels and grids            (spectrum_drawing.cpp)
//   2 columns, curves, activity   (spectrum_drawing.cpp, activity_drawing.cpp; only with FFT bins)
//   3 range handles               (handle_drawing.cpp)
//   4 mode word and amounts, 5 curve toggles, 6 cursor readout, 7 frame  (readout_drawing.cpp)
//   8 activity map outline        (activity_drawing.cpp)
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

// ---- Step 1 and 2: spectrum area ----
void drawPanelsAndGrids(AnalyserFrame& f);
void drawColumnFills(AnalyserFrame& f, const ColumnState& columns);
void drawCurves(AnalyserFrame& f, const ColumnState& columns);

// ---- Step 2 and 8: activity map ----
// Push, cells, label, help text, marker scan and markers; engineFrames is
// the feed's frameCount (a row gets only what frames since the last push gave).
void drawActivityMap(AnalyserFrame& f, ActivityHistory& history, std::uint64_t engineFrames);
void drawActivityOutline(AnalyserFrame& f);

// ---- Step 3: range handles (shading, interaction, drawing) ----
HandleHover runRangeHandleStep(AnalyserFrame& f);

// ---- Steps 4 to 7: readouts ----
void drawAmounts(AnalyserFrame& f, double heldPeakDb);
void runCurveToggles(AnalyserFrame& f);
void drawCursorReadout(AnalyserFrame& f, bool nearHandle);
void drawAnalyserFrame(AnalyserFrame& f);

} // namespace varnock
