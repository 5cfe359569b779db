#include "framework/graphics/corner_resizer.h"

#include <algorithm>
#include <cmath>

namespace iplug::igraphics {

ICornerResizerControl::ICornerResizerControl(float size, EUIResizerMode mode, const IColor& color,
                                             const IColor& mouseOverColor, const IColor& dragColor)
    : IControl(IRECT()), mSize(size), mMode(mode), mColor(color), mMouseOverColor(mouseOverColor),
      mDragColor(dragColor) {}

void ICornerResizerControl::PlaceInWindow(float width, float height) {
  SetTargetAndDrawRECTs(IRECT(width - mSize, height - mSize, width, height));
  SetDirty();
}

void ICornerResizerControl::SetState(State state) {
  if (state != mState) {
    mState = state;
    SetDirty();
  }
}

void ICornerResizerControl::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  const IColor& color = mState == State::Drag ? mDragColor : mState == State::Over ? mMouseOverColor : mColor;
  g.FillTriangle(color, r.R, r.T, r.R, r.B, r.L, r.B);
}

void ICornerResizerControl::OnMouseDown(float x, float y, const IMouseMod&) {
  IGraphics* g = GetUI();
  if (!g) return;
  mStartScale = g->GetDrawScale();
  mStartX = x * mStartScale;
  mStartY = y * mStartScale;
  mStartW = static_cast<float>(g->Width());
  mStartH = static_cast<float>(g->Height());
  SetState(State::Drag);
}

void ICornerResizerControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
  IGraphics* g = GetUI();
  if (!g || mState != State::Drag) return;
  // The pointer in window pixels at the draw scale the press was made with.
  const float scale = g->GetDrawScale();
  const float w = mStartW + (x * scale - mStartX);
  const float h = mStartH + (y * scale - mStartY);
  if (mMode == EUIResizerMode::Size) {
    g->Resize(static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h)), true);
    return;
  }
  // Scale mode: the larger of the two stretches sets the new scale; the
  // window keeps the aspect it had at scale 1.
  const float ratio = std::max(w / mStartW, h / mStartH);
  const float baseW = mStartW / mStartScale, baseH = mStartH / mStartScale;
  const float newScale = std::max(0.1f, mStartScale * ratio);
  g->ResizeWithScale(static_cast<int>(std::lround(baseW * newScale)),
                     static_cast<int>(std::lround(baseH * newScale)), newScale);
}

void ICornerResizerControl::OnMouseUp(float x, float y, const IMouseMod&) {
  SetState(IsHit(x, y) ? State::Over : State::Normal);
}

void ICornerResizerControl::OnMouseOver(float, float, const IMouseMod&) {
  if (mState != State::Drag) SetState(State::Over);
}

void ICornerResizerControl::OnMouseOut() {
  if (mState != State::Drag) SetState(State::Normal);
}

} // namespace iplug::igraphics
