#include "editor/analyser/analyser_geometry.h"

#include <algorithm>
#include <cmath>

namespace varnock {

namespace {
const double kLnThreeDecades = std::log(1000.0);
constexpr double kAxisLowHz = 20.0;
constexpr double kLevelRangeDb = 90.0;          // top edge 0 dB, bottom edge -90 dB
constexpr double kLevelFloor = 0.0000001;       // keeps log10 finite for silent bins
}

AnalyserGeometry makeAnalyserGeometry(double uiScale, int editorWidth, double extraHeight,
                                      int modeIndex, double depthDb) {
  const double s = uiScale;
  AnalyserGeometry g;
  g.scale = s;
  g.modeIndex = modeIndex;
  g.left = std::floor(16.0 * s + 0.5);
  g.top = std::floor(54.0 * s + 0.5);
  g.width = editorWidth - 2.0 * g.left;
  // The block runs from the header down to the knob panel; below the spectrum
  // area lies the frequency-label band, below the map the marker-label band.
  const double blockHeight = std::floor(284.0 * s + extraHeight) - g.top - std::floor(36.0 * s);
  g.activityHeight = std::max(std::floor(0.28 * blockHeight), std::floor(52.0 * s));
  g.spectrumHeight = blockHeight - g.activityHeight;
  g.activityTop = g.top + g.spectrumHeight + std::floor(18.0 * s);
  g.depthScaleDb = std::max(3.0, depthDb);
  g.gainZeroY = modeIndex == kModeBoost ? g.top + g.spectrumHeight - std::floor(10.0 * s)
                                        : g.top + std::floor(30.0 * s);
  g.gainPixelsPerDb = (g.spectrumHeight - 40.0 * s) * 0.85 / g.depthScaleDb;
  g.columnCount = static_cast<int>(std::clamp(std::floor(g.width), 0.0, double(kMaxDrawnColumns)));
  return g;
}

double frequencyToX(const AnalyserGeometry& g, double hz) {
  return std::floor(g.left + g.width * std::log(hz / kAxisLowHz) / kLnThreeDecades);
}

double xToFrequency(const AnalyserGeometry& g, double x) {
  return kAxisLowHz * std::exp(kLnThreeDecades * (x - g.left) / g.width);
}

int frequencyToBin(double hz, int fftSize, double sampleRate, int lastBin) {
  const double bin = std::floor(hz * fftSize / sampleRate + 0.5);
  if (!(bin > 0.0)) return 0;                     // also NaN
  return bin >= lastBin ? std::max(0, lastBin) : static_cast<int>(bin);
}

double magnitudeToLevelDb(double magnitude, int fftSize) {
  return 20.0 * std::log10(magnitude / (fftSize / 4.0) + kLevelFloor);
}

double levelToY(const AnalyserGeometry& g, double levelDb) {
  const double y = g.top + (1.0 - (levelDb + kLevelRangeDb) / kLevelRangeDb) * g.spectrumHeight;
  return std::clamp(y, g.top, g.spectrumBottom());
}

double gainToYUnclamped(const AnalyserGeometry& g, double gainDb) {
  return g.gainZeroY - gainDb * g.gainPixelsPerDb;
}

double gainToY(const AnalyserGeometry& g, double gainDb) {
  return std::clamp(gainToYUnclamped(g, gainDb), g.top, g.spectrumBottom());
}

int frequencyGridHz(double (&hz)[kMaxGridLines]) {
  int count = 0;
  for (double decade : {10.0, 100.0, 1000.0, 10000.0})
    for (double multiplier : {2.0, 5.0, 10.0}) {
      const double f = multiplier * decade;
      if (f > 20.0 && f < 20000.0) hz[count++] = f;
    }
  return count;
}

double gainGridDb(const AnalyserGeometry& g, int i) {
  const double sign = g.boost() ? 1.0 : -1.0;
  return sign * g.depthScaleDb * i / 2.0;
}

} // namespace varnock
