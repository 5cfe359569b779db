#pragma once
// The definitions of Varnock's 18 parameters, in index order: the one place
// that states each parameter's name, kind, range, default, display step,
// unit, mapping, automation and list texts, and which engine value it feeds.
// The parameter set, the engine's defaults, the factory-preset rows that hold
// the defaults and the editor's controls all read it. Constant data.
#include <iterator>

#include "dsp/engine_params.h"
#include "plugin/param_index.h"

namespace varnock {

enum class ParamKind { Continuous, List };
enum class ParamShape { Linear, Exponential };   // exponential: v = min * (max / min)^n

struct ParamDef {
  ParamIndex index;
  const char* name;
  ParamKind kind;
  double minValue, maxValue, defaultValue;     // plain units; a list runs 0 .. count - 1
  double step;                                 // display precision only; values are not quantised
  const char* unit;                            // "" for lists
  ParamShape shape;
  bool automatable;                            // hosts may automate it
  const char* const* texts;                    // list texts of the values 0 .. textCount - 1
  int textCount;
  double EngineParams::*engineField;           // the engine value it feeds; nullptr: the editor's only
};

inline constexpr const char* kModeTexts[] = {"Cut", "Boost", "Tame"};
inline constexpr const char* kDeltaTexts[] = {"Off", "On"};
inline constexpr const char* kResolutionTexts[] = {"Fast 512", "Normal 1024", "Precise 2048"};
// The Preset parameter's texts: 0 "Custom", 1..10 the factory presets.
inline constexpr const char* kPresetNames[] = {
    "Custom",          "Mouth Clicks",     "Vocal Softener",  "Drum Punch",   "Kick/Bass Attack", "Snare/Perc Tame",
    "Guitar Pick Tame", "Vocal Harshness", "Boxy Room",       "Mix Smoother", "Init",
};
inline constexpr const char* kUISizeTexts[] = {"Fixed", "Grow"};

namespace param_table_detail {

constexpr ParamDef continuous(ParamIndex index, const char* name, double minValue, double maxValue,
                              double defaultValue, double step, const char* unit, double EngineParams::*field,
                              ParamShape shape = ParamShape::Linear) {
  return {index, name, ParamKind::Continuous, minValue, maxValue, defaultValue, step, unit, shape, true,
          nullptr, 0, field};
}

template <int kCount>
constexpr ParamDef list(ParamIndex index, const char* name, const char* const (&texts)[kCount], int defaultValue,
                        double EngineParams::*field, bool automatable = true) {
  return {index, name, ParamKind::List, 0.0, kCount - 1.0, static_cast<double>(defaultValue), 1.0, "",
          ParamShape::Linear, automatable, texts, kCount, field};
}

} // namespace param_table_detail

inline constexpr ParamDef kParamDefs[kNumParams] = {
    param_table_detail::list(kMode, "Mode", kModeTexts, 0, &EngineParams::mode),
    param_table_detail::continuous(kDepth, "Depth", 0, 24, 12, 0.1, "dB", &EngineParams::depthDb),
    param_table_detail::continuous(kThreshold, "Threshold", 0, 24, 6, 0.1, "dB", &EngineParams::thresholdDb),
    param_table_detail::continuous(kKnee, "Knee", 1, 24, 8, 0.1, "dB", &EngineParams::kneeDb),
    param_table_detail::continuous(kBackground, "Background", 10, 500, 60, 1, "ms", &EngineParams::backgroundMs),
    // Frequencies map exponentially: 20 Hz * 1000^n.
    param_table_detail::continuous(kFreqLow, "Freq Low", 20, 20000, 1000, 1, "Hz", &EngineParams::freqLowHz,
                                   ParamShape::Exponential),
    param_table_detail::continuous(kFreqHigh, "Freq High", 20, 20000, 18000, 1, "Hz", &EngineParams::freqHighHz,
                                   ParamShape::Exponential),
    param_table_detail::continuous(kSmooth, "Smooth", 0, 16, 2, 1, "bins", &EngineParams::smoothBins),
    param_table_detail::continuous(kAttack, "Attack", 0.1, 20, 1, 0.1, "ms", &EngineParams::attackMs),
    param_table_detail::continuous(kRelease, "Release", 5, 500, 60, 1, "ms", &EngineParams::releaseMs),
    param_table_detail::continuous(kMix, "Mix", 0, 100, 100, 1, "%", &EngineParams::mixPercent),
    param_table_detail::continuous(kTrim, "Trim", -24, 24, 0, 0.1, "dB", &EngineParams::trimDb),
    param_table_detail::list(kDelta, "Delta", kDeltaTexts, 0, &EngineParams::delta),
    param_table_detail::list(kResolution, "Resolution", kResolutionTexts, 1, &EngineParams::resolution),
    // Preset and UI Size change only what the editor shows; hosts do not automate them.
    param_table_detail::list(kPreset, "Preset", kPresetNames, 0, nullptr, false),
    param_table_detail::continuous(kWidth, "Width", 0.1, 1.5, 0.33, 0.01, "oct", &EngineParams::widthOctaves),
    param_table_detail::continuous(kTilt, "Tilt", -6, 6, 0, 0.1, "dB/oct", &EngineParams::tiltDbPerOctave),
    param_table_detail::list(kUISize, "UI Size", kUISizeTexts, 0, nullptr, false),
};

static_assert([] {
  for (int i = 0; i < kNumParams; ++i)
    if (kParamDefs[i].index != i) return false;
  return true;
}(), "kParamDefs must be in ParamIndex order");

constexpr const ParamDef& paramDef(ParamIndex index) { return kParamDefs[index]; }
constexpr double paramDefault(ParamIndex index) { return kParamDefs[index].defaultValue; }

// The engine values of a set of plain parameter values; plainValue(index)
// gives the value of parameter `index`.
template <class PlainValueOf> constexpr EngineParams makeEngineParams(PlainValueOf plainValue) {
  EngineParams params;
  for (const ParamDef& def : kParamDefs)
    if (def.engineField != nullptr) params.*def.engineField = plainValue(def.index);
  return params;
}

// The engine values of the parameter defaults.
constexpr EngineParams defaultEngineParams() {
  return makeEngineParams([](ParamIndex index) { return paramDefault(index); });
}

} // namespace varnock
