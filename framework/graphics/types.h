#pragma once
// Plain value types of the graphics layer: colour, rectangle, mouse modifiers,
// text style. Coordinates are editor pixels, y downwards, as floats.
#include <algorithm>

namespace iplug::igraphics {

// 8-bit colour with alpha; the drawing layer draws with straight (not
// premultiplied) alpha.
struct IColor {
  int A = 255, R = 0, G = 0, B = 0;
  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  constexpr bool operator==(const IColor&) const = default;
};

// Rectangle from (L, T) to (R, B); a point is inside when L <= x < R and T <= y < B.
struct IRECT {
  float L = 0.f, T = 0.f, R = 0.f, B = 0.f;
  constexpr IRECT() = default;
  constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}
  constexpr float W() const { return R - L; }
  constexpr float H() const { return B - T; }
  constexpr bool Empty() const { return W() <= 0.f || H() <= 0.f; }
  constexpr bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }
  constexpr bool operator==(const IRECT&) const = default;
};

// Mouse buttons and modifier keys at the time of an event.
struct IMouseMod {
  bool L = false;   // left button
  bool R = false;   // right button
  bool S = false;   // Shift
  bool C = false;   // Ctrl
  bool A = false;   // Alt
};

enum class ETextStyle { Normal, Bold, Italic };
enum class EAlign { Near, Center, Far };
enum class EVAlign { Top, Middle, Bottom };

// How a text run is drawn: font id (as given to IGraphics::LoadFont), size in
// pixels (the font's em size), colour and alignment inside its box.
struct IText {
  float size = 14.f;
  IColor fgColor{255, 0, 0, 0};
  const char* font = "Arial";
  EAlign align = EAlign::Near;
  EVAlign valign = EVAlign::Middle;
};

} // namespace iplug::igraphics
