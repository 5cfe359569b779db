#include "editor/header.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/control_strip.h"
#include "editor/varnock_view.h"
#include "editor/widgets.h"
#include "plugin/presets.h"

namespace varnock {

namespace {
constexpr Rgb kWordMarkLetter{231 / 255.0, 230 / 255.0, 230 / 255.0};
constexpr Rgb kWordMarkCounter{26 / 255.0, 27 / 255.0, 33 / 255.0};   // the header band colour
constexpr Rgb kWordMarkEmblem{144 / 255.0, 191 / 255.0, 33 / 255.0};  // controlAccent

// Presets with a separator above them in the list.
bool separatorBefore(int n) { return n == 7 || n == 10; }

int currentPreset(const VarnockView& view) {
  return static_cast<int>(std::floor(view.paramValue(kPreset) + 0.5));
}

void drawModeSelector(VarnockView& view) {
  static constexpr const char* kLabels[3] = {"CUT", "BOOST", "TAME"};
  static constexpr const char* kHelp[3] = {
    "Cut: pulls down transients above their recent level",
    "Boost: lifts transients above their recent level",
    "Tame: pulls down resonances poking out of the spectrum",
  };
  view.buttonAccent = view.modeAccent;
  for (int mode = 0; mode < 3; ++mode) {
    if (labelButton(view, 216 + 56 * mode, 12, 56, 24, kLabels[mode], view.modeIndex == mode, kHelp[mode]))
      view.editParam(kMode, mode, 0.0);
  }
  view.buttonAccent = view.controlAccent;

  view.setColour(kModeDivider);
  for (double x : {272.0, 328.0}) view.line(view.designX(x), view.designY(12), view.designX(x), view.designY(36) - 1);
  view.setColour(kOutlineNormal);
  const int left = view.designX(216);
  view.outlineRect(left, view.designY(12), view.designX(384) - left, view.designLength(24));
}

void drawPresetBar(VarnockView& view) {
  const int k = currentPreset(view);
  char name[48];
  presetBarName(view.paramValue(kPreset), view.editorState.presetModified, name, sizeof name);

  if (arrowButton(view, 404, 12, 24, 24, -1, "Previous preset")) view.applyFactoryPreset(k < 2 ? 10 : k - 1);
  if (dropdownBox(view, 432, 12, 148, 24, name, "Preset list  |  * = edited since loading"))
    view.presetMenuRequested = true;
  if (arrowButton(view, 584, 12, 24, 24, +1, "Next preset")) view.applyFactoryPreset(k > 9 ? 1 : k + 1);

  const bool deltaOn = view.paramValue(kDelta) > 0.5;
  if (deltaToggle(view, 640, 12, 104, 24, deltaOn)) view.editParam(kDelta, deltaOn ? 0.0 : 1.0, 0.0);
}
} // namespace

void presetBarName(double presetValue, bool presetModified, char* out, int outSize) {
  const bool edited = presetModified && std::floor(presetValue + 0.5) > 0.0;
  std::snprintf(out, static_cast<size_t>(outSize), "%s%s", presetName(presetValue), edited ? " *" : "");
}

void drawWordMark(VarnockView& view, double x0, double y0, double hw) {
  const double k = hw / kWordMarkHeight;
  // Scaled points go into a fixed buffer: no allocation per frame.
  float xy[2 * 256];
  for (int pass = 0; pass < 2; ++pass) {
    for (const WordMarkPolygon& polygon : view.wordMark.polygons) {
      if (polygon.hole != (pass == 1)) continue;
      const int count = static_cast<int>(polygon.points.size() / 2);
      if (count < 1 || count > 256) continue;
      for (int i = 0; i < count; ++i) {
        xy[2 * i] = static_cast<float>(x0 + polygon.points[2 * i] * k);
        xy[2 * i + 1] = static_cast<float>(y0 + polygon.points[2 * i + 1] * k);
      }
      view.setColour(polygon.hole ? kWordMarkCounter : polygon.kind == 1 ? kWordMarkEmblem : kWordMarkLetter);
      view.fillPolygon(xy, count);
    }
  }
}

void drawHeader(VarnockView& view) {
  const double s = view.uiScale;
  view.originX = view.originY = 0.0;
  const double bandHeight = std::floor(48 * s + 0.5);
  view.setColour(kBandColour);
  view.fillRect(0, 0, view.editorWidth, bandHeight);
  view.setColour(view.controlAccent);
  view.fillRect(0, bandHeight, view.editorWidth, std::max(1.0, std::floor(s)));

  const double x0 = std::floor(18 * s + 0.5);
  const double y0 = std::floor(12 * s + 0.5);
  const double hw = std::floor(24 * s + 0.5);
  drawWordMark(view, x0, y0, hw);

  view.setFontSlot(3);
  view.setColour(kDimText);
  view.textCursorX = x0 + std::ceil(hw * kWordMarkWidth / kWordMarkHeight) + 2 + std::floor(6 * s);
  view.textCursorY = y0 + hw - view.fontSize(3);
  view.textRun(kVersionLabel);

  drawModeSelector(view);

  view.originX = view.extraWidth;
  drawPresetBar(view);
  view.originX = view.originY = 0.0;
}

void fillPresetMenu(VarnockView& view, iplug::igraphics::IPopupMenu& menu) {
  using Item = iplug::igraphics::IPopupMenu::Item;
  menu.Clear();
  const int k = currentPreset(view);
  for (int n = kFirstFactoryPreset; n <= kLastFactoryPreset; ++n) {
    if (separatorBefore(n)) menu.AddSeparator();
    menu.AddItem(kPresetNames[n], n == k ? Item::kChecked : Item::kNoFlags, n);
  }
}

iplug::igraphics::IRECT presetBoxRect(const VarnockView& view) {
  const double s = view.uiScale, dx = view.extraWidth;
  return iplug::igraphics::IRECT(static_cast<float>(std::floor(432 * s + dx + 0.5)), static_cast<float>(std::floor(12 * s + 0.5)),
                                 static_cast<float>(std::floor(580 * s + dx + 0.5)), static_cast<float>(std::floor(36 * s + 0.5)));
}

} // namespace varnock
