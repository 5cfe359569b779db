// The TrueType files' bytes are compiled in from sources the build generates
// (cmake/embed_file.cmake: iplug_font_sans_regular, iplug_font_sans_bold).
#include "framework/graphics/embedded_fonts.h"

extern "C" {
extern const unsigned char iplug_font_sans_regular[];
extern const unsigned long long iplug_font_sans_regular_size;
extern const unsigned char iplug_font_sans_bold[];
extern const unsigned long long iplug_font_sans_bold_size;
}

namespace iplug::igraphics {

EmbeddedFont EmbeddedSans(bool bold) {
  if (bold) return {iplug_font_sans_bold, static_cast<std::size_t>(iplug_font_sans_bold_size)};
  return {iplug_font_sans_regular, static_cast<std::size_t>(iplug_font_sans_regular_size)};
}

} // namespace iplug::igraphics
