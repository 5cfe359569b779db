// Shader sources and linking for the batching back end. The coverage, paint
// and scissor maths are ported from NanoVG's nanovg_gl.h (zlib licence,
// Copyright (c) 2009-2013 Mikko Mononen).
#include "framework/graphics/gl_batch_programs.h"

namespace iplug::igraphics::glbatch {
namespace {

constexpr const char* kHeader = "#version 120\n";

constexpr const char* kVertexShader = R"(
uniform vec2 viewSize;
attribute vec2 vertex;
attribute vec4 coverage;
attribute vec4 colour;
varying vec2 fpos;
varying vec4 fcoverage;
varying vec4 fcolour;
void main(void) {
  fpos = vertex;
  fcoverage = coverage;
  fcolour = colour;
  gl_Position = vec4(2.0 * vertex.x / viewSize.x - 1.0, 1.0 - 2.0 * vertex.y / viewSize.y, 0.0, 1.0);
}
)";

// Coverage as NanoVG's shader computes it: across a stroke it runs from 0 at
// u = 0 and u = 1 to 1 in the middle with the slope strokeMult (fills have
// u = 0.5 inside and 0 or 1 on the outer edge of their fringe); along a
// stroke it fades out over its butt ends, where v (from the start) or vEnd
// (from the end) drops below 1.
constexpr const char* kCoverage = R"(
#ifdef EDGE_AA
float coverage(vec4 c, float strokeMult) {
  return min(1.0, (1.0 - abs(c.x * 2.0 - 1.0)) * strokeMult) * min(1.0, min(c.y, c.z));
}
#else
float coverage(vec4 c, float strokeMult) { return 1.0; }
#endif
)";

// Solid geometry: colour times coverage. Text (strokeMult 0): colour times
// the atlas at (u, v). A stacked stroke (strokeMult at or above kStackUnit,
// see gl_batch_geometry.h) is a segment repeated one pixel further down for
// each copy: copy k's coverage comes from the first copy's coordinates moved
// by k rows (editor y runs against window y, so k rows down add k * dFdy),
// clamped to 0 outside that copy, and the copies are composed in order as
// premultiplied source-over, so that one blend gives what blending one copy
// after another gives.
constexpr const char* kVertexColourFragment = R"(
uniform sampler2D tex;
uniform float texType;
varying vec4 fcoverage;
varying vec4 fcolour;
void main(void) {
  if (fcoverage.w <= 0.0) {
    vec4 t = texture2D(tex, fcoverage.xy);
    if (texType == 1.0) t = vec4(t.xyz * t.w, t.w);
    if (texType == 2.0) t = vec4(t.x);
    gl_FragColor = t * fcolour;
#ifdef EDGE_AA
  } else if (fcoverage.w >= 1024.0) {
    float copies = floor(fcoverage.w / 1024.0);
    float strokeMult = fcoverage.w - copies * 1024.0;
    vec3 rowStep = dFdy(fcoverage.xyz);
    vec4 result = vec4(0.0);
    for (float k = 0.0; k < copies; k += 1.0) {
      vec3 c = fcoverage.xyz + k * rowStep;
      float across = clamp((1.0 - abs(c.x * 2.0 - 1.0)) * strokeMult, 0.0, 1.0);
      float along = clamp(min(c.y, c.z), 0.0, 1.0);
      float a = across * along;
      result = fcolour * a + result * (1.0 - fcolour.a * a);
    }
    gl_FragColor = result;
#endif
  } else {
    gl_FragColor = fcolour * coverage(fcoverage, fcoverage.w);
  }
}
)";

constexpr const char* kPaintFragment = R"(
uniform vec4 frag[11];
uniform sampler2D tex;
varying vec2 fpos;
varying vec4 fcoverage;
#define scissorMat mat3(frag[0].xyz, frag[1].xyz, frag[2].xyz)
#define paintMat mat3(frag[3].xyz, frag[4].xyz, frag[5].xyz)
#define innerCol frag[6]
#define outerCol frag[7]
#define scissorExt frag[8].xy
#define scissorScale frag[8].zw
#define extent frag[9].xy
#define radius frag[9].z
#define feather frag[9].w
#define strokeMult frag[10].x
#define texType int(frag[10].z)
#define type int(frag[10].w)

float sdroundrect(vec2 pt, vec2 ext, float rad) {
  vec2 ext2 = ext - vec2(rad, rad);
  vec2 d = abs(pt) - ext2;
  return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - rad;
}

float scissorMask(vec2 p) {
  vec2 sc = (abs((scissorMat * vec3(p, 1.0)).xy) - scissorExt);
  sc = vec2(0.5, 0.5) - sc * scissorScale;
  return clamp(sc.x, 0.0, 1.0) * clamp(sc.y, 0.0, 1.0);
}

void main(void) {
  vec4 result;
  float scissor = scissorMask(fpos);
  float strokeAlpha = coverage(fcoverage, strokeMult);
  if (type == 0) {
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy;
    float d = clamp((sdroundrect(pt, extent, radius) + feather * 0.5) / feather, 0.0, 1.0);
    vec4 color = mix(innerCol, outerCol, d);
    color *= strokeAlpha * scissor;
    result = color;
  } else if (type == 1) {
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy / extent;
    vec4 color = texture2D(tex, pt);
    if (texType == 1) color = vec4(color.xyz * color.w, color.w);
    if (texType == 2) color = vec4(color.x);
    color *= innerCol;
    color *= strokeAlpha * scissor;
    result = color;
  } else {
    vec4 color = texture2D(tex, fcoverage.xy);
    if (texType == 1) color = vec4(color.xyz * color.w, color.w);
    if (texType == 2) color = vec4(color.x);
    color *= scissor;
    result = color * innerCol;
  }
  gl_FragColor = result;
}
)";

// Compiles the header, options and source; fragment shaders get the coverage function too.
GLuint compile(GLenum kind, const char* options, const char* source) {
  const GLuint shader = glCreateShader(kind);
  const char* parts[4] = {kHeader, options, kind == GL_FRAGMENT_SHADER ? kCoverage : "", source};
  glShaderSource(shader, 4, parts, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint link(bool antialias, const char* fragmentSource) {
  const char* options = antialias ? "#define EDGE_AA 1\n" : "";
  const GLuint vertex = compile(GL_VERTEX_SHADER, options, kVertexShader);
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, options, fragmentSource);
  GLuint program = 0;
  if (vertex && fragment) {
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindAttribLocation(program, kAttrPosition, "vertex");
    glBindAttribLocation(program, kAttrCoverage, "coverage");
    glBindAttribLocation(program, kAttrColour, "colour");
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  // The program keeps its shaders alive while it exists.
  if (vertex) glDeleteShader(vertex);
  if (fragment) glDeleteShader(fragment);
  return program;
}

} // namespace

bool CreatePrograms(bool antialias, VertexColourProgram* colour, PaintProgram* paint) {
  colour->program = link(antialias, kVertexColourFragment);
  paint->program = link(antialias, kPaintFragment);
  if (!colour->program || !paint->program) {
    DeletePrograms(colour, paint);
    return false;
  }
  colour->viewSize = glGetUniformLocation(colour->program, "viewSize");
  colour->tex = glGetUniformLocation(colour->program, "tex");
  colour->texType = glGetUniformLocation(colour->program, "texType");
  paint->viewSize = glGetUniformLocation(paint->program, "viewSize");
  paint->tex = glGetUniformLocation(paint->program, "tex");
  paint->frag = glGetUniformLocation(paint->program, "frag");
  return true;
}

void DeletePrograms(VertexColourProgram* colour, PaintProgram* paint) {
  if (colour->program) glDeleteProgram(colour->program);
  if (paint->program) glDeleteProgram(paint->program);
  *colour = VertexColourProgram();
  *paint = PaintProgram();
}

} // namespace iplug::igraphics::glbatch
