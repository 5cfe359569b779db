#include "framework/vst3/bypass_delay.h"

#include <algorithm>

namespace iplug::vst3 {

BypassDelay::BypassDelay(int nChannels, int maxDelay)
  : mNChannels(std::max(nChannels, 0)), mCapacity(std::max(maxDelay, 0)),
    mLine(static_cast<size_t>(mNChannels) * static_cast<size_t>(mCapacity), 0.0) {}

void BypassDelay::SetLength(int frames) {
  mLength = std::clamp(frames, 0, mCapacity);
  Clear();
}

void BypassDelay::Clear() {
  std::fill(mLine.begin(), mLine.end(), 0.0);
  mPos = 0;
}

void BypassDelay::Process(const double* const* in, double* const* out, int nFrames) {
  if (mLength == 0) {
    for (int c = 0; c < mNChannels; ++c) std::copy(in[c], in[c] + nFrames, out[c]);
    return;
  }
  int pos = mPos;
  for (int c = 0; c < mNChannels; ++c) {
    double* line = mLine.data() + static_cast<size_t>(c) * static_cast<size_t>(mCapacity);
    pos = mPos;
    for (int i = 0; i < nFrames; ++i) {
      out[c][i] = line[pos];
      line[pos] = in[c][i];
      if (++pos == mLength) pos = 0;
    }
  }
  mPos = pos;
}

void BypassDelay::Feed(const double* const* in, int nFrames) {
  if (mLength == 0) return;
  int pos = mPos;
  for (int c = 0; c < mNChannels; ++c) {
    double* line = mLine.data() + static_cast<size_t>(c) * static_cast<size_t>(mCapacity);
    pos = mPos;
    for (int i = 0; i < nFrames; ++i) {
      line[pos] = in[c][i];
      if (++pos == mLength) pos = 0;
    }
  }
  mPos = pos;
}

} // namespace iplug::vst3
