#pragma once
// BypassDelay: while the host bypasses the plug-in, the input reaches the
// output through this delay of the current latency, so bypassed audio keeps
// the timing of processed audio. The line is fed on every block, bypassed or
// not, so switching bypass on continues with the input of one latency ago
// rather than with whatever the line held from an earlier bypass.
//
// Storage for `maxDelay` frames per channel is allocated once, when the
// instance is created; SetLength() and Process() never allocate, so both may
// run on the audio thread. A length above the capacity is limited to it.
// Owned by the format wrapper; one thread at a time (the audio thread, or the
// UI thread while processing is stopped).
#include <vector>

namespace iplug::vst3 {

class BypassDelay {
public:
  BypassDelay(int nChannels, int maxDelay);

  // Sets the delay in frames and clears the line.
  void SetLength(int frames);
  int Length() const { return mLength; }
  // Zeroes the stored samples.
  void Clear();
  // Delays every channel of `in` into `out`, nFrames each; `in` and `out`
  // hold the nChannels given at construction and must not alias.
  void Process(const double* const* in, double* const* out, int nFrames);
  // Stores `in` in the line without producing output (blocks not bypassed).
  void Feed(const double* const* in, int nFrames);

private:
  int mNChannels, mCapacity;
  int mLength = 0;
  int mPos = 0;
  std::vector<double> mLine;                   // mNChannels x mCapacity frames
};

} // namespace iplug::vst3
