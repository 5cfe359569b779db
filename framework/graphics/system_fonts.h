#pragma once
// The platform's font lookup: the file (UTF-8 path) and face index of the
// installed font of `family` in `style`. Only a font of exactly that family
// (case-insensitive) and style counts; false when the system has none, and
// the caller then uses its embedded font. Implemented per platform (Linux:
// fontconfig; Windows: the system's font folder). UI thread.
#include <string>

#include "framework/graphics/types.h"

namespace iplug::igraphics {

bool FindSystemFont(const char* family, ETextStyle style, std::string* file, int* faceIndex);

} // namespace iplug::igraphics
