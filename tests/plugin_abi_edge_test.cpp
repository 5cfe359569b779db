// The edge a host calls across: no C++ exception escapes, running out of
// memory at any allocation of instance creation or initialisation is
// answered with an error code, null out pointers are refused, and an editor
// view keeps its controller alive.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "framework/vst3/factory.h"
#include "host/host_context.h"
#include "plugin/factory_info.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace {

// Every allocation of this program goes through here; while armed, the
// allocation numbered gFailAt (counting from 1) throws std::bad_alloc.
bool gArmed = false;
long gCount = 0;
long gFailAt = 0;

void* allocate(std::size_t size) {
  if (gArmed && ++gCount == gFailAt) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace Steinberg;

// Arms the allocator to fail at allocation `failAt` of `call`; returns the
// number of allocations the call made (fewer than failAt: nothing failed).
template <class Call> long withFailureAt(long failAt, Call&& call) {
  gCount = 0;
  gFailAt = failAt;
  gArmed = true;
  call();
  gArmed = false;
  return gCount;
}

class AbiEdge : public ::testing::Test {
protected:
  void SetUp() override {
    factory = iplug::vst3::GetFactory(varnock::kFactoryInfo, varnock::kClassInfo);
    ASSERT_NE(factory, nullptr);
    PClassInfo info;
    ASSERT_EQ(factory->getClassInfo(0, &info), kResultOk);
    std::memcpy(cid, info.cid, sizeof cid);
  }
  void TearDown() override {
    if (context) context->release();
    if (factory) factory->release();
  }
  Vst::IComponent* create() {
    void* obj = nullptr;
    EXPECT_EQ(factory->createInstance(cid, Vst::IComponent::iid, &obj), kResultOk);
    return static_cast<Vst::IComponent*>(obj);
  }

  IPluginFactory* factory = nullptr;
  vst3host::HostContext* context = new vst3host::HostContext();
  TUID cid{};
};

TEST_F(AbiEdge, CreationOutOfMemoryAtAnyAllocationIsAnErrorCode) {
  long failAt = 1;
  for (;; ++failAt) {
    void* obj = reinterpret_cast<void*>(1);
    tresult result = kResultOk;
    const long made = withFailureAt(failAt, [&] { result = factory->createInstance(cid, Vst::IComponent::iid, &obj); });
    if (made < failAt) {                       // nothing failed: the instance exists
      ASSERT_EQ(result, kResultOk);
      static_cast<Vst::IComponent*>(obj)->release();
      break;
    }
    ASSERT_EQ(result, kOutOfMemory) << "allocation " << failAt;
    ASSERT_EQ(obj, nullptr) << "allocation " << failAt;
  }
  EXPECT_GT(failAt, 20) << "creation should allocate parameters, busses and buffers";
}

TEST_F(AbiEdge, InitialisationOutOfMemoryIsAnErrorCodeAndLeavesNothingHalfPublished) {
  for (long failAt = 1;; ++failAt) {
    Vst::IComponent* component = create();
    ASSERT_NE(component, nullptr);
    tresult result = kResultOk;
    const long made = withFailureAt(failAt, [&] { result = component->initialize(context); });
    if (made < failAt) {
      EXPECT_EQ(result, kResultOk);
      component->terminate();
      component->release();
      break;
    }
    ASSERT_EQ(result, kOutOfMemory) << "allocation " << failAt;
    EXPECT_EQ(component->getBusCount(Vst::kAudio, Vst::kInput), 0) << "allocation " << failAt;
    // A later attempt with memory to spare succeeds.
    EXPECT_EQ(component->initialize(context), kResultOk) << "allocation " << failAt;
    component->terminate();
    component->release();
  }
}

TEST_F(AbiEdge, NullOutPointersAreRefused) {
  Vst::IComponent* component = create();
  ASSERT_EQ(component->initialize(context), kResultOk);
  EXPECT_EQ(component->queryInterface(Vst::IEditController::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->queryInterface(IPluginFactory::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->createInstance(cid, Vst::IComponent::iid, nullptr), kInvalidArgument);
  FUnknownPtr<Vst::IEditController> controller(component);
  IPlugView* view = controller->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->queryInterface(IPlugView::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
  view->release();
  component->terminate();
  component->release();
}

TEST_F(AbiEdge, ViewRefusesANullOrBogusParentWindow) {
  Vst::IComponent* component = create();
  ASSERT_EQ(component->initialize(context), kResultOk);
  FUnknownPtr<Vst::IEditController> controller(component);
  IPlugView* view = controller->createView(Vst::ViewType::kEditor);
  ASSERT_NE(view, nullptr);
  // The one window type of this platform.
  const FIDString type =
      view->isPlatformTypeSupported(kPlatformTypeHWND) == kResultTrue ? kPlatformTypeHWND : kPlatformTypeX11EmbedWindowID;
  ASSERT_EQ(view->isPlatformTypeSupported(type), kResultTrue);
  EXPECT_EQ(view->attached(nullptr, type), kResultFalse);
  EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x7ff0), type), kResultFalse);   // no such window
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(view->release(), 0u);
  component->terminate();
  component->release();
}

TEST_F(AbiEdge, ViewKeepsItsControllerAlive) {
  Vst::IComponent* component = create();
  ASSERT_EQ(component->initialize(context), kResultOk);
  IPlugView* view = nullptr;
  {
    FUnknownPtr<Vst::IEditController> controller(component);
    view = controller->createView(Vst::ViewType::kEditor);
  }
  ASSERT_NE(view, nullptr);
  component->terminate();
  EXPECT_GT(component->release(), 0u);         // the view still holds the controller
  ViewRect size;
  EXPECT_EQ(view->getSize(&size), kResultTrue);
  EXPECT_EQ(size.getWidth(), 760);
  EXPECT_EQ(view->release(), 0u);              // and lets it go with itself
}

} // namespace
