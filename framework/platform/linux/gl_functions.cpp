// Linux links every OpenGL function directly: nothing to load.
#include "framework/graphics/gl_api.h"

namespace iplug::igraphics {

bool LoadGLFunctions() { return true; }

} // namespace iplug::igraphics
