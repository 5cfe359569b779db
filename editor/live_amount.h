#pragma once
// LiveAmount: the processing amount the editor shows as "live" (the mode
// readout's amount and the Depth knob's outer ring). The engine publishes a
// held peak of |gain| that only moves while it processes frames; when the
// host stops calling process (transport stopped, plug-in suspended) that
// value stays where it was. So the editor watches the engine's frame
// counter: once no frame has arrived for kTimeoutS, the live amount is 0.
// One per view; UI thread. Times are the view's frameTime seconds.
#include <cstdint>

namespace varnock {

struct LiveAmount {
  static constexpr double kTimeoutS = 0.25;

  std::uint64_t frameCount = 0;   // the engine's counter at the last update
  double lastFrameTime = 0.0;     // frameTime at which the counter last moved
  double amountDb = 0.0;          // what the last update showed, dB (>= 0)

  // One editor frame: the feed's peakGainDb and frameCount at frameTime.
  // A counter that differs from the last one seen counts as new frames.
  double update(double peakGainDb, std::uint64_t engineFrames, double frameTime);
};

} // namespace varnock
