#pragma once
// Varnock: the plug-in object the host creates per insert. It owns the 18
// parameters (through the framework), the spectral engine record by value and
// the engine's change flags, and overrides three framework hooks: parameter
// change (marks the engine's snapshot stale), reset (full engine reset) and
// block processing (snapshot and coefficients when stale, then the engine).
//
// Threads: ProcessBlock() and OnReset() run on the host's audio thread;
// OnParamChange() on whichever thread delivers the change; the editor (UI
// thread) reads the engine's analysis feed through engine() and keeps its
// lasting flags in editorState(). The two sides share only the parameter
// values, paramsChanged and the feed, all atomics.
#include <atomic>

#include "dsp/spectral_engine.h"
#include "framework/vst3/iplug_vst3.h"
#include "plugin/editor_state.h"

namespace varnock {

class Varnock final : public iplug::IPlugVST3 {
public:
  // Editor size limits in pixels (up to four times the 760 x 416 design size).
  static constexpr int kMinEditorWidth = 560, kMaxEditorWidth = 3040;
  static constexpr int kMinEditorHeight = 320, kMaxEditorHeight = 1664;

  Varnock();

  // Any thread: marks the engine's parameter snapshot stale.
  void OnParamChange(int paramIdx) override;
  // Audio thread: full reset at the host's sample rate.
  void OnReset() override;
  // Audio thread: two input and two output channels of nFrames each.
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;

  // The engine record; the editor reads its analysis feed with feedLoad().
  const SpectralEngine& engine() const { return mEngine; }
  SpectralEngine& engine() { return mEngine; }     // for tests that stage a feed
  // The editor's lasting flags (UI thread).
  EditorState& editorState() { return mEditorState; }

private:
  void fullResetAtHostRate();
  void snapshotRead();
  void reportLatencyIfChanged();

  SpectralEngine mEngine;
  EditorState mEditorState;
  std::atomic<bool> paramsChanged{true};       // a parameter changed since the last snapshot
  bool initialised = false;                    // audio thread: a full reset has run
  double lastSampleRate = 0.0;                 // audio thread: Hz at the last full reset
  int reportedLatency = -1;                    // audio thread: samples last reported to the host
};

} // namespace varnock
