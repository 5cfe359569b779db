// NanoVG and its stock OpenGL 2 back end, compiled once for the graphics
// layer. IGraphics draws through our batching back end (gl_batch_backend.h);
// the stock one is its reference renderer (IGraphics::ERenderer::Reference).
// nanovg.c is built as C++ (the Debian copy does not compile as C); GL
// entry points come from gl_api.h (linked on Linux, loaded on Windows). StrokeSegment
// (nanovg_segment.h) lives here because it uses NanoVG's internals.
#include "framework/graphics/gl_api.h"

#include "nanovg.c"

#define NANOVG_GL2_IMPLEMENTATION 1
#include "nanovg_gl.h"

#include "framework/graphics/nanovg_segment.h"

namespace iplug::igraphics {

// The steps of nvgStroke and nvg__expandStroke for a two-point path.
void StrokeSegment(NVGcontext* ctx, float x1, float y1, float x2, float y2) {
  NVGstate* state = nvg__getState(ctx);
  if (state->lineCap == NVG_ROUND) {
    nvgBeginPath(ctx);
    nvgMoveTo(ctx, x1, y1);
    nvgLineTo(ctx, x2, y2);
    nvgStroke(ctx);
    return;
  }
  float strokeWidth = nvg__clampf(state->strokeWidth * nvg__getAverageScale(state->xform), 0.0f, 200.0f);
  NVGpaint paint = state->stroke;
  if (strokeWidth < ctx->fringeWidth) {
    // Thinner than a pixel: coverage emulated with alpha (coverage is area).
    const float alpha = nvg__clampf(strokeWidth / ctx->fringeWidth, 0.0f, 1.0f);
    paint.innerColor.a *= alpha * alpha;
    paint.outerColor.a *= alpha * alpha;
    strokeWidth = ctx->fringeWidth;
  }
  for (int i = 0; i < 4; i++) {
    paint.innerColor.rgba[i] *= state->tint.rgba[i];
    paint.outerColor.rgba[i] *= state->tint.rgba[i];
  }

  NVGpoint p0, p1;
  memset(&p0, 0, sizeof p0);
  memset(&p1, 0, sizeof p1);
  nvgTransformPoint(&p0.x, &p0.y, state->xform, x1, y1);
  nvgTransformPoint(&p1.x, &p1.y, state->xform, x2, y2);
  if (nvg__ptEquals(p0.x, p0.y, p1.x, p1.y, ctx->distTol)) return;

  const float aa = ctx->params.edgeAntiAlias && state->shapeAntiAlias ? ctx->fringeWidth : 0.0f;
  const float u0 = aa == 0.0f ? 0.5f : 0.0f, u1 = aa == 0.0f ? 0.5f : 1.0f;
  const float w = strokeWidth * 0.5f + aa * 0.5f;
  float dx = p1.x - p0.x, dy = p1.y - p0.y;
  nvg__normalize(&dx, &dy);
  const float d = state->lineCap == NVG_BUTT ? -aa * 0.5f : w - aa;
  NVGvertex verts[8];
  NVGvertex* dst = nvg__buttCapStart(verts, &p0, dx, dy, w, d, aa, u0, u1);
  nvg__buttCapEnd(dst, &p1, dx, dy, w, d, aa, u0, u1);

  NVGpath path;
  memset(&path, 0, sizeof path);
  path.count = 2;
  path.stroke = verts;
  path.nstroke = 8;
  ctx->params.renderStroke(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor, ctx->fringeWidth,
                           strokeWidth, &path, 1);
  ctx->strokeTriCount += 6;
  ctx->drawCallCount++;
}

} // namespace iplug::igraphics
