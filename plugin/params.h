#pragma once
// Varnock's 18 parameters, created in index order by the plug-in's constructor.
#include "plugin/param_index.h"

namespace iplug { class IPlugAPIBase; }

namespace varnock {

// Defines every parameter of `plugin` (which has kNumParams of them) from
// its entry in kParamDefs (plugin/param_table.h).
void initParams(iplug::IPlugAPIBase& plugin);

} // namespace varnock
