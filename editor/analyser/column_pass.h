#pragma once
// The column pass: once per frame, every pixel column of the spectrum area
// takes the bins that fall into its frequency span from the engine's analysis
// feed and turns them into the y positions of the four curves. Input and
// output levels jump up at once and fall at most 1.2 dB per frame; the
// detection amount (activity) is held and decays by 0.88 per frame. Each
// column also hands its gain to the activity map's band accumulator.
//
// Threads: UI thread. The feed is read while the audio thread writes it: every
// element with feedLoad, each bin at most once per frame (neighbouring
// columns share their boundary bin through a one-bin cache), and never past
// the lastBin read at the start of the frame.
#include "dsp/spectral_engine.h"
#include "editor/analyser/analyser_geometry.h"

namespace varnock {

struct ActivityHistory;

// Per pixel column state, indexed from the analyser's left edge, kept between
// frames. Owned by the analyser (one per editor view).
struct ColumnState {
  static constexpr int kMaxColumns = 4096;
  static constexpr double kSilentLevelDb = -120.0;   // below the bottom edge
  static constexpr double kLevelFallDbPerFrame = 1.2;
  static constexpr double kActivityDecayPerFrame = 0.88;

  double inputLevelDb[kMaxColumns];     // smoothed input level, dB
  double outputLevelDb[kMaxColumns];    // smoothed output level, dB
  double activityLevel[kMaxColumns];    // held and decaying detection amount, 0 and up
  double inputY[kMaxColumns];           // this frame's curve positions, px
  double outputY[kMaxColumns];
  double thresholdY[kMaxColumns];
  double gainY[kMaxColumns];

  ColumnState() { reset(); }
  // Levels at kSilentLevelDb, everything else 0.
  void reset();
};

// The feed's frame-wide scalars, read once at the start of a frame and used
// for the whole frame. lastBin is limited to the arrays' slots.
struct FeedFrame {
  int fftSize = 0;
  int lastBin = 0;
  double sampleRate = 0.0;
  bool hasBins() const { return fftSize > 0; }
};
FeedFrame readFeedFrame(const SpectralEngine& engine);

// The five values a column takes from its bins: maxima of the magnitudes and
// the activity (each from 0), and the gain of largest magnitude (from 0; a tie
// keeps the lower bin).
struct ColumnPick {
  double inputMax = 0.0;
  double outputMax = 0.0;
  double thresholdMax = 0.0;
  double activityMax = 0.0;
  double gainDb = 0.0;
};

// Rises at once, falls at most kLevelFallDbPerFrame.
double nextLevelDb(double oldDb, double newDb);
// Rises at once; otherwise (also when newAmount lies between old * 0.88 and
// old) decays to old * kActivityDecayPerFrame.
double nextActivity(double oldAmount, double newAmount);

// Runs the pass over g.columnCount columns (frame.hasBins() required) and
// returns the number of bins read from the feed.
int runColumnPass(const AnalyserGeometry& g, const FeedFrame& frame, const SpectralEngine& feed,
                  ColumnState& columns, ActivityHistory& history);

} // namespace varnock
