#include "tools/render_preset.h"

#include <algorithm>
#include <cctype>

#include "plugin/presets.h"

namespace render {
namespace {

std::string folded(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  std::string out = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

int findFactoryPreset(const std::string& name, std::string* error) {
  const std::string wanted = folded(name);
  for (int row = varnock::kFirstFactoryPreset; row <= varnock::kLastFactoryPreset; ++row)
    if (folded(varnock::kPresetNames[row]) == wanted) return row;
  std::string names;
  for (const std::string& known : factoryPresetNames()) names += (names.empty() ? "\"" : ", \"") + known + "\"";
  *error = "unknown preset \"" + name + "\"; the presets are " + names;
  return 0;
}

std::vector<std::string> factoryPresetNames() {
  return std::vector<std::string>(varnock::kPresetNames + varnock::kFirstFactoryPreset,
                                  varnock::kPresetNames + varnock::kLastFactoryPreset + 1);
}

std::vector<PresetWrite> factoryPresetWrites(int row) {
  std::vector<PresetWrite> writes;
  if (row < varnock::kFirstFactoryPreset || row > varnock::kLastFactoryPreset) return writes;
  const varnock::PresetRow& values = varnock::kFactoryPresets[row];
  for (int column = 0; column < varnock::kPresetResolutionColumn; ++column)
    writes.push_back({varnock::kPresetColumnParams[column], values[column]});
  if (values[varnock::kPresetResolutionColumn] >= 0.0)
    writes.push_back({varnock::kPresetColumnParams[varnock::kPresetResolutionColumn],
                      values[varnock::kPresetResolutionColumn]});
  writes.push_back({varnock::kPreset, static_cast<double>(row)});
  return writes;
}

}  // namespace render
