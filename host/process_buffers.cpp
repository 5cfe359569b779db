#include "host/process_buffers.h"

#include <algorithm>

using namespace Steinberg;

namespace vst3host {

void ProcessBuffers::setup(const std::vector<int>& inputChannels, const std::vector<int>& outputChannels,
                           int maxFrames, int32 symbolicSampleSize) {
  maxFrames_ = std::max(0, maxFrames);
  sampleSize_ = symbolicSampleSize;
  build(inputChannels, inputStorage_, inputs_);
  build(outputChannels, outputStorage_, outputs_);
}

void ProcessBuffers::build(const std::vector<int>& channels, std::vector<Storage>& storage,
                           std::vector<Vst::AudioBusBuffers>& buses) {
  storage.assign(channels.size(), Storage{});
  buses.assign(channels.size(), Vst::AudioBusBuffers{});
  const size_t frames = static_cast<size_t>(maxFrames_);
  for (size_t b = 0; b < channels.size(); ++b) {
    const size_t n = static_cast<size_t>(std::max(0, channels[b]));
    Storage& s = storage[b];
    if (is64Bit()) {
      s.samples64.assign(n * frames, 0.0);
      for (size_t c = 0; c < n; ++c) s.channels64.push_back(s.samples64.data() + c * frames);
      buses[b].channelBuffers64 = n ? s.channels64.data() : nullptr;
    } else {
      s.samples32.assign(n * frames, 0.0f);
      for (size_t c = 0; c < n; ++c) s.channels32.push_back(s.samples32.data() + c * frames);
      buses[b].channelBuffers32 = n ? s.channels32.data() : nullptr;
    }
    buses[b].numChannels = static_cast<int32>(n);
    buses[b].silenceFlags = 0;
  }
}

int ProcessBuffers::inputChannels(int bus) const {
  return bus >= 0 && bus < numInputBuses() ? inputs_[static_cast<size_t>(bus)].numChannels : 0;
}

int ProcessBuffers::outputChannels(int bus) const {
  return bus >= 0 && bus < numOutputBuses() ? outputs_[static_cast<size_t>(bus)].numChannels : 0;
}

template <class Sample>
void ProcessBuffers::writeInput(int bus, const Sample* const* source, int numFrames) {
  if (bus < 0 || bus >= numInputBuses()) return;
  Vst::AudioBusBuffers& buffers = inputs_[static_cast<size_t>(bus)];
  buffers.silenceFlags = 0;
  const int frames = std::clamp(numFrames, 0, maxFrames_);
  for (int c = 0; c < buffers.numChannels; ++c) {
    const Sample* from = source ? source[c] : nullptr;
    if (is64Bit()) {
      double* to = buffers.channelBuffers64[c];
      if (from)
        std::transform(from, from + frames, to, [](Sample x) { return static_cast<double>(x); });
      else
        std::fill_n(to, frames, 0.0);
    } else {
      float* to = buffers.channelBuffers32[c];
      if (from)
        std::transform(from, from + frames, to, [](Sample x) { return static_cast<float>(x); });
      else
        std::fill_n(to, frames, 0.0f);
    }
  }
}

template <class Sample>
void ProcessBuffers::readOutput(int bus, Sample* const* dest, int numFrames) const {
  if (bus < 0 || bus >= numOutputBuses()) return;
  const Vst::AudioBusBuffers& buffers = outputs_[static_cast<size_t>(bus)];
  const int frames = std::clamp(numFrames, 0, maxFrames_);
  for (int c = 0; c < buffers.numChannels; ++c) {
    Sample* to = dest[c];
    if (is64Bit()) {
      const double* from = buffers.channelBuffers64[c];
      std::transform(from, from + frames, to, [](double x) { return static_cast<Sample>(x); });
    } else {
      const float* from = buffers.channelBuffers32[c];
      std::transform(from, from + frames, to, [](float x) { return static_cast<Sample>(x); });
    }
  }
}

void ProcessBuffers::clearOutputs(int numFrames) {
  const int frames = std::clamp(numFrames, 0, maxFrames_);
  for (Vst::AudioBusBuffers& buffers : outputs_) {
    buffers.silenceFlags = 0;
    for (int c = 0; c < buffers.numChannels; ++c) {
      if (is64Bit())
        std::fill_n(buffers.channelBuffers64[c], frames, 0.0);
      else
        std::fill_n(buffers.channelBuffers32[c], frames, 0.0f);
    }
  }
}

template void ProcessBuffers::writeInput<float>(int, const float* const*, int);
template void ProcessBuffers::writeInput<double>(int, const double* const*, int);
template void ProcessBuffers::readOutput<float>(int, float* const*, int) const;
template void ProcessBuffers::readOutput<double>(int, double* const*, int) const;

}  // namespace vst3host
