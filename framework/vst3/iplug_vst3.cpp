#include "framework/vst3/iplug_vst3.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "framework/vst3/abi_guard.h"
#include "framework/vst3/plug_view.h"
#include "framework/vst3/utf16.h"
#include "framework/vst3/vst3_parameter.h"
#include "pluginterfaces/vst/ivsthostapplication.h"

namespace iplug {

using namespace Steinberg;

namespace {

int maxLatencyOf(const Config& config) { return std::max(config.maxLatency, config.latency); }

std::string lowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

IPlugVST3::IPlugVST3(const Config& config)
  : IPlugAPIBase(config), mNChannels(std::max(NInChannels(), NOutChannels())),
    mBypassDelay(mNChannels, maxLatencyOf(config)) {
  mBypassDelay.SetLength(config.latency);
  resizeScratch(GetBlockSize());
}

IPlugVST3::~IPlugVST3() = default;

tresult PLUGIN_API IPlugVST3::initialize(FUnknown* context) {
  const tresult result = vst3::Guarded([&] { return SingleComponentEffect::initialize(context); });
  if (result != kResultOk) return result;
  // Publishing allocates; if it fails, nothing half-published stays behind.
  const tresult published = vst3::Guarded([&] { return publish(context); });
  if (published != kResultOk) vst3::Guarded([&] { return SingleComponentEffect::terminate(); });
  return published;
}

tresult IPlugVST3::publish(FUnknown* context) {
  mHostNameLower.clear();
  if (FUnknownPtr<Vst::IHostApplication> app{context}) {
    Vst::String128 name{};
    if (app->getName(name) == kResultOk) mHostNameLower = lowerCase(vst3::Utf16ToUtf8(name, 128));
  }

  if (NInChannels() > 0) addAudioInput("Input", NInChannels());
  if (NOutChannels() > 0) addAudioOutput("Output", NOutChannels());

  Vst::String128 rootName;
  vst3::CopyUtf8ToUtf16("Root", rootName, 128);
  addUnit(new Vst::Unit(rootName, Vst::kRootUnitId, Vst::kNoParentUnitId, Vst::kNoProgramListId));

  for (int i = 0; i < NParams(); ++i)
    parameters.addParameter(new vst3::VST3Parameter(*GetParam(i), static_cast<Vst::ParamID>(i)));

  Vst::String128 bypassTitle, offText, onText;
  vst3::CopyUtf8ToUtf16("Bypass", bypassTitle, 128);
  vst3::CopyUtf8ToUtf16("off", offText, 128);
  vst3::CopyUtf8ToUtf16("on", onText, 128);
  auto* bypass = new Vst::StringListParameter(
      bypassTitle, kBypassParamID, nullptr,
      Vst::ParameterInfo::kCanAutomate | Vst::ParameterInfo::kIsList | Vst::ParameterInfo::kIsBypass);
  bypass->appendString(offText);
  bypass->appendString(onText);
  bypass->setNormalized(IsBypassed() ? 1.0 : 0.0);
  parameters.addParameter(bypass);
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3::terminate() {
  return vst3::Guarded([&]() -> tresult {
    mHostNameLower.clear();
    return SingleComponentEffect::terminate();
  });
}

uint32 PLUGIN_API IPlugVST3::getLatencySamples() {
  return static_cast<uint32>(std::max(GetLatency(), 0));
}

tresult PLUGIN_API IPlugVST3::setParamNormalized(Vst::ParamID tag, Vst::ParamValue value) {
  return vst3::Guarded([&]() -> tresult {
    Vst::Parameter* parameter = getParameterObject(tag);
    if (!parameter) return kResultFalse;
    if (std::isnan(value)) return kResultFalse;
    if (tag < static_cast<Vst::ParamID>(NParams())) {
      IParam* param = GetParam(static_cast<int>(tag));
      const double before = param->Value();
      param->SetNormalized(value);
      parameter->setNormalized(param->GetNormalized());
      // A changed value reaches the processing side at its next block, like
      // every other change; an unchanged one (a host echoing automation back
      // to the controller) costs nothing.
      if (param->Value() != before) OnParamChange(static_cast<int>(tag));
    } else {
      parameter->setNormalized(value);
    }
    return kResultTrue;
  });
}

tresult PLUGIN_API IPlugVST3::getParameterInfo(int32 paramIndex, Vst::ParameterInfo& info) {
  if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kResultFalse;
  return SingleComponentEffect::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API IPlugVST3::getUnitInfo(int32 unitIndex, Vst::UnitInfo& info) {
  if (unitIndex < 0 || unitIndex >= getUnitCount()) return kResultFalse;
  return SingleComponentEffect::getUnitInfo(unitIndex, info);
}

tresult PLUGIN_API IPlugVST3::getParamStringByValue(Vst::ParamID tag, Vst::ParamValue valueNormalized,
                                                    Vst::String128 string) {
  return vst3::Guarded([&]() -> tresult {
    if (std::isnan(valueNormalized)) return kResultFalse;
    return SingleComponentEffect::getParamStringByValue(tag, std::clamp(valueNormalized, 0.0, 1.0), string);
  });
}

IPlugView* PLUGIN_API IPlugVST3::createView(FIDString name) {
  return vst3::Guarded<IPlugView*>(nullptr, [&]() -> IPlugView* {
    if (!GetConfig().plugHasUI || !name || std::strcmp(name, Vst::ViewType::kEditor) != 0) return nullptr;
    return vst3::MakePlugView(*this, static_cast<Vst::IEditController*>(this));
  });
}

tresult PLUGIN_API IPlugVST3::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  QUERY_INTERFACE(iid, obj, Vst::IMidiMapping::iid, Vst::IMidiMapping)
  QUERY_INTERFACE(iid, obj, Vst::ChannelContext::IInfoListener::iid, Vst::ChannelContext::IInfoListener)
  return SingleComponentEffect::queryInterface(iid, obj);
}

tresult PLUGIN_API IPlugVST3::getMidiControllerAssignment(int32, int16, Vst::CtrlNumber, Vst::ParamID&) {
  return kResultFalse;
}

tresult PLUGIN_API IPlugVST3::setChannelContextInfos(Vst::IAttributeList*) { return kResultOk; }

void IPlugVST3::InformHostOfLatencyChange(int latency) {
  mBypassDelay.SetLength(latency);
  if (componentHandler) componentHandler->restartComponent(Vst::kLatencyChanged);
}

void IPlugVST3::BeginInformHostOfParamChange(int paramIdx) { beginEdit(static_cast<Vst::ParamID>(paramIdx)); }

void IPlugVST3::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  const auto tag = static_cast<Vst::ParamID>(paramIdx);
  if (Vst::Parameter* parameter = getParameterObject(tag)) parameter->setNormalized(normalizedValue);
  performEdit(tag, normalizedValue);
}

void IPlugVST3::EndInformHostOfParamChange(int paramIdx) { endEdit(static_cast<Vst::ParamID>(paramIdx)); }

} // namespace iplug
