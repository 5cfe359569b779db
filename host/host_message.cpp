#include "host/host_message.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;

namespace vst3host {

template <class T>
const T* HostAttributeList::find(AttrID id) const {
  if (!id) return nullptr;
  const auto it = values_.find(id);
  return it == values_.end() ? nullptr : std::get_if<T>(&it->second);
}

tresult PLUGIN_API HostAttributeList::setInt(AttrID id, int64 value) {
  if (!id) return kInvalidArgument;
  values_[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getInt(AttrID id, int64& value) {
  const int64* found = find<int64>(id);
  if (!found) return kResultFalse;
  value = *found;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setFloat(AttrID id, double value) {
  if (!id) return kInvalidArgument;
  values_[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getFloat(AttrID id, double& value) {
  const double* found = find<double>(id);
  if (!found) return kResultFalse;
  value = *found;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setString(AttrID id, const Vst::TChar* string) {
  if (!id || !string) return kInvalidArgument;
  values_[id] = std::basic_string<Vst::TChar>(string);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getString(AttrID id, Vst::TChar* string, uint32 sizeInBytes) {
  const auto* found = find<std::basic_string<Vst::TChar>>(id);
  if (!found || !string) return kResultFalse;
  const size_t capacity = sizeInBytes / sizeof(Vst::TChar);
  if (capacity == 0) return kResultFalse;
  const size_t n = std::min(found->size(), capacity - 1);
  std::copy_n(found->data(), n, string);
  string[n] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes) {
  if (!id || (!data && sizeInBytes > 0)) return kInvalidArgument;
  const char* bytes = static_cast<const char*>(data);
  values_[id] = std::vector<char>(bytes, bytes + sizeInBytes);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes) {
  const std::vector<char>* found = find<std::vector<char>>(id);
  if (!found) return kResultFalse;
  data = found->data();
  sizeInBytes = static_cast<uint32>(found->size());
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IAttributeList>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

HostMessage::HostMessage() : attributes_(new HostAttributeList) {}

HostMessage::~HostMessage() { attributes_->release(); }

FIDString PLUGIN_API HostMessage::getMessageID() { return id_.c_str(); }

void PLUGIN_API HostMessage::setMessageID(FIDString id) { id_ = id ? id : ""; }

Vst::IAttributeList* PLUGIN_API HostMessage::getAttributes() { return attributes_; }

tresult PLUGIN_API HostMessage::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IMessage>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
