#pragma once
// Factory presets: ten parameter sets for typical jobs, chosen in the editor's
// preset bar. They are applied as editor edits (one host-informing gesture per
// parameter), so the host records them like knob movements. The table and the
// names are constant data; nothing writes to them.
//
// Thread: applyFactoryPreset() runs on the UI thread only (it touches the
// editor state's presetModified mark).
#include <array>
#include <iterator>

#include "plugin/param_table.h"

namespace iplug { class IPlugAPIBase; }

namespace varnock {

struct EditorState;

constexpr int kNumPresetRows = static_cast<int>(std::size(kPresetNames));   // 0 "Custom", 1..10 factory presets
constexpr int kNumPresetColumns = 15;
constexpr int kFirstFactoryPreset = 1;
constexpr int kLastFactoryPreset = 10;

// Which parameter each table column sets. Columns 0..13 are always written;
// column 14 (Resolution) only when its entry is 0 or more.
inline constexpr ParamIndex kPresetColumnParams[kNumPresetColumns] = {
    kMode, kDepth, kThreshold, kKnee, kBackground, kFreqLow, kFreqHigh, kSmooth,
    kAttack, kRelease, kMix, kTrim, kWidth, kTilt, kResolution,
};
constexpr int kPresetResolutionColumn = 14;

using PresetRow = std::array<double, kNumPresetColumns>;

// The parameter defaults as a preset row.
constexpr PresetRow presetRowOfDefaults() {
  PresetRow row{};
  for (int column = 0; column < kNumPresetColumns; ++column) row[column] = paramDefault(kPresetColumnParams[column]);
  return row;
}

// Plain values in the parameters' units, row = Preset value 0..10. Row 0
// ("Custom") holds the defaults and is never applied; row 10 ("Init") loads them.
// Mode: 0 Cut, 1 Boost, 2 Tame. Resolution: 1 Normal 1024, 2 Precise 2048.
inline constexpr PresetRow kFactoryPresets[kNumPresetRows] = {
    presetRowOfDefaults(),                                                 // Custom
    // Mode Depth Thr Knee Bg   FreqLo FreqHi Smooth Att  Rel  Mix  Trim Width Tilt Res
    {0, 12, 8, 6,  60,  2000, 16000, 2, 0.5, 30,  100, 0, 0.33, 0.0, 1},   // Mouth Clicks
    {0, 6,  6, 10, 120, 1500, 12000, 4, 2.0, 80,  100, 0, 0.33, 0.0, 1},   // Vocal Softener
    {1, 6,  4, 10, 80,  60,   12000, 3, 1.0, 60,  100, 0, 0.33, 0.0, 1},   // Drum Punch
    {1, 6,  4, 8,  100, 40,   250,   2, 2.0, 80,  100, 0, 0.33, 0.0, 1},   // Kick/Bass Attack
    {0, 6,  6, 8,  60,  800,  12000, 3, 0.5, 50,  100, 0, 0.33, 0.0, 1},   // Snare/Perc Tame
    {0, 5,  6, 10, 80,  1500, 8000,  3, 1.0, 50,  100, 0, 0.33, 0.0, 1},   // Guitar Pick Tame
    {2, 6,  4, 6,  60,  1500, 16000, 2, 1.0, 60,  100, 0, 0.33, 1.5, 1},   // Vocal Harshness
    {2, 6,  3, 6,  60,  120,  800,   1, 5.0, 150, 100, 0, 0.5,  0.0, 2},   // Boxy Room
    {2, 4,  5, 8,  60,  200,  16000, 2, 2.0, 100, 100, 0, 0.4,  1.0, 1},   // Mix Smoother
    presetRowOfDefaults(),                                                 // Init
};

// The name shown for a Preset value: rounded to the nearest whole number,
// below 0 shown as "Custom", above 10 as "Init".
const char* presetName(double presetValue);

// Loads factory preset n (1..10; anything else is ignored): writes the 14
// detection and output columns in table order, Resolution when the row has
// one, then Preset = n, each with begin/send/end, without rounding or
// comparison; then clears editorState.presetModified.
void applyFactoryPreset(iplug::IPlugAPIBase& plugin, EditorState& editorState, int n);

} // namespace varnock
