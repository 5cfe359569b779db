#pragma once
// --preset NAME for varnock-render: the factory presets by name, and the
// parameter writes that applying one makes, in the order the editor's preset
// bar makes them.
#include <string>
#include <vector>

namespace render {

struct PresetWrite {
  int param = 0;      // parameter index, which is also the host's parameter ID
  double plain = 0;   // in the parameter's own units (list parameters: the index)
};

// The factory preset (1..10) called `name`, ignoring case and surrounding
// blanks; 0 and *error, which lists the names, when there is none ("Custom"
// is not a factory preset).
int findFactoryPreset(const std::string& name, std::string* error);

// The ten names in preset order.
std::vector<std::string> factoryPresetNames();

// What applying preset `row` (1..10) writes: the 14 detection and output
// columns in table order, Resolution when the row sets it, then the Preset
// parameter = row.
std::vector<PresetWrite> factoryPresetWrites(int row);

}  // namespace render
