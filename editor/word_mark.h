#pragma once
// The header's word-mark: nine filled polygons in a 380 x 69.96 design box
// (y down) — a green "V" emblem at the left end (x 0..81) followed by the
// letters "arnock" (x 88..380), two of them with inner counters that are
// painted over in the header colour in a second pass. The point lists are
// decimal texts, parsed once when the view is constructed.
#include <vector>

namespace varnock {

constexpr double kWordMarkWidth = 380.0;
constexpr double kWordMarkHeight = 69.96;
constexpr int kWordMarkPolygons = 9;

struct WordMarkPolygon {
  int kind = 0;                // 0 letter shape, 1 emblem
  bool hole = false;           // inner counter, painted in the header colour after the shapes
  std::vector<float> points;   // x, y pairs in the design box
};

struct WordMark {
  WordMarkPolygon polygons[kWordMarkPolygons];
};

// Reads decimal numbers ("12", "-3.5", ".25") one after another, skipping
// single spaces, until no further number can be read. Independent of the
// process locale (a host may have set one with a decimal comma).
std::vector<float> parseDecimalList(const char* text);

// The word-mark from its source table.
WordMark buildWordMark();

} // namespace varnock
