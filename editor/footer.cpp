#include "editor/footer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/value_text.h"
#include "editor/varnock_view.h"
#include "editor/vst_logo.h"
#include "editor/widgets.h"
#include "plugin/identity.h"

namespace varnock {

namespace {
constexpr const char* kFftSizeNames[3] = {"Fast 512", "Normal 1024", "Precise 2048"};
constexpr int kStatusCapacity = 256;           // characters of help text the status line can hold

int resolutionTag(double resolution) { return resolution < 0.5 ? 0 : resolution < 1.5 ? 1 : 2; }

void drawUiSizeSwitch(VarnockView& view) {
  const double uiSize = view.paramValue(kUISize);
  if (labelButton(view, 500, 389, 44, 22, "Fixed", uiSize < 0.5,
                  "Fixed: controls keep their size, a bigger window enlarges the live view"))
    view.editParam(kUISize, 0.0, 0.0);
  if (labelButton(view, 544, 389, 44, 22, "Grow", uiSize > 0.5, "Grow: controls scale up with the window"))
    view.editParam(kUISize, 1.0, 0.0);
  view.setColour(kOutlineNormal);
  const int left = view.designX(500);
  view.outlineRect(left, view.designY(389), view.designX(588) - left, view.designLength(22));
}

void drawVstLogo(VarnockView& view) {
  const double s = view.uiScale;
  const double h = 13 * s;
  const double top = std::floor(400 * s + view.extraHeight + 0.5) - 6.5 * s;
  const double width = h * kVstLogoWidth / kVstLogoHeight;
  const double left = std::floor(492 * s + view.extraWidth + 0.5) - width;
  if (!view.vstLogoImage.IsValid())
    view.vstLogoImage = view.graphics()->LoadSVG(kVstLogoName, kVstLogoSvg, vstLogoSvgSize(), "px", 72.f);
  if (!view.vstLogoImage.IsValid()) return;      // try again next frame
  view.drawSvg(view.vstLogoImage, left, top, width, h);
}

void drawWebLink(VarnockView& view) {
  const double s = view.uiScale;
  view.setFontSlot(3);
  view.setColour(kDimText);
  const int w = view.measureText(kMakerWebHost);
  const int s3 = view.fontSize(3);
  const double midY = std::floor(400 * s + view.extraHeight + 0.5);
  const double left = std::floor(16 * s + 0.5);
  if (rectHovered(view, left, midY - s3 / 2.0 - 2, w, s3 + 4)) {
    view.setHelpText(kMakerWebLinkHelp);
    view.setColour(kBrightText);
    if (takeClick(view, true)) view.graphics()->OpenURL(kMakerWebAddress);
  }
  view.textCursorX = left;
  view.textCursorY = midY - std::floor(s3 / 2.0);
  view.textRun(kMakerWebHost);
}

void drawStatusLine(VarnockView& view, double textY) {
  const double s = view.uiScale;
  char text[kStatusCapacity];
  std::snprintf(text, sizeof text, "%s", view.tooltipText != nullptr ? view.tooltipText : "");
  view.setColour(kStatusText);
  view.setFontSlot(3);
  const double x = std::floor(140 * s + 0.5);
  const double limit = std::floor(444 * s + view.extraWidth);
  shortenToFit(text, x, limit, [&view](const char* t) { return view.measureText(t); });
  view.textCursorX = x;
  view.textCursorY = textY;
  view.textRun(text);
}
} // namespace

int fftSizeForResolution(double resolution) { return 512 << resolutionTag(resolution); }

void formatFftReadout(double resolution, double sampleRate, char* out, int outSize) {
  const int n = fftSizeForResolution(resolution);
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "FFT %d   ", n);
  formatNumber(out, static_cast<size_t>(outSize), n * 1000.0 / sampleRate, 1, false, " ms", prefix);
}

void formatFftMenuEntry(int tag, double sampleRate, char* out, int outSize) {
  tag = std::clamp(tag, 0, 2);
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%s  (", kFftSizeNames[tag]);
  formatNumber(out, static_cast<size_t>(outSize), (512 << tag) * 1000.0 / sampleRate, 0, false, " ms)", prefix);
}

void drawFooter(VarnockView& view) {
  const double s = view.uiScale;
  view.originY = view.extraHeight;
  const double top = std::floor(384 * s + view.extraHeight + 0.5);
  view.setColour(kBandColour);
  view.fillRect(0, top, view.editorWidth, view.editorHeight - top);
  view.setColour(kSeparator);
  view.fillRect(0, top, view.editorWidth, std::max(1.0, std::floor(s)));

  char readout[48];
  formatFftReadout(view.paramValue(kResolution), feedLoad(view.engine.sampleRate), readout, sizeof readout);

  view.originX = view.extraWidth;
  drawUiSizeSwitch(view);
  if (dropdownBox(view, 594, 389, 150, 22, readout, "FFT size: finer frequency detail, but more latency"))
    view.fftMenuRequested = true;
  drawVstLogo(view);

  view.originX = 0.0;
  drawWebLink(view);
  const double textY = view.textCursorY;
  view.setColour(kSeparator);
  view.line(view.designX(128), view.designY(392), view.designX(128), view.designY(408));
  drawStatusLine(view, textY);
}

void fillFftMenu(VarnockView& view, iplug::igraphics::IPopupMenu& menu) {
  using Item = iplug::igraphics::IPopupMenu::Item;
  menu.Clear();
  const int current = resolutionTag(view.paramValue(kResolution));
  const double sampleRate = feedLoad(view.engine.sampleRate);
  char text[64];
  for (int tag = 0; tag < 3; ++tag) {
    formatFftMenuEntry(tag, sampleRate, text, sizeof text);
    menu.AddItem(text, tag == current ? Item::kChecked : Item::kNoFlags, tag);
  }
}

iplug::igraphics::IRECT fftBoxRect(const VarnockView& view) {
  const double s = view.uiScale, dx = view.extraWidth, dy = view.extraHeight;
  return iplug::igraphics::IRECT(static_cast<float>(std::floor(594 * s + dx + 0.5)), static_cast<float>(std::floor(389 * s + dy + 0.5)),
                                 static_cast<float>(std::floor(744 * s + dx + 0.5)), static_cast<float>(std::floor(411 * s + dy + 0.5)));
}

} // namespace varnock
