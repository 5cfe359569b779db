// The SVG subset: documents parsed into shapes (path commands, shapes,
// transforms, fills), malformed input rejected without crashing, and
// documents drawn scaled into a rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "framework/graphics/offscreen_editor.h"
#include "framework/graphics/svg_document.h"
#include "tests/support/test_delegate.h"

namespace {

using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::Image;
using iplug::igraphics::IRECT;
using iplug::igraphics::ISVG;
using iplug::igraphics::OffscreenEditor;
using iplug::igraphics::ParseSvg;
using iplug::igraphics::SvgDocument;
using iplug::igraphics::SvgSubpath;
using testsupport::RecordingControl;
using testsupport::TestDelegate;

SvgDocument Parse(const std::string& text, bool* ok = nullptr, const char* units = "px", float dpi = 72.f) {
  SvgDocument doc;
  const bool parsed = ParseSvg(text.data(), text.size(), units, dpi, &doc, nullptr);
  if (ok) *ok = parsed;
  else EXPECT_TRUE(parsed) << text;
  return doc;
}

bool Parses(const std::string& text) {
  bool ok = false;
  Parse(text, &ok);
  return ok;
}

std::string Doc(const std::string& body, const char* viewBox = "0 0 100 100") {
  return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"") + viewBox + "\">" + body + "</svg>";
}

// The end point of cubic segment `i` (0-based) of a sub-path.
void SegmentEnd(const SvgSubpath& p, int i, float& x, float& y) {
  x = p.points[2 + 6 * i + 4];
  y = p.points[2 + 6 * i + 5];
}

TEST(SvgParser, ReadsTheViewBoxAndTheDocumentSize) {
  const SvgDocument doc = Parse("<svg viewBox=\"0 0 437.06 152.31\"><path d=\"M0 0h1v1z\"/></svg>");
  EXPECT_FLOAT_EQ(doc.viewW, 437.06f);
  EXPECT_FLOAT_EQ(doc.viewH, 152.31f);
  EXPECT_FLOAT_EQ(doc.width, 437.06f) << "no width attribute: the view box size";
  EXPECT_FLOAT_EQ(doc.height, 152.31f);
}

TEST(SvgParser, ConvertsWidthAndHeightUnitsAtTheGivenDpi) {
  const std::string text = "<svg width=\"2in\" height=\"36pt\"><rect width=\"1\" height=\"1\"/></svg>";
  const SvgDocument px = Parse(text);
  EXPECT_FLOAT_EQ(px.width, 144.f) << "2 inches at 72 dpi";
  EXPECT_FLOAT_EQ(px.height, 36.f) << "36 points at 72 dpi";
  EXPECT_FLOAT_EQ(px.viewW, 144.f) << "no view box: the document size";
  const SvgDocument hiDpi = Parse(text, nullptr, "px", 96.f);
  EXPECT_FLOAT_EQ(hiDpi.width, 192.f);
  const SvgDocument mm = Parse(text, nullptr, "mm", 72.f);
  EXPECT_NEAR(mm.width, 50.8f, 1e-4);
}

TEST(SvgParser, RelativeCommandsEqualTheirAbsoluteForms) {
  const SvgDocument rel = Parse(Doc("<path d=\"m 10 10 h 40 v 30 l -40 0 z m 5 5 H 20 V 20 L 15 20 Z\"/>"));
  const SvgDocument abs = Parse(Doc("<path d=\"M 10 10 H 50 V 40 L 10 40 Z M 15 15 H 20 V 20 L 15 20 Z\"/>"));
  ASSERT_EQ(rel.shapes.size(), 1u);
  ASSERT_EQ(rel.shapes[0].subpaths.size(), 2u);
  EXPECT_EQ(rel.shapes[0].subpaths[0].points, abs.shapes[0].subpaths[0].points);
  EXPECT_EQ(rel.shapes[0].subpaths[1].points, abs.shapes[0].subpaths[1].points)
      << "after z the current point is the sub-path's start, so m 5 5 is (15, 15)";
  EXPECT_TRUE(rel.shapes[0].subpaths[0].closed);
}

TEST(SvgParser, ImplicitRepeatsAndCompactNumbers) {
  // After M, further pairs are lines; "-5.5.5" is -5.5 then .5; 1e1 is 10.
  const SvgDocument doc = Parse(Doc("<path d=\"M0,0 10-5.5.5 1e1\"/>"));
  ASSERT_EQ(doc.shapes.size(), 1u);
  const SvgSubpath& p = doc.shapes[0].subpaths[0];
  ASSERT_EQ(p.points.size(), 2u + 12u);
  float x, y;
  SegmentEnd(p, 0, x, y);
  EXPECT_FLOAT_EQ(x, 10.f);
  EXPECT_FLOAT_EQ(y, -5.5f);
  SegmentEnd(p, 1, x, y);
  EXPECT_FLOAT_EQ(x, 0.5f);
  EXPECT_FLOAT_EQ(y, 10.f);
}

TEST(SvgParser, SmoothCubicReflectsThePreviousControlPoint) {
  const SvgDocument doc = Parse(Doc("<path d=\"M0 0 C 0 10 10 10 10 0 S 20 -10 20 0\"/>"));
  const SvgSubpath& p = doc.shapes[0].subpaths[0];
  ASSERT_EQ(p.points.size(), 2u + 12u);
  EXPECT_FLOAT_EQ(p.points[8], 10.f) << "first control of S: (10,0) + ((10,0) - (10,10))";
  EXPECT_FLOAT_EQ(p.points[9], -10.f);
  EXPECT_FLOAT_EQ(p.points[10], 20.f);
  EXPECT_FLOAT_EQ(p.points[11], -10.f);
}

TEST(SvgParser, QuadraticsBecomeEquivalentCubics) {
  // Q (5,10) from (0,0) to (10,0): cubic controls at 2/3 of the way to the
  // quadratic control. T reflects it to (15,-10).
  const SvgDocument doc = Parse(Doc("<path d=\"M0 0 Q 5 10 10 0 T 20 0\"/>"));
  const std::vector<float>& p = doc.shapes[0].subpaths[0].points;
  ASSERT_EQ(p.size(), 2u + 12u);
  EXPECT_NEAR(p[2], 10.f / 3.f, 1e-5);
  EXPECT_NEAR(p[3], 20.f / 3.f, 1e-5);
  EXPECT_NEAR(p[4], 10.f - 10.f / 3.f, 1e-5);
  EXPECT_NEAR(p[5], 20.f / 3.f, 1e-5);
  EXPECT_NEAR(p[8], 10.f + 10.f / 3.f, 1e-5);
  EXPECT_NEAR(p[9], -20.f / 3.f, 1e-5);
}

TEST(SvgParser, ArcsFollowTheirEllipse) {
  // Half circle of radius 5 around (5,5), from (0,5) over the top to (10,5).
  const SvgDocument doc = Parse(Doc("<path d=\"M 0 5 A 5 5 0 0 1 10 5\"/>"));
  const SvgSubpath& p = doc.shapes[0].subpaths[0];
  const std::size_t segments = (p.points.size() - 2) / 6;
  ASSERT_EQ(segments, 2u) << "at most 90 degrees per cubic";
  float x, y;
  SegmentEnd(p, 0, x, y);
  EXPECT_NEAR(x, 5.f, 1e-4) << "the sweep flag goes clockwise (y down): over the top";
  EXPECT_NEAR(y, 0.f, 1e-4);
  SegmentEnd(p, 1, x, y);
  EXPECT_FLOAT_EQ(x, 10.f);
  EXPECT_FLOAT_EQ(y, 5.f);
  // The cubic's midpoint stays on the circle.
  const float* s = &p.points[0];
  const float mx = 0.125f * s[0] + 0.375f * s[2] + 0.375f * s[4] + 0.125f * s[6];
  const float my = 0.125f * s[1] + 0.375f * s[3] + 0.375f * s[5] + 0.125f * s[7];
  EXPECT_NEAR(std::hypot(mx - 5.f, my - 5.f), 5.f, 0.01f);
}

TEST(SvgParser, ArcFlagsMayBeWrittenWithoutSeparators) {
  const SvgDocument doc = Parse(Doc("<path d=\"M0 5a5 5 0 105 5\"/>"));
  ASSERT_EQ(doc.shapes.size(), 1u);
  const SvgSubpath& p = doc.shapes[0].subpaths[0];
  float x, y;
  SegmentEnd(p, static_cast<int>((p.points.size() - 2) / 6) - 1, x, y);
  EXPECT_FLOAT_EQ(x, 5.f);
  EXPECT_FLOAT_EQ(y, 10.f);
  EXPECT_EQ((p.points.size() - 2) / 6, 3u) << "large arc: 270 degrees in three cubics";
}

TEST(SvgParser, RadiiTooSmallForTheEndpointsGrow) {
  const SvgDocument doc = Parse(Doc("<path d=\"M 0 0 A 1 1 0 0 1 10 0\"/>"));
  const SvgSubpath& p = doc.shapes[0].subpaths[0];
  float x, y;
  SegmentEnd(p, 0, x, y);
  EXPECT_NEAR(x, 5.f, 1e-4) << "a half circle of radius 5";
  EXPECT_NEAR(std::fabs(y), 5.f, 1e-4);
}

TEST(SvgParser, ShapesElementsBecomeClosedPaths) {
  const SvgDocument doc = Parse(Doc("<rect x=\"10\" y=\"20\" width=\"30\" height=\"40\"/>"
                                    "<circle cx=\"50\" cy=\"50\" r=\"10\"/>"
                                    "<ellipse cx=\"50\" cy=\"50\" rx=\"10\" ry=\"5\"/>"
                                    "<polygon points=\"0,0 10,0 5,8\"/>"
                                    "<rect width=\"0\" height=\"5\"/>"));
  ASSERT_EQ(doc.shapes.size(), 4u) << "a zero-width rect draws nothing";
  const std::vector<float>& rect = doc.shapes[0].subpaths[0].points;
  EXPECT_FLOAT_EQ(rect[0], 10.f);
  EXPECT_FLOAT_EQ(rect[1], 20.f);
  for (const auto& shape : doc.shapes) EXPECT_TRUE(shape.subpaths[0].closed);
  const std::vector<float>& circle = doc.shapes[1].subpaths[0].points;
  EXPECT_EQ((circle.size() - 2) / 6, 4u) << "four quarter arcs";
  EXPECT_FLOAT_EQ(circle[0], 60.f);
}

TEST(SvgParser, TransformsApplyToTheElementAndItsChildren) {
  const SvgDocument doc = Parse(Doc("<g transform=\"translate(10 20) scale(2)\"><rect width=\"1\" height=\"1\"/>"
                                    "<rect transform=\"rotate(90)\" width=\"1\" height=\"1\"/></g>"));
  ASSERT_EQ(doc.shapes.size(), 2u);
  float x, y;
  const std::vector<float>& a = doc.shapes[0].subpaths[0].points;
  EXPECT_FLOAT_EQ(a[0], 10.f);
  EXPECT_FLOAT_EQ(a[1], 20.f);
  SegmentEnd(doc.shapes[0].subpaths[0], 0, x, y);
  EXPECT_FLOAT_EQ(x, 12.f);
  EXPECT_FLOAT_EQ(y, 20.f);
  SegmentEnd(doc.shapes[1].subpaths[0], 0, x, y);
  EXPECT_NEAR(x, 10.f, 1e-5) << "(1,0) rotated by 90 degrees is (0,1), then scaled and moved";
  EXPECT_NEAR(y, 22.f, 1e-5);
}

TEST(SvgParser, FillsAreInheritedAndCombinedWithOpacity) {
  const SvgDocument doc = Parse(Doc("<g fill=\"#00ff00\" opacity=\"0.5\"><path d=\"M0 0h1v1z\"/>"
                                    "<path style=\"fill:#f00; fill-opacity:0.5\" d=\"M0 0h1v1z\"/>"
                                    "<path fill=\"none\" d=\"M0 0h1v1z\"/></g>"
                                    "<path fill=\"rgb(10, 20, 30)\" d=\"M0 0h1v1z\"/>"
                                    "<path fill=\"navy\" d=\"M0 0h1v1z\"/>"
                                    "<path d=\"M0 0h1v1z\"/>"));
  ASSERT_EQ(doc.shapes.size(), 5u) << "fill=none draws nothing";
  EXPECT_EQ(doc.shapes[0].fill, IColor(128, 0, 255, 0));
  EXPECT_EQ(doc.shapes[1].fill, IColor(64, 255, 0, 0));
  EXPECT_EQ(doc.shapes[2].fill, IColor(255, 10, 20, 30));
  EXPECT_EQ(doc.shapes[3].fill, IColor(255, 0, 0, 128));
  EXPECT_EQ(doc.shapes[4].fill, IColor(255, 0, 0, 0)) << "black by default";
}

TEST(SvgParser, DefinitionsAreNotDrawn) {
  const SvgDocument doc = Parse("<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY x \"y\">]><!-- a comment -->"
                                + Doc("<defs><rect width=\"5\" height=\"5\"/></defs><title>t</title>"
                                      "<path d=\"M0 0h1v1z\"/>"));
  EXPECT_EQ(doc.shapes.size(), 1u);
}

TEST(SvgParser, HolesFollowTheFillRule) {
  // Outer square clockwise; inner square clockwise too.
  const std::string squares = "M0 0H10V10H0Z M3 3H7V7H3Z";
  const SvgDocument nonZero = Parse(Doc("<path d=\"" + squares + "\"/>"));
  EXPECT_FALSE(nonZero.shapes[0].subpaths[1].hole) << "same winding under non-zero: filled";
  const SvgDocument evenOdd = Parse(Doc("<path fill-rule=\"evenodd\" d=\"" + squares + "\"/>"));
  EXPECT_TRUE(evenOdd.shapes[0].subpaths[1].hole) << "even-odd: inside one other sub-path";
  const SvgDocument reversed = Parse(Doc("<path d=\"M0 0H10V10H0Z M3 3V7H7V3Z\"/>"));
  EXPECT_TRUE(reversed.shapes[0].subpaths[1].hole) << "opposite winding under non-zero: a hole";
  EXPECT_FALSE(reversed.shapes[0].subpaths[0].hole);
}

TEST(SvgParser, MalformedDocumentsAreRejected) {
  const char* bad[] = {
      "",
      "not xml at all",
      "<svg",
      "<svg viewBox=\"0 0 10 10\">",                                  // unclosed
      "<svg viewBox=\"0 0 10 10\"></g>",                              // mismatched end tag
      "<rect width=\"1\" height=\"1\"/>",                             // no svg root
      "<svg><path d=\"M0 0h1z\"/></svg>",                             // no view box and no size
      "<svg viewBox=\"0 0 0 10\"/>",                                  // empty view box
      "<svg viewBox=\"0 0 10\"/>",                                    // short view box
      "<svg viewBox=\"0 0 10 10\"><path d=\"M 0 0 L\"/></svg>",       // missing numbers
      "<svg viewBox=\"0 0 10 10\"><path d=\"L 1 1\"/></svg>",         // no initial M
      "<svg viewBox=\"0 0 10 10\"><path d=\"M 0 0 X 1 1\"/></svg>",   // unknown command
      "<svg viewBox=\"0 0 10 10\"><path d=\"M 0 0 A 1 1 0 2 1 5 5\"/></svg>",   // bad arc flag
      "<svg viewBox=\"0 0 10 10\"><path d=\"M 0 0 1e999 0\"/></svg>", // overflow
      "<svg viewBox=\"0 0 10 10\"><polygon points=\"0 0 1\"/></svg>", // odd coordinates
      "<svg viewBox=\"0 0 10 10\"><path d='M0 0/></svg>",             // unterminated attribute
      "<svg viewBox=\"0 0 10 10\"><path d=M0/></svg>",                // unquoted attribute
      "<svg viewBox=\"0 0 10 10\"><g transform=\"skew(3)\"/></svg>",  // unknown transform
      "<svg viewBox=\"0 0 10 10\"/><svg viewBox=\"0 0 10 10\"/>",     // two roots
      "<!-- open comment <svg viewBox=\"0 0 10 10\"/>",
  };
  for (const char* text : bad) EXPECT_FALSE(Parses(text)) << text;
}

TEST(SvgParser, DeepNestingIsRejectedNotRecursed) {
  std::string text = "<svg viewBox=\"0 0 10 10\">";
  for (int i = 0; i < 10000; ++i) text += "<g>";
  for (int i = 0; i < 10000; ++i) text += "</g>";
  text += "</svg>";
  EXPECT_FALSE(Parses(text));
}

TEST(SvgParser, EveryTruncationOfAValidDocumentIsHandled) {
  const std::string full = Doc("<g fill=\"#9d9d9c\" transform=\"matrix(1 0 0 1 2 3)\"><path d=\"M0 0C1 2 3 4 5 6"
                               "S7 8 9 10Q11 12 13 14T15 16A5 5 0 1 0 20 20Z\"/><circle cx=\"5\" cy=\"5\" r=\"2\"/></g>");
  ASSERT_TRUE(Parses(full));
  for (std::size_t n = 0; n < full.size(); ++n) EXPECT_FALSE(Parses(full.substr(0, n))) << n;
}

TEST(SvgParser, RandomBytesNeverCrash) {
  std::mt19937 rng(1234);
  const std::string alphabet = "<>/=\"' svgpathdMLHVCSQTAZmlhvcsqtaz0123456789.-e,#()";
  for (int i = 0; i < 2000; ++i) {
    std::string text = i % 2 ? "<svg viewBox=\"0 0 10 10\"><path d=\"" : "";
    const int length = static_cast<int>(rng() % 200);
    for (int k = 0; k < length; ++k) text += alphabet[rng() % alphabet.size()];
    Parses(text);                              // any result, but no crash or hang
  }
  SUCCEED();
}

// Drawing: a document with a red left half, scaled into a 100 x 100 rectangle.
class SvgDrawing : public ::testing::Test {
protected:
  Image Draw(const std::string& text, const IRECT& dest) {
    delegate.onLayout = [&](IGraphics& g, bool first) {
      if (!first) return;
      svg = g.LoadSVG("test.svg", text.data(), text.size());
      g.AttachControl(new RecordingControl(IRECT(0, 0, 400, 300), [this, dest](IGraphics& gr, RecordingControl&) { gr.DrawSVG(svg, dest); }));
    };
    std::string error;
    editor = OffscreenEditor::Open(delegate, &error);
    EXPECT_TRUE(editor) << error;
    if (!editor) return {};
    editor->DrawFrame();
    return editor->ReadPixels();
  }
  TestDelegate delegate;
  std::unique_ptr<OffscreenEditor> editor;
  ISVG svg;
};

TEST_F(SvgDrawing, DocumentIsScaledToFillTheDestination) {
  const Image image = Draw(Doc("<rect width=\"5\" height=\"10\" fill=\"#ff0000\"/>", "0 0 10 10"), IRECT(20, 30, 120, 130));
  ASSERT_TRUE(svg.IsValid());
  EXPECT_FLOAT_EQ(svg.Width(), 10.f);
  EXPECT_EQ(image.Pixel(45, 80), 0xFF0000FFu) << "left half";
  EXPECT_EQ(image.Pixel(95, 80), 0u) << "right half is empty";
  EXPECT_EQ(image.Pixel(45, 29), 0u) << "above the destination";
  EXPECT_EQ(image.Pixel(69, 129), 0xFF0000FFu) << "the half ends at x = 70";
  EXPECT_EQ(image.Pixel(70, 100), 0u);
}

TEST_F(SvgDrawing, ViewBoxOriginIsHonoured) {
  const Image image = Draw(Doc("<rect x=\"100\" y=\"100\" width=\"5\" height=\"10\" fill=\"#0000ff\"/>", "100 100 10 10"),
                           IRECT(0, 0, 100, 100));
  EXPECT_EQ(image.Pixel(25, 50), 0x0000FFFFu);
}

TEST_F(SvgDrawing, EvenOddHoleStaysEmpty) {
  const Image image = Draw(Doc("<path fill-rule=\"evenodd\" fill=\"#ffffff\" d=\"M0 0H10V10H0Z M3 3H7V7H3Z\"/>", "0 0 10 10"),
                           IRECT(0, 0, 100, 100));
  EXPECT_EQ(image.Pixel(10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(image.Pixel(50, 50), 0u);
}

TEST_F(SvgDrawing, InvalidDocumentDrawsNothing) {
  const Image image = Draw("<svg", IRECT(0, 0, 100, 100));
  EXPECT_FALSE(svg.IsValid());
  EXPECT_EQ(svg.Width(), 0.f);
  EXPECT_EQ(image.Pixel(50, 50), 0u);
}

} // namespace
