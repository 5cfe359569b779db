// Font lookup on Linux through fontconfig. Fontconfig always answers with
// some font, so the family and style it returns are checked.
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include "framework/graphics/system_fonts.h"

namespace iplug::igraphics {
namespace {

bool FamilyMatches(FcPattern* match, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (strcasecmp(reinterpret_cast<const char*>(name), family) == 0) return true;
  return false;
}

bool StyleMatches(FcPattern* match, ETextStyle style) {
  int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match, FC_SLANT, 0, &slant);
  switch (style) {
    case ETextStyle::Bold: return weight >= FC_WEIGHT_DEMIBOLD && slant == FC_SLANT_ROMAN;
    case ETextStyle::Italic: return weight < FC_WEIGHT_DEMIBOLD && slant != FC_SLANT_ROMAN;
    case ETextStyle::Normal: break;
  }
  return weight < FC_WEIGHT_DEMIBOLD && slant == FC_SLANT_ROMAN;
}

} // namespace

// The file and face fontconfig picks for family/style, if it is of that family and style.
bool FindSystemFont(const char* family, ETextStyle style, SystemFont* font) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, style == ETextStyle::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, style == ETextStyle::Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  bool found = false;
  FcChar8* path = nullptr;
  if (result == FcResultMatch && FamilyMatches(match, family) && StyleMatches(match, style) &&
      FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    font->file = reinterpret_cast<const char*>(path);
    font->faceIndex = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &font->faceIndex);
    found = true;
  }
  FcPatternDestroy(match);
  return found;
}

} // namespace iplug::igraphics
