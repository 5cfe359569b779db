#include "editor/analyser/activity_history.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace varnock {

namespace {
constexpr double kCellMinDb = 0.15;   // a cell lights only above this
}

void ActivityHistory::reset() { *this = ActivityHistory{}; }

void ActivityHistory::accumulate(int column, int columnCount, double gainMagnitudeDb) {
  double& band = bandAccumulator[bandOfColumn(column, columnCount)];
  band = std::max(band, gainMagnitudeDb);
}

bool ActivityHistory::pushIfDue(double frameTime, std::uint64_t engineFrames) {
  if (!(frameTime - lastPushTime > kPushIntervalS)) return false;
  lastPushTime = frameTime;
  head = (head + 1) % kRows;
  if (engineFrames != framesAtLastPush)
    std::memcpy(rows[head], bandAccumulator, sizeof bandAccumulator);
  else
    std::fill(std::begin(rows[head]), std::end(rows[head]), 0.0);
  framesAtLastPush = engineFrames;
  std::fill(std::begin(bandAccumulator), std::end(bandAccumulator), 0.0);
  return true;
}

const double* ActivityHistory::rowByAge(int age) const {
  return rows[(head - age + kRows) % kRows];
}

bool ActivityHistory::scanIfDue(double frameTime, int minSpacingBands) {
  if (!(frameTime - lastScanTime > kScanIntervalS)) return false;
  lastScanTime = frameTime;
  markerCount = 0;
  for (int j = 0; j < kBands; ++j) {
    double peak = 0.0;
    for (int r = 0; r < kRows; ++r) peak = std::max(peak, rows[r][j]);
    bandPeaks[j] = peak;
  }
  for (int pass = 0; pass < kMaxMarkers; ++pass) {
    double best = kMarkerMinDb;
    int candidate = -1;
    for (int j = 0; j < kBands; ++j) {
      if (!(bandPeaks[j] > best)) continue;      // strictly larger: ties keep the lower band
      bool spaced = true;
      for (int k = 0; k < markerCount; ++k)
        spaced = spaced && std::abs(j - markerBand[k]) >= minSpacingBands;
      if (!spaced) continue;
      candidate = j;
      best = bandPeaks[j];
    }
    if (candidate < 0) continue;
    markerBand[markerCount] = candidate;
    markerValueDb[markerCount] = best;
    ++markerCount;
  }
  return true;
}

int bandOfColumn(int column, int columnCount) {
  const int band = static_cast<int>(static_cast<long long>(column) * ActivityHistory::kBands / columnCount);
  return std::clamp(band, 0, ActivityHistory::kBands - 1);
}

int markerSpacingBands(double uiScale, double bandWidthPx) {
  const double bands = std::floor(120.0 * uiScale / bandWidthPx);
  return bands > 4.0 ? static_cast<int>(std::min(bands, double(ActivityHistory::kBands))) : 4;
}

CellLook activityCellLook(double valueDb, double depthScaleDb, double accentR, double accentG, double accentB) {
  CellLook look;
  if (!(valueDb > kCellMinDb)) return look;
  const double q = std::min(1.0, valueDb / (0.8 * depthScaleDb));
  const double d = std::sqrt(q);
  look.lit = true;
  look.r = accentR + (1.0 - accentR) * 0.2 * d;
  look.g = accentG + (1.0 - accentG) * 0.2 * d;
  look.b = accentB + (1.0 - accentB) * 0.2 * d;
  look.a = 0.12 + 0.58 * d;
  return look;
}

} // namespace varnock
