#pragma once
// Finding a font for a family and style on the system (system_fonts.h: a
// file, or the bytes the system hands out), with the embedded Liberation
// Sans as the fallback: only a font of the asked family (and, for bold, a
// bold weight) is taken from the system; anything else falls back to the
// embedded font, which keeps text identical on every machine that lacks the
// family. UI thread.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/types.h"

namespace iplug::igraphics {

// The bytes of one TrueType face and what drawing needs to know about it.
struct FontData {
  std::shared_ptr<const std::vector<unsigned char>> fileBytes;  // the system font's bytes; null when embedded
  const unsigned char* data = nullptr;         // the font file's bytes (file or embedded)
  std::size_t size = 0;
  int faceIndex = 0;                           // face inside a collection file
  std::string file;                            // the system font used (SystemFont::file); empty for the embedded font
  // NanoVG sizes a font by its line height (ascender - descender); an em size
  // times this factor gives that height.
  float lineHeightPerEm = 1.f;

  bool IsEmbedded() const { return file.empty(); }
};

// The embedded Liberation Sans (bold or regular).
FontData EmbeddedFontData(bool bold);

// The system font of `family` in `style` if the system has it, else the
// embedded font (bold for Bold, regular otherwise).
FontData ResolveFont(const char* family, ETextStyle style);

// The line height per em of the TrueType face `faceIndex` in `data`
// ((hhea ascender - hhea descender) / head unitsPerEm); 0 when the data is not
// a readable TrueType/OpenType font.
float ReadLineHeightPerEm(const unsigned char* data, std::size_t size, int faceIndex);

} // namespace iplug::igraphics
