#pragma once
// IGraphics: an editor's drawing surface and its controls. Drawing goes
// through NanoVG on OpenGL; a platform (an X11 child window inside a host, or
// an offscreen framebuffer for tests and snapshots) supplies the GL context,
// input events and the frame timer.
//
// Model: the context owns its controls and draws them in attach order every
// frame in which any of them is dirty; the popup menu layer is drawn last.
// The drawing calls below are valid only inside IControl::Draw(), i.e. during
// Draw(). Coordinates are editor pixels (y downwards); a 1-pixel line between
// pixel centres is drawn with x + 0.5 / y + 0.5 coordinates by the caller.
// Colours have straight alpha.
//
// Threads: the host's UI thread only.
// Ownership: the framework owns the context (the host's editor view or an
// OffscreenEditor); the context owns its controls and its NanoVG state.
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "framework/graphics/control.h"
#include "framework/graphics/popup_menu.h"
#include "framework/graphics/types.h"

struct NVGcontext;

namespace iplug { class IPlugAPIBase; }

namespace iplug::igraphics {

// What a graphics context needs from the window system it is shown in.
class IGraphicsPlatform {
public:
  virtual ~IGraphicsPlatform() = default;
  // Makes the context's GL context current on this thread; false if it cannot.
  virtual bool MakeCurrent() = 0;
  // Finishes a frame (buffer swap, or nothing offscreen).
  virtual void Present() = 0;
  // The context changed its pixel size (corner handle): ask the host window to follow.
  virtual void RequestResize(int width, int height) { (void)width; (void)height; }
  // Opens a web address with the desktop's default browser, without a shell.
  virtual bool OpenURL(const char* url);
  // Shows `menu` as the window system's own popup menu at `anchor` (window
  // pixels) and calls done(index of the chosen entry, or -1 when nothing was
  // chosen) once it closes, which may be after this returns; `menu` lives
  // until then. false when the platform has no menus of its own: the
  // graphics context then draws the menu itself.
  virtual bool ShowPopupMenu(const IPopupMenu& menu, const IRECT& anchor, std::function<void(int)> done) {
    (void)menu;
    (void)anchor;
    (void)done;
    return false;
  }
};

// A parsed SVG document, shared by copies; empty when parsing failed.
class ISVG {
public:
  struct Shape;                                // opaque: filled paths with one colour each
  ISVG() = default;
  bool IsValid() const { return static_cast<bool>(mImage); }
  float Width() const;                         // view box size in document units
  float Height() const;
private:
  friend class IGraphics;
  struct Image;
  std::shared_ptr<const Image> mImage;
};

enum class EUIResizerMode { Scale, Size };

// Key codes given to IGraphics::OnKeyDown().
enum EVirtualKey { kVK_ESCAPE = 0x1B };

class IGraphics {
public:
  // fps: frames per second of the platform's frame timer; scale: draw scale.
  IGraphics(IPlugAPIBase& delegate, int width, int height, int fps = 30, float scale = 1.f);
  ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  IPlugAPIBase& GetDelegate() const { return mDelegate; }
  int Width() const { return mWidth; }         // editor size in pixels
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }   // host content scale factor
  void SetScreenScale(float scale);

  // ---- Platform seam (called by the framework's views) ----
  // Binds the platform; the NanoVG context is created on the first Draw().
  void SetPlatform(IGraphicsPlatform* platform) { mPlatform = platform; }
  IGraphicsPlatform* GetPlatform() const { return mPlatform; }
  // Releases NanoVG and GL resources while the platform's context is still
  // current; the next Draw() creates them again.
  void ReleaseGraphicsResources();

  // The NanoVG render back end. Batched (the default) draws solid shapes,
  // lines and text in a few large draws (gl_batch_backend.h). Reference is
  // NanoVG's stock GL2 back end without stencil strokes: the same pixels
  // with one draw per sub-path, kept to compare the batched back end with.
  // A change releases the graphics resources (as ReleaseGraphicsResources()).
  enum class ERenderer { Batched, Reference };
  void SetRenderer(ERenderer renderer);
  ERenderer GetRenderer() const { return mRenderer; }
  // GL draw calls made by the last frame (Batched; 0 with Reference).
  int GetLastFrameDrawCalls() const;

  // ---- Controls ----
  // Takes ownership; returns the control.
  IControl* AttachControl(IControl* control, int ctrlTag = -1, const char* group = "");
  // The corner resize handle, `size` pixels square at the bottom-right corner.
  void AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color,
                           const IColor& mouseOverColor, const IColor& dragColor, float size = 20.f);
  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControl(int index) const;
  void SetLayoutOnResize(bool on) { mLayoutOnResize = on; }
  bool GetLayoutOnResize() const { return mLayoutOnResize; }
  // Makes family/style available under fontID ("Arial", "Arial-Bold").
  // The platform finds the family's font (fontconfig's file; GDI's bytes);
  // when the system has no font of that family and style, the embedded
  // Liberation Sans (regular or bold) is used.
  bool LoadFont(const char* fontID, const char* fontFamily, ETextStyle style);
  // The font file fontID was loaded from (where the system hands out bytes,
  // the name of their source): "" for the embedded font, nullptr when no
  // font has that id.
  const char* GetFontFile(const char* fontID) const;

  // ---- Size ----
  // Sets the pixel size (constrained by the delegate), calls the layout hook
  // when layout-on-resize is on, and asks the platform to follow if
  // requestPlatform is set (corner handle) rather than coming from the host.
  void Resize(int width, int height, bool requestPlatform = false);
  // Sets the draw scale and the pixel size together (the corner handle in
  // Scale mode): the size is constrained, the scale shrinks with it so the
  // content still fits, then as Resize(width, height, true).
  void ResizeWithScale(int width, int height, float scale);

  // ---- Frames (called by the platform's frame timer) ----
  bool IsDirty() const;                        // any control or the menu layer
  // Draws one frame: controls in order, then the popup menu layer.
  void Draw();

  // ---- Input (called by the platform; also used to inject input in tests) ----
  void OnMouseDown(float x, float y, const IMouseMod& mod);
  void OnMouseUp(float x, float y, const IMouseMod& mod);
  void OnMouseMove(float x, float y, const IMouseMod& mod);   // drag when a button is held
  void OnMouseDblClick(float x, float y, const IMouseMod& mod);
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float notches);
  void OnMouseOut();                           // the pointer left the window
  // A key press (EVirtualKey); true when it was used (Escape closes a popup menu).
  bool OnKeyDown(int virtualKey);

  // ---- Popup menus: the platform's own, or drawn by this layer over the controls ----
  // Shows `menu` below `anchor` (or above it when there is no room); the
  // caller's OnPopupMenuSelection() receives the outcome. The menu must live
  // until then (controls own their menus). A platform with menus of its own
  // (IGraphicsPlatform::ShowPopupMenu) shows it; otherwise this layer draws
  // it. `scale` is the caller's own scale of its drawing: the drawn menu's
  // text, rows, padding, check marks and separators grow with it, so the menu
  // matches the control that opened it (a platform menu has the system's size).
  void CreatePopupMenu(IControl& caller, IPopupMenu& menu, const IRECT& anchor, float scale = 1.f);
  bool IsPopupMenuOpen() const;

  // ---- Services ----
  bool OpenURL(const char* url);               // through the platform
  // Parses an SVG document (the subset: svg with viewBox, path/rect/polygon/
  // circle with fill colours, path commands M L H V C S Q T A Z, abs and rel).
  ISVG LoadSVG(const char* name, const char* data, std::size_t size, const char* units = "px", float dpi = 72.f);
  // Draws the document scaled to fill `dest`.
  void DrawSVG(const ISVG& svg, const IRECT& dest);

  // ---- Drawing (valid during Draw() only) ----
  void FillRect(const IColor& color, const IRECT& rect);
  // A straight stroke with butt ends; the path being built (Path*) is kept.
  void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, float thickness = 1.f);
  // The line drawn once at every whole-pixel vertical offset from `from` to
  // `to`, one copy after another (where copies overlap their alpha adds up):
  // a thicker line, or a soft band along it. The batching renderer draws the
  // copies of a straight segment as one quad.
  void DrawLineStack(const IColor& color, float x1, float y1, float x2, float y2, int from, int to,
                     float thickness = 1.f);
  void FillCircle(const IColor& color, float cx, float cy, float r);
  // Stroked arc; angles in degrees clockwise from 12 o'clock, a1 <= a2.
  void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, float thickness = 1.f);
  void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3);
  // Vertical linear gradient from `top` at rect.T to `bottom` at rect.B.
  void FillRectVerticalGradient(const IRECT& rect, const IColor& top, const IColor& bottom);
  // Paths: any number of sub-paths, then one fill or stroke (one draw call).
  void PathClear();
  void PathMoveTo(float x, float y);
  void PathLineTo(float x, float y);
  void PathClose();
  void PathFill(const IColor& color);          // non-zero winding
  void PathStroke(const IColor& color, float thickness = 1.f);
  // Horizontal advance of `str` in pixels (not rounded). Valid outside Draw() too.
  float MeasureText(const IText& text, const char* str);
  // Draws `str` aligned in `bounds` as text.align / text.valign say; not clipped.
  void DrawText(const IText& text, const char* str, const IRECT& bounds);

  // The NanoVG context while a frame is drawn (nullptr otherwise).
  NVGcontext* GetDrawContext() const { return mVG; }

private:
  struct Impl;
  void ApplySize(int width, int height, float scale, bool requestPlatform);
  IControl* HitControl(float x, float y) const;
  void UpdateMouseOver(float x, float y, const IMouseMod& mod);
  // The persistent NanoVG context, created (with the fonts) when the
  // platform's GL context can be made current; nullptr otherwise.
  NVGcontext* EnsureDrawContext();

  IPlugAPIBase& mDelegate;
  int mWidth, mHeight, mFPS;
  float mDrawScale, mScreenScale = 1.f;
  ERenderer mRenderer = ERenderer::Batched;
  bool mLayoutOnResize = false;
  IGraphicsPlatform* mPlatform = nullptr;
  NVGcontext* mVG = nullptr;
  std::vector<std::unique_ptr<IControl>> mControls;
  std::unique_ptr<Impl> mImpl;
};

// Creates the NanoVG graphics context (the delegate's mMakeGraphicsFunc calls this).
IGraphics* MakeGraphics(IPlugAPIBase& delegate, int width, int height, int fps, float scale);

} // namespace iplug::igraphics
