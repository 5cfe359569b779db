#pragma once
// The host's IMessage and IAttributeList: what a plug-in's processor and
// controller send each other through IConnectionPoint::notify. Plug-ins get
// them from IHostApplication::createInstance. Reference counted; one thread
// at a time (the UI thread, where connection-point traffic runs).
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "host/ref_count.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivstmessage.h"

namespace vst3host {

class HostAttributeList final : public Steinberg::Vst::IAttributeList {
 public:
  Steinberg::tresult PLUGIN_API setInt(AttrID id, Steinberg::int64 value) override;
  Steinberg::tresult PLUGIN_API getInt(AttrID id, Steinberg::int64& value) override;
  Steinberg::tresult PLUGIN_API setFloat(AttrID id, double value) override;
  Steinberg::tresult PLUGIN_API getFloat(AttrID id, double& value) override;
  Steinberg::tresult PLUGIN_API setString(AttrID id, const Steinberg::Vst::TChar* string) override;
  // sizeInBytes counts the buffer in bytes, the final 0 included.
  Steinberg::tresult PLUGIN_API getString(AttrID id, Steinberg::Vst::TChar* string,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API setBinary(AttrID id, const void* data, Steinberg::uint32 sizeInBytes) override;
  // The data stays owned by the list and valid until the entry is replaced.
  Steinberg::tresult PLUGIN_API getBinary(AttrID id, const void*& data, Steinberg::uint32& sizeInBytes) override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_REFCOUNT_METHODS

 private:
  using Value = std::variant<Steinberg::int64, double, std::basic_string<Steinberg::Vst::TChar>, std::vector<char>>;
  template <class T>
  const T* find(AttrID id) const;

  RefCount refCount_;
  std::map<std::string, Value> values_;
};

class HostMessage final : public Steinberg::Vst::IMessage {
 public:
  HostMessage();
  ~HostMessage();

  Steinberg::FIDString PLUGIN_API getMessageID() override;
  void PLUGIN_API setMessageID(Steinberg::FIDString id) override;
  Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_REFCOUNT_METHODS

 private:
  RefCount refCount_;
  std::string id_;
  HostAttributeList* attributes_;  // one reference, released with the message
};

}  // namespace vst3host
