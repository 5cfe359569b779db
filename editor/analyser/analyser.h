#pragma once
// Analyser: the live spectrum view in the middle band of the editor — spectra
// and curves on a three-decade log axis, the activity map of the last seconds,
// the frequency-range handles and the readouts with the curve toggles. It is
// not a control of its own: VarnockView owns one Analyser by value (its display
// history lives as long as the view) and calls draw() once per frame, after the
// header and before the knob panel, with the view's captured input and drawing
// operations. UI thread only; reads the engine's analysis feed without locks.
#include <memory>

namespace varnock {

class VarnockView;
struct AnalyserState;

class Analyser {
public:
  Analyser();                                  // column levels at -120 dB, all else 0
  ~Analyser();
  Analyser(const Analyser&) = delete;
  Analyser& operator=(const Analyser&) = delete;

  // The first frame after the view was created: the held peak and its time start at 0.
  void resetHeldPeak();
  // Lays out, draws and handles the analyser block for this frame.
  void draw(VarnockView& view);

private:
  std::unique_ptr<AnalyserState> mState;       // fixed arrays, allocated once with the view
};

} // namespace varnock
