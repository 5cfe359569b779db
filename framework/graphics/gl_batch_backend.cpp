// The batching NanoVG back end: NanoVG's render callbacks record commands
// and geometry while a frame is built; renderFlush (nvgEndFrame) uploads all
// vertices and indices at once and issues the draws. The fill, stroke and paint logic is
// a port of NanoVG's nanovg_gl.h (zlib licence, Copyright (c) 2009-2013
// Mikko Mononen), rearranged so that solid calls share draws.
#include "framework/graphics/gl_batch_backend.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/graphics/gl_batch_geometry.h"
#include "framework/graphics/gl_batch_programs.h"
#include "framework/graphics/gl_batch_textures.h"
#include "nanovg.h"

namespace iplug::igraphics {
namespace glbatch {
namespace {

struct Blend {
  GLenum srcRGB = GL_ONE, dstRGB = GL_ONE_MINUS_SRC_ALPHA, srcAlpha = GL_ONE, dstAlpha = GL_ONE_MINUS_SRC_ALPHA;
  bool operator==(const Blend& o) const {
    return srcRGB == o.srcRGB && dstRGB == o.dstRGB && srcAlpha == o.srcAlpha && dstAlpha == o.dstAlpha;
  }
};

enum class CommandKind {
  Triangles,     // one draw of `triangles`
  StencilFill,   // non-zero winding into the stencil, fringe outside it, cover quad
};

// A run of the frame's triangle indices and the vertices they use (vertices
// of a run are contiguous too, since each call appends both).
struct IndexRange {
  int first = 0, count = 0;                    // indices
  int firstVertex = 0, endVertex = 0;          // vertices [firstVertex, endVertex)
};

// One recorded draw.
struct Command {
  CommandKind kind = CommandKind::Triangles;
  int paintIndex = -1;         // PaintProgram with these uniforms; -1: VertexColourProgram
  int image = 0;               // texture id, 0 for none
  Blend blend;
  IndexRange triangles;        // Triangles: everything; StencilFill: the fringe
  IndexRange stencil, cover;   // StencilFill only
};

// GL state already set during a flush, so that only changes reach GL.
struct FlushState {
  GLuint program = 0;
  GLuint texture = ~0u;
  float texType = -1.f;
  int paintIndex = -1;
  Blend blend;
  bool blendSet = false;
};

struct Backend {
  bool antialias = true;
  VertexColourProgram colourProgram;
  PaintProgram paintProgram;
  TextureTable textures;
  int dummyTexture = 0;        // bound when a draw has no texture
  GLuint vertexBuffer = 0, indexBuffer = 0;
  GLsizeiptr vertexBufferBytes = 0, indexBufferBytes = 0;   // allocated GL storage
  float viewSize[2] = {1.f, 1.f};

  // The frame being recorded; capacity is kept from frame to frame.
  FrameGeometry geometry;
  std::vector<Command> commands;
  std::vector<PaintUniforms> paints;

  BatchFrameStats lastFrame;
  int drawCalls = 0;           // during the flush in progress
  int copiesFrom = 0, copiesTo = 0;   // strokes are repeated at these offsets (SetBatchedStrokeCopies)
};

GLenum blendFactor(int factor) {
  switch (factor) {
    case NVG_ZERO: return GL_ZERO;
    case NVG_ONE: return GL_ONE;
    case NVG_SRC_COLOR: return GL_SRC_COLOR;
    case NVG_ONE_MINUS_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case NVG_DST_COLOR: return GL_DST_COLOR;
    case NVG_ONE_MINUS_DST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case NVG_SRC_ALPHA: return GL_SRC_ALPHA;
    case NVG_ONE_MINUS_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case NVG_DST_ALPHA: return GL_DST_ALPHA;
    case NVG_ONE_MINUS_DST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case NVG_SRC_ALPHA_SATURATE: return GL_SRC_ALPHA_SATURATE;
    default: return GL_INVALID_ENUM;
  }
}

// An unknown factor falls back to premultiplied source-over.
Blend toBlend(const NVGcompositeOperationState& op) {
  Blend blend;
  blend.srcRGB = blendFactor(op.srcRGB);
  blend.dstRGB = blendFactor(op.dstRGB);
  blend.srcAlpha = blendFactor(op.srcAlpha);
  blend.dstAlpha = blendFactor(op.dstAlpha);
  if (blend.srcRGB == GL_INVALID_ENUM || blend.dstRGB == GL_INVALID_ENUM || blend.srcAlpha == GL_INVALID_ENUM ||
      blend.dstAlpha == GL_INVALID_ENUM)
    blend = Blend();
  return blend;
}

bool hasScissor(const NVGscissor& scissor) { return !(scissor.extent[0] < -0.5f || scissor.extent[1] < -0.5f); }

// A paint that is one colour everywhere (NanoVG's colour paints are
// gradients with equal end colours) and no scissor: drawable from vertex colours.
bool isSolid(const NVGpaint& paint, const NVGscissor& scissor) {
  return paint.image == 0 && std::memcmp(&paint.innerColor, &paint.outerColor, sizeof(NVGcolor)) == 0 &&
         !hasScissor(scissor);
}

// strokeMult 0 marks text.
VertexStyle colourStyle(const NVGcolor& c, float strokeMult) {
  VertexStyle s;
  s.r = c.r * c.a;
  s.g = c.g * c.a;
  s.b = c.b * c.a;
  s.a = c.a;
  s.strokeMult = strokeMult;
  return s;
}

// NanoVG's coverage slope across a stroke of `width` (fills: width = fringe, slope 1).
float strokeMultFor(float width, float fringe) { return (width * 0.5f + fringe * 0.5f) / fringe; }

// Starts a range at the end of the geometry; endRange() extends it to the end.
IndexRange beginRange(const Backend& b) {
  IndexRange range;
  range.first = b.geometry.IndexCount();
  range.firstVertex = range.endVertex = b.geometry.VertexCount();
  return range;
}

void endRange(const Backend& b, IndexRange* range) {
  range->count = b.geometry.IndexCount() - range->first;
  range->endVertex = b.geometry.VertexCount();
}

// ---- Commands ----

// The command that solid vertices join: the last command when it is an open
// vertex-colour batch with the same blend and a texture that fits (solid
// geometry ignores the texture; text needs its atlas), else a new one.
Command& batchFor(Backend& b, const Blend& blend, int image) {
  if (!b.commands.empty()) {
    Command& last = b.commands.back();
    if (last.kind == CommandKind::Triangles && last.paintIndex < 0 && last.blend == blend &&
        (image == 0 || last.image == 0 || last.image == image)) {
      if (image != 0) last.image = image;
      return last;
    }
  }
  Command command;
  command.blend = blend;
  command.image = image;
  command.triangles = beginRange(b);
  b.commands.push_back(command);
  return b.commands.back();
}

void xformToMat3x4(float* m3, const float* t) {
  const float m[12] = {t[0], t[1], 0.f, 0.f, t[2], t[3], 0.f, 0.f, t[4], t[5], 1.f, 0.f};
  std::memcpy(m3, m, sizeof m);
}

NVGcolor premultiplied(NVGcolor c) {
  c.r *= c.a;
  c.g *= c.a;
  c.b *= c.a;
  return c;
}

// NanoVG's paint, scissor and stroke width as PaintProgram uniforms; false
// when the paint's image does not exist.
bool convertPaint(const Backend& b, const NVGpaint& paint, const NVGscissor& scissor, float width, float fringe,
                  PaintUniforms* frag) {
  std::memset(frag, 0, sizeof *frag);
  const NVGcolor inner = premultiplied(paint.innerColor), outer = premultiplied(paint.outerColor);
  std::memcpy(frag->innerCol, inner.rgba, sizeof frag->innerCol);
  std::memcpy(frag->outerCol, outer.rgba, sizeof frag->outerCol);
  float inverse[6];
  if (!hasScissor(scissor)) {
    frag->scissorExt[0] = frag->scissorExt[1] = 1.f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.f;
  } else {
    nvgTransformInverse(inverse, scissor.xform);
    xformToMat3x4(frag->scissorMat, inverse);
    frag->scissorExt[0] = scissor.extent[0];
    frag->scissorExt[1] = scissor.extent[1];
    frag->scissorScale[0] = std::sqrt(scissor.xform[0] * scissor.xform[0] + scissor.xform[2] * scissor.xform[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(scissor.xform[1] * scissor.xform[1] + scissor.xform[3] * scissor.xform[3]) / fringe;
  }
  frag->extent[0] = paint.extent[0];
  frag->extent[1] = paint.extent[1];
  frag->strokeMult = strokeMultFor(width, fringe);
  frag->strokeThr = -1.f;
  if (paint.image != 0) {
    const Texture* tex = b.textures.Find(paint.image);
    if (!tex) return false;
    if (tex->flags & NVG_IMAGE_FLIPY) {
      float m1[6], m2[6];
      nvgTransformTranslate(m1, 0.f, frag->extent[1] * 0.5f);
      nvgTransformMultiply(m1, paint.xform);
      nvgTransformScale(m2, 1.f, -1.f);
      nvgTransformMultiply(m2, m1);
      nvgTransformTranslate(m1, 0.f, -frag->extent[1] * 0.5f);
      nvgTransformMultiply(m1, m2);
      nvgTransformInverse(inverse, m1);
    } else {
      nvgTransformInverse(inverse, paint.xform);
    }
    frag->type = kPaintImage;
    frag->texType = TextureTable::ShaderType(*tex);
  } else {
    frag->type = kPaintGradient;
    frag->radius = paint.radius;
    frag->feather = paint.feather;
    nvgTransformInverse(inverse, paint.xform);
  }
  xformToMat3x4(frag->paintMat, inverse);
  return true;
}

// A new command drawn alone with its paint in uniforms; null when the paint cannot be drawn.
Command* paintCommand(Backend& b, CommandKind kind, const Blend& blend, const NVGpaint& paint,
                      const NVGscissor& scissor, float width, float fringe) {
  PaintUniforms frag;
  if (!convertPaint(b, paint, scissor, width, fringe, &frag)) return nullptr;
  b.paints.push_back(frag);
  Command command;
  command.kind = kind;
  command.paintIndex = static_cast<int>(b.paints.size()) - 1;
  command.image = paint.image;
  command.blend = blend;
  command.triangles = beginRange(b);
  b.commands.push_back(command);
  return &b.commands.back();
}

// ---- NanoVG render callbacks ----

int renderCreate(void* uptr, void* /*otherUptr*/) {
  Backend& b = *static_cast<Backend*>(uptr);
  if (!CreatePrograms(b.antialias, &b.colourProgram, &b.paintProgram)) return 0;
  glGenBuffers(1, &b.vertexBuffer);
  glGenBuffers(1, &b.indexBuffer);
  b.dummyTexture = b.textures.Create(NVG_TEXTURE_ALPHA, 1, 1, 0, nullptr);
  return 1;
}

int renderCreateTexture(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data) {
  return static_cast<Backend*>(uptr)->textures.Create(type, w, h, imageFlags, data);
}

int renderDeleteTexture(void* uptr, int image) { return static_cast<Backend*>(uptr)->textures.Delete(image) ? 1 : 0; }

int renderUpdateTexture(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data) {
  return static_cast<Backend*>(uptr)->textures.Update(image, x, y, w, h, data) ? 1 : 0;
}

int renderGetTextureSize(void* uptr, int image, int* w, int* h) {
  const Texture* tex = static_cast<Backend*>(uptr)->textures.Find(image);
  if (!tex) return 0;
  *w = tex->width;
  *h = tex->height;
  return 1;
}

void renderViewport(void* uptr, float width, float height, float /*devicePixelRatio*/) {
  Backend& b = *static_cast<Backend*>(uptr);
  b.viewSize[0] = width;
  b.viewSize[1] = height;
}

void clearFrame(Backend& b) {
  b.geometry.Clear();
  b.commands.clear();
  b.paints.clear();
}

void renderCancel(void* uptr) { clearFrame(*static_cast<Backend*>(uptr)); }

void renderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                const float* bounds, const NVGpath* paths, int npaths) {
  Backend& b = *static_cast<Backend*>(uptr);
  const Blend blend = toBlend(op);
  const bool solid = isSolid(*paint, *scissor);
  const VertexStyle style = colourStyle(paint->innerColor, 1.f);
  if (npaths == 1 && paths[0].convex) {
    // Convex: the fan and its half fringe need no stencil.
    Command* command = solid ? &batchFor(b, blend, 0)
                             : paintCommand(b, CommandKind::Triangles, blend, *paint, *scissor, fringe, fringe);
    if (!command) return;
    b.geometry.AppendConvexFill(paths[0], fringe, style);
    endRange(b, &command->triangles);
    return;
  }
  Command* command = solid ? nullptr : paintCommand(b, CommandKind::StencilFill, blend, *paint, *scissor, fringe, fringe);
  if (!solid && !command) return;
  if (solid) {
    b.commands.push_back(Command());
    command = &b.commands.back();
    command->kind = CommandKind::StencilFill;
    command->blend = blend;
  }
  command->stencil = beginRange(b);
  for (int i = 0; i < npaths; ++i) b.geometry.AppendFan(paths[i].fill, paths[i].nfill, style);
  endRange(b, &command->stencil);
  command->triangles = beginRange(b);
  for (int i = 0; i < npaths; ++i) b.geometry.AppendStrip(paths[i].stroke, paths[i].nstroke, style);
  endRange(b, &command->triangles);
  // The cover: the bounding box as NanoVG's strip of four.
  const NVGvertex quad[4] = {{bounds[2], bounds[3], 0.5f, 1.f},
                             {bounds[2], bounds[1], 0.5f, 1.f},
                             {bounds[0], bounds[3], 0.5f, 1.f},
                             {bounds[0], bounds[1], 0.5f, 1.f}};
  command->cover = beginRange(b);
  b.geometry.AppendStrip(quad, 4, style);
  endRange(b, &command->cover);
}

void renderStroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                  float strokeWidth, const NVGpath* paths, int npaths) {
  Backend& b = *static_cast<Backend*>(uptr);
  const Blend blend = toBlend(op);
  Command* command = isSolid(*paint, *scissor)
                         ? &batchFor(b, blend, 0)
                         : paintCommand(b, CommandKind::Triangles, blend, *paint, *scissor, strokeWidth, fringe);
  if (!command) return;
  const VertexStyle style = colourStyle(paint->innerColor, strokeMultFor(strokeWidth, fringe));
  for (int i = 0; i < npaths; ++i) {
    if (b.copiesFrom < b.copiesTo)
      b.geometry.AppendStrokeStack(paths[i].stroke, paths[i].nstroke, style, b.copiesFrom, b.copiesTo,
                                   command->paintIndex < 0 && b.antialias);
    else
      b.geometry.AppendStroke(paths[i].stroke, paths[i].nstroke, style);
  }
  endRange(b, &command->triangles);
}

void renderTriangles(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                     const NVGvertex* verts, int nverts, float fringe) {
  Backend& b = *static_cast<Backend*>(uptr);
  const Blend blend = toBlend(op);
  if (paint->image != 0 && !b.textures.Find(paint->image)) return;
  Command* command = nullptr;
  if (!hasScissor(*scissor)) {
    command = &batchFor(b, blend, paint->image);
  } else {
    command = paintCommand(b, CommandKind::Triangles, blend, *paint, *scissor, 1.f, fringe);
    if (!command) return;
    b.paints[static_cast<std::size_t>(command->paintIndex)].type = kPaintTexturedTriangles;
  }
  b.geometry.AppendTriangles(verts, nverts, colourStyle(paint->innerColor, 0.f));
  endRange(b, &command->triangles);
}

// ---- Flush ----

// Draws a range of indices as triangles: the one draw call of the back end.
void drawTriangles(Backend& b, const IndexRange& range) {
  if (range.count <= 0) return;
  glDrawRangeElements(GL_TRIANGLES, static_cast<GLuint>(range.firstVertex), static_cast<GLuint>(range.endVertex - 1),
                      range.count, GL_UNSIGNED_INT,
                      reinterpret_cast<const GLvoid*>(static_cast<std::size_t>(range.first) * sizeof(std::uint32_t)));
  ++b.drawCalls;
}

void useProgram(FlushState& state, GLuint program) {
  if (state.program == program) return;
  glUseProgram(program);
  state.program = program;
  state.paintIndex = -1;
}

void bindTexture(FlushState& state, GLuint texture) {
  if (state.texture == texture) return;
  glBindTexture(GL_TEXTURE_2D, texture);
  state.texture = texture;
}

// Program, uniforms, texture and blend of `command`.
void applyCommandState(Backend& b, FlushState& state, const Command& command) {
  if (!state.blendSet || !(state.blend == command.blend)) {
    glBlendFuncSeparate(command.blend.srcRGB, command.blend.dstRGB, command.blend.srcAlpha, command.blend.dstAlpha);
    state.blend = command.blend;
    state.blendSet = true;
  }
  const Texture* tex = b.textures.Find(command.image);
  if (!tex) tex = b.textures.Find(b.dummyTexture);
  bindTexture(state, tex ? tex->tex : 0);
  if (command.paintIndex >= 0) {
    useProgram(state, b.paintProgram.program);
    if (state.paintIndex != command.paintIndex) {
      glUniform4fv(b.paintProgram.frag, 11, &b.paints[static_cast<std::size_t>(command.paintIndex)].scissorMat[0]);
      state.paintIndex = command.paintIndex;
    }
    return;
  }
  useProgram(state, b.colourProgram.program);
  const float texType = tex ? TextureTable::ShaderType(*tex) : kTexAlpha;
  if (state.texType != texType) {
    glUniform1f(b.colourProgram.texType, texType);
    state.texType = texType;
  }
}

// Non-zero winding of all sub-paths into the stencil (both faces, no
// colour), then the fringe where the stencil is 0, then the cover where it
// is not (which also clears it).
void drawStencilFill(Backend& b, FlushState& state, const Command& command) {
  glEnable(GL_STENCIL_TEST);
  glStencilMask(0xff);
  glStencilFunc(GL_ALWAYS, 0, 0xff);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_KEEP, GL_INCR_WRAP);
  glStencilOpSeparate(GL_BACK, GL_KEEP, GL_KEEP, GL_DECR_WRAP);
  glDisable(GL_CULL_FACE);
  applyCommandState(b, state, command);
  drawTriangles(b, command.stencil);
  glEnable(GL_CULL_FACE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  if (command.triangles.count > 0) {
    glStencilFunc(GL_EQUAL, 0x00, 0xff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    drawTriangles(b, command.triangles);
  }
  glStencilFunc(GL_NOTEQUAL, 0x00, 0xff);
  glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
  drawTriangles(b, command.cover);
  glDisable(GL_STENCIL_TEST);
}

void setAttribute(GLuint index, int components, std::size_t offset) {
  glEnableVertexAttribArray(index);
  glVertexAttribPointer(index, components, GL_FLOAT, GL_FALSE, sizeof(BatchVertex),
                        reinterpret_cast<const GLvoid*>(offset));
}

// Copies `bytes` into the bound buffer; its storage only ever grows (by
// doubling), so a steady frame reuses it.
void upload(GLenum target, const void* data, std::size_t bytes, GLsizeiptr* allocated) {
  const auto size = static_cast<GLsizeiptr>(bytes);
  if (size > *allocated) {
    GLsizeiptr capacity = *allocated > 0 ? *allocated : 64 * 1024;
    while (capacity < size) capacity *= 2;
    glBufferData(target, capacity, nullptr, GL_STREAM_DRAW);
    *allocated = capacity;
  }
  if (size > 0) glBufferSubData(target, 0, size, data);
}

void setFrameUniforms(GLuint program, GLint tex, GLint viewSize, const float* size) {
  glUseProgram(program);
  glUniform1i(tex, 0);
  glUniform2fv(viewSize, 1, size);
}

void renderFlush(void* uptr) {
  Backend& b = *static_cast<Backend*>(uptr);
  b.drawCalls = 0;
  if (!b.commands.empty()) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilMask(0xffffffff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_ALWAYS, 0, 0xffffffff);
    glActiveTexture(GL_TEXTURE0);

    glBindBuffer(GL_ARRAY_BUFFER, b.vertexBuffer);
    upload(GL_ARRAY_BUFFER, b.geometry.Vertices(), b.geometry.VertexCount() * sizeof(BatchVertex),
           &b.vertexBufferBytes);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indexBuffer);
    upload(GL_ELEMENT_ARRAY_BUFFER, b.geometry.Indices(), b.geometry.IndexCount() * sizeof(std::uint32_t),
           &b.indexBufferBytes);
    setAttribute(kAttrPosition, 2, offsetof(BatchVertex, x));
    setAttribute(kAttrCoverage, 4, offsetof(BatchVertex, u));
    setAttribute(kAttrColour, 4, offsetof(BatchVertex, r));
    setFrameUniforms(b.paintProgram.program, b.paintProgram.tex, b.paintProgram.viewSize, b.viewSize);
    setFrameUniforms(b.colourProgram.program, b.colourProgram.tex, b.colourProgram.viewSize, b.viewSize);

    FlushState state;
    state.program = b.colourProgram.program;
    for (const Command& command : b.commands) {
      if (command.kind == CommandKind::StencilFill) {
        drawStencilFill(b, state, command);
      } else {
        applyCommandState(b, state, command);
        drawTriangles(b, command.triangles);
      }
    }

    for (GLuint index : {kAttrPosition, kAttrCoverage, kAttrColour}) glDisableVertexAttribArray(index);
    glDisable(GL_CULL_FACE);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glUseProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  b.lastFrame.drawCalls = b.drawCalls;
  b.lastFrame.vertices = b.geometry.VertexCount();
  b.lastFrame.indices = b.geometry.IndexCount();
  clearFrame(b);
}

void renderDelete(void* uptr) {
  Backend* b = static_cast<Backend*>(uptr);
  if (!b) return;
  DeletePrograms(&b->colourProgram, &b->paintProgram);
  if (b->vertexBuffer) glDeleteBuffers(1, &b->vertexBuffer);
  if (b->indexBuffer) glDeleteBuffers(1, &b->indexBuffer);
  b->textures.Clear();
  delete b;
}

} // namespace
} // namespace glbatch

NVGcontext* CreateBatchedNanoVG(bool antialias) {
  auto* backend = new glbatch::Backend();
  backend->antialias = antialias;
  NVGparams params;
  std::memset(&params, 0, sizeof params);
  params.renderCreate = glbatch::renderCreate;
  params.renderCreateTexture = glbatch::renderCreateTexture;
  params.renderDeleteTexture = glbatch::renderDeleteTexture;
  params.renderUpdateTexture = glbatch::renderUpdateTexture;
  params.renderGetTextureSize = glbatch::renderGetTextureSize;
  params.renderViewport = glbatch::renderViewport;
  params.renderCancel = glbatch::renderCancel;
  params.renderFlush = glbatch::renderFlush;
  params.renderFill = glbatch::renderFill;
  params.renderStroke = glbatch::renderStroke;
  params.renderTriangles = glbatch::renderTriangles;
  params.renderDelete = glbatch::renderDelete;
  params.userPtr = backend;
  params.edgeAntiAlias = backend->antialias ? 1 : 0;
  // When creation fails after NanoVG made its context, NanoVG calls
  // renderDelete, which frees the back end.
  return nvgCreateInternal(&params, nullptr);
}

void DeleteBatchedNanoVG(NVGcontext* context) {
  if (context) nvgDeleteInternal(context);
}

bool SetBatchedStrokeCopies(NVGcontext* context, int from, int to) {
  if (!context) return false;
  const NVGparams* params = nvgInternalParams(context);
  if (params->renderFlush != glbatch::renderFlush) return false;
  auto* backend = static_cast<glbatch::Backend*>(params->userPtr);
  backend->copiesFrom = from;
  backend->copiesTo = to;
  return true;
}

BatchFrameStats LastBatchFrameStats(NVGcontext* context) {
  if (!context) return {};
  const NVGparams* params = nvgInternalParams(context);
  if (params->renderFlush != glbatch::renderFlush) return {};
  return static_cast<const glbatch::Backend*>(params->userPtr)->lastFrame;
}

} // namespace iplug::igraphics
