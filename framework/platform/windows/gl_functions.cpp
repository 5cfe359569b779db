// The OpenGL functions beyond 1.1 on Windows: pointers loaded from the
// current context with wglGetProcAddress. They are the same for every
// context of one pixel format on one adapter, which is all the editor uses.
#include <windows.h>

#include "framework/graphics/gl_api.h"

#define IPLUG_GL_DEFINE_POINTER(type, name) type name = nullptr;
extern "C" {
IPLUG_GL_LOADED_FUNCTIONS(IPLUG_GL_DEFINE_POINTER)
}
#undef IPLUG_GL_DEFINE_POINTER

namespace iplug::igraphics {
namespace {

// wglGetProcAddress answers some failures with small numbers, not null.
PROC Lookup(const char* name) {
  PROC proc = wglGetProcAddress(name);
  const auto value = reinterpret_cast<INT_PTR>(proc);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return nullptr;
  return proc;
}

} // namespace

bool LoadGLFunctions() {
  bool complete = true;
#define IPLUG_GL_LOAD_POINTER(type, name)                    \
  name = reinterpret_cast<type>(reinterpret_cast<void (*)()>(Lookup(#name))); \
  complete = complete && name != nullptr;
  IPLUG_GL_LOADED_FUNCTIONS(IPLUG_GL_LOAD_POINTER)
#undef IPLUG_GL_LOAD_POINTER
  return complete;
}

} // namespace iplug::igraphics
