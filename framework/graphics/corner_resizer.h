#pragma once
// ICornerResizerControl: the handle in the editor's bottom-right corner that
// the user drags to resize the window. Drawn as a small triangle in one of
// three colours (normal, pointer over it, dragging). In Size mode the drag
// changes the window's pixel size; in Scale mode it changes the draw scale
// and the window follows, keeping its aspect. Either way the new size is
// constrained by the delegate, the layout hook runs (when layout-on-resize is
// on) and the platform is asked to resize the host window.
// IGraphics owns it, draws it after the controls and offers it every press
// first. UI thread.
#include "framework/graphics/control.h"
#include "framework/graphics/graphics.h"

namespace iplug::igraphics {

class ICornerResizerControl : public IControl {
public:
  // `size`: edge of the square handle in editor pixels.
  ICornerResizerControl(float size, EUIResizerMode mode, const IColor& color, const IColor& mouseOverColor,
                        const IColor& dragColor);

  // Moves the handle into the corner of a window of width x height editor pixels.
  void PlaceInWindow(float width, float height);
  EUIResizerMode GetMode() const { return mMode; }
  bool IsDragging() const { return mState == State::Drag; }

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

private:
  enum class State { Normal, Over, Drag };
  void SetState(State state);

  float mSize;
  EUIResizerMode mMode;
  IColor mColor, mMouseOverColor, mDragColor;
  State mState = State::Normal;
  // At the press, in window pixels: the pointer, the window size; and the draw scale.
  float mStartX = 0.f, mStartY = 0.f, mStartW = 0.f, mStartH = 0.f, mStartScale = 1.f;
};

} // namespace iplug::igraphics
