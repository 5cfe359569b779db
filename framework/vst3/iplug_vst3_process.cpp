// IPlugVST3: processing setup and the per-block path (audio thread).
#include <algorithm>
#include <cmath>

#include "framework/vst3/abi_guard.h"
#include "framework/vst3/iplug_vst3.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace iplug {

using namespace Steinberg;

namespace {

// Copies frames [offset, offset + n) of one host channel into `dest` as
// doubles; a missing channel reads as silence.
template <typename Sample>
void gatherChannel(Sample* const* channels, int nChannels, int c, int offset, int n, double* dest) {
  if (!channels || c >= nChannels || !channels[c]) {
    std::fill(dest, dest + n, 0.0);
    return;
  }
  const Sample* src = channels[c] + offset;
  for (int i = 0; i < n; ++i) dest[i] = static_cast<double>(src[i]);
}

template <typename Sample>
void scatterChannel(Sample* const* channels, int nChannels, int c, int offset, int n, const double* src) {
  if (!channels || c >= nChannels || !channels[c]) return;
  Sample* dest = channels[c] + offset;
  for (int i = 0; i < n; ++i) dest[i] = static_cast<Sample>(src[i]);
}

bool hasMainOutput(const Vst::ProcessData& data) {
  return data.numOutputs > 0 && data.outputs && data.outputs[0].numChannels > 0 &&
         data.outputs[0].channelBuffers64;
}

} // namespace

void IPlugVST3::resizeScratch(int frames) {
  // Built aside and swapped in, so running out of memory leaves the old
  // buffers and their size as they were.
  const int scratchFrames = std::clamp(frames, 1, kMaxScratchFrames);
  const size_t perChannel = static_cast<size_t>(scratchFrames);
  const size_t channels = static_cast<size_t>(mNChannels);
  std::vector<double> scratch(2 * channels * perChannel, 0.0);
  std::vector<double*> in(channels), out(channels);
  for (size_t c = 0; c < channels; ++c) {
    in[c] = scratch.data() + c * perChannel;
    out[c] = scratch.data() + (channels + c) * perChannel;
  }
  mScratch.swap(scratch);
  mScratchIn.swap(in);
  mScratchOut.swap(out);
  mScratchFrames = scratchFrames;
}

void IPlugVST3::resetProcessing() {
  mBypassDelay.Clear();
  OnReset();
}

tresult PLUGIN_API IPlugVST3::setupProcessing(Vst::ProcessSetup& setup) {
  return vst3::Guarded([&]() -> tresult {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
    if (!std::isfinite(setup.sampleRate) || setup.sampleRate <= 0.0) return kResultFalse;
    if (setup.maxSamplesPerBlock < 1) return kResultFalse;
    resizeScratch(setup.maxSamplesPerBlock);    // first: the only step that allocates
    SingleComponentEffect::setupProcessing(setup);
    SetSampleRate(setup.sampleRate);
    SetBlockSize(setup.maxSamplesPerBlock);
    resetProcessing();
    return kResultOk;
  });
}

tresult PLUGIN_API IPlugVST3::setProcessing(TBool state) {
  return vst3::Guarded([&]() -> tresult {
    if (!state) resetProcessing();
    return kResultOk;
  });
}

void IPlugVST3::applyParameterChanges(Vst::IParameterChanges* changes) {
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 q = 0; q < nQueues; ++q) {
    Vst::IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    if (nPoints <= 0) continue;
    int32 offset = 0;
    Vst::ParamValue value = 0.0;
    if (queue->getPoint(nPoints - 1, offset, value) != kResultTrue || std::isnan(value)) continue;
    const Vst::ParamID id = queue->getParameterId();
    if (id == kBypassParamID) {
      mBypassed.store(value > 0.5, std::memory_order_relaxed);
    } else if (id < static_cast<Vst::ParamID>(NParams())) {
      GetParam(static_cast<int>(id))->SetNormalized(value);
      OnParamChange(static_cast<int>(id));
    }
  }
}

void IPlugVST3::processPiece(Vst::ProcessData& data, int offset, int nFrames) {
  const bool wide = data.symbolicSampleSize == Vst::kSample64;
  const Vst::AudioBusBuffers* in = data.numInputs > 0 ? data.inputs : nullptr;
  Vst::AudioBusBuffers& out = data.outputs[0];
  const int nIn = in ? std::min(in->numChannels, NInChannels()) : 0;
  for (int c = 0; c < mNChannels; ++c) {
    double* dest = mScratchIn[static_cast<size_t>(c)];
    if (wide)
      gatherChannel(in ? in->channelBuffers64 : nullptr, nIn, c, offset, nFrames, dest);
    else
      gatherChannel(in ? in->channelBuffers32 : nullptr, nIn, c, offset, nFrames, dest);
  }
  if (IsBypassed()) {
    mBypassDelay.Process(mScratchIn.data(), mScratchOut.data(), nFrames);
  } else {
    mBypassDelay.Feed(mScratchIn.data(), nFrames);
    ProcessBlock(mScratchIn.data(), mScratchOut.data(), nFrames);
  }
  const int nOut = std::min(out.numChannels, NOutChannels());
  for (int c = 0; c < nOut; ++c) {
    if (wide)
      scatterChannel(out.channelBuffers64, nOut, c, offset, nFrames, mScratchOut[static_cast<size_t>(c)]);
    else
      scatterChannel(out.channelBuffers32, nOut, c, offset, nFrames, mScratchOut[static_cast<size_t>(c)]);
  }
}

tresult PLUGIN_API IPlugVST3::process(Vst::ProcessData& data) {
  return vst3::Guarded([&]() -> tresult {
    if (canProcessSampleSize(data.symbolicSampleSize) != kResultTrue) return kInvalidArgument;
    applyParameterChanges(data.inputParameterChanges);
    if (data.numSamples <= 0 || !hasMainOutput(data)) {
      // No audio: the plug-in still takes the new parameter values now.
      if (!IsBypassed()) ProcessBlock(mScratchIn.data(), mScratchOut.data(), 0);
      return kResultOk;
    }
    for (int offset = 0; offset < data.numSamples; offset += mScratchFrames)
      processPiece(data, offset, std::min(mScratchFrames, data.numSamples - offset));
    data.outputs[0].silenceFlags = 0;
    return kResultOk;
  });
}

} // namespace iplug
