#include "host/host_context.h"

#include "host/host_message.h"
#include "host/text.h"

using namespace Steinberg;

namespace vst3host {

HostContext::HostContext(std::string name) : name_(std::move(name)) {}

tresult PLUGIN_API HostContext::getName(Vst::String128 name) {
  if (!name) return kInvalidArgument;
  utf8ToUtf16(name_, name, 128);
  return kResultOk;
}

tresult PLUGIN_API HostContext::createInstance(TUID cid, TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  FUnknown* made = nullptr;
  if (FUnknownPrivate::iidEqual(cid, Vst::IMessage::iid))
    made = new HostMessage;
  else if (FUnknownPrivate::iidEqual(cid, Vst::IAttributeList::iid))
    made = new HostAttributeList;
  if (!made) return kNoInterface;
  // The caller's reference comes from queryInterface; drop the creator's.
  const tresult result = made->queryInterface(iid, obj);
  made->release();
  return result;
}

tresult PLUGIN_API HostContext::queryInterface(const TUID iid, void** obj) {
  if (!obj) return Steinberg::kInvalidArgument;
  if (answerInterface<FUnknown>(iid, this, obj) || answerInterface<Vst::IHostApplication>(iid, this, obj))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

}  // namespace vst3host
