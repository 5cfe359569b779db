#pragma once
// Factory presets: ten parameter sets for typical jobs, chosen in the editor's
// preset bar. They are applied as editor edits (one host-informing gesture per
// parameter), so the host records them like knob movements. The table and the
// names are constant data; nothing writes to them.
//
// Thread: applyFactoryPreset() runs on the UI thread only (it touches the
// editor-owned presetModified flag).
#include "dsp/param_index.h"

namespace iplug { class IPlugAPIBase; }

namespace varnock {

struct SpectralEngine;

constexpr int kNumPresetRows = 11;             // 0 "Custom", 1..10 factory presets
constexpr int kNumPresetColumns = 15;
constexpr int kFirstFactoryPreset = 1;
constexpr int kLastFactoryPreset = 10;

// Which parameter each table column sets. Columns 0..13 are always written;
// column 14 (Resolution) only when its entry is 0 or more.
extern const ParamIndex kPresetColumnParams[kNumPresetColumns];
constexpr int kPresetResolutionColumn = 14;

// Plain values in the parameters' units, row = Preset value 0..10. Row 0
// ("Custom") holds the defaults and is never applied.
extern const double kFactoryPresets[kNumPresetRows][kNumPresetColumns];

// "Custom", "Mouth Clicks", ..., "Init": the Preset parameter's texts.
extern const char* const kPresetNames[kNumPresetRows];

// The name shown for a Preset value: rounded to the nearest whole number,
// below 0 shown as "Custom", above 10 as "Init".
const char* presetName(double presetValue);

// Loads factory preset n (1..10; anything else is ignored): writes the 14
// detection and output columns in table order, Resolution when the row has
// one, then Preset = n, each with begin/send/end, without rounding or
// comparison; then clears engine.presetModified.
void applyFactoryPreset(iplug::IPlugAPIBase& plugin, SpectralEngine& engine, int n);

} // namespace varnock
