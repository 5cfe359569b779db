#include "tests/support/reliability_rig.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "host/memory_stream.h"
#include "plugin/factory_info.h"
#include "plugin/varnock.h"

using namespace Steinberg;

namespace reliability {

// Index order: Mode, Depth, Threshold, Knee, Background, Freq Low, Freq High,
// Smooth, Attack, Release, Mix, Trim, Delta, Resolution, Preset, Width, Tilt, UI Size.
const ParamRange kParamRanges[kParams] = {
    {0, 2, true},     {0, 24, false},  {0, 24, false},     {1, 24, false},  {10, 500, false}, {20, 20000, false},
    {20, 20000, false}, {0, 16, false}, {0.1, 20, false},  {5, 500, false}, {0, 100, false},  {-24, 24, false},
    {0, 1, true},     {0, 2, true},    {0, 10, true},      {0.1, 1.5, false}, {-6, 6, false}, {0, 1, true},
};

namespace {

void putLittleEndian(uint64_t bits, int bytes, uint8_t* out) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

uint64_t getLittleEndian(const uint8_t* in, int bytes) {
  uint64_t bits = 0;
  for (int i = 0; i < bytes; ++i) bits |= static_cast<uint64_t>(in[i]) << (8 * i);
  return bits;
}

}  // namespace

std::vector<uint8_t> encodeState(const SavedState& state) {
  std::vector<uint8_t> bytes(kStateBytes);
  for (int i = 0; i < kParams; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &state.values[static_cast<size_t>(i)], sizeof bits);
    putLittleEndian(bits, 8, bytes.data() + 8 * i);
  }
  putLittleEndian(static_cast<uint32_t>(state.bypass), 4, bytes.data() + 8 * kParams);
  return bytes;
}

bool decodeState(const std::vector<uint8_t>& bytes, SavedState* state) {
  if (bytes.size() != static_cast<size_t>(kStateBytes)) return false;
  for (int i = 0; i < kParams; ++i) {
    const uint64_t bits = getLittleEndian(bytes.data() + 8 * i, 8);
    std::memcpy(&state->values[static_cast<size_t>(i)], &bits, sizeof bits);
  }
  state->bypass = static_cast<int32_t>(static_cast<uint32_t>(getLittleEndian(bytes.data() + 8 * kParams, 4)));
  return true;
}

SavedState savedState(vst3host::HostedPlugin& plugin) {
  std::vector<uint8_t> bytes;
  SavedState state;
  EXPECT_TRUE(plugin.getState(&bytes));
  EXPECT_TRUE(decodeState(bytes, &state)) << "state of " << bytes.size() << " bytes";
  return state;
}

bool stateWithinRanges(const SavedState& state) {
  bool ok = true;
  for (int i = 0; i < kParams; ++i) {
    const double v = state.values[static_cast<size_t>(i)];
    const ParamRange& r = kParamRanges[i];
    if (!std::isfinite(v) || v < r.min || v > r.max || (r.list && v != std::round(v))) {
      ADD_FAILURE() << "parameter " << i << " holds " << v << ", outside " << r.min << " .. " << r.max;
      ok = false;
    }
  }
  if (state.bypass != 0 && state.bypass != 1) {
    ADD_FAILURE() << "bypass word " << state.bypass;
    ok = false;
  }
  return ok;
}

int fftSizeForResolution(double resolution) {
  if (resolution < 0.5) return 512;
  if (resolution < 1.5) return 1024;
  return 2048;
}

RawAudio::RawAudio(int maxFrames) : maxFrames_(maxFrames) {
  for (size_t c = 0; c < 2; ++c) {
    in64_[c].assign(static_cast<size_t>(maxFrames), 0.0);
    out64_[c].assign(static_cast<size_t>(maxFrames), 0.0);
    in32_[c].assign(static_cast<size_t>(maxFrames), 0.0f);
    out32_[c].assign(static_cast<size_t>(maxFrames), 0.0f);
  }
}

double RawAudio::output(int c, int i) const {
  const size_t ch = static_cast<size_t>(c), at = static_cast<size_t>(i);
  return lastWide_ ? out64_[ch][at] : static_cast<double>(out32_[ch][at]);
}

tresult RawAudio::process(Vst::IAudioProcessor* processor, int frames, bool wide, Vst::IParameterChanges* changes) {
  lastWide_ = wide;
  const size_t n = static_cast<size_t>(std::max(0, std::min(frames, maxFrames_)));
  double* in64[2] = {in64_[0].data(), in64_[1].data()};
  double* out64[2] = {out64_[0].data(), out64_[1].data()};
  float* in32[2] = {in32_[0].data(), in32_[1].data()};
  float* out32[2] = {out32_[0].data(), out32_[1].data()};
  for (size_t c = 0; c < 2; ++c) {
    if (wide) {
      std::fill(out64_[c].begin(), out64_[c].begin() + static_cast<long>(n), std::numeric_limits<double>::quiet_NaN());
    } else {
      for (size_t i = 0; i < n; ++i) in32_[c][i] = static_cast<float>(in64_[c][i]);
      std::fill(out32_[c].begin(), out32_[c].begin() + static_cast<long>(n), std::numeric_limits<float>::quiet_NaN());
    }
  }
  Vst::AudioBusBuffers input{}, output{};
  input.numChannels = output.numChannels = 2;
  if (wide) {
    input.channelBuffers64 = in64;
    output.channelBuffers64 = out64;
  } else {
    input.channelBuffers32 = in32;
    output.channelBuffers32 = out32;
  }
  Vst::ProcessData data;
  data.processMode = Vst::kRealtime;
  data.symbolicSampleSize = wide ? Vst::kSample64 : Vst::kSample32;
  data.numSamples = frames;
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &input;
  data.outputs = &output;
  data.inputParameterChanges = changes;
  return processor->process(data);
}

tresult RawAudio::flush(Vst::IAudioProcessor* processor, Vst::IParameterChanges* changes, int frames) {
  Vst::ProcessData data;
  data.processMode = Vst::kRealtime;
  data.symbolicSampleSize = Vst::kSample32;
  data.numSamples = frames;
  data.numInputs = 0;
  data.numOutputs = 0;
  data.inputs = nullptr;
  data.outputs = nullptr;
  data.inputParameterChanges = changes;
  return processor->process(data);
}

int RawAudio::nonFiniteOutputs(int frames) const {
  int bad = 0;
  for (int i = 0; i < std::min(frames, maxFrames_); ++i)
    if (!std::isfinite(output(0, i)) || !std::isfinite(output(1, i))) ++bad;
  return bad;
}

vst3host::Factory& inProcessFactory() {
  static vst3host::Factory factory(iplug::vst3::GetFactory(varnock::kFactoryInfo, varnock::kClassInfo));
  return factory;
}

std::unique_ptr<vst3host::HostedPlugin> makeInProcessPlugin() {
  vst3host::Factory& factory = inProcessFactory();
  std::string error;
  auto plugin = vst3host::HostedPlugin::create(factory, factory.classes().at(0).id, &error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

varnock::Varnock& varnockOf(vst3host::HostedPlugin& plugin) {
  return *dynamic_cast<varnock::Varnock*>(plugin.component());
}

std::mt19937& rng() {
  static std::mt19937 generator(1);
  return generator;
}

void reseed(uint32_t seed) { rng().seed(seed); }

int randomInt(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng()); }

double randomUnit() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng()); }

}  // namespace reliability
