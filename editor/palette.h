#pragma once
// The editor's colours, red, green, blue in 0..1 (opaque unless a caller
// gives an alpha). Shared by the view, header, control strip and footer.

namespace varnock {

struct Rgb { double r, g, b; };

constexpr Rgb kWindowBackground{0.07, 0.075, 0.09};
constexpr Rgb kBandColour{0.10, 0.105, 0.13};            // header and footer bands
constexpr Rgb kKnobPanel{0.105, 0.11, 0.135};
constexpr Rgb kSeparator{0.20, 0.21, 0.26};              // knob groups, footer top line and divider
constexpr Rgb kModeDivider{0.07, 0.075, 0.09};
constexpr Rgb kOutlineNormal{0.26, 0.27, 0.33};
constexpr Rgb kOutlineHovered{0.60, 0.62, 0.70};
constexpr Rgb kButtonFillNormal{0.13, 0.14, 0.17};
constexpr Rgb kButtonFillHovered{0.19, 0.20, 0.245};
constexpr Rgb kButtonLabelNormal{0.74, 0.76, 0.82};
constexpr Rgb kWhite{1.0, 1.0, 1.0};
constexpr Rgb kLabelOnSelected{0.06, 0.06, 0.08};
constexpr Rgb kBrightText{0.93, 0.94, 0.96};             // preset name, dropdown text, hovered link
constexpr Rgb kDimText{0.66, 0.68, 0.74};                // version label, link
constexpr Rgb kStatusText{0.80, 0.82, 0.88};
constexpr Rgb kControlAccent{0.565, 0.749, 0.129};
constexpr Rgb kAccentCut{0.98, 0.52, 0.24};
constexpr Rgb kAccentBoost{0.30, 0.86, 0.66};
constexpr Rgb kAccentTame{0.66, 0.58, 1.00};

} // namespace varnock
