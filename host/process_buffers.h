#pragma once
// The audio side of a VST3 process call: one AudioBusBuffers per bus with its
// channel pointers, backed by storage for `maxFrames` frames per channel in
// 32- or 64-bit samples. setup() sizes everything; the per-block calls only
// copy and never allocate. One thread at a time (the audio thread while
// processing, the UI thread for setup()).
#include <vector>

#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace vst3host {

class ProcessBuffers {
 public:
  // Channel counts per input and output bus, largest block, sample size
  // (Vst::kSample32 or Vst::kSample64). All samples start at zero.
  void setup(const std::vector<int>& inputChannels, const std::vector<int>& outputChannels, int maxFrames,
             Steinberg::int32 symbolicSampleSize);

  int maxFrames() const { return maxFrames_; }
  bool is64Bit() const { return sampleSize_ == Steinberg::Vst::kSample64; }
  int numInputBuses() const { return static_cast<int>(inputs_.size()); }
  int numOutputBuses() const { return static_cast<int>(outputs_.size()); }
  // Channels of a bus, 0 for a bus that does not exist.
  int inputChannels(int bus) const;
  int outputChannels(int bus) const;

  // The bus arrays for Vst::ProcessData (null when there are no busses).
  Steinberg::Vst::AudioBusBuffers* inputs() { return inputs_.empty() ? nullptr : inputs_.data(); }
  Steinberg::Vst::AudioBusBuffers* outputs() { return outputs_.empty() ? nullptr : outputs_.data(); }

  // Copies `numFrames` frames of every channel of input bus `bus` from
  // `source` (one pointer per channel), converting the sample size when needed;
  // zeroes the bus when `source` is null. Clears the bus's silence flags.
  template <class Sample>
  void writeInput(int bus, const Sample* const* source, int numFrames);
  // Copies `numFrames` frames of every channel of output bus `bus` to `dest`.
  template <class Sample>
  void readOutput(int bus, Sample* const* dest, int numFrames) const;
  // Zeroes the first `numFrames` frames of every output channel.
  void clearOutputs(int numFrames);

 private:
  struct Storage {
    std::vector<float> samples32;
    std::vector<double> samples64;
    std::vector<float*> channels32;
    std::vector<double*> channels64;
  };
  void build(const std::vector<int>& channels, std::vector<Storage>& storage,
             std::vector<Steinberg::Vst::AudioBusBuffers>& buses);

  int maxFrames_ = 0;
  Steinberg::int32 sampleSize_ = Steinberg::Vst::kSample32;
  std::vector<Storage> inputStorage_, outputStorage_;
  std::vector<Steinberg::Vst::AudioBusBuffers> inputs_, outputs_;
};

}  // namespace vst3host
