#include "framework/vst3/plug_view.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "framework/graphics/graphics.h"
#include "framework/plugin_base.h"
#include "framework/vst3/abi_guard.h"
#include "framework/vst3/view_window.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace iplug::vst3 {
namespace {

using Steinberg::FIDString;
using Steinberg::FUnknown;
using Steinberg::IPlugFrame;
using Steinberg::IPlugView;
using Steinberg::IPlugViewContentScaleSupport;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::kResultTrue;
using Steinberg::tresult;
using Steinberg::TUID;
using Steinberg::uint32;
using Steinberg::ViewRect;

// VirtualKeyCodes::KEY_ESCAPE of the VST3 key codes.
constexpr Steinberg::int16 kVstKeyEscape = 6;

bool IidIs(const TUID iid, const TUID other) { return Steinberg::FUnknownPrivate::iidEqual(iid, other); }

class PlugView final : public IPlugView, public IPlugViewContentScaleSupport {
public:
  PlugView(IPlugAPIBase& delegate, FUnknown* owner) : mDelegate(delegate), mOwner(owner) {
    if (mOwner) mOwner->addRef();
  }
  ~PlugView() {
    removed();
    if (mOwner) mOwner->release();
  }

  // ---- IPlugView ----
  tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override {
    return type && std::strcmp(type, ViewWindow::PlatformType()) == 0 ? kResultTrue : kResultFalse;
  }

  tresult PLUGIN_API attached(void* parent, FIDString type) override {
    if (!parent || isPlatformTypeSupported(type) != kResultTrue || mGraphics) return kResultFalse;
    const tresult result = Guarded([&] { return Attach(parent); });
    if (result != kResultTrue) removed();       // nothing of a failed attach stays
    return result;
  }

  tresult PLUGIN_API removed() override {
    return Guarded([&] {
      if (mGraphics) {
        if (mWindow) mWindow->MakeCurrent();
        mGraphics->ReleaseGraphicsResources();
      }
      mWindow.reset();                         // stops input and frames before the graphics go
      mGraphics.reset();
      return kResultOk;
    });
  }

  tresult PLUGIN_API onWheel(float) override { return kResultFalse; }
  tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode, Steinberg::int16) override {
    const bool escape = keyCode == kVstKeyEscape || key == 0x1B;
    return Guarded([&] {
      return escape && mGraphics && mGraphics->OnKeyDown(igraphics::kVK_ESCAPE) ? kResultTrue : kResultFalse;
    });
  }
  tresult PLUGIN_API onKeyUp(Steinberg::char16, Steinberg::int16, Steinberg::int16) override { return kResultFalse; }

  tresult PLUGIN_API getSize(ViewRect* size) override {
    if (!size) return Steinberg::kInvalidArgument;
    const int w = mGraphics ? mGraphics->Width() : mDelegate.GetEditorWidth();
    const int h = mGraphics ? mGraphics->Height() : mDelegate.GetEditorHeight();
    *size = ViewRect(0, 0, w, h);
    return kResultTrue;
  }

  tresult PLUGIN_API onSize(ViewRect* newSize) override {
    if (!newSize) return Steinberg::kInvalidArgument;
    return Guarded([&] {
      int w = newSize->getWidth(), h = newSize->getHeight();
      if (!mGraphics) {
        mDelegate.ConstrainEditorSize(w, h);
        mDelegate.SetEditorSize(w, h);
        return kResultTrue;
      }
      mGraphics->Resize(w, h);                 // constrained; the layout hook follows
      mWindow->Resize(mGraphics->Width(), mGraphics->Height());
      return kResultTrue;
    });
  }

  tresult PLUGIN_API onFocus(Steinberg::TBool) override { return kResultOk; }

  // The host's frame: not reference counted (VST3 convention); the Linux
  // window takes the host's run loop from it when the view is attached.
  tresult PLUGIN_API setFrame(IPlugFrame* frame) override {
    mFrame = frame;
    return kResultTrue;
  }

  tresult PLUGIN_API canResize() override {
    return mDelegate.GetConfig().plugHostResize ? kResultTrue : kResultFalse;
  }

  tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override {
    if (!rect) return Steinberg::kInvalidArgument;
    int w = rect->getWidth(), h = rect->getHeight();
    mDelegate.ConstrainEditorSize(w, h);
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return kResultTrue;
  }

  // ---- IPlugViewContentScaleSupport ----
  // The host's content scale factor (window pixels per logical pixel). The
  // graphics context gets it, and the editor keeps its logical size: a new
  // factor scales the window's pixel size by new / old, within the size
  // limits (through the host's frame once attached, like the corner handle).
  tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override {
    if (!(factor > 0.f) || !std::isfinite(factor)) return kResultFalse;
    const float previous = mScale;
    mScale = factor;
    return Guarded([&] {
      if (factor == previous) return kResultTrue;
      const float ratio = factor / previous;
      int w = mGraphics ? mGraphics->Width() : mDelegate.GetEditorWidth();
      int h = mGraphics ? mGraphics->Height() : mDelegate.GetEditorHeight();
      // Within the limits before rounding: an absurd factor must not overflow.
      const auto scaled = [ratio](int size) { return static_cast<int>(std::lround(std::clamp(size * ratio, 1.f, 1e6f))); };
      w = scaled(w);
      h = scaled(h);
      mDelegate.ConstrainEditorSize(w, h);
      if (!mGraphics) {
        mDelegate.SetEditorSize(w, h);
        return kResultTrue;
      }
      mGraphics->SetScreenScale(factor);
      mGraphics->Resize(w, h, true);            // asks the host's window to follow
      return kResultTrue;
    });
  }

  // ---- FUnknown ----
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return Steinberg::kInvalidArgument;
    if (IidIs(iid, Steinberg::IPlugView_iid) || IidIs(iid, Steinberg::FUnknown_iid)) {
      *obj = static_cast<IPlugView*>(this);
    } else if (IidIs(iid, Steinberg::IPlugViewContentScaleSupport_iid)) {
      *obj = static_cast<IPlugViewContentScaleSupport*>(this);
    } else {
      *obj = nullptr;
      return Steinberg::kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override {
    const uint32 left = --mRefs;
    if (left == 0) delete this;
    return left;
  }

private:
  // attached() after its checks: the graphics, the platform window, the layout.
  tresult Attach(void* parent) {
    std::unique_ptr<igraphics::IGraphics> graphics(mDelegate.mMakeGraphicsFunc ? mDelegate.mMakeGraphicsFunc() : nullptr);
    if (!graphics) return kResultFalse;
    int w = mDelegate.GetEditorWidth(), h = mDelegate.GetEditorHeight();
    if (w <= 0 || h <= 0) {
      w = graphics->Width();
      h = graphics->Height();
    }
    mDelegate.ConstrainEditorSize(w, h);
    mWindow = ViewWindow::Open(parent, mFrame, *graphics, w, h, [this](int width, int height) { RequestResize(width, height); });
    if (!mWindow) return kResultFalse;
    mGraphics = std::move(graphics);
    mGraphics->SetPlatform(mWindow.get());
    mGraphics->SetScreenScale(mScale);
    mGraphics->Resize(w, h);                   // before the first layout: no layout call yet
    if (mDelegate.mLayoutFunc) mDelegate.mLayoutFunc(mGraphics.get());
    return kResultTrue;
  }

  // The corner handle resized the graphics: the host resizes its window and
  // calls onSize(). A host that refuses gets the graphics back at the
  // window's size; without a frame the window follows directly.
  void RequestResize(int width, int height) {
    if (!mWindow) return;
    if (!mFrame) {
      mWindow->Resize(width, height);
      return;
    }
    ViewRect rect(0, 0, width, height);
    if (mFrame->resizeView(this, &rect) != kResultTrue && mGraphics)
      mGraphics->Resize(mWindow->Width(), mWindow->Height());
  }

  std::atomic<uint32> mRefs{1};
  IPlugAPIBase& mDelegate;
  FUnknown* mOwner;                            // the edit controller: one reference for the view's life
  IPlugFrame* mFrame = nullptr;
  std::unique_ptr<igraphics::IGraphics> mGraphics;
  std::unique_ptr<ViewWindow> mWindow;         // the graphics' platform; removed() destroys it first
  float mScale = 1.f;
};

} // namespace

Steinberg::IPlugView* MakePlugView(IPlugAPIBase& delegate, FUnknown* owner) {
  if (!delegate.mMakeGraphicsFunc) return nullptr;
  return new PlugView(delegate, owner);
}

} // namespace iplug::vst3
