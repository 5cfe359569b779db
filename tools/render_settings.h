#pragma once
// --set Name=value for varnock-render: finds the parameter by its title and
// turns the text into a value with the plug-in's own text conversion.
#include <string>
#include <utility>
#include <vector>

#include "host/hosted_plugin.h"

namespace render {

struct ParameterSetting {
  Steinberg::Vst::ParamID id = 0;
  double normalized = 0;
};

// Resolves every setting in order. Names match exactly, or else ignoring
// case when that is unambiguous. A list parameter takes one of its own texts
// (case ignored); a continuous one a text that starts with a number,
// optionally followed by its unit. false and *error (naming the valid names
// or texts) otherwise. UI thread.
bool resolveSettings(const vst3host::HostedPlugin& plugin,
                     const std::vector<std::pair<std::string, std::string>>& settings,
                     std::vector<ParameterSetting>* resolved, std::string* error);

}  // namespace render
