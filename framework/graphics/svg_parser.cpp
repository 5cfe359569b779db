// The SVG document reader: a small XML tokenizer (tags, attributes, comments,
// processing instructions, DOCTYPE, CDATA) and the elements of the subset.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "framework/graphics/svg_document.h"
#include "framework/graphics/svg_scanner.h"

namespace iplug::igraphics {
namespace {

constexpr int kMaxDepth = 256;                 // nesting limit, against hostile input

struct Attribute {
  std::string_view name, value;
};

// Inherited presentation state of an element.
struct Style {
  bool fillNone = false;
  IColor fill{255, 0, 0, 0};                   // black unless said otherwise
  float fillOpacity = 1.f;
  float opacity = 1.f;                         // product of the ancestors' opacity
  bool evenOdd = false;
  SvgTransform transform;
  bool skip = false;                           // inside <defs> and similar: not drawn
};

struct NamedColour {
  const char* name;
  int r, g, b;
};
constexpr NamedColour kNamedColours[] = {
    {"black", 0, 0, 0},       {"white", 255, 255, 255}, {"red", 255, 0, 0},        {"green", 0, 128, 0},
    {"blue", 0, 0, 255},      {"yellow", 255, 255, 0},  {"gray", 128, 128, 128},   {"grey", 128, 128, 128},
    {"silver", 192, 192, 192}, {"maroon", 128, 0, 0},   {"purple", 128, 0, 128},   {"fuchsia", 255, 0, 255},
    {"lime", 0, 255, 0},      {"olive", 128, 128, 0},   {"navy", 0, 0, 128},       {"teal", 0, 128, 128},
    {"aqua", 0, 255, 255},    {"orange", 255, 165, 0},
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && SvgScanner::IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && SvgScanner::IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Applies a fill value to `style`; unknown values leave the inherited fill.
void ApplyFill(std::string_view value, Style& style) {
  value = Trim(value);
  if (value == "none" || value == "transparent") {
    style.fillNone = true;
    return;
  }
  IColor c{255, 0, 0, 0};
  if (!value.empty() && value[0] == '#') {
    int d[6] = {};
    const std::size_t n = value.size() - 1;
    if (n != 3 && n != 6) return;
    for (std::size_t i = 0; i < n; ++i)
      if ((d[i] = HexDigit(value[i + 1])) < 0) return;
    if (n == 3)
      c = IColor(255, d[0] * 17, d[1] * 17, d[2] * 17);
    else
      c = IColor(255, d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
  } else if (value.substr(0, 4) == "rgb(" && value.back() == ')') {
    SvgScanner s(value.data() + 4, value.size() - 5);
    int rgb[3];
    for (int& channel : rgb) {
      float v;
      if (!s.Number(v)) return;
      if (s.Peek() == '%') {
        s.Next();
        s.SkipSpaceAndComma();
        v = v * 2.55f;
      }
      channel = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
    }
    if (!s.AtEnd()) return;
    c = IColor(255, rgb[0], rgb[1], rgb[2]);
  } else if (value == "currentColor") {
    c = IColor(255, 0, 0, 0);
  } else {
    const auto* named = std::find_if(std::begin(kNamedColours), std::end(kNamedColours),
                                     [&](const NamedColour& n) { return value == n.name; });
    if (named == std::end(kNamedColours)) return;
    c = IColor(255, named->r, named->g, named->b);
  }
  style.fillNone = false;
  style.fill = c;
}

bool ParseFloat(std::string_view text, float& out) {
  SvgScanner s(text.data(), text.size());
  return s.Number(out);
}

float ParseOpacity(std::string_view value, float fallback) {
  float v;
  return ParseFloat(value, v) ? std::clamp(v, 0.f, 1.f) : fallback;
}

void ApplyPresentation(std::string_view name, std::string_view value, Style& style) {
  if (name == "fill") ApplyFill(value, style);
  else if (name == "fill-opacity") style.fillOpacity = ParseOpacity(value, style.fillOpacity);
  else if (name == "opacity") style.opacity *= ParseOpacity(value, 1.f);
  else if (name == "fill-rule") style.evenOdd = Trim(value) == "evenodd";
}

// style="fill:#fff; opacity:0.5"
void ApplyStyleAttribute(std::string_view text, Style& style) {
  while (!text.empty()) {
    const std::size_t semi = text.find(';');
    const std::string_view decl = text.substr(0, semi);
    const std::size_t colon = decl.find(':');
    if (colon != std::string_view::npos) ApplyPresentation(Trim(decl.substr(0, colon)), decl.substr(colon + 1), style);
    if (semi == std::string_view::npos) break;
    text.remove_prefix(semi + 1);
  }
}

// A length in px at `dpi` ("10", "10px", "2in", "5mm", ...); false for
// percentages and unknown units.
bool ParseLengthPx(std::string_view text, float dpi, float& px) {
  SvgScanner s(text.data(), text.size());
  float v;
  if (!s.Number(v)) return false;
  const std::string_view unit = Trim(std::string_view(s.Position(), text.data() + text.size() - s.Position()));
  float perUnit;
  if (unit.empty() || unit == "px") perUnit = 1.f;
  else if (unit == "pt") perUnit = dpi / 72.f;
  else if (unit == "pc") perUnit = dpi / 6.f;
  else if (unit == "mm") perUnit = dpi / 25.4f;
  else if (unit == "cm") perUnit = dpi / 2.54f;
  else if (unit == "in") perUnit = dpi;
  else return false;
  px = v * perUnit;
  return true;
}

float PxToUnits(float px, const char* units, float dpi) {
  const std::string_view u = units ? units : "px";
  if (u == "pt") return px * 72.f / dpi;
  if (u == "pc") return px * 6.f / dpi;
  if (u == "mm") return px * 25.4f / dpi;
  if (u == "cm") return px * 2.54f / dpi;
  if (u == "in") return px / dpi;
  return px;
}

class Reader {
public:
  Reader(const char* units, float dpi, SvgDocument* doc) : mUnits(units), mDpi(dpi > 0.f ? dpi : 72.f), mDoc(doc) {}

  // One start tag; false on malformed content.
  bool Start(std::string_view name, const std::vector<Attribute>& attrs) {
    Style style = mStack.empty() ? Style{} : mStack.back();
    if (mStack.empty() && name != "svg") return false;
    if (mStack.empty()) {
      if (!ReadRoot(attrs)) return false;
    }
    const bool container = name == "defs" || name == "clipPath" || name == "mask" || name == "symbol" ||
                           name == "pattern" || name == "linearGradient" || name == "radialGradient" ||
                           name == "marker" || name == "style" || name == "title" || name == "desc" ||
                           name == "metadata";
    if (container) style.skip = true;
    for (const Attribute& a : attrs) {
      if (a.name == "transform") {
        SvgTransform t;
        if (!ParseSvgTransform(a.value.data(), a.value.size(), &t)) return false;
        style.transform = style.transform.Then(t);
      } else if (a.name == "style") {
        ApplyStyleAttribute(a.value, style);
      } else {
        ApplyPresentation(a.name, a.value, style);
      }
    }
    mStack.push_back(style);
    if (style.skip || style.fillNone) return true;
    return Shape(name, attrs, style);
  }

  void End() {
    if (!mStack.empty()) mStack.pop_back();
  }
  int Depth() const { return static_cast<int>(mStack.size()); }
  bool SawRoot() const { return mSawRoot; }

private:
  bool ReadRoot(const std::vector<Attribute>& attrs) {
    mSawRoot = true;
    float widthPx = 0.f, heightPx = 0.f;
    bool haveViewBox = false;
    for (const Attribute& a : attrs) {
      if (a.name == "width") ParseLengthPx(a.value, mDpi, widthPx);
      else if (a.name == "height") ParseLengthPx(a.value, mDpi, heightPx);
      else if (a.name == "viewBox") {
        SvgScanner s(a.value.data(), a.value.size());
        float v[4];
        for (float& x : v)
          if (!s.Number(x)) return false;
        if (!s.AtEnd() || v[2] <= 0.f || v[3] <= 0.f) return false;
        mDoc->viewX = v[0];
        mDoc->viewY = v[1];
        mDoc->viewW = v[2];
        mDoc->viewH = v[3];
        haveViewBox = true;
      }
    }
    if (!haveViewBox) {
      if (widthPx <= 0.f || heightPx <= 0.f) return false;
      mDoc->viewW = widthPx;
      mDoc->viewH = heightPx;
    }
    if (widthPx <= 0.f) widthPx = mDoc->viewW;
    if (heightPx <= 0.f) heightPx = mDoc->viewH;
    mDoc->width = PxToUnits(widthPx, mUnits, mDpi);
    mDoc->height = PxToUnits(heightPx, mUnits, mDpi);
    return true;
  }

  bool Shape(std::string_view name, const std::vector<Attribute>& attrs, const Style& style) {
    auto attr = [&](std::string_view key, float fallback) {
      float v = fallback;
      for (const Attribute& a : attrs)
        if (a.name == key && !ParseFloat(a.value, v)) v = fallback;
      return v;
    };
    SvgShape shape;
    shape.evenOdd = style.evenOdd;
    const float alpha = style.fillOpacity * style.opacity;
    shape.fill = style.fill;
    shape.fill.A = std::clamp(static_cast<int>(std::lround(255.f * alpha)), 0, 255);
    const SvgTransform& m = style.transform;
    if (name == "path") {
      for (const Attribute& a : attrs)
        if (a.name == "d" && !ParseSvgPathData(a.value.data(), a.value.size(), m, &shape)) return false;
    } else if (name == "rect") {
      const float x = attr("x", 0), y = attr("y", 0), w = attr("width", 0), h = attr("height", 0);
      if (w <= 0.f || h <= 0.f) return true;
      float rx = attr("rx", -1), ry = attr("ry", -1);
      if (rx < 0.f) rx = std::max(0.f, ry);
      if (ry < 0.f) ry = rx;
      AppendSvgRect(x, y, w, h, std::min(rx, w / 2), std::min(ry, h / 2), m, &shape);
    } else if (name == "circle" || name == "ellipse") {
      const float cx = attr("cx", 0), cy = attr("cy", 0);
      const float rx = name == "circle" ? attr("r", 0) : attr("rx", 0);
      const float ry = name == "circle" ? rx : attr("ry", 0);
      if (rx <= 0.f || ry <= 0.f) return true;
      AppendSvgEllipse(cx, cy, rx, ry, m, &shape);
    } else if (name == "polygon" || name == "polyline") {
      for (const Attribute& a : attrs) {
        if (a.name != "points") continue;
        SvgScanner s(a.value.data(), a.value.size());
        std::vector<float> pts;
        float v;
        while (s.Number(v)) pts.push_back(v);
        s.SkipSpace();
        if (!s.AtEnd() || pts.size() % 2 != 0) return false;
        AppendSvgPolygon(pts, m, &shape);
      }
    } else {
      return true;                             // not a shape (svg, g, unknown elements)
    }
    if (!shape.subpaths.empty()) {
      ClassifySvgHoles(&shape);
      mDoc->shapes.push_back(std::move(shape));
    }
    return true;
  }

  const char* mUnits;
  float mDpi;
  SvgDocument* mDoc;
  std::vector<Style> mStack;
  bool mSawRoot = false;
};

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
}

} // namespace

bool ParseSvg(const char* data, std::size_t size, const char* units, float dpi, SvgDocument* out,
              std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (!data || !out) return fail("no data");
  *out = SvgDocument{};
  const std::string_view text(data, size);
  Reader reader(units, dpi, out);
  std::vector<std::string_view> open;          // names of the open elements
  std::size_t p = 0;
  bool rootClosed = false;
  auto skipTo = [&](std::string_view terminator) {
    const std::size_t at = text.find(terminator, p);
    if (at == std::string_view::npos) return false;
    p = at + terminator.size();
    return true;
  };
  while (true) {
    const std::size_t lt = text.find('<', p);
    if (lt == std::string_view::npos) break;
    p = lt;
    if (text.compare(p, 4, "<!--") == 0) {
      if (!skipTo("-->")) return fail("unterminated comment");
    } else if (text.compare(p, 2, "<?") == 0) {
      if (!skipTo("?>")) return fail("unterminated processing instruction");
    } else if (text.compare(p, 9, "<![CDATA[") == 0) {
      if (!skipTo("]]>")) return fail("unterminated CDATA");
    } else if (text.compare(p, 2, "<!") == 0) {
      int bracket = 0;
      for (++p; p < text.size() && (text[p] != '>' || bracket > 0); ++p) bracket += text[p] == '[' ? 1 : text[p] == ']' ? -1 : 0;
      if (p >= text.size()) return fail("unterminated declaration");
      ++p;
    } else if (text.compare(p, 2, "</") == 0) {
      p += 2;
      const std::size_t start = p;
      while (p < text.size() && IsNameChar(text[p])) ++p;
      const std::string_view name = text.substr(start, p - start);
      while (p < text.size() && SvgScanner::IsSpace(text[p])) ++p;
      if (p >= text.size() || text[p] != '>' || open.empty() || open.back() != name) return fail("mismatched end tag");
      ++p;
      open.pop_back();
      reader.End();
      if (open.empty()) rootClosed = true;
    } else {
      ++p;
      const std::size_t start = p;
      while (p < text.size() && IsNameChar(text[p])) ++p;
      const std::string_view name = text.substr(start, p - start);
      if (name.empty()) return fail("bad tag");
      if (rootClosed) return fail("content after the root element");
      std::vector<Attribute> attrs;
      bool selfClosing = false;
      while (true) {
        while (p < text.size() && SvgScanner::IsSpace(text[p])) ++p;
        if (p >= text.size()) return fail("unterminated tag");
        if (text[p] == '>') { ++p; break; }
        if (text.compare(p, 2, "/>") == 0) { p += 2; selfClosing = true; break; }
        const std::size_t nameStart = p;
        while (p < text.size() && IsNameChar(text[p])) ++p;
        if (p == nameStart) return fail("bad attribute");
        Attribute a;
        a.name = text.substr(nameStart, p - nameStart);
        while (p < text.size() && SvgScanner::IsSpace(text[p])) ++p;
        if (p >= text.size() || text[p] != '=') return fail("attribute without value");
        ++p;
        while (p < text.size() && SvgScanner::IsSpace(text[p])) ++p;
        if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) return fail("unquoted attribute");
        const char quote = text[p++];
        const std::size_t end = text.find(quote, p);
        if (end == std::string_view::npos) return fail("unterminated attribute");
        a.value = text.substr(p, end - p);
        p = end + 1;
        attrs.push_back(a);
      }
      if (reader.Depth() >= kMaxDepth) return fail("nesting too deep");
      if (!reader.Start(name, attrs)) return fail("malformed element");
      if (selfClosing) {
        reader.End();
        if (open.empty()) rootClosed = true;
      } else {
        open.push_back(name);
      }
    }
  }
  if (!reader.SawRoot()) return fail("no svg element");
  if (!open.empty()) return fail("unclosed element");
  return true;
}

} // namespace iplug::igraphics
