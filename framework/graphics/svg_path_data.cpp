// SVG path data, transform lists and fill-rule classification.
// Numbers are read by hand rather than with strtof, whose decimal point
// follows the host process's locale.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "framework/graphics/svg_document.h"
#include "framework/graphics/svg_scanner.h"

namespace iplug::igraphics {
namespace {

constexpr float kPi = 3.14159265358979f;

// Builds one shape's sub-paths from user-space points, transforming each.
class PathBuilder {
public:
  PathBuilder(const SvgTransform& m, SvgShape* shape) : mM(m), mShape(shape) {}

  void MoveTo(float x, float y) {
    mShape->subpaths.emplace_back();
    mOpen = true;
    Push(x, y);
  }
  void CubicTo(float x1, float y1, float x2, float y2, float x, float y) {
    Push(x1, y1);
    Push(x2, y2);
    Push(x, y);
  }
  void LineTo(float x0, float y0, float x, float y) { CubicTo(x0, y0, x, y, x, y); }
  void Close() {
    if (mOpen) mShape->subpaths.back().closed = true;
    mOpen = false;
  }
  bool IsOpen() const { return mOpen; }

private:
  void Push(float x, float y) {
    mM.Apply(x, y);
    mShape->subpaths.back().points.push_back(x);
    mShape->subpaths.back().points.push_back(y);
  }
  SvgTransform mM;
  SvgShape* mShape;
  bool mOpen = false;
};

// Signed angle from vector u to vector v, radians.
float VectorAngle(float ux, float uy, float vx, float vy) { return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy); }

// An elliptical arc from (x0, y0) to (x, y) as cubic segments of at most 90
// degrees (endpoint to centre parameterisation).
void ArcTo(PathBuilder& b, float x0, float y0, float rx, float ry, float rotationDeg, bool largeArc, bool sweep,
           float x, float y) {
  if (x0 == x && y0 == y) return;
  rx = std::fabs(rx);
  ry = std::fabs(ry);
  if (rx == 0.f || ry == 0.f) {
    b.LineTo(x0, y0, x, y);
    return;
  }
  const float phi = rotationDeg * kPi / 180.f;
  const float cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  const float dx2 = (x0 - x) * 0.5f, dy2 = (y0 - y) * 0.5f;
  const float x1p = cosPhi * dx2 + sinPhi * dy2;
  const float y1p = -sinPhi * dx2 + cosPhi * dy2;
  // Radii too small for the endpoints grow until they fit.
  const float lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
  if (lambda > 1.f) {
    rx *= std::sqrt(lambda);
    ry *= std::sqrt(lambda);
  }
  const float num = rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p;
  const float den = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
  float coef = den > 0.f ? std::sqrt(std::max(0.f, num / den)) : 0.f;
  if (largeArc == sweep) coef = -coef;
  const float cxp = coef * rx * y1p / ry;
  const float cyp = -coef * ry * x1p / rx;
  const float cx = cosPhi * cxp - sinPhi * cyp + (x0 + x) * 0.5f;
  const float cy = sinPhi * cxp + cosPhi * cyp + (y0 + y) * 0.5f;
  const float ux = (x1p - cxp) / rx, uy = (y1p - cyp) / ry;
  const float vx = (-x1p - cxp) / rx, vy = (-y1p - cyp) / ry;
  const float theta1 = VectorAngle(1.f, 0.f, ux, uy);
  float delta = VectorAngle(ux, uy, vx, vy);
  if (!sweep && delta > 0.f) delta -= 2.f * kPi;
  if (sweep && delta < 0.f) delta += 2.f * kPi;

  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / (kPi * 0.5f) - 1e-4f)));
  const float step = delta / static_cast<float>(segments);
  const float k = 4.f / 3.f * std::tan(step / 4.f);
  float angle = theta1;
  for (int i = 0; i < segments; ++i) {
    const float a2 = angle + step;
    const float c1 = std::cos(angle), s1 = std::sin(angle), c2 = std::cos(a2), s2 = std::sin(a2);
    // Unit-circle points and tangents, scaled by the radii and rotated.
    auto map = [&](float ex, float ey, float& outX, float& outY) {
      outX = cx + cosPhi * rx * ex - sinPhi * ry * ey;
      outY = cy + sinPhi * rx * ex + cosPhi * ry * ey;
    };
    float q1x, q1y, q2x, q2y, ex, ey;
    map(c1 - k * s1, s1 + k * c1, q1x, q1y);
    map(c2 + k * s2, s2 - k * c2, q2x, q2y);
    if (i + 1 == segments) {
      ex = x;
      ey = y;
    } else {
      map(c2, s2, ex, ey);
    }
    b.CubicTo(q1x, q1y, q2x, q2y, ex, ey);
    angle = a2;
  }
}

// A sub-path flattened to a polygon (8 steps per cubic segment).
std::vector<float> Flatten(const SvgSubpath& path) {
  std::vector<float> poly;
  if (path.points.size() < 2) return poly;
  poly.push_back(path.points[0]);
  poly.push_back(path.points[1]);
  for (std::size_t i = 2; i + 6 <= path.points.size(); i += 6) {
    const float* p = &path.points[i - 2];
    for (int s = 1; s <= 8; ++s) {
      const float t = s / 8.f, u = 1.f - t;
      const float w0 = u * u * u, w1 = 3.f * u * u * t, w2 = 3.f * u * t * t, w3 = t * t * t;
      poly.push_back(w0 * p[0] + w1 * p[2] + w2 * p[4] + w3 * p[6]);
      poly.push_back(w0 * p[1] + w1 * p[3] + w2 * p[5] + w3 * p[7]);
    }
  }
  return poly;
}

double SignedArea(const std::vector<float>& poly) {
  double sum = 0.0;
  const std::size_t n = poly.size() / 2;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    sum += double(poly[2 * i]) * poly[2 * j + 1] - double(poly[2 * j]) * poly[2 * i + 1];
  }
  return sum * 0.5;
}

bool Contains(const std::vector<float>& poly, float x, float y) {
  bool inside = false;
  const std::size_t n = poly.size() / 2;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const float xi = poly[2 * i], yi = poly[2 * i + 1], xj = poly[2 * j], yj = poly[2 * j + 1];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

} // namespace

SvgTransform SvgTransform::Then(const SvgTransform& o) const {
  SvgTransform r;
  r.a = a * o.a + c * o.b;
  r.b = b * o.a + d * o.b;
  r.c = a * o.c + c * o.d;
  r.d = b * o.c + d * o.d;
  r.e = a * o.e + c * o.f + e;
  r.f = b * o.e + d * o.f + f;
  return r;
}

bool ParseSvgPathData(const char* d, std::size_t size, const SvgTransform& m, SvgShape* shape) {
  SvgScanner s(d, size);
  PathBuilder b(m, shape);
  float x = 0.f, y = 0.f, startX = 0.f, startY = 0.f;
  float ctrlX = 0.f, ctrlY = 0.f;              // last cubic (S) or quadratic (T) control point
  char cmd = 0, prevCmd = 0;
  s.SkipSpaceAndComma();
  while (!s.AtEnd()) {
    if (SvgScanner::IsCommand(s.Peek())) {
      cmd = s.Next();
    } else if (!cmd || cmd == 'Z' || cmd == 'z' || !s.AtNumber()) {
      return false;                            // data without a command, or garbage
    }                                          // else: the previous command repeats
    const bool rel = cmd >= 'a';
    const float ox = rel ? x : 0.f, oy = rel ? y : 0.f;
    if (!prevCmd && cmd != 'M' && cmd != 'm') return false;
    if (cmd != 'M' && cmd != 'm' && cmd != 'Z' && cmd != 'z' && !b.IsOpen()) b.MoveTo(x, y);
    float n[7];
    auto read = [&](int count) {
      for (int i = 0; i < count; ++i)
        if (!s.Number(n[i])) return false;
      return true;
    };
    switch (cmd | 0x20) {
      case 'm':
        if (!read(2)) return false;
        x = ox + n[0];
        y = oy + n[1];
        startX = x;
        startY = y;
        b.MoveTo(x, y);
        cmd = rel ? 'l' : 'L';                 // further pairs are line segments
        break;
      case 'l':
        if (!read(2)) return false;
        b.LineTo(x, y, ox + n[0], oy + n[1]);
        x = ox + n[0];
        y = oy + n[1];
        break;
      case 'h':
        if (!read(1)) return false;
        b.LineTo(x, y, ox + n[0], y);
        x = ox + n[0];
        break;
      case 'v':
        if (!read(1)) return false;
        b.LineTo(x, y, x, oy + n[0]);
        y = oy + n[0];
        break;
      case 'c':
      case 's': {
        float x1, y1;
        if ((cmd | 0x20) == 'c') {
          if (!read(6)) return false;
          x1 = ox + n[0];
          y1 = oy + n[1];
        } else {
          if (!read(4)) return false;
          const bool follows = (prevCmd | 0x20) == 'c' || (prevCmd | 0x20) == 's';
          x1 = follows ? 2.f * x - ctrlX : x;
          y1 = follows ? 2.f * y - ctrlY : y;
          // S gives x2 y2 x y: move them where C keeps them.
          n[5] = n[3];
          n[4] = n[2];
          n[3] = n[1];
          n[2] = n[0];
        }
        const float x2 = ox + n[2], y2 = oy + n[3], ex = ox + n[4], ey = oy + n[5];
        b.CubicTo(x1, y1, x2, y2, ex, ey);
        ctrlX = x2;
        ctrlY = y2;
        x = ex;
        y = ey;
        break;
      }
      case 'q':
      case 't': {
        float qx, qy, ex, ey;
        if ((cmd | 0x20) == 'q') {
          if (!read(4)) return false;
          qx = ox + n[0];
          qy = oy + n[1];
          ex = ox + n[2];
          ey = oy + n[3];
        } else {
          if (!read(2)) return false;
          const bool follows = (prevCmd | 0x20) == 'q' || (prevCmd | 0x20) == 't';
          qx = follows ? 2.f * x - ctrlX : x;
          qy = follows ? 2.f * y - ctrlY : y;
          ex = ox + n[0];
          ey = oy + n[1];
        }
        b.CubicTo(x + 2.f / 3.f * (qx - x), y + 2.f / 3.f * (qy - y), ex + 2.f / 3.f * (qx - ex),
                  ey + 2.f / 3.f * (qy - ey), ex, ey);
        ctrlX = qx;
        ctrlY = qy;
        x = ex;
        y = ey;
        break;
      }
      case 'a': {
        bool largeArc = false, sweep = false;
        if (!read(3) || !s.Flag(largeArc) || !s.Flag(sweep) || !s.Number(n[3]) || !s.Number(n[4])) return false;
        ArcTo(b, x, y, n[0], n[1], n[2], largeArc, sweep, ox + n[3], oy + n[4]);
        x = ox + n[3];
        y = oy + n[4];
        break;
      }
      case 'z':
        b.Close();
        x = startX;
        y = startY;
        break;
      default:
        return false;
    }
    prevCmd = cmd;
    s.SkipSpaceAndComma();
  }
  return true;
}

void AppendSvgRect(float x, float y, float w, float h, float rx, float ry, const SvgTransform& m, SvgShape* shape) {
  PathBuilder b(m, shape);
  if (rx > 0.f && ry > 0.f) {
    b.MoveTo(x + rx, y);
    b.LineTo(x + rx, y, x + w - rx, y);
    ArcTo(b, x + w - rx, y, rx, ry, 0.f, false, true, x + w, y + ry);
    b.LineTo(x + w, y + ry, x + w, y + h - ry);
    ArcTo(b, x + w, y + h - ry, rx, ry, 0.f, false, true, x + w - rx, y + h);
    b.LineTo(x + w - rx, y + h, x + rx, y + h);
    ArcTo(b, x + rx, y + h, rx, ry, 0.f, false, true, x, y + h - ry);
    b.LineTo(x, y + h - ry, x, y + ry);
    ArcTo(b, x, y + ry, rx, ry, 0.f, false, true, x + rx, y);
  } else {
    b.MoveTo(x, y);
    b.LineTo(x, y, x + w, y);
    b.LineTo(x + w, y, x + w, y + h);
    b.LineTo(x + w, y + h, x, y + h);
    b.LineTo(x, y + h, x, y);
  }
  b.Close();
}

void AppendSvgEllipse(float cx, float cy, float rx, float ry, const SvgTransform& m, SvgShape* shape) {
  PathBuilder b(m, shape);
  b.MoveTo(cx + rx, cy);
  ArcTo(b, cx + rx, cy, rx, ry, 0.f, false, true, cx, cy + ry);
  ArcTo(b, cx, cy + ry, rx, ry, 0.f, false, true, cx - rx, cy);
  ArcTo(b, cx - rx, cy, rx, ry, 0.f, false, true, cx, cy - ry);
  ArcTo(b, cx, cy - ry, rx, ry, 0.f, false, true, cx + rx, cy);
  b.Close();
}

void AppendSvgPolygon(const std::vector<float>& points, const SvgTransform& m, SvgShape* shape) {
  if (points.size() < 4) return;
  PathBuilder b(m, shape);
  b.MoveTo(points[0], points[1]);
  for (std::size_t i = 2; i + 1 < points.size(); i += 2) b.LineTo(points[i - 2], points[i - 1], points[i], points[i + 1]);
  b.Close();
}

bool ParseSvgTransform(const char* text, std::size_t size, SvgTransform* out) {
  SvgScanner s(text, size);
  SvgTransform result;
  s.SkipSpaceAndComma();
  while (!s.AtEnd()) {
    std::string name;
    while (!s.AtEnd() && std::isalpha(static_cast<unsigned char>(s.Peek()))) name += s.Next();
    s.SkipSpace();
    if (name.empty() || s.AtEnd() || s.Next() != '(') return false;
    float v[6];
    int count = 0;
    s.SkipSpaceAndComma();
    while (count < 6 && s.AtNumber()) {
      if (!s.Number(v[count])) return false;
      ++count;
    }
    s.SkipSpace();
    if (s.AtEnd() || s.Next() != ')') return false;
    SvgTransform t;
    const float rad = count > 0 ? v[0] * kPi / 180.f : 0.f;
    if (name == "matrix" && count == 6) {
      t = SvgTransform{v[0], v[1], v[2], v[3], v[4], v[5]};
    } else if (name == "translate" && (count == 1 || count == 2)) {
      t.e = v[0];
      t.f = count == 2 ? v[1] : 0.f;
    } else if (name == "scale" && (count == 1 || count == 2)) {
      t.a = v[0];
      t.d = count == 2 ? v[1] : v[0];
    } else if (name == "rotate" && (count == 1 || count == 3)) {
      const SvgTransform r{std::cos(rad), std::sin(rad), -std::sin(rad), std::cos(rad), 0.f, 0.f};
      if (count == 3)
        t = SvgTransform{1, 0, 0, 1, v[1], v[2]}.Then(r).Then(SvgTransform{1, 0, 0, 1, -v[1], -v[2]});
      else
        t = r;
    } else if (name == "skewX" && count == 1) {
      t.c = std::tan(rad);
    } else if (name == "skewY" && count == 1) {
      t.b = std::tan(rad);
    } else {
      return false;
    }
    result = result.Then(t);
    s.SkipSpaceAndComma();
  }
  *out = result;
  return true;
}

void ClassifySvgHoles(SvgShape* shape) {
  std::vector<std::vector<float>> polys;
  std::vector<double> areas;
  for (const SvgSubpath& path : shape->subpaths) {
    polys.push_back(Flatten(path));
    areas.push_back(SignedArea(polys.back()));
  }
  if (shape->evenOdd) {
    // A sub-path inside an odd number of others is a hole.
    for (std::size_t i = 0; i < polys.size(); ++i) {
      if (polys[i].size() < 2) continue;
      int depth = 0;
      for (std::size_t j = 0; j < polys.size(); ++j)
        if (j != i && polys[j].size() >= 6 && Contains(polys[j], polys[i][0], polys[i][1])) ++depth;
      shape->subpaths[i].hole = (depth % 2) == 1;
    }
    return;
  }
  // Non-zero: sub-paths wound against the largest one are holes.
  std::size_t largest = 0;
  for (std::size_t i = 1; i < areas.size(); ++i)
    if (std::fabs(areas[i]) > std::fabs(areas[largest])) largest = i;
  for (std::size_t i = 0; i < areas.size(); ++i)
    shape->subpaths[i].hole = areas[i] != 0.0 && (areas[i] > 0.0) != (areas[largest] > 0.0);
}

} // namespace iplug::igraphics
