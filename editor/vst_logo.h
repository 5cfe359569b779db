#pragma once
// The footer's VST logo: an SVG document carried as a text constant (view
// box 0 0 437.06 152.31, one grey fill #9d9d9c), parsed by the graphics
// context on first use under the name "vstlogo.svg".
#include <cstddef>

namespace varnock {

constexpr const char* kVstLogoName = "vstlogo.svg";
constexpr double kVstLogoWidth = 437.06;     // view box, document units
constexpr double kVstLogoHeight = 152.31;

extern const char* const kVstLogoSvg;
std::size_t vstLogoSvgSize();                // bytes of kVstLogoSvg

} // namespace varnock
