#pragma once
// The host as a plug-in sees it through IPluginBase::initialize(): an
// IHostApplication with a settable name, which also makes the host's
// IMessage and IAttributeList objects for the plug-in (createInstance).
// Reference counted: `new HostContext` holds one reference for its creator.
// getName may run on any thread; setName only before plug-ins are created.
#include <string>

#include "host/ref_count.h"
#include "pluginterfaces/vst/ivsthostapplication.h"

namespace vst3host {

class HostContext final : public Steinberg::Vst::IHostApplication {
 public:
  static constexpr const char* kDefaultName = "varnock-host";

  explicit HostContext(std::string name = kDefaultName);

  void setName(std::string name) { name_ = std::move(name); }
  const std::string& name() const { return name_; }

  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  // Makes an IMessage or IAttributeList (cid and iid both name the
  // interface, as the SDK's hosting convention has it); kNoInterface otherwise.
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid, void** obj) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_REFCOUNT_METHODS

 private:
  RefCount refCount_;
  std::string name_;
};

}  // namespace vst3host
