#pragma once
// The GLSL 1.20 programs of the batching NanoVG back end (gl_batch_backend).
// Both read the same vertex layout (BatchVertex); positions are in editor
// pixels, y down, turned into clip space with the viewSize uniform.
//
// VertexColourProgram draws what is batched: solid fills and strokes (the
// vertex colour times NanoVG's anti-aliasing coverage, computed from the
// coverage coordinates as NanoVG's own shader does) and atlas text (the
// vertex colour times the texture), so consecutive calls need no uniform
// change. Two vec4 varyings keep the rasteriser's per-triangle setup small.
// PaintProgram draws one call with its paint in uniforms (gradients, image
// patterns, scissored calls), as NanoVG's stock GL back end does for every call.
//
// Thread: the thread whose GL context is current (the editor's UI thread).
#include "framework/graphics/gl_api.h"

namespace iplug::igraphics::glbatch {

// One vertex of a batch: 40 bytes.
struct BatchVertex {
  float x, y;            // editor pixels
  float u, v;            // NanoVG's coverage coordinates; atlas coordinates for text
  float vEnd;            // coverage towards a butt end, like v from the other end (1: none)
  float strokeMult;      // coverage slope across a stroke, (width / 2 + fringe / 2) / fringe; 0 for text
  float r, g, b, a;      // premultiplied colour (VertexColourProgram only)
};

// Attribute locations, bound before linking: position, (u, v, vEnd,
// strokeMult), colour.
enum Attribute : GLuint { kAttrPosition = 0, kAttrCoverage = 1, kAttrColour = 2 };

// Texture kinds as the shaders see them (NanoVG's texType).
constexpr float kTexPremultiplied = 0.f, kTexStraight = 1.f, kTexAlpha = 2.f;

// Paint kinds of PaintProgram (NanoVG's shader types).
constexpr float kPaintGradient = 0.f, kPaintImage = 1.f, kPaintTexturedTriangles = 3.f;

// The paint uniforms of PaintProgram: NanoVG's layout of 11 vec4.
struct PaintUniforms {
  float scissorMat[12];  // inverse scissor transform, 3 columns of vec4
  float paintMat[12];    // inverse paint transform
  float innerCol[4];     // premultiplied
  float outerCol[4];
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;       // unused (always -1): no stencil strokes
  float texType;
  float type;            // kPaint*
};
static_assert(sizeof(PaintUniforms) == 11 * 4 * sizeof(float), "11 vec4 as in the shader");

struct VertexColourProgram {
  GLuint program = 0;
  GLint viewSize = -1, tex = -1, texType = -1;
};

struct PaintProgram {
  GLuint program = 0;
  GLint viewSize = -1, tex = -1, frag = -1;
};

// Compiles and links both programs for the current GL context; without
// antialias every covered pixel gets full coverage. False (and nothing left
// allocated) when the driver rejects them.
bool CreatePrograms(bool antialias, VertexColourProgram* colour, PaintProgram* paint);
void DeletePrograms(VertexColourProgram* colour, PaintProgram* paint);

} // namespace iplug::igraphics::glbatch
