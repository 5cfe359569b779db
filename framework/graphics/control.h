#pragma once
// IControl: a rectangle of the editor that draws itself and receives mouse
// input. IGraphics owns the controls attached to it, draws them in attach
// order every frame (when any is dirty) and sends each mouse event to one
// control: a press goes to the topmost control whose target rectangle holds
// the point (the last attached wins), and that control keeps receiving drags
// and the release until the button goes up, also outside the window.
// UI thread only.
#include "framework/graphics/popup_menu.h"
#include "framework/graphics/types.h"

namespace iplug { class IPlugAPIBase; }

namespace iplug::igraphics {

class IGraphics;

class IControl {
public:
  explicit IControl(const IRECT& bounds) : mRECT(bounds), mTargetRECT(bounds) {}
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Called once per drawn frame while the graphics context is current.
  virtual void Draw(IGraphics& g) = 0;

  virtual void OnMouseDown(float x, float y, const IMouseMod& mod) { (void)x; (void)y; (void)mod; }
  virtual void OnMouseUp(float x, float y, const IMouseMod& mod) { (void)x; (void)y; (void)mod; }
  virtual void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {
    (void)x; (void)y; (void)dX; (void)dY; (void)mod;
  }
  // The second press of a system double-click.
  virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod) { OnMouseDown(x, y, mod); }
  // d: wheel notches, positive away from the user (up).
  virtual void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) { (void)x; (void)y; (void)mod; (void)d; }
  // The pointer moves over the control with no button held.
  virtual void OnMouseOver(float x, float y, const IMouseMod& mod) { (void)x; (void)y; (void)mod; }
  // The pointer left the control (or the window).
  virtual void OnMouseOut() {}
  // A popup menu this control opened was closed: the menu and the chosen
  // entry's index, or nullptr and -1 when nothing was chosen.
  virtual void OnPopupMenuSelection(IPopupMenu* menu, int index) { (void)menu; (void)index; }
  // The control's rectangle changed.
  virtual void OnResize() {}
  // A dirty control makes the context redraw in the next frame.
  virtual bool IsDirty() { return mDirty; }
  virtual bool IsHit(float x, float y) const { return mTargetRECT.Contains(x, y); }

  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  void SetTargetRECT(const IRECT& r) { mTargetRECT = r; }
  void SetTargetAndDrawRECTs(const IRECT& r) { mRECT = r; mTargetRECT = r; }
  void SetDirty(bool dirty = true) { mDirty = dirty; }
  int GetTag() const { return mTag; }
  const char* GetGroup() const { return mGroup; }

  // Valid once attached.
  IGraphics* GetUI() const { return mGraphics; }
  IPlugAPIBase* GetDelegate() const;

private:
  friend class IGraphics;
  IRECT mRECT, mTargetRECT;
  bool mDirty = true;
  int mTag = -1;
  const char* mGroup = "";
  IGraphics* mGraphics = nullptr;
};

} // namespace iplug::igraphics
