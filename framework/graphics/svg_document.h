#pragma once
// A parsed SVG document: filled shapes made of cubic Bézier sub-paths in the
// document's user space, with the view box that maps onto a destination
// rectangle. The parser reads a small subset: <svg> with viewBox (or width and
// height), <g>, <path>, <rect>, <circle>, <ellipse>, <polygon>, <polyline>;
// fill, fill-opacity, opacity and fill-rule as attributes or in style="";
// transform lists; path commands M L H V C S Q T A Z, absolute and relative.
// Strokes, gradients, text, <use> and CSS style sheets are not read; <defs>
// and similar containers are skipped. Malformed input yields no document.
// Internal to the graphics layer; any thread (pure functions).
#include <cstddef>
#include <string>
#include <vector>

#include "framework/graphics/types.h"

namespace iplug::igraphics {

// A 2-D affine transform: x' = a x + c y + e, y' = b x + d y + f.
struct SvgTransform {
  float a = 1.f, b = 0.f, c = 0.f, d = 1.f, e = 0.f, f = 0.f;
  void Apply(float& x, float& y) const {
    const float nx = a * x + c * y + e;
    y = b * x + d * y + f;
    x = nx;
  }
  // this * other: `other` applies first.
  SvgTransform Then(const SvgTransform& other) const;
};

// One sub-path: a start point, then cubic segments (c1, c2, end) as 6 floats each.
struct SvgSubpath {
  std::vector<float> points;                   // x0 y0 (c1x c1y c2x c2y x y)*
  bool closed = false;
  bool hole = false;                           // to be filled with the opposite winding of the solid parts
};

struct SvgShape {
  IColor fill;                                 // straight alpha, opacities applied
  bool evenOdd = false;
  std::vector<SvgSubpath> subpaths;
};

struct SvgDocument {
  float viewX = 0.f, viewY = 0.f, viewW = 0.f, viewH = 0.f;   // the view box, user units
  float width = 0.f, height = 0.f;                            // document size in the asked units
  std::vector<SvgShape> shapes;
};

// Parses `size` bytes of SVG text. `units` ("px", "pt", "pc", "mm", "cm",
// "in") and `dpi` convert the document's width and height. False and
// *error on malformed input.
bool ParseSvg(const char* data, std::size_t size, const char* units, float dpi, SvgDocument* out, std::string* error);

// Appends the sub-paths of SVG path data `d` (transformed by `m`) to `shape`;
// false on malformed data.
bool ParseSvgPathData(const char* d, std::size_t size, const SvgTransform& m, SvgShape* shape);

// Basic shapes appended to `shape` as closed sub-paths, transformed by `m`.
void AppendSvgRect(float x, float y, float w, float h, float rx, float ry, const SvgTransform& m, SvgShape* shape);
void AppendSvgEllipse(float cx, float cy, float rx, float ry, const SvgTransform& m, SvgShape* shape);
// `points`: x y pairs; fewer than two points append nothing.
void AppendSvgPolygon(const std::vector<float>& points, const SvgTransform& m, SvgShape* shape);

// Parses an SVG transform list ("translate(10 5) scale(2)"); false on malformed input.
bool ParseSvgTransform(const char* text, std::size_t size, SvgTransform* out);

// Marks every sub-path of `shape` that is a hole under its fill rule.
void ClassifySvgHoles(SvgShape* shape);

} // namespace iplug::igraphics
