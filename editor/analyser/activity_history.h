#pragma once
// ActivityHistory: the activity map's memory of where processing happened in
// the last seconds. The column pass gathers, per frequency band, the largest
// |gain| of all frames drawn since the last push; about six times a second
// that row is pushed into a ring of 24 rows (newest first when drawn). A row
// holds only what the engine produced since the previous push: when its frame
// counter has not moved, the feed still shows its last frame, and the pushed
// row is empty, so a stopped engine scrolls the map dark. Twice a second the
// ring is scanned for up to three peak markers, strongest first, spaced apart
// along the frequency axis.
// Owned by the analyser (one per editor view, zero when the view is created);
// UI thread only. Times are frameTime seconds; values are dB of |gain|.
#include <cstdint>

namespace varnock {

struct ActivityHistory {
  static constexpr int kBands = 182;
  static constexpr int kRows = 24;
  static constexpr int kMaxMarkers = 3;
  static constexpr double kPushIntervalS = 0.1667;   // a push needs strictly more than this
  static constexpr double kScanIntervalS = 0.5;
  static constexpr double kMarkerMinDb = 1.0;        // a marker needs strictly more than this

  double bandAccumulator[kBands] = {};   // largest |gain| per band since the last push
  double rows[kRows][kBands] = {};       // ring; rows[head] is the newest
  int head = 0;
  double lastPushTime = 0.0;
  std::uint64_t framesAtLastPush = 0;    // the engine's frameCount at the last push
  double bandPeaks[kBands] = {};         // per band, the largest value of all rows at the last scan
  int markerBand[kMaxMarkers] = {};
  double markerValueDb[kMaxMarkers] = {};
  int markerCount = 0;
  double lastScanTime = 0.0;

  // Back to the state of a new view: everything zero.
  void reset();
  // Column `column` of `columnCount` (> 0) picked a gain of gainMagnitudeDb (>= 0).
  void accumulate(int column, int columnCount, double gainMagnitudeDb);
  // When more than kPushIntervalS passed since the last push, pushes the
  // newest row: the accumulator when engineFrames (the feed's frameCount)
  // moved since the last push, else an empty row. Clears the accumulator;
  // returns whether it pushed.
  bool pushIfDue(double frameTime, std::uint64_t engineFrames);
  // The row that is `age` pushes old (0 = newest), 0 <= age < kRows.
  const double* rowByAge(int age) const;
  // When more than kScanIntervalS passed since the last scan, recomputes
  // bandPeaks and the markers (spaced at least minSpacingBands apart); returns
  // whether it scanned.
  bool scanIfDue(double frameTime, int minSpacingBands);
};

// The band (0 .. kBands - 1) that pixel column `column` of `columnCount` feeds.
int bandOfColumn(int column, int columnCount);
// Minimum marker distance in bands: about 120 design pixels, at least 4 bands.
// bandWidthPx: the analyser's width / kBands.
int markerSpacingBands(double uiScale, double bandWidthPx);

// How one map cell looks: a change of 0.15 dB or less stays dark; from there
// the cell fades in with the square root of valueDb / (0.8 * depthScaleDb),
// tinted up to a fifth of the way from the accent towards white, alpha up to 0.7.
struct CellLook {
  bool lit = false;
  double r = 0.0, g = 0.0, b = 0.0, a = 0.0;
};
CellLook activityCellLook(double valueDb, double depthScaleDb, double accentR, double accentG, double accentB);

} // namespace varnock
