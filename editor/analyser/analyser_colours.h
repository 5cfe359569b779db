#pragma once
// The analyser's fixed colours (red, green, blue, alpha in 0..1). Colours
// derived from the mode accent are computed where they are drawn.
#include "editor/varnock_view.h"

namespace varnock {

struct Rgba {
  double r, g, b, a;
};

inline void setColour(VarnockView& view, const Rgba& c) { view.setColour(c.r, c.g, c.b, c.a); }

// Spectrum area and activity map.
inline constexpr Rgba kSpectrumPanel{0.075, 0.078, 0.1, 1.0};
inline constexpr Rgba kActivityPanel{0.042, 0.045, 0.056, 1.0};
inline constexpr Rgba kFrequencyGridLine{1.0, 1.0, 1.0, 0.06};
inline constexpr Rgba kGainGridLine{1.0, 1.0, 1.0, 0.05};
inline constexpr Rgba kGainZeroLine{1.0, 1.0, 1.0, 0.22};
inline constexpr Rgba kAxisLabel{0.66, 0.68, 0.74, 1.0};
inline constexpr Rgba kActivityLabel{0.55, 0.57, 0.63, 1.0};
inline constexpr Rgba kRangeShading{0.0, 0.0, 0.0, 0.45};

// Curves.
inline constexpr Rgba kInputFill{0.4, 0.5, 0.72, 0.14};
inline constexpr Rgb kInputLineIdle{0.55, 0.65, 0.88};     // blends towards the accent with activity
inline constexpr Rgba kThresholdLine{0.85, 0.87, 0.92, 0.55};
inline constexpr Rgba kOutputLine{0.95, 0.96, 1.0, 0.9};

// Readouts and frame.
inline constexpr Rgba kHeldPeakText{0.66, 0.68, 0.74, 1.0};
inline constexpr Rgba kReadoutText{0.95, 0.96, 0.98, 1.0};   // live amount, cursor readout
inline constexpr Rgba kCursorLine{1.0, 1.0, 1.0, 0.25};
inline constexpr Rgba kCursorBox{0.13, 0.14, 0.17, 0.95};
inline constexpr Rgba kDeltaFrame{1.0, 0.82, 0.28, 1.0};
inline constexpr Rgba kDeltaBannerBox{0.26, 0.21, 0.07, 0.45};
inline constexpr Rgba kDeltaBannerText{1.0, 0.82, 0.28, 0.7};
inline constexpr Rgba kToggleLabelOn{0.88, 0.9, 0.94, 1.0};
inline constexpr Rgba kToggleLabelOff{0.62, 0.64, 0.7, 1.0};
inline constexpr Rgba kToggleLabelHovered{1.0, 1.0, 1.0, 1.0};

// Curve toggle swatch colours (the Gain toggle uses the accent).
inline constexpr Rgb kOutputSwatch{0.95, 0.96, 1.0};
inline constexpr Rgb kThresholdSwatch{0.85, 0.87, 0.92};
inline constexpr Rgb kInputSwatch{0.55, 0.65, 0.88};

} // namespace varnock
