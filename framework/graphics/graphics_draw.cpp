// IGraphics: the NanoVG context, frames, fonts, text and the drawing calls.
#include "framework/graphics/gl_api.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/gl_batch_backend.h"
#include "framework/graphics/graphics.h"
#include "framework/graphics/graphics_impl.h"
#include "framework/graphics/nanovg_segment.h"
#include "framework/graphics/svg_document.h"
#include "nanovg.h"
#define NANOVG_GL2 1
#include "nanovg_gl.h"

namespace iplug::igraphics {
namespace {

constexpr float kPi = 3.14159265358979f;

NVGcolor ToNVG(const IColor& c) {
  return nvgRGBA(static_cast<unsigned char>(std::clamp(c.R, 0, 255)), static_cast<unsigned char>(std::clamp(c.G, 0, 255)),
                 static_cast<unsigned char>(std::clamp(c.B, 0, 255)), static_cast<unsigned char>(std::clamp(c.A, 0, 255)));
}

int RegisterFont(NVGcontext* vg, const char* name, const FontData& font) {
  return nvgCreateFontMemAtIndex(vg, name, const_cast<unsigned char*>(font.data), static_cast<int>(font.size), 0,
                                 font.faceIndex);
}

} // namespace

// The SVG document behind an ISVG handle.
struct ISVG::Image {
  SvgDocument doc;
};

float ISVG::Width() const { return mImage ? mImage->doc.width : 0.f; }
float ISVG::Height() const { return mImage ? mImage->doc.height : 0.f; }

// ---- Context and frames ----

NVGcontext* IGraphics::EnsureDrawContext() {
  if (mImpl->vg) return mImpl->vg;
  if (!mPlatform || !mPlatform->MakeCurrent()) return nullptr;
  NVGcontext* vg =
      mRenderer == ERenderer::Batched ? CreateBatchedNanoVG(true) : nvgCreateGL2(NVG_ANTIALIAS);
  if (!vg) return nullptr;
  mImpl->vg = vg;
  mImpl->menuFontHandle = RegisterFont(vg, "iplug-menu", mImpl->menuFont);
  for (LoadedFont& font : mImpl->fonts) font.nvgHandle = RegisterFont(vg, font.id.c_str(), font.data);
  return vg;
}

void IGraphics::ReleaseGraphicsResources() {
  if (!mImpl->vg) return;
  if (mRenderer == ERenderer::Batched)
    DeleteBatchedNanoVG(mImpl->vg);
  else
    nvgDeleteGL2(mImpl->vg);
  mImpl->vg = nullptr;
  mImpl->menuFontHandle = -1;
  for (LoadedFont& font : mImpl->fonts) font.nvgHandle = -1;
  mImpl->redraw = true;
}

void IGraphics::SetRenderer(ERenderer renderer) {
  if (renderer == mRenderer) return;
  if (mImpl->vg && mPlatform) mPlatform->MakeCurrent();
  ReleaseGraphicsResources();
  mRenderer = renderer;
}

int IGraphics::GetLastFrameDrawCalls() const { return LastBatchFrameStats(mImpl->vg).drawCalls; }

void IGraphics::Draw() {
  if (!mPlatform || !mPlatform->MakeCurrent()) return;
  NVGcontext* vg = EnsureDrawContext();
  if (!vg) return;
  glViewport(0, 0, mWidth, mHeight);
  glClearColor(0.f, 0.f, 0.f, 0.f);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  nvgBeginFrame(vg, static_cast<float>(mWidth), static_cast<float>(mHeight), 1.f);
  nvgScale(vg, mDrawScale, mDrawScale);
  mVG = vg;
  mImpl->drawing = true;
  auto drawControl = [&](IControl& control) {
    nvgSave(vg);
    mImpl->winding.Clear();
    control.Draw(*this);
    nvgRestore(vg);
    control.mDirty = false;
  };
  // By index: a control may attach others while it draws.
  for (std::size_t i = 0; i < mControls.size(); ++i) drawControl(*mControls[i]);
  if (mImpl->cornerResizer) drawControl(*mImpl->cornerResizer);
  mImpl->popup.Draw(vg, mImpl->menuFontHandle, mImpl->menuFont.lineHeightPerEm);
  mImpl->drawing = false;
  mVG = nullptr;
  nvgEndFrame(vg);
  mImpl->redraw = false;
  mPlatform->Present();
}

// ---- Fonts and text ----

bool IGraphics::LoadFont(const char* fontID, const char* fontFamily, ETextStyle style) {
  if (!fontID || !*fontID) return false;
  LoadedFont font;
  font.id = fontID;
  font.data = ResolveFont(fontFamily, style);
  if (mImpl->vg) font.nvgHandle = RegisterFont(mImpl->vg, fontID, font.data);
  auto it = std::find_if(mImpl->fonts.begin(), mImpl->fonts.end(), [&](const LoadedFont& f) { return f.id == fontID; });
  if (it != mImpl->fonts.end())
    *it = std::move(font);
  else
    mImpl->fonts.push_back(std::move(font));
  return true;
}

const char* IGraphics::GetFontFile(const char* fontID) const {
  const LoadedFont* font = mImpl->FindFont(fontID);
  return font ? font->data.file.c_str() : nullptr;
}

bool IGraphics::Impl::SelectFont(NVGcontext* context, const IText& text) const {
  const LoadedFont* font = FindFont(text.font);
  const bool known = font && font->nvgHandle >= 0;
  const int handle = known ? font->nvgHandle : menuFontHandle;
  if (handle < 0) return false;
  nvgFontFaceId(context, handle);
  nvgFontSize(context, text.size * (known ? font->data.lineHeightPerEm : menuFont.lineHeightPerEm));
  return true;
}

float IGraphics::MeasureText(const IText& text, const char* str) {
  NVGcontext* vg = EnsureDrawContext();
  if (!vg || !str) return 0.f;
  nvgSave(vg);
  float width = 0.f;
  if (mImpl->SelectFont(vg, text)) {
    nvgTextAlign(vg, NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE);
    width = nvgTextBounds(vg, 0.f, 0.f, str, nullptr, nullptr);
  }
  nvgRestore(vg);
  return width;
}

void IGraphics::DrawText(const IText& text, const char* str, const IRECT& bounds) {
  if (!mVG || !str) return;
  nvgSave(mVG);
  if (mImpl->SelectFont(mVG, text)) {
    int align = 0;
    float x = bounds.L, y = bounds.T;
    switch (text.align) {
      case EAlign::Near: align |= NVG_ALIGN_LEFT; break;
      case EAlign::Center: align |= NVG_ALIGN_CENTER; x = (bounds.L + bounds.R) * 0.5f; break;
      case EAlign::Far: align |= NVG_ALIGN_RIGHT; x = bounds.R; break;
    }
    switch (text.valign) {
      case EVAlign::Top: align |= NVG_ALIGN_TOP; break;
      case EVAlign::Middle: align |= NVG_ALIGN_MIDDLE; y = (bounds.T + bounds.B) * 0.5f; break;
      case EVAlign::Bottom: align |= NVG_ALIGN_BOTTOM; y = bounds.B; break;
    }
    nvgTextAlign(mVG, align);
    nvgFillColor(mVG, ToNVG(text.fgColor));
    nvgText(mVG, x, y, str, nullptr);
  }
  nvgRestore(mVG);
}

// ---- Shapes ----

// True when the current transform puts every edge of `rect` on a pixel boundary.
static bool OnPixelBoundaries(NVGcontext* vg, const IRECT& rect) {
  float t[6];
  nvgCurrentTransform(vg, t);
  if (t[1] != 0.f || t[2] != 0.f) return false;
  auto whole = [](float v) { return v == std::floor(v); };
  return whole(t[0] * rect.L + t[4]) && whole(t[0] * rect.R + t[4]) && whole(t[3] * rect.T + t[5]) &&
         whole(t[3] * rect.B + t[5]);
}

void IGraphics::FillRect(const IColor& color, const IRECT& rect) {
  if (!mVG || rect.Empty()) return;
  // A rectangle on pixel boundaries covers whole pixels and is filled without
  // the anti-aliasing fringe. NanoVG insets a filled shape by half a pixel
  // and fades a fringe outwards from there; a rectangle one pixel tall or
  // wide collapses that inset to a line, and the fringe's triangles then
  // cover the strip's last pixel twice (a brighter dot wherever the colour
  // has alpha: rows of dots in a grid of one-pixel cells).
  const bool crisp = OnPixelBoundaries(mVG, rect);
  if (crisp) nvgShapeAntiAlias(mVG, 0);
  nvgBeginPath(mVG);
  nvgRect(mVG, rect.L, rect.T, rect.W(), rect.H());
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
  if (crisp) nvgShapeAntiAlias(mVG, 1);   // the graphics layer keeps shape anti-aliasing on otherwise
}

void IGraphics::DrawLine(const IColor& color, float x1, float y1, float x2, float y2, float thickness) {
  if (!mVG) return;
  nvgStrokeColor(mVG, ToNVG(color));
  nvgStrokeWidth(mVG, thickness);
  StrokeSegment(mVG, x1, y1, x2, y2);
}

void IGraphics::DrawLineStack(const IColor& color, float x1, float y1, float x2, float y2, int from, int to,
                              float thickness) {
  if (!mVG) return;
  if (from < to && mRenderer == ERenderer::Batched && SetBatchedStrokeCopies(mVG, from, to)) {
    DrawLine(color, x1, y1, x2, y2, thickness);
    SetBatchedStrokeCopies(mVG, 0, 0);
    return;
  }
  for (int k = from; k <= to; ++k)
    DrawLine(color, x1, y1 + static_cast<float>(k), x2, y2 + static_cast<float>(k), thickness);
}

void IGraphics::FillCircle(const IColor& color, float cx, float cy, float r) {
  if (!mVG || !(r > 0.f)) return;
  nvgBeginPath(mVG);
  nvgCircle(mVG, cx, cy, r);
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
}

void IGraphics::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, float thickness) {
  if (!mVG || !(r > 0.f) || !(a2 > a1)) return;
  // Degrees clockwise from 12 o'clock to NanoVG's radians from 3 o'clock (also clockwise, y down).
  const float toRad = kPi / 180.f;
  nvgBeginPath(mVG);
  nvgArc(mVG, cx, cy, r, (a1 - 90.f) * toRad, (a2 - 90.f) * toRad, NVG_CW);
  nvgStrokeColor(mVG, ToNVG(color));
  nvgStrokeWidth(mVG, thickness);
  nvgStroke(mVG);
}

void IGraphics::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3) {
  if (!mVG) return;
  nvgBeginPath(mVG);
  nvgMoveTo(mVG, x1, y1);
  nvgLineTo(mVG, x2, y2);
  nvgLineTo(mVG, x3, y3);
  nvgClosePath(mVG);
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
}

void IGraphics::FillRectVerticalGradient(const IRECT& rect, const IColor& top, const IColor& bottom) {
  if (!mVG || rect.Empty()) return;
  nvgBeginPath(mVG);
  nvgRect(mVG, rect.L, rect.T, rect.W(), rect.H());
  nvgFillPaint(mVG, nvgLinearGradient(mVG, rect.L, rect.T, rect.L, rect.B, ToNVG(top), ToNVG(bottom)));
  nvgFill(mVG);
}

// ---- Paths ----
// NanoVG forces every sub-path to its "solid" winding unless told otherwise.
// To fill with the non-zero rule, each finished sub-path is declared solid
// when it winds like the path's first sub-path and a hole when it winds the
// other way, which keeps the sub-paths' relative windings.

static void FinishSubpath(NVGcontext* vg, WindingTracker& w) {
  if (!w.open) return;
  w.area2 += double(w.lastX) * w.startY - double(w.startX) * w.lastY;
  const bool positive = w.area2 > 0.0;
  bool solid = true;
  if (!w.haveFirst) {
    w.haveFirst = true;
    w.firstPositive = positive;
  } else if (w.area2 != 0.0) {
    solid = positive == w.firstPositive;
  }
  nvgPathWinding(vg, solid ? NVG_SOLID : NVG_HOLE);
  w.open = false;
}

void IGraphics::PathClear() {
  if (!mVG) return;
  nvgBeginPath(mVG);
  mImpl->winding.Clear();
}

void IGraphics::PathMoveTo(float x, float y) {
  if (!mVG) return;
  WindingTracker& w = mImpl->winding;
  FinishSubpath(mVG, w);
  nvgMoveTo(mVG, x, y);
  w.open = true;
  w.startX = w.lastX = x;
  w.startY = w.lastY = y;
  w.area2 = 0.0;
}

void IGraphics::PathLineTo(float x, float y) {
  if (!mVG) return;
  WindingTracker& w = mImpl->winding;
  if (!w.open) {
    PathMoveTo(x, y);
    return;
  }
  w.area2 += double(w.lastX) * y - double(x) * w.lastY;
  w.lastX = x;
  w.lastY = y;
  nvgLineTo(mVG, x, y);
}

void IGraphics::PathClose() {
  if (!mVG) return;
  nvgClosePath(mVG);
}

void IGraphics::PathFill(const IColor& color) {
  if (!mVG) return;
  FinishSubpath(mVG, mImpl->winding);
  nvgFillColor(mVG, ToNVG(color));
  nvgFill(mVG);
}

void IGraphics::PathStroke(const IColor& color, float thickness) {
  if (!mVG) return;
  FinishSubpath(mVG, mImpl->winding);
  nvgStrokeColor(mVG, ToNVG(color));
  nvgStrokeWidth(mVG, thickness);
  nvgStroke(mVG);
}

// ---- SVG ----

ISVG IGraphics::LoadSVG(const char* name, const char* data, std::size_t size, const char* units, float dpi) {
  (void)name;
  ISVG svg;
  auto image = std::make_shared<ISVG::Image>();
  if (ParseSvg(data, size, units, dpi, &image->doc, nullptr)) svg.mImage = std::move(image);
  return svg;
}

void IGraphics::DrawSVG(const ISVG& svg, const IRECT& dest) {
  if (!mVG || !svg.IsValid() || dest.Empty()) return;
  const SvgDocument& doc = svg.mImage->doc;
  nvgSave(mVG);
  nvgTranslate(mVG, dest.L, dest.T);
  nvgScale(mVG, dest.W() / doc.viewW, dest.H() / doc.viewH);
  nvgTranslate(mVG, -doc.viewX, -doc.viewY);
  for (const SvgShape& shape : doc.shapes) {
    nvgBeginPath(mVG);
    for (const SvgSubpath& path : shape.subpaths) {
      const std::vector<float>& p = path.points;
      if (p.size() < 2) continue;
      nvgMoveTo(mVG, p[0], p[1]);
      for (std::size_t i = 2; i + 6 <= p.size(); i += 6) nvgBezierTo(mVG, p[i], p[i + 1], p[i + 2], p[i + 3], p[i + 4], p[i + 5]);
      if (path.closed) nvgClosePath(mVG);
      nvgPathWinding(mVG, path.hole ? NVG_HOLE : NVG_SOLID);
    }
    nvgFillColor(mVG, ToNVG(shape.fill));
    nvgFill(mVG);
  }
  nvgRestore(mVG);
  mImpl->winding.Clear();
}

} // namespace iplug::igraphics
