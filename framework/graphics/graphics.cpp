// IGraphics: controls, size, frames and input routing. The drawing calls and
// the NanoVG context live in graphics_draw.cpp.
#include "framework/graphics/graphics.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/graphics/graphics_impl.h"
#include "framework/plugin_base.h"

namespace iplug::igraphics {

IPlugAPIBase* IControl::GetDelegate() const { return mGraphics ? &mGraphics->GetDelegate() : nullptr; }

IGraphics::IGraphics(IPlugAPIBase& delegate, int width, int height, int fps, float scale)
    : mDelegate(delegate), mWidth(std::max(1, width)), mHeight(std::max(1, height)), mFPS(fps),
      mDrawScale(scale > 0.f ? scale : 1.f), mImpl(std::make_unique<Impl>()) {
  mImpl->menuFont = EmbeddedFontData(false);
}

IGraphics::~IGraphics() {
  mImpl->popup.Reset();
  if (mImpl->vg && mPlatform) mPlatform->MakeCurrent();
  ReleaseGraphicsResources();
}

IGraphics* MakeGraphics(IPlugAPIBase& delegate, int width, int height, int fps, float scale) {
  return new IGraphics(delegate, width, height, fps, scale);
}

void IGraphics::SetScreenScale(float scale) {
  if (scale > 0.f && scale != mScreenScale) {
    mScreenScale = scale;
    mImpl->redraw = true;
  }
}

// ---- Controls ----

IControl* IGraphics::AttachControl(IControl* control, int ctrlTag, const char* group) {
  if (!control) return nullptr;
  control->mTag = ctrlTag;
  control->mGroup = group ? group : "";
  control->mGraphics = this;
  control->SetDirty();
  mControls.emplace_back(control);
  return control;
}

void IGraphics::AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color,
                                    const IColor& mouseOverColor, const IColor& dragColor, float size) {
  if (mImpl->cornerResizer) {
    IControl* old = mImpl->cornerResizer.get();
    if (mImpl->captured == old) mImpl->captured = nullptr;
    if (mImpl->mouseOver == old) mImpl->mouseOver = nullptr;
  }
  mImpl->cornerResizer = std::make_unique<ICornerResizerControl>(size, mode, color, mouseOverColor, dragColor);
  mImpl->cornerResizer->mGraphics = this;
  mImpl->cornerResizer->PlaceInWindow(mWidth / mDrawScale, mHeight / mDrawScale);
  mLayoutOnResize = layoutOnResize;
}

IControl* IGraphics::GetControl(int index) const {
  return index >= 0 && index < NControls() ? mControls[static_cast<std::size_t>(index)].get() : nullptr;
}

// ---- Size ----

void IGraphics::Resize(int width, int height, bool requestPlatform) {
  ApplySize(width, height, mDrawScale, requestPlatform);
}

void IGraphics::ResizeWithScale(int width, int height, float scale) {
  if (!(scale > 0.f)) return;
  int w = width, h = height;
  mDelegate.ConstrainEditorSize(w, h);
  // Keep the content inside the constrained window.
  const float fit = std::min(static_cast<float>(w) / std::max(1, width), static_cast<float>(h) / std::max(1, height));
  ApplySize(w, h, scale * std::min(1.f, fit), true);
}

void IGraphics::ApplySize(int width, int height, float scale, bool requestPlatform) {
  mDelegate.ConstrainEditorSize(width, height);
  width = std::max(1, width);
  height = std::max(1, height);
  if (width == mWidth && height == mHeight && scale == mDrawScale) return;
  mImpl->Notify(mImpl->popup.Dismiss());
  mWidth = width;
  mHeight = height;
  mDrawScale = scale;
  mDelegate.SetEditorSize(width, height);
  if (mImpl->cornerResizer) mImpl->cornerResizer->PlaceInWindow(width / scale, height / scale);
  for (auto& control : mControls) control->SetDirty();
  mImpl->redraw = true;
  if (mLayoutOnResize && mDelegate.mLayoutFunc) mDelegate.mLayoutFunc(this);
  if (requestPlatform && mPlatform) mPlatform->RequestResize(mWidth, mHeight);
}

// ---- Frames ----

bool IGraphics::IsDirty() const {
  if (mImpl->redraw || mImpl->popup.IsDirty()) return true;
  if (mImpl->cornerResizer && mImpl->cornerResizer->IsDirty()) return true;
  return std::any_of(mControls.begin(), mControls.end(), [](const auto& c) { return c->IsDirty(); });
}

// ---- Input ----

IControl* IGraphics::HitControl(float x, float y) const {
  if (mImpl->cornerResizer && mImpl->cornerResizer->IsHit(x, y)) return mImpl->cornerResizer.get();
  for (auto it = mControls.rbegin(); it != mControls.rend(); ++it)
    if ((*it)->IsHit(x, y)) return it->get();
  return nullptr;
}

void IGraphics::UpdateMouseOver(float x, float y, const IMouseMod& mod) {
  IControl* hit = HitControl(x, y);
  if (hit != mImpl->mouseOver) {
    if (mImpl->mouseOver) mImpl->mouseOver->OnMouseOut();
    mImpl->mouseOver = hit;
  }
  if (hit) hit->OnMouseOver(x, y, mod);
}

void IGraphics::OnMouseDown(float x, float y, const IMouseMod& mod) {
  x /= mDrawScale;
  y /= mDrawScale;
  mImpl->lastX = x;
  mImpl->lastY = y;
  if (mImpl->popup.IsOpen()) {
    mImpl->swallowRelease = true;
    mImpl->Notify(mImpl->popup.OnMouseDown(x, y));
    return;
  }
  if (!mImpl->captured) mImpl->captured = HitControl(x, y);
  if (mImpl->captured) mImpl->captured->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod) {
  x /= mDrawScale;
  y /= mDrawScale;
  mImpl->lastX = x;
  mImpl->lastY = y;
  if (mImpl->popup.IsOpen()) {
    mImpl->swallowRelease = true;
    mImpl->Notify(mImpl->popup.OnMouseDown(x, y));
    return;
  }
  if (!mImpl->captured) mImpl->captured = HitControl(x, y);
  if (mImpl->captured) mImpl->captured->OnMouseDblClick(x, y, mod);
}

void IGraphics::OnMouseUp(float x, float y, const IMouseMod& mod) {
  x /= mDrawScale;
  y /= mDrawScale;
  mImpl->lastX = x;
  mImpl->lastY = y;
  // A press taken before a menu opened still ends at its control.
  if (IControl* control = mImpl->captured) {
    mImpl->captured = nullptr;
    control->OnMouseUp(x, y, mod);
    if (!mImpl->popup.IsOpen()) UpdateMouseOver(x, y, IMouseMod{false, false, mod.S, mod.C, mod.A});
    return;
  }
  mImpl->swallowRelease = false;
}

void IGraphics::OnMouseMove(float x, float y, const IMouseMod& mod) {
  x /= mDrawScale;
  y /= mDrawScale;
  const float dX = x - mImpl->lastX, dY = y - mImpl->lastY;
  mImpl->lastX = x;
  mImpl->lastY = y;
  if (mImpl->popup.IsOpen())
    mImpl->popup.OnMouseMove(x, y);
  else if (mImpl->captured)
    mImpl->captured->OnMouseDrag(x, y, dX, dY, mod);
  else
    UpdateMouseOver(x, y, mod);
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float notches) {
  x /= mDrawScale;
  y /= mDrawScale;
  if (mImpl->popup.IsOpen()) return;
  if (IControl* control = HitControl(x, y)) control->OnMouseWheel(x, y, mod, notches);
}

void IGraphics::OnMouseOut() {
  mImpl->popup.OnMouseOut();
  if (mImpl->mouseOver) {
    IControl* control = mImpl->mouseOver;
    mImpl->mouseOver = nullptr;
    control->OnMouseOut();
  }
}

bool IGraphics::OnKeyDown(int virtualKey) {
  if (virtualKey != kVK_ESCAPE || !mImpl->popup.IsOpen()) return false;
  mImpl->Notify(mImpl->popup.Dismiss());
  return true;
}

// ---- Popup menus ----

void IGraphics::CreatePopupMenu(IControl& caller, IPopupMenu& menu, const IRECT& anchor, float scale) {
  mImpl->Notify(mImpl->popup.Dismiss());
  menu.SetChosenItemIdx(-1);
  if (mPlatform) {
    const IRECT pixels(anchor.L * mDrawScale, anchor.T * mDrawScale, anchor.R * mDrawScale, anchor.B * mDrawScale);
    IControl* target = &caller;
    IPopupMenu* shown = &menu;
    // Only entries the drawn layer would let the user choose count as a choice.
    auto done = [this, target, shown](int index) {
      const IPopupMenu::Item* item = shown->GetItem(index);
      const bool chosen = item && item->GetEnabled() && !item->GetIsSeparator() &&
                          !(item->GetFlags() & IPopupMenu::Item::kTitle);
      if (chosen) shown->SetChosenItemIdx(index);
      mImpl->redraw = true;
      target->OnPopupMenuSelection(chosen ? shown : nullptr, chosen ? index : -1);
    };
    if (mPlatform->ShowPopupMenu(menu, pixels, std::move(done))) return;
  }
  NVGcontext* vg = EnsureDrawContext();
  mImpl->popup.Open(caller, menu, anchor, mWidth / mDrawScale, mHeight / mDrawScale, vg, mImpl->menuFontHandle,
                    mImpl->menuFont.lineHeightPerEm, scale);
}

bool IGraphics::IsPopupMenuOpen() const { return mImpl->popup.IsOpen(); }

// ---- Services ----

bool IGraphics::OpenURL(const char* url) { return mPlatform && mPlatform->OpenURL(url); }

} // namespace iplug::igraphics
