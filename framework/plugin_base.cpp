#include "framework/plugin_base.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace iplug {

namespace {

constexpr double kDefaultSampleRate = 48000.0;   // Hz, until the host sets up processing
constexpr int kDefaultBlockSize = 1024;          // frames, until the host sets up processing

// "inputs-outputs", e.g. "2-2"; a missing or malformed count is 0.
void parseChannelIO(const char* io, int& nIn, int& nOut) {
  nIn = nOut = 0;
  if (!io) return;
  char* end = nullptr;
  const long in = std::strtol(io, &end, 10);
  if (end == io || *end != '-') return;
  const char* outText = end + 1;
  const long out = std::strtol(outText, &end, 10);
  if (end == outText) return;
  nIn = static_cast<int>(std::clamp(in, 0L, 64L));
  nOut = static_cast<int>(std::clamp(out, 0L, 64L));
}

} // namespace

IPlugAPIBase::IPlugAPIBase(const Config& config)
  : mConfig(config), mSampleRate(kDefaultSampleRate), mBlockSize(kDefaultBlockSize) {
  parseChannelIO(config.channelIOStr, mNInChannels, mNOutChannels);
  mParams.reserve(static_cast<size_t>(std::max(config.nParams, 0)));
  for (int i = 0; i < config.nParams; ++i) mParams.push_back(std::make_unique<IParam>());
  mLatency.store(config.latency, std::memory_order_relaxed);
  mMinWidth = mMaxWidth = mEditorWidth = config.plugWidth;
  mMinHeight = mMaxHeight = mEditorHeight = config.plugHeight;
}

IPlugAPIBase::~IPlugAPIBase() = default;

IParam* IPlugAPIBase::GetParam(int paramIdx) {
  return paramIdx >= 0 && paramIdx < NParams() ? mParams[static_cast<size_t>(paramIdx)].get() : nullptr;
}

const IParam* IPlugAPIBase::GetParam(int paramIdx) const {
  return paramIdx >= 0 && paramIdx < NParams() ? mParams[static_cast<size_t>(paramIdx)].get() : nullptr;
}

void IPlugAPIBase::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  for (int c = 0; c < mNOutChannels; ++c) {
    if (c < mNInChannels)
      std::memmove(outputs[c], inputs[c], sizeof(double) * static_cast<size_t>(nFrames));
    else
      std::fill(outputs[c], outputs[c] + nFrames, 0.0);
  }
}

void IPlugAPIBase::SetLatency(int samples) {
  mLatency.store(samples, std::memory_order_relaxed);
  InformHostOfLatencyChange(samples);
}

void IPlugAPIBase::SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi) {
  mMinWidth = std::min(widthLo, widthHi);
  mMaxWidth = std::max(widthLo, widthHi);
  mMinHeight = std::min(heightLo, heightHi);
  mMaxHeight = std::max(heightLo, heightHi);
}

void IPlugAPIBase::ConstrainEditorSize(int& width, int& height) const {
  width = std::clamp(width, mMinWidth, mMaxWidth);
  height = std::clamp(height, mMinHeight, mMaxHeight);
}

void IPlugAPIBase::BeginInformHostOfParamChangeFromUI(int paramIdx) {
  if (GetParam(paramIdx)) BeginInformHostOfParamChange(paramIdx);
}

void IPlugAPIBase::SendParameterValueFromUI(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param || std::isnan(normalizedValue)) return;
  normalizedValue = std::clamp(normalizedValue, 0.0, 1.0);
  param->SetNormalized(normalizedValue);
  OnParamChange(paramIdx);
  InformHostOfParamChange(paramIdx, normalizedValue);
}

void IPlugAPIBase::EndInformHostOfParamChangeFromUI(int paramIdx) {
  if (GetParam(paramIdx)) EndInformHostOfParamChange(paramIdx);
}

} // namespace iplug
