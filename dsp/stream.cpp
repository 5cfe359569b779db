// The per-sample stream: input ring, dry delay of fftSize samples, overlap-add
// output, one frame every hopSize samples, mix / delta / trim. Audio thread.
#include <algorithm>
#include <cmath>

#include "dsp/float_mode.h"
#include "dsp/frame.h"
#include "dsp/spectral_engine.h"

namespace varnock {
namespace {

// Largest input magnitude the engine takes (600 dB above full scale). Beyond
// it the per-bin powers (squared sums of up to 2048 samples) would overflow
// to infinity and poison the per-bin states, and the output after 48 dB of
// gain would not fit a 32-bit float.
constexpr double kInputLimit = 1e30;

// Non-finite samples enter the engine as silence and larger ones as the
// limit, so one bad sample cannot poison the rings and per-bin states.
inline double saneSample(double x) {
  if (!std::isfinite(x)) return 0.0;
  return std::clamp(x, -kInputLimit, kInputLimit);
}

// Runs `count` samples that stay inside the ring and before the next hop.
void runSegment(SpectralEngine& e, const double* const* in, double* const* out, int start, int count) {
  const int pos = e.writePos;
  double* ringL = e.inputRing[0] + pos;
  double* ringR = e.inputRing[1] + pos;
  double* accumL = e.outputAccum[0] + pos;
  double* accumR = e.outputAccum[1] + pos;
  const double* inL = in[0] + start;
  const double* inR = in[1] + start;
  double* outL = out[0] + start;
  double* outR = out[1] + start;
  const double mix = e.mixAmount;
  const double trim = e.trimGain;
  const bool delta = e.deltaOn;
  for (int i = 0; i < count; ++i) {
    const double xL = saneSample(inL[i]);
    const double xR = saneSample(inR[i]);
    const double dL = ringL[i];
    const double dR = ringR[i];
    const double wL = accumL[i];
    const double wR = accumR[i];
    accumL[i] = 0.0;
    accumR[i] = 0.0;
    ringL[i] = xL;
    ringR[i] = xR;
    double yL;
    double yR;
    if (delta) {
      yL = wL - dL;
      yR = wR - dR;
    } else {
      yL = (1.0 - mix) * dL + mix * wL;
      yR = (1.0 - mix) * dR + mix * wR;
    }
    outL[i] = yL * trim;
    outR[i] = yR * trim;
  }
}

} // namespace

void processSamples(SpectralEngine& e, const double* const* in, double* const* out, int nFrames) {
  if (e.fftSize == 0) {                          // no full reset yet: nothing to play
    for (int i = 0; i < nFrames; ++i) out[0][i] = out[1][i] = 0.0;
    return;
  }
  FloatModeGuard guard;
  int done = 0;
  while (done < nFrames) {
    int count = nFrames - done;
    count = std::min(count, e.hopSize - e.hopCounter);
    count = std::min(count, e.fftSize - e.writePos);
    runSegment(e, in, out, done, count);
    done += count;
    e.writePos += count;
    if (e.writePos == e.fftSize) e.writePos = 0;
    e.outputPos = e.writePos;
    e.hopCounter += count;
    if (e.hopCounter >= e.hopSize) {
      e.hopCounter = 0;
      processFrame(e);
    }
  }
}

} // namespace varnock
