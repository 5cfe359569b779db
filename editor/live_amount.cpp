#include "editor/live_amount.h"

namespace varnock {

double LiveAmount::update(double peakGainDb, std::uint64_t engineFrames, double frameTime) {
  if (engineFrames != frameCount) {
    frameCount = engineFrames;
    lastFrameTime = frameTime;
  }
  const bool running = engineFrames > 0 && frameTime - lastFrameTime <= kTimeoutS;
  amountDb = running && peakGainDb > 0.0 ? peakGainDb : 0.0;
  return amountDb;
}

} // namespace varnock
