#include "plugin/presets.h"

#include <cmath>

#include "dsp/spectral_engine.h"
#include "framework/plugin_base.h"

namespace varnock {

const ParamIndex kPresetColumnParams[kNumPresetColumns] = {
  kMode, kDepth, kThreshold, kKnee, kBackground, kFreqLow, kFreqHigh, kSmooth,
  kAttack, kRelease, kMix, kTrim, kWidth, kTilt, kResolution,
};

// Mode: 0 Cut, 1 Boost, 2 Tame. Resolution: 1 Normal 1024, 2 Precise 2048.
const double kFactoryPresets[kNumPresetRows][kNumPresetColumns] = {
  // Mode Depth Thr  Knee  Bg    FreqLo  FreqHi   Smooth Att  Rel    Mix    Trim Width Tilt Res
  {0, 12, 6, 8,  60,  1000, 18000, 2, 1.0, 60,  100, 0, 0.33, 0.0, 1},   // Custom
  {0, 12, 8, 6,  60,  2000, 16000, 2, 0.5, 30,  100, 0, 0.33, 0.0, 1},   // Mouth Clicks
  {0, 6,  6, 10, 120, 1500, 12000, 4, 2.0, 80,  100, 0, 0.33, 0.0, 1},   // Vocal Softener
  {1, 6,  4, 10, 80,  60,   12000, 3, 1.0, 60,  100, 0, 0.33, 0.0, 1},   // Drum Punch
  {1, 6,  4, 8,  100, 40,   250,   2, 2.0, 80,  100, 0, 0.33, 0.0, 1},   // Kick/Bass Attack
  {0, 6,  6, 8,  60,  800,  12000, 3, 0.5, 50,  100, 0, 0.33, 0.0, 1},   // Snare/Perc Tame
  {0, 5,  6, 10, 80,  1500, 8000,  3, 1.0, 50,  100, 0, 0.33, 0.0, 1},   // Guitar Pick Tame
  {2, 6,  4, 6,  60,  1500, 16000, 2, 1.0, 60,  100, 0, 0.33, 1.5, 1},   // Vocal Harshness
  {2, 6,  3, 6,  60,  120,  800,   1, 5.0, 150, 100, 0, 0.5,  0.0, 2},   // Boxy Room
  {2, 4,  5, 8,  60,  200,  16000, 2, 2.0, 100, 100, 0, 0.4,  1.0, 1},   // Mix Smoother
  {0, 12, 6, 8,  60,  1000, 18000, 2, 1.0, 60,  100, 0, 0.33, 0.0, 1},   // Init
};

const char* const kPresetNames[kNumPresetRows] = {
  "Custom", "Mouth Clicks", "Vocal Softener", "Drum Punch", "Kick/Bass Attack",
  "Snare/Perc Tame", "Guitar Pick Tame", "Vocal Harshness", "Boxy Room",
  "Mix Smoother", "Init",
};

const char* presetName(double presetValue) {
  const double k = std::floor(presetValue + 0.5);
  if (!(k >= 1.0)) return kPresetNames[0];           // also NaN
  if (k > kLastFactoryPreset) return kPresetNames[kLastFactoryPreset];
  return kPresetNames[static_cast<int>(k)];
}

namespace {
// One complete host-informing gesture, without rounding or comparison.
void writeParam(iplug::IPlugAPIBase& plugin, int paramIndex, double plainValue) {
  const iplug::IParam* param = plugin.GetParam(paramIndex);
  if (param == nullptr) return;
  plugin.BeginInformHostOfParamChangeFromUI(paramIndex);
  plugin.SendParameterValueFromUI(paramIndex, param->ToNormalized(plainValue));
  plugin.EndInformHostOfParamChangeFromUI(paramIndex);
}
} // namespace

void applyFactoryPreset(iplug::IPlugAPIBase& plugin, SpectralEngine& engine, int n) {
  if (n < kFirstFactoryPreset || n > kLastFactoryPreset) return;
  const double* row = kFactoryPresets[n];
  for (int column = 0; column < kPresetResolutionColumn; ++column)
    writeParam(plugin, kPresetColumnParams[column], row[column]);
  if (row[kPresetResolutionColumn] >= 0.0)
    writeParam(plugin, kResolution, row[kPresetResolutionColumn]);
  writeParam(plugin, kPreset, n);
  engine.presetModified = false;
}

} // namespace varnock
