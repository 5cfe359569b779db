#pragma once
// VST3Parameter: the edit controller's view of one IParam. It publishes the
// parameter's information (title, unit, step count, default, flags, root
// unit) and converts values and texts with the IParam's own rules, so a host
// sees the same numbers and texts as the plug-in's editor.
//
// The normalised value held here is the controller's copy; the IParam holds
// the value the audio path uses. UI thread only.
#include "framework/param.h"
#include "public.sdk/source/vst/vstparameters.h"

namespace iplug::vst3 {

class VST3Parameter : public Steinberg::Vst::Parameter {
public:
  // `param` must outlive this object (both belong to the plug-in instance).
  VST3Parameter(const IParam& param, Steinberg::Vst::ParamID id);

  // A NaN keeps the current copy; other values clamp to [0, 1].
  bool setNormalized(Steinberg::Vst::ParamValue normalized) SMTG_OVERRIDE;
  void toString(Steinberg::Vst::ParamValue normalized, Steinberg::Vst::String128 string) const SMTG_OVERRIDE;
  bool fromString(const Steinberg::Vst::TChar* string, Steinberg::Vst::ParamValue& normalized) const SMTG_OVERRIDE;
  // Normalised to plain constrains (list values become whole numbers).
  Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalized) const SMTG_OVERRIDE;
  Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plain) const SMTG_OVERRIDE;

  OBJ_METHODS(VST3Parameter, Parameter)

private:
  const IParam& mParam;
};

} // namespace iplug::vst3
