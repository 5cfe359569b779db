#include "editor/analyser/analyser.h"

#include "plugin/param_index.h"
#include "editor/analyser/analyser_frame.h"
#include "editor/analyser/analyser_state.h"

namespace varnock {

Analyser::Analyser() : mState(std::make_unique<AnalyserState>()) {}

Analyser::~Analyser() = default;

void Analyser::resetHeldPeak() { mState->heldPeak.reset(); }

void textAt(VarnockView& view, const char* text, double x, double y) {
  view.textCursorX = x;
  view.textCursorY = y;
  view.textRun(text);
}

void Analyser::draw(VarnockView& view) {
  AnalyserState& state = *mState;
  AnalyserFrame f{view,
                  makeAnalyserGeometry(view.uiScale, view.editorWidth, view.extraHeight, view.modeIndex,
                                       view.paramValue(kDepth)),
                  readFeedFrame(view.engine),
                  view.modeAccent,
                  view.paramValue(kDelta) > 0.5,
                  view.fontSize(3),
                  view.fontSize(4),
                  view.fontSize(5),
                  view.fontSize(6)};

  drawPanelsAndGrids(f);
  // Before the engine's first reset there are no bins: no columns, curves,
  // cells or markers, and the history stays as it is.
  if (f.feed.hasBins()) {
    runColumnPass(f.g, f.feed, view.engine, state.columns, state.history);
    drawColumnFills(f, state.columns);
    drawCurves(f, state.columns);
    drawActivityMap(f, state.history, feedLoad(view.engine.frameCount));
  }
  const HandleHover hover = runRangeHandleStep(f);
  state.heldPeak.update(view.liveAmountDb, view.frameTime);
  drawAmounts(f, state.heldPeak.peakDb);
  runCurveToggles(f);
  drawCursorReadout(f, hover.any());
  drawAnalyserFrame(f);
  drawActivityOutline(f);
}

} // namespace varnock
