#include "plugin/params.h"

#include "framework/plugin_base.h"
#include "plugin/presets.h"

namespace varnock {

namespace {

using iplug::IParam;

// A continuous parameter: plain values in `unit`; the step sets only the
// display precision (0.1 shows one decimal), the value is not quantised.
void initContinuous(iplug::IPlugAPIBase& plugin, ParamIndex index, const char* name, double defaultValue,
                    double minValue, double maxValue, double step, const char* unit,
                    IParam::EShape shape = IParam::kShapeLinear) {
  plugin.GetParam(index)->InitDouble(name, defaultValue, minValue, maxValue, step, unit, IParam::kFlagsNone, "",
                                     shape);
}

} // namespace

void initParams(iplug::IPlugAPIBase& plugin) {
  // Index order: the host's parameter IDs and the persisted state follow it.
  plugin.GetParam(kMode)->InitEnum("Mode", 0, {"Cut", "Boost", "Tame"});
  initContinuous(plugin, kDepth, "Depth", 12.0, 0.0, 24.0, 0.1, "dB");
  initContinuous(plugin, kThreshold, "Threshold", 6.0, 0.0, 24.0, 0.1, "dB");
  initContinuous(plugin, kKnee, "Knee", 8.0, 1.0, 24.0, 0.1, "dB");
  initContinuous(plugin, kBackground, "Background", 60.0, 10.0, 500.0, 1.0, "ms");
  // Frequencies map exponentially: 20 Hz * 1000^n.
  initContinuous(plugin, kFreqLow, "Freq Low", 1000.0, 20.0, 20000.0, 1.0, "Hz", IParam::kShapeExp);
  initContinuous(plugin, kFreqHigh, "Freq High", 18000.0, 20.0, 20000.0, 1.0, "Hz", IParam::kShapeExp);
  initContinuous(plugin, kSmooth, "Smooth", 2.0, 0.0, 16.0, 1.0, "bins");
  initContinuous(plugin, kAttack, "Attack", 1.0, 0.1, 20.0, 0.1, "ms");
  initContinuous(plugin, kRelease, "Release", 60.0, 5.0, 500.0, 1.0, "ms");
  initContinuous(plugin, kMix, "Mix", 100.0, 0.0, 100.0, 1.0, "%");
  initContinuous(plugin, kTrim, "Trim", 0.0, -24.0, 24.0, 0.1, "dB");
  plugin.GetParam(kDelta)->InitEnum("Delta", 0, {"Off", "On"});
  plugin.GetParam(kResolution)->InitEnum("Resolution", 1, {"Fast 512", "Normal 1024", "Precise 2048"});
  // Preset and UI Size only change what the editor shows; hosts do not automate them.
  plugin.GetParam(kPreset)->InitEnum("Preset", 0, {kPresetNames, kPresetNames + kNumPresetRows},
                                     IParam::kFlagCannotAutomate);
  initContinuous(plugin, kWidth, "Width", 0.33, 0.1, 1.5, 0.01, "oct");
  initContinuous(plugin, kTilt, "Tilt", 0.0, -6.0, 6.0, 0.1, "dB/oct");
  plugin.GetParam(kUISize)->InitEnum("UI Size", 0, {"Fixed", "Grow"}, IParam::kFlagCannotAutomate);
}

} // namespace varnock
