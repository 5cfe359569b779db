#pragma once
// The OpenGL API the graphics back ends draw with: OpenGL 1.1 plus the 2.1
// functions they use (shaders, buffers, separate blending and stencil).
//
// On Linux the library exports every function, so they are linked directly.
// On Windows opengl32.dll exports OpenGL 1.1 only: every later function is a
// pointer of the same name, loaded from the current context by
// LoadGLFunctions() (the platform window calls it once its context is
// current), and windows.h is kept out of everyone who includes this.
#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// The functions beyond OpenGL 1.1: X(type of the pointer, name).
#define IPLUG_GL_LOADED_FUNCTIONS(X)                          \
  X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                  \
  X(PFNGLATTACHSHADERPROC, glAttachShader)                    \
  X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)        \
  X(PFNGLBINDBUFFERPROC, glBindBuffer)                        \
  X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)          \
  X(PFNGLBUFFERDATAPROC, glBufferData)                        \
  X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                  \
  X(PFNGLCOMPILESHADERPROC, glCompileShader)                  \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                  \
  X(PFNGLCREATESHADERPROC, glCreateShader)                    \
  X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                  \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                  \
  X(PFNGLDELETESHADERPROC, glDeleteShader)                    \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray) \
  X(PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements)          \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray) \
  X(PFNGLGENBUFFERSPROC, glGenBuffers)                        \
  X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)          \
  X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                    \
  X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)            \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv)                      \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)        \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram)                      \
  X(PFNGLSHADERSOURCEPROC, glShaderSource)                    \
  X(PFNGLSTENCILOPSEPARATEPROC, glStencilOpSeparate)          \
  X(PFNGLUNIFORM1FPROC, glUniform1f)                          \
  X(PFNGLUNIFORM1IPROC, glUniform1i)                          \
  X(PFNGLUNIFORM2FVPROC, glUniform2fv)                        \
  X(PFNGLUNIFORM4FVPROC, glUniform4fv)                        \
  X(PFNGLUSEPROGRAMPROC, glUseProgram)                        \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)

#define IPLUG_GL_DECLARE_POINTER(type, name) extern type name;
extern "C" {
IPLUG_GL_LOADED_FUNCTIONS(IPLUG_GL_DECLARE_POINTER)
}
#undef IPLUG_GL_DECLARE_POINTER
#else
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#endif

namespace iplug::igraphics {

// Makes every function above callable in the current GL context; false when
// the context lacks one (then nothing may be drawn with it). Always true on
// Linux.
bool LoadGLFunctions();

} // namespace iplug::igraphics
