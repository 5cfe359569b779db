#pragma once
// The platform's font lookup: the installed font of `family` in `style`,
// either as a file to read (Linux: fontconfig's file) or as the font's bytes
// where the system hands out fonts rather than files (Windows: GDI's copy of
// the font file). Only a font of exactly that family (case-insensitive) and
// style counts; false when the system has none, and the caller then uses its
// embedded font. Implemented per platform. UI thread.
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/types.h"

namespace iplug::igraphics {

struct SystemFont {
  // The font file's bytes when the platform supplies them; null: read `file`.
  std::shared_ptr<const std::vector<unsigned char>> bytes;
  // The file to read (UTF-8 path), or with `bytes` a name for where they came
  // from (reported as the font's file, never read).
  std::string file;
  int faceIndex = 0;                           // the face inside a collection
};

bool FindSystemFont(const char* family, ETextStyle style, SystemFont* font);

} // namespace iplug::igraphics
