#pragma once
// The geometry of one frame of the batching back end: vertices with their
// per-call colour and coverage slope, and the triangle list that indexes
// them. NanoVG hands over triangle fans (fills), strips (fringes, strokes)
// and lists (text); each becomes indexed triangles in GL's own vertex order,
// so every triangle keeps the facing it has in the fan or strip (culling and
// the stencil's front/back counting depend on it) and shared vertices are
// stored and shaded once.
//
// Thread: the back end's (UI) thread. Owner: the back end; capacity is kept
// from frame to frame, so a steady frame allocates nothing.
#include <cstdint>
#include <memory>

#include "framework/graphics/gl_batch_programs.h"
#include "nanovg.h"

namespace iplug::igraphics::glbatch {

// The per-vertex values shared by all vertices of one call.
struct VertexStyle {
  float r = 0.f, g = 0.f, b = 0.f, a = 0.f;    // premultiplied colour
  float strokeMult = 1.f;                       // BatchVertex::strokeMult (0: text)
};

// strokeMult of a stacked stroke (see FrameGeometry::AppendStrokeStack): the
// number of copies in units of kStackUnit above the stroke's own slope, which
// stays below 101 for the widths NanoVG allows (200 pixels at most). The
// colour program's shader decodes it with the same unit.
constexpr float kStackUnit = 1024.f;
inline float StackedStrokeMult(float strokeMult, int copies) { return strokeMult + kStackUnit * static_cast<float>(copies); }

// A growable array of plain values that never initialises what it grows.
template <typename T>
class GrowBuffer {
public:
  T* Append(int n) {
    if (mSize + n > mCapacity) Reserve(mSize + n);
    T* at = mData.get() + mSize;
    mSize += n;
    return at;
  }
  void Clear() { mSize = 0; }
  int Size() const { return mSize; }
  const T* Data() const { return mData.get(); }

private:
  void Reserve(int n) {
    int capacity = mCapacity > 0 ? mCapacity : 1024;
    while (capacity < n) capacity *= 2;
    std::unique_ptr<T[]> data(new T[static_cast<std::size_t>(capacity)]);
    for (int i = 0; i < mSize; ++i) data[i] = mData[i];
    mData = std::move(data);
    mCapacity = capacity;
  }
  std::unique_ptr<T[]> mData;
  int mSize = 0, mCapacity = 0;
};

class FrameGeometry {
public:
  void Clear() {
    mVertices.Clear();
    mIndices.Clear();
  }
  int VertexCount() const { return mVertices.Size(); }
  int IndexCount() const { return mIndices.Size(); }
  const BatchVertex* Vertices() const { return mVertices.Data(); }
  const std::uint32_t* Indices() const { return mIndices.Data(); }

  // Triangles (0, i, i + 1) of a fan of n vertices.
  void AppendFan(const NVGvertex* v, int n, const VertexStyle& style);
  // Triangles of a strip of n vertices; odd triangles swap their first two vertices, as GL does.
  void AppendStrip(const NVGvertex* v, int n, const VertexStyle& style);
  // A triangle list (n / 3 triangles).
  void AppendTriangles(const NVGvertex* v, int n, const VertexStyle& style);
  // A stroke's strip. NanoVG's strip of a single straight segment with butt
  // or square ends (eight vertices: a fade quad at each end around the body)
  // becomes one quad whose v and vEnd carry both fades: the same coverage in
  // two triangles instead of six.
  void AppendStroke(const NVGvertex* v, int n, const VertexStyle& style);
  // The stroke's strip repeated at every whole-pixel vertical offset from
  // `from` to `to` (from < to), in that order. A single segment's copies
  // become one quad over their bounding box whose strokeMult carries the
  // count (StackedStrokeMult) and whose u, v and vEnd are those of the first
  // copy: the shader composes the copies' coverages as blending one copy
  // after another would. Other strips, and all strips when combine is false
  // (the paint program has no stacked coverage), are appended copy by copy.
  void AppendStrokeStack(const NVGvertex* v, int n, const VertexStyle& style, int from, int to, bool combine);
  // A convex fill: its fan and its fringe strip. A rectangle whose edges lie
  // on pixel boundaries (fringe 1) becomes its two triangles: its fringe
  // would only give the pixels inside full coverage and those outside none.
  void AppendConvexFill(const NVGpath& path, float fringe, const VertexStyle& style);

private:
  // Copies n vertices with the style (vEnd 1); returns the index of the first.
  std::uint32_t AppendVertices(const NVGvertex* v, int n, const VertexStyle& style);
  // Two triangles (0, 1, 2) and (2, 1, 3), as a strip of four.
  void AppendQuad(const BatchVertex corners[4]);

  GrowBuffer<BatchVertex> mVertices;
  GrowBuffer<std::uint32_t> mIndices;
  GrowBuffer<NVGvertex> mShifted;              // AppendStrokeStack's copy of a strip
};

} // namespace iplug::igraphics::glbatch
