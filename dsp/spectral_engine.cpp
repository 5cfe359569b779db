// Construction, state clear and full reset of the engine record.
#include "dsp/spectral_engine.h"

#include <algorithm>

namespace varnock {
namespace {

template <int kSize> void zero(double (&cells)[kSize]) { std::fill(cells, cells + kSize, 0.0); }

// Feed arrays may be read by the editor at any moment: zero them cell by cell.
template <int kSize> void zeroFeed(double (&cells)[kSize]) {
  for (double& cell : cells) feedStore(cell, 0.0);
}

} // namespace

SpectralEngine::SpectralEngine() {
  stateClear(*this);
  std::fill(std::begin(tameLowBin), std::end(tameLowBin), 0);
  std::fill(std::begin(tameHighBin), std::end(tameHighBin), 0);
  zero(binThresholdDb);
  zero(thresholdFactor);
  zero(tameInvSpan);
  zero(frameMag);
  zero(frameActivity);
  zero(frameGainDb);
  zero(frameGainLin);
  zero(frameThresholdMag);
  zero(paddedTargetDb);
}

void stateClear(SpectralEngine& e) {
  zero(e.spectrum);
  zero(e.synthesis);
  zero(e.inputRing[0]);
  zero(e.inputRing[1]);
  zero(e.outputAccum[0]);
  zero(e.outputAccum[1]);
  zero(e.analysisWindow);
  zero(e.reference);
  zero(e.smoothedTargetDb);
  zero(e.rangeWeight);
  zero(e.targetGainDb);
  zero(e.levelDb);
  zero(e.levelPrefix);
  zero(e.tiltDb);
  zeroFeed(e.gainDb);
  zeroFeed(e.inputMag);
  zeroFeed(e.outputMag);
  zeroFeed(e.activity);
  zeroFeed(e.thresholdMag);
}

void fullReset(SpectralEngine& e, double sampleRate) {
  feedStore(e.sampleRate, sampleRate);
  feedStore(e.fftSize, 0);
  feedStore(e.lastBin, 0);
  e.hopSize = 1;
  e.lastMode = -1;
  e.writePos = 0;
  e.outputPos = 0;
  e.hopCounter = 0;
  feedStore(e.peakGainDb, 0.0);
  e.havePrevFrame = false;
  stateClear(e);
  coefficientPass(e);
}

} // namespace varnock
