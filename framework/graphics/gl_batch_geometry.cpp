#include "framework/graphics/gl_batch_geometry.h"

#include <cmath>

namespace iplug::igraphics::glbatch {
namespace {

BatchVertex makeVertex(float x, float y, float u, float v, float vEnd, const VertexStyle& s) {
  return BatchVertex{x, y, u, v, vEnd, s.strokeMult, s.r, s.g, s.b, s.a};
}

// (p - origin) . axis / |axis|^2: the coordinate of p along axis, 1 at origin + axis.
float along(const NVGvertex& p, const NVGvertex& origin, const NVGvertex& axisEnd) {
  const float ax = axisEnd.x - origin.x, ay = axisEnd.y - origin.y;
  return ((p.x - origin.x) * ax + (p.y - origin.y) * ay) / (ax * ax + ay * ay);
}

// NanoVG's strip for one straight segment with butt or square ends: outer
// start pair (v 0), inner start pair, inner end pair (v 1), outer end pair
// (v 0), each pair (u0, u1) across the stroke, with a fade of non-zero length
// and a body that does not run backwards. A segment shorter than its fades
// has a reversed body, whose triangles face away and are culled, while both
// fades are drawn over each other: only the strip itself gives those pixels.
bool isSingleSegmentStrip(const NVGvertex* v, int n) {
  if (n != 8) return false;
  static constexpr float kV[8] = {0.f, 0.f, 1.f, 1.f, 1.f, 1.f, 0.f, 0.f};
  for (int i = 0; i < 8; ++i) {
    if (v[i].v != kV[i] || v[i].u != v[i & 1].u) return false;
  }
  const float startFade = std::fabs(v[2].x - v[0].x) + std::fabs(v[2].y - v[0].y);
  const float endFade = std::fabs(v[4].x - v[6].x) + std::fabs(v[4].y - v[6].y);
  const float bodyForward = (v[4].x - v[2].x) * (v[2].x - v[0].x) + (v[4].y - v[2].y) * (v[2].y - v[0].y);
  return startFade > 0.f && endFade > 0.f && bodyForward >= 0.f;
}

bool isWhole(float value) { return value == std::floor(value); }

} // namespace

std::uint32_t FrameGeometry::AppendVertices(const NVGvertex* v, int n, const VertexStyle& s) {
  const auto first = static_cast<std::uint32_t>(mVertices.Size());
  BatchVertex* dst = mVertices.Append(n);
  for (int i = 0; i < n; ++i) dst[i] = makeVertex(v[i].x, v[i].y, v[i].u, v[i].v, 1.f, s);
  return first;
}

void FrameGeometry::AppendQuad(const BatchVertex corners[4]) {
  const auto base = static_cast<std::uint32_t>(mVertices.Size());
  BatchVertex* dst = mVertices.Append(4);
  for (int i = 0; i < 4; ++i) dst[i] = corners[i];
  std::uint32_t* index = mIndices.Append(6);
  const std::uint32_t order[6] = {0, 1, 2, 2, 1, 3};
  for (std::uint32_t i : order) *index++ = base + i;
}

void FrameGeometry::AppendFan(const NVGvertex* v, int n, const VertexStyle& style) {
  if (n < 3) return;
  const std::uint32_t base = AppendVertices(v, n, style);
  std::uint32_t* dst = mIndices.Append(3 * (n - 2));
  for (std::uint32_t i = 1; i + 1 < static_cast<std::uint32_t>(n); ++i) {
    *dst++ = base;
    *dst++ = base + i;
    *dst++ = base + i + 1;
  }
}

void FrameGeometry::AppendStrip(const NVGvertex* v, int n, const VertexStyle& style) {
  if (n < 3) return;
  const std::uint32_t base = AppendVertices(v, n, style);
  std::uint32_t* dst = mIndices.Append(3 * (n - 2));
  for (std::uint32_t i = 0; i + 2 < static_cast<std::uint32_t>(n); ++i) {
    const std::uint32_t odd = i & 1u;
    *dst++ = base + i + odd;
    *dst++ = base + i + 1 - odd;
    *dst++ = base + i + 2;
  }
}

void FrameGeometry::AppendTriangles(const NVGvertex* v, int n, const VertexStyle& style) {
  n -= n % 3;
  if (n < 3) return;
  const std::uint32_t base = AppendVertices(v, n, style);
  std::uint32_t* dst = mIndices.Append(n);
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(n); ++i) *dst++ = base + i;
}

void FrameGeometry::AppendStroke(const NVGvertex* v, int n, const VertexStyle& style) {
  if (!isSingleSegmentStrip(v, n)) {
    AppendStrip(v, n, style);
    return;
  }
  // v grows from the outer start pair to the inner start pair; vEnd from the
  // outer end pair to the inner end pair. Both are linear over the quad.
  BatchVertex corners[4];
  const int outer[4] = {0, 1, 6, 7};
  for (int i = 0; i < 4; ++i) {
    const NVGvertex& p = v[outer[i]];
    corners[i] = makeVertex(p.x, p.y, p.u, along(p, v[i & 1], v[2 + (i & 1)]), along(p, v[6 + (i & 1)], v[4 + (i & 1)]),
                            style);
  }
  AppendQuad(corners);
}

void FrameGeometry::AppendStrokeStack(const NVGvertex* v, int n, const VertexStyle& style, int from, int to,
                                      bool combine) {
  if (!combine || !isSingleSegmentStrip(v, n)) {
    for (int k = from; k <= to; ++k) {
      mShifted.Clear();
      NVGvertex* shifted = mShifted.Append(n);
      for (int i = 0; i < n; ++i) {
        shifted[i] = v[i];
        shifted[i].y += static_cast<float>(k);
      }
      AppendStroke(shifted, n, style);
    }
    return;
  }
  // The first copy's strip, and the bounding box of its outer corners
  // stretched down over the other copies.
  NVGvertex first[8];
  for (int i = 0; i < 8; ++i) {
    first[i] = v[i];
    first[i].y += static_cast<float>(from);
  }
  const int outer[4] = {0, 1, 6, 7};
  float minX = first[0].x, maxX = first[0].x, minY = first[0].y, maxY = first[0].y;
  for (int i : outer) {
    minX = std::fmin(minX, first[i].x);
    maxX = std::fmax(maxX, first[i].x);
    minY = std::fmin(minY, first[i].y);
    maxY = std::fmax(maxY, first[i].y);
  }
  maxY += static_cast<float>(to - from);
  // u, v and vEnd of the first copy, extended linearly over the box: u
  // across (u0 at the start pair's first vertex, u1 at its second), v from
  // the outer start pair to the inner one, vEnd from the outer end pair to
  // the inner one.
  VertexStyle stacked = style;
  stacked.strokeMult = StackedStrokeMult(style.strokeMult, to - from + 1);
  // Corners top-left, bottom-left, top-right, bottom-right: with y down,
  // AppendQuad's triangles then face front (counter-clockwise in GL).
  const float boxX[4] = {minX, minX, maxX, maxX}, boxY[4] = {minY, maxY, minY, maxY};
  BatchVertex corners[4];
  for (int i = 0; i < 4; ++i) {
    NVGvertex p = first[0];
    p.x = boxX[i];
    p.y = boxY[i];
    const float u = first[0].u + (first[1].u - first[0].u) * along(p, first[0], first[1]);
    corners[i] = makeVertex(p.x, p.y, u, along(p, first[0], first[2]), along(p, first[6], first[4]), stacked);
  }
  AppendQuad(corners);
}

void FrameGeometry::AppendConvexFill(const NVGpath& path, float fringe, const VertexStyle& style) {
  // NanoVG insets a convex fill's fan by half the fringe and fades its
  // fringe strip (u 0.5 to 1) out to half the fringe beyond the edge.
  const NVGvertex* f = path.fill;
  bool pixelRect = fringe == 1.f && path.nfill == 4 && path.nstroke == 10;
  float minX = 0.f, maxX = 0.f, minY = 0.f, maxY = 0.f;
  if (pixelRect) {
    minX = maxX = f[0].x;
    minY = maxY = f[0].y;
    for (int i = 1; i < 4; ++i) {
      minX = std::fmin(minX, f[i].x);
      maxX = std::fmax(maxX, f[i].x);
      minY = std::fmin(minY, f[i].y);
      maxY = std::fmax(maxY, f[i].y);
    }
    for (int i = 0; i < 4; ++i)
      pixelRect = pixelRect && (f[i].x == minX || f[i].x == maxX) && (f[i].y == minY || f[i].y == maxY);
    pixelRect = pixelRect && minX < maxX && minY < maxY && isWhole(minX - 0.5f) && isWhole(maxX + 0.5f) &&
                isWhole(minY - 0.5f) && isWhole(maxY + 0.5f);
  }
  if (!pixelRect) {
    AppendFan(path.fill, path.nfill, style);
    AppendStrip(path.stroke, path.nstroke, style);
    return;
  }
  // The fan's corners moved out by half a pixel; the quad's triangles
  // (0, 1, 3) and (3, 1, 2) of the fan's corners turn the way the fan's do.
  BatchVertex corners[4];
  const int order[4] = {0, 1, 3, 2};
  for (int i = 0; i < 4; ++i) {
    const NVGvertex& p = f[order[i]];
    corners[i] = makeVertex(p.x == minX ? p.x - 0.5f : p.x + 0.5f, p.y == minY ? p.y - 0.5f : p.y + 0.5f, 0.5f, 1.f,
                            1.f, style);
  }
  AppendQuad(corners);
}

} // namespace iplug::igraphics::glbatch
