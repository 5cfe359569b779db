// HostedPlugin: the controller side, parameters and state (UI thread).
#include <algorithm>

#include "host/hosted_plugin.h"
#include "host/text.h"

using namespace Steinberg;

namespace vst3host {

bool HostedPlugin::parameterInfo(int index, ParameterDescription* out) const {
  if (index < 0 || index >= parameterCount()) return false;
  Vst::ParameterInfo info{};
  if (controller_->getParameterInfo(index, info) != kResultOk) return false;
  out->id = info.id;
  out->title = utf16ToUtf8(info.title, std::size(info.title));
  out->shortTitle = utf16ToUtf8(info.shortTitle, std::size(info.shortTitle));
  out->units = utf16ToUtf8(info.units, std::size(info.units));
  out->stepCount = info.stepCount;
  out->defaultNormalized = info.defaultNormalizedValue;
  out->unitId = info.unitId;
  out->flags = info.flags;
  return true;
}

std::vector<ParameterDescription> HostedPlugin::parameters() const {
  std::vector<ParameterDescription> out;
  const int count = parameterCount();
  for (int i = 0; i < count; ++i) {
    ParameterDescription d;
    if (parameterInfo(i, &d)) out.push_back(std::move(d));
  }
  return out;
}

bool HostedPlugin::findParameter(std::string_view title, Vst::ParamID* id) const {
  const int count = parameterCount();
  for (int i = 0; i < count; ++i) {
    ParameterDescription d;
    if (parameterInfo(i, &d) && d.title == title) {
      *id = d.id;
      return true;
    }
  }
  return false;
}

bool HostedPlugin::setNormalizedValue(Vst::ParamID id, double normalized) {
  return controller_->setParamNormalized(id, normalized) == kResultOk;
}

double HostedPlugin::normalizedToPlain(Vst::ParamID id, double normalized) const {
  return controller_->normalizedParamToPlain(id, normalized);
}

double HostedPlugin::plainToNormalized(Vst::ParamID id, double plain) const {
  return controller_->plainParamToNormalized(id, plain);
}

bool HostedPlugin::valueToText(Vst::ParamID id, double normalized, std::string* text) const {
  Vst::String128 buffer = {};
  if (controller_->getParamStringByValue(id, normalized, buffer) != kResultOk) return false;
  *text = utf16ToUtf8(buffer, std::size(buffer));
  return true;
}

bool HostedPlugin::textToValue(Vst::ParamID id, std::string_view text, double* normalized) const {
  Vst::String128 buffer = {};
  utf8ToUtf16(text, buffer, std::size(buffer));
  Vst::ParamValue value = 0;
  if (controller_->getParamValueByString(id, buffer, value) != kResultOk) return false;
  *normalized = value;
  return true;
}

bool HostedPlugin::getState(MemoryStream& stream) { return component_->getState(&stream) == kResultOk; }

bool HostedPlugin::setState(MemoryStream& stream) {
  const int64 start = stream.position();
  if (component_->setState(&stream) != kResultOk) return false;
  if (separateController_) {
    stream.seek(start, IBStream::kIBSeekSet, nullptr);
    controller_->setComponentState(&stream);
  }
  return true;
}

bool HostedPlugin::getState(std::vector<uint8_t>* bytes) {
  MemoryStream stream;
  if (!getState(stream)) return false;
  *bytes = stream.bytes();
  return true;
}

bool HostedPlugin::setState(const std::vector<uint8_t>& bytes) {
  MemoryStream stream(bytes);
  return setState(stream);
}

bool HostedPlugin::getControllerState(MemoryStream& stream) {
  return controller_->getState(&stream) == kResultOk;
}

bool HostedPlugin::setControllerState(MemoryStream& stream) {
  return controller_->setState(&stream) == kResultOk;
}

}  // namespace vst3host
