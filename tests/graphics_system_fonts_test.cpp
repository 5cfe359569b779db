// The platform's font lookup as the graphics layer uses it (fontconfig's
// files on Linux, GDI's bytes on Windows): an installed family comes from the
// system in the asked style, matched ignoring case; anything the system does
// not have as that family falls back to the embedded Liberation Sans.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/graphics/embedded_fonts.h"
#include "framework/graphics/font_source.h"

namespace {

using iplug::igraphics::ETextStyle;
using iplug::igraphics::FontData;
using iplug::igraphics::ReadLineHeightPerEm;
using iplug::igraphics::ResolveFont;

TEST(GraphicsSystemFonts, AnInstalledFamilyComesFromTheSystemInEachStyle) {
  const FontData regular = ResolveFont("Liberation Sans", ETextStyle::Normal);
  const FontData bold = ResolveFont("liberation sans", ETextStyle::Bold);
  ASSERT_FALSE(regular.IsEmbedded()) << "the test machine has the Liberation fonts";
  ASSERT_FALSE(bold.IsEmbedded());
  for (const FontData* font : {&regular, &bold}) {
    ASSERT_NE(font->data, nullptr);
    EXPECT_GT(ReadLineHeightPerEm(font->data, font->size, font->faceIndex), 0.f);
    EXPECT_EQ(font->lineHeightPerEm, ReadLineHeightPerEm(font->data, font->size, font->faceIndex));
  }
  EXPECT_NE(regular.file, bold.file);
  EXPECT_TRUE(regular.size != bold.size || std::memcmp(regular.data, bold.data, regular.size) != 0)
      << "regular and bold are different faces";
}

TEST(GraphicsSystemFonts, AFamilyTheSystemLacksIsTheEmbeddedFont) {
  for (ETextStyle style : {ETextStyle::Normal, ETextStyle::Bold}) {
    const FontData font = ResolveFont("No Such Family 7Q", style);
    EXPECT_TRUE(font.IsEmbedded());
    const iplug::igraphics::EmbeddedFont embedded = iplug::igraphics::EmbeddedSans(style == ETextStyle::Bold);
    EXPECT_EQ(font.data, embedded.data);
  }
  EXPECT_TRUE(ResolveFont("", ETextStyle::Normal).IsEmbedded());
}

} // namespace
