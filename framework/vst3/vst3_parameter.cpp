#include "framework/vst3/vst3_parameter.h"

#include <cmath>
#include <string>

#include "framework/vst3/utf16.h"

namespace iplug::vst3 {

using namespace Steinberg;

VST3Parameter::VST3Parameter(const IParam& param, Vst::ParamID id) : mParam(param) {
  info.id = id;
  CopyUtf8ToUtf16(param.GetName(), info.title, 128);
  CopyUtf8ToUtf16(param.GetLabel(), info.units, 128);
  info.stepCount = param.GetStepCount();
  info.defaultNormalizedValue = param.GetDefault(true);
  info.flags = 0;
  if (param.GetCanAutomate()) info.flags |= Vst::ParameterInfo::kCanAutomate;
  if (param.Type() == IParam::kTypeEnum) info.flags |= Vst::ParameterInfo::kIsList;
  info.unitId = Vst::kRootUnitId;
  valueNormalized = param.GetNormalized();
  precision = param.GetDisplayPrecision();
}

bool VST3Parameter::setNormalized(Vst::ParamValue normalized) {
  if (std::isnan(normalized)) return false;
  return Parameter::setNormalized(normalized);
}

void VST3Parameter::toString(Vst::ParamValue normalized, Vst::String128 string) const {
  char text[128];
  mParam.GetDisplay(mParam.FromNormalized(normalized), text, sizeof text);
  CopyUtf8ToUtf16(text, string, 128);
}

bool VST3Parameter::fromString(const Vst::TChar* string, Vst::ParamValue& normalized) const {
  if (!string) return false;
  normalized = mParam.ToNormalized(mParam.StringToValue(Utf16ToUtf8(string, 128).c_str()));
  return true;
}

Vst::ParamValue VST3Parameter::toPlain(Vst::ParamValue normalized) const {
  return mParam.Constrain(mParam.FromNormalized(normalized));
}

Vst::ParamValue VST3Parameter::toNormalized(Vst::ParamValue plain) const {
  return mParam.ToNormalized(mParam.Constrain(plain));
}

} // namespace iplug::vst3
