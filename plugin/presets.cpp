#include "plugin/presets.h"

#include <cmath>

#include "plugin/editor_state.h"
#include "framework/plugin_base.h"

namespace varnock {

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

void applyFactoryPreset(iplug::IPlugAPIBase& plugin, EditorState& editorState, int n) {
  if (n < kFirstFactoryPreset || n > kLastFactoryPreset) return;
  const PresetRow& row = kFactoryPresets[n];
  for (int column = 0; column < kPresetResolutionColumn; ++column)
    writeParam(plugin, kPresetColumnParams[column], row[column]);
  if (row[kPresetResolutionColumn] >= 0.0)
    writeParam(plugin, kResolution, row[kPresetResolutionColumn]);
  writeParam(plugin, kPreset, n);
  editorState.presetModified = false;
}

} // namespace varnock
