// Fonts and text: which file a family resolves to, the embedded fallback,
// text measurement and where text lands in its box.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/font_source.h"
#include "framework/graphics/offscreen_editor.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::ETextStyle;
using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IRECT;
using iplug::igraphics::IText;
using iplug::igraphics::OffscreenEditor;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

// Whether fontconfig has a real font of `family` (its best match is of that family).
bool SystemHasFamily(const char* family) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  bool found = false;
  FcChar8* name = nullptr;
  for (int i = 0; match && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    found = found || std::strcmp(reinterpret_cast<const char*>(name), family) == 0;
  if (match) FcPatternDestroy(match);
  return found;
}

class GraphicsText : public ::testing::Test {
protected:
  void SetUp() override {
    delegate.onLayout = [this](IGraphics& g, bool first) {
      if (!first) return;
      g.LoadFont("Arial", "Arial", ETextStyle::Normal);
      g.LoadFont("Arial-Bold", "Arial", ETextStyle::Bold);
      g.AttachControl(new RecordingControl(IRECT(0, 0, g.Width(), g.Height()), [this](IGraphics& gr, RecordingControl&) {
        if (draw) draw(gr);
      }));
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    ASSERT_TRUE(editor) << error;
  }

  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
  std::function<void(IGraphics&)> draw;
};

TEST_F(GraphicsText, ArialWithoutArialInstalledUsesTheEmbeddedFont) {
  if (SystemHasFamily("Arial")) GTEST_SKIP() << "Arial is installed here";
  ASSERT_NE(editor->Graphics().GetFontFile("Arial"), nullptr);
  EXPECT_STREQ(editor->Graphics().GetFontFile("Arial"), "");
  EXPECT_STREQ(editor->Graphics().GetFontFile("Arial-Bold"), "");
}

TEST_F(GraphicsText, AnInstalledFamilyIsReadFromItsFile) {
  if (!SystemHasFamily("Liberation Sans")) GTEST_SKIP() << "fonts-liberation2 is not installed";
  IGraphics& g = editor->Graphics();
  g.LoadFont("sys", "Liberation Sans", ETextStyle::Normal);
  g.LoadFont("sys-bold", "Liberation Sans", ETextStyle::Bold);
  EXPECT_NE(std::strstr(g.GetFontFile("sys"), "LiberationSans-Regular"), nullptr) << g.GetFontFile("sys");
  EXPECT_NE(std::strstr(g.GetFontFile("sys-bold"), "LiberationSans-Bold"), nullptr) << g.GetFontFile("sys-bold");
}

TEST_F(GraphicsText, UnknownFamilyFallsBackToTheEmbeddedFont) {
  IGraphics& g = editor->Graphics();
  EXPECT_TRUE(g.LoadFont("odd", "No Such Family Xq7", ETextStyle::Normal));
  EXPECT_STREQ(g.GetFontFile("odd"), "");
  EXPECT_EQ(g.GetFontFile("never-loaded"), nullptr);
}

// The embedded font is Liberation Sans itself: the same text measures the
// same through the embedded bytes and through the installed file.
TEST_F(GraphicsText, EmbeddedFontMeasuresLikeTheInstalledLiberationSans) {
  if (!SystemHasFamily("Liberation Sans")) GTEST_SKIP() << "fonts-liberation2 is not installed";
  IGraphics& g = editor->Graphics();
  g.LoadFont("embedded", "No Such Family Xq7", ETextStyle::Normal);
  g.LoadFont("sys", "Liberation Sans", ETextStyle::Normal);
  IText a{20.f, IColor(), "embedded"}, b{20.f, IColor(), "sys"};
  EXPECT_FLOAT_EQ(g.MeasureText(a, "Spectral 1.9 dB"), g.MeasureText(b, "Spectral 1.9 dB"));
}

// Arial's (and Liberation Sans's) advances per 2048 units: H 1479, e 1139,
// l 455, o 1139; bold: l 569, o 1251. NanoVG places glyphs on whole pixels,
// each advance rounded: "Hello" at an em of 20 px is 14 + 11 + 4 + 4 + 11 =
// 44 px regular and 14 + 11 + 6 + 6 + 12 = 49 px bold; at 40 px regular
// 29 + 22 + 9 + 9 + 22 = 91 px.
TEST_F(GraphicsText, MeasurementFollowsTheFontsAdvanceWidthsAtTheEmSize) {
  IGraphics& g = editor->Graphics();
  EXPECT_EQ(g.MeasureText(IText{20.f, IColor(), "Arial"}, "Hello"), 44.f);
  EXPECT_EQ(g.MeasureText(IText{20.f, IColor(), "Arial-Bold"}, "Hello"), 49.f);
  EXPECT_EQ(g.MeasureText(IText{40.f, IColor(), "Arial"}, "Hello"), 91.f);
  EXPECT_EQ(g.MeasureText(IText{20.f, IColor(), "Arial"}, ""), 0.f);
}

TEST_F(GraphicsText, MeasurementIsTheSameEveryTimeAndInEveryEditor) {
  const IText text{11.18f, IColor(), "Arial"};
  const float first = editor->Graphics().MeasureText(text, "Drag or scroll  |  Shift = fine");
  editor->DrawFrame();
  EXPECT_EQ(editor->Graphics().MeasureText(text, "Drag or scroll  |  Shift = fine"), first);
  TestDelegate other;
  other.onLayout = [](IGraphics& g, bool) { g.LoadFont("Arial", "Arial", ETextStyle::Normal); };
  std::string error;
  auto second = OffscreenEditor::Open(other, &error);
  ASSERT_TRUE(second) << error;
  EXPECT_EQ(second->Graphics().MeasureText(text, "Drag or scroll  |  Shift = fine"), first);
}

// Left-aligned text starts at the box's left edge, and its line (ascender
// 1854 to descender -434 per 2048 units) is centred on the box, so the
// baseline lies (1854 - 434) / 2 / 2048 em below the box's centre and the
// capitals (cap height 0.688 em in Liberation Sans) stand on it.
TEST_F(GraphicsText, TextIsLeftAlignedAndVerticallyCentredInItsBox) {
  draw = [](IGraphics& g) { g.DrawText(IText{40.f, IColor(255, 255, 255, 255), "Arial"}, "HHH", IRECT(20, 40, 300, 140)); };
  editor->DrawFrame();
  const Image image = editor->ReadPixels();
  int left = image.width, top = image.height, bottom = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if ((image.Pixel(x, y) & 0xFF) > 128) {
        left = std::min(left, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(bottom, 0) << "no text drawn";
  EXPECT_NEAR(left, 20 + 0.08 * 40, 2.0) << "H's left side bearing is about 0.08 em";
  EXPECT_NEAR(bottom - top + 1, 0.688 * 40, 1.5) << "cap height at an em of 40 px";
  const double inkCentre = (top + bottom + 1) / 2.0;
  const double lineCentreToBaseline = (1854.0 - 434.0) / 2.0 / 2048.0 * 40;   // ascender + descender, halved
  const double baseline = 90 + lineCentreToBaseline;
  EXPECT_NEAR(inkCentre, baseline - 0.688 * 40 / 2, 1.5);
}

TEST_F(GraphicsText, BoldTextIsHeavierThanRegular) {
  auto inkOf = [&](const char* font) {
    draw = [font](IGraphics& g) { g.DrawText(IText{30.f, IColor(255, 255, 255, 255), font}, "Varnock", IRECT(0, 0, 300, 100)); };
    editor->DrawFrame();
    const Image image = editor->ReadPixels();
    long sum = 0;
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) sum += image.rgba[i];
    return sum;
  };
  const long regular = inkOf("Arial"), bold = inkOf("Arial-Bold");
  EXPECT_GT(regular, 0);
  EXPECT_GT(bold, regular * 5 / 4);
}

TEST(FontSource, LineHeightPerEmOfTheEmbeddedFont) {
  // Liberation Sans: hhea ascender 1854, descender -434, 2048 units per em.
  EXPECT_NEAR(iplug::igraphics::EmbeddedFontData(false).lineHeightPerEm, (1854.0 + 434.0) / 2048.0, 1e-6);
  EXPECT_NEAR(iplug::igraphics::EmbeddedFontData(true).lineHeightPerEm, (1854.0 + 434.0) / 2048.0, 1e-6);
  EXPECT_TRUE(iplug::igraphics::EmbeddedFontData(false).IsEmbedded());
}

TEST(FontSource, UnreadableFontDataGivesNoMetrics) {
  const std::vector<unsigned char> junk(200, 0x41);
  EXPECT_EQ(iplug::igraphics::ReadLineHeightPerEm(junk.data(), junk.size(), 0), 0.f);
  EXPECT_EQ(iplug::igraphics::ReadLineHeightPerEm(junk.data(), 5, 0), 0.f);
  EXPECT_EQ(iplug::igraphics::ReadLineHeightPerEm(nullptr, 0, 0), 0.f);
  // A real font cut short: its table directory points past the end.
  const auto font = iplug::igraphics::EmbeddedFontData(false);
  EXPECT_EQ(iplug::igraphics::ReadLineHeightPerEm(font.data, 300, 0), 0.f);
  EXPECT_EQ(iplug::igraphics::ReadLineHeightPerEm(font.data, font.size, 1), 0.f) << "not a collection";
}

} // namespace
