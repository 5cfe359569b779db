#include "plugin/params.h"

#include "framework/plugin_base.h"
#include "plugin/param_table.h"

namespace varnock {

void initParams(iplug::IPlugAPIBase& plugin) {
  using iplug::IParam;
  // Index order: the host's parameter IDs and the persisted state follow it.
  for (const ParamDef& def : kParamDefs) {
    IParam* param = plugin.GetParam(def.index);
    const int flags = def.automatable ? IParam::kFlagsNone : IParam::kFlagCannotAutomate;
    if (def.kind == ParamKind::List) {
      param->InitEnum(def.name, static_cast<int>(def.defaultValue), {def.texts, def.texts + def.textCount}, flags);
    } else {
      const IParam::EShape shape = def.shape == ParamShape::Exponential ? IParam::kShapeExp : IParam::kShapeLinear;
      param->InitDouble(def.name, def.defaultValue, def.minValue, def.maxValue, def.step, def.unit, flags, "", shape);
    }
  }
}

} // namespace varnock
