// NanoVG and its stock OpenGL 2 back end, compiled once for the graphics
// layer. IGraphics draws through our batching back end (gl_batch_backend.h);
// the stock one is its reference renderer (IGraphics::ERenderer::Reference).
// nanovg.c is built as C++ (the Debian copy does not compile as C); GL
// entry points up to 2.0 come straight from libOpenGL.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "nanovg.c"

#define NANOVG_GL2_IMPLEMENTATION 1
#include "nanovg_gl.h"
