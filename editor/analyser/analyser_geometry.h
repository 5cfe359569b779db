#pragma once
// AnalyserGeometry: where the analyser block lies in the editor for one frame,
// and the mappings between frequency, FFT bin, level, gain and pixels that
// every part of the analyser (curves, activity map, handles, readouts) uses.
// Recomputed at the start of each analyser frame from the view's scale and
// size and the Mode and Depth parameters; nothing of it is kept between
// frames. All positions and lengths are editor pixels (y downwards).
// Pure functions; any thread.

namespace varnock {

inline constexpr int kModeCut = 0;
inline constexpr int kModeBoost = 1;
inline constexpr int kModeTame = 2;

// More pixel columns than this are left empty by the column pass.
inline constexpr int kMaxDrawnColumns = 4000;

struct AnalyserGeometry {
  double scale = 1.0;             // the view's uiScale
  int modeIndex = kModeCut;       // 0 Cut, 1 Boost, 2 Tame
  double left = 0.0;              // left edge of the spectrum area and the map
  double top = 0.0;               // top edge of the spectrum area
  double width = 0.0;             // width of the spectrum area and the map
  double spectrumHeight = 0.0;    // height of the spectrum area from `top`
  double activityTop = 0.0;       // top of the activity map
  double activityHeight = 0.0;
  double depthScaleDb = 3.0;      // max(3, Depth): the gain scale's full range, dB
  double gainZeroY = 0.0;         // y of 0 dB gain (near the top for cuts, the bottom for boosts)
  double gainPixelsPerDb = 0.0;   // px per dB of gain
  int columnCount = 0;            // pixel columns of the column pass, at most kMaxDrawnColumns

  double right() const { return left + width; }
  double spectrumBottom() const { return top + spectrumHeight; }
  double activityBottom() const { return activityTop + activityHeight; }
  bool boost() const { return modeIndex == kModeBoost; }
  bool inSpectrum(double x, double y) const {
    return x >= left && x < right() && y >= top && y < spectrumBottom();
  }
  bool inActivityMap(double x, double y) const {
    return x >= left && x < right() && y >= activityTop && y < activityBottom();
  }
};

// editorWidth: the view's floored width; extraHeight: the view's extra
// height (px); modeIndex: 0 Cut, 1 Boost, 2 Tame; depthDb: the Depth parameter.
AnalyserGeometry makeAnalyserGeometry(double uiScale, int editorWidth, double extraHeight,
                                      int modeIndex, double depthDb);

// Frequency (Hz) to pixel column: 20 Hz at the left edge, 20 kHz at the right
// edge, three decades on a log axis; floored.
double frequencyToX(const AnalyserGeometry& g, double hz);
// Pixel position to frequency (Hz), not rounded.
double xToFrequency(const AnalyserGeometry& g, double x);
// The FFT bin nearest to hz, limited to 0..lastBin (also for a zero or
// negative sampleRate, so a caller can index the feed with it safely).
int frequencyToBin(double hz, int fftSize, double sampleRate, int lastBin);
// Linear magnitude (unnormalised FFT of the Hann-windowed frame) to dB
// relative to a full-scale sine; silence gives about -140 dB. fftSize > 0.
double magnitudeToLevelDb(double magnitude, int fftSize);
// Level (dB) to y: 0 dB at the top edge, -90 dB at the bottom edge, clamped to the area.
double levelToY(const AnalyserGeometry& g, double levelDb);
// Gain (dB, negative = cut) to y around the gain zero line, without clamping.
double gainToYUnclamped(const AnalyserGeometry& g, double gainDb);
// As gainToYUnclamped, clamped to the spectrum area.
double gainToY(const AnalyserGeometry& g, double gainDb);

// The frequency grid: 50, 100, 200, 500 Hz, 1, 2, 5 and 10 kHz (m * decade for
// m in 2, 5, 10, strictly inside the 20 Hz .. 20 kHz axis). Fills `hz` in
// ascending order and returns the count (8).
inline constexpr int kMaxGridLines = 12;
int frequencyGridHz(double (&hz)[kMaxGridLines]);

// The gain grid's two lines, i = 1 and 2: half and full scale of the gain
// axis, signed like the mode's gain (positive in Boost), dB.
double gainGridDb(const AnalyserGeometry& g, int i);

} // namespace varnock
