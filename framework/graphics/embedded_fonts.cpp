// The TrueType files are assembled into read-only data with .incbin; the build
// passes their paths as IPLUG_FONT_REGULAR_FILE and IPLUG_FONT_BOLD_FILE.
#include "framework/graphics/embedded_fonts.h"

#define IPLUG_INCBIN(symbol, file)                 \
  asm(".pushsection .rodata\n"                     \
      ".balign 16\n"                               \
      ".hidden " #symbol "\n"                      \
      ".hidden " #symbol "_end\n"                  \
      #symbol ":\n"                                \
      ".incbin \"" file "\"\n"                     \
      #symbol "_end:\n"                            \
      ".byte 0\n"                                  \
      ".popsection\n")

IPLUG_INCBIN(iplug_font_sans_regular, IPLUG_FONT_REGULAR_FILE);
IPLUG_INCBIN(iplug_font_sans_bold, IPLUG_FONT_BOLD_FILE);

extern "C" {
extern const unsigned char iplug_font_sans_regular[];
extern const unsigned char iplug_font_sans_regular_end[];
extern const unsigned char iplug_font_sans_bold[];
extern const unsigned char iplug_font_sans_bold_end[];
}

namespace iplug::igraphics {

EmbeddedFont EmbeddedSans(bool bold) {
  if (bold)
    return {iplug_font_sans_bold, static_cast<std::size_t>(iplug_font_sans_bold_end - iplug_font_sans_bold)};
  return {iplug_font_sans_regular, static_cast<std::size_t>(iplug_font_sans_regular_end - iplug_font_sans_regular)};
}

} // namespace iplug::igraphics
