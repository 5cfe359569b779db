#pragma once
// AnalyserState: everything the analyser keeps from one frame to the next —
// the per-column curve state, the activity map's history and markers, and
// the held peak. Owned by the Analyser inside VarnockView, so it lives exactly
// as long as the editor window; allocated once when the view is created and
// never during a frame. UI thread only.
#include "editor/analyser/activity_history.h"
#include "editor/analyser/column_pass.h"
#include "editor/analyser/held_peak.h"

namespace varnock {

struct AnalyserState {
  ColumnState columns;        // levels at -120 dB, everything else 0
  ActivityHistory history;    // empty map, no markers
  HeldPeak heldPeak;          // reset again by the view's first frame
};

} // namespace varnock
