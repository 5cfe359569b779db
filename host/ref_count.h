#pragma once
// Reference counting for the host's own COM-style objects (host context,
// messages, component handler, memory stream). A new object holds one
// reference, its creator's; the last release() deletes it. Any thread.
#include <atomic>

#include "pluginterfaces/base/funknown.h"

namespace vst3host {

class RefCount {
 public:
  Steinberg::uint32 add() { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
  // Returns the references left; at 0 the caller deletes the object.
  Steinberg::uint32 drop() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  std::atomic<Steinberg::uint32> count_{1};
};

// Answers queryInterface for `Interface` on `self`, adding a reference.
template <class Interface, class Self>
bool answerInterface(const Steinberg::TUID iid, Self* self, void** obj) {
  if (!Steinberg::FUnknownPrivate::iidEqual(iid, Interface::iid)) return false;
  *obj = static_cast<Interface*>(self);
  self->addRef();
  return true;
}

// addRef() and release() for a host class with a RefCount member named
// refCount_; the class writes its own queryInterface with answerInterface().
#define VST3HOST_REFCOUNT_METHODS                                                     \
  Steinberg::uint32 PLUGIN_API addRef() override { return refCount_.add(); }         \
  Steinberg::uint32 PLUGIN_API release() override {                                  \
    const Steinberg::uint32 left = refCount_.drop();                                 \
    if (left == 0) delete this;                                                      \
    return left;                                                                     \
  }

}  // namespace vst3host
