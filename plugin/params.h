#pragma once
// Varnock's 18 parameters, created in index order by the plug-in's constructor.
#include "dsp/param_index.h"

namespace iplug { class IPlugAPIBase; }

namespace varnock {

// Defines every parameter of `plugin` (which has kNumParams of them) with its
// name, unit, range, default, step, shape, list texts and automation flag.
void initParams(iplug::IPlugAPIBase& plugin);

} // namespace varnock
