#include "editor/analyser/held_peak.h"

#include <algorithm>

namespace varnock {

void HeldPeak::update(double liveDb, double frameTime) {
  if (liveDb > peakDb) {
    peakDb = liveDb;
    riseTime = frameTime;
  } else if (frameTime - riseTime > kHoldS) {
    peakDb = std::max(peakDb - kFallDbPerFrame, liveDb);
  }
}

} // namespace varnock
