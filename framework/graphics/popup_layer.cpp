#include "framework/graphics/popup_layer.h"

#include <algorithm>
#include <cmath>

#include "nanovg.h"

namespace iplug::igraphics {
namespace {

const NVGcolor kBackground = nvgRGBA(38, 40, 48, 250);
const NVGcolor kBorder = nvgRGBA(96, 99, 112, 255);
const NVGcolor kHighlight = nvgRGBA(66, 104, 168, 255);
const NVGcolor kText = nvgRGBA(232, 234, 240, 255);
const NVGcolor kDimText = nvgRGBA(128, 131, 142, 255);
const NVGcolor kSeparator = nvgRGBA(78, 81, 94, 255);

} // namespace

float PopupLayer::Scaled(float length) const { return std::max(1.f, std::floor(length * mScale + 0.5f)); }

void PopupLayer::Open(IControl& caller, IPopupMenu& menu, const IRECT& anchor, float windowW, float windowH,
                      NVGcontext* vg, int font, float lineHeightPerEm, float scale) {
  mCaller = &caller;
  mMenu = &menu;
  mHighlight = -1;
  mDirty = true;
  mScale = scale > 0.f && std::isfinite(scale) ? scale : 1.f;

  float textWidth = 0.f;
  if (vg && font >= 0) {
    nvgSave(vg);
    nvgFontFaceId(vg, font);
    nvgFontSize(vg, kTextSize * mScale * lineHeightPerEm);
    for (int i = 0; i < menu.NItems(); ++i) {
      const IPopupMenu::Item* item = menu.GetItem(i);
      if (!item->GetIsSeparator())
        textWidth = std::max(textWidth, nvgTextBounds(vg, 0.f, 0.f, item->GetText(), nullptr, nullptr));
    }
    nvgRestore(vg);
  }

  const float padding = Scaled(kPadding), itemHeight = Scaled(kItemHeight), separatorHeight = Scaled(kSeparatorHeight);
  mRowTops.assign(1, padding);
  for (int i = 0; i < menu.NItems(); ++i)
    mRowTops.push_back(mRowTops.back() + (menu.GetItem(i)->GetIsSeparator() ? separatorHeight : itemHeight));
  const float h = mRowTops.back() + padding;
  const float w = std::max(anchor.W(), std::ceil(textWidth) + Scaled(kTextLeft) + Scaled(kTextRight));

  // Below the anchor when it fits, else above it when that fits, else as low
  // as the window allows; never past the window's left or top edge.
  float top = anchor.B;
  if (top + h > windowH) top = anchor.T - h >= 0.f ? anchor.T - h : windowH - h;
  top = std::max(0.f, top);
  float left = std::min(anchor.L, windowW - w);
  left = std::max(0.f, left);
  mRect = IRECT(left, top, left + w, top + h);
  for (float& rowTop : mRowTops) rowTop += top;
}

void PopupLayer::Reset() {
  mCaller = nullptr;
  mMenu = nullptr;
  mHighlight = -1;
  mRowTops.clear();
}

int PopupLayer::EntryAt(float x, float y) const {
  if (!IsOpen() || !mRect.Contains(x, y)) return -1;
  for (int i = 0; i + 1 < static_cast<int>(mRowTops.size()); ++i)
    if (y >= mRowTops[i] && y < mRowTops[i + 1]) return i;
  return -1;
}

bool PopupLayer::IsSelectable(int index) const {
  const IPopupMenu::Item* item = mMenu ? mMenu->GetItem(index) : nullptr;
  return item && !item->GetIsSeparator() && item->GetEnabled() && !(item->GetFlags() & IPopupMenu::Item::kTitle);
}

PopupLayer::Outcome PopupLayer::Close(IPopupMenu* chosenMenu, int index) {
  Outcome out;
  out.closed = true;
  out.caller = mCaller;
  out.menu = chosenMenu;
  out.index = index;
  Reset();
  return out;
}

PopupLayer::Outcome PopupLayer::OnMouseDown(float x, float y) {
  if (!IsOpen()) return {};
  if (!mRect.Contains(x, y)) return Close(nullptr, -1);
  const int index = EntryAt(x, y);
  if (!IsSelectable(index)) return {};
  IPopupMenu* menu = mMenu;
  menu->SetChosenItemIdx(index);
  return Close(menu, index);
}

bool PopupLayer::OnMouseMove(float x, float y) {
  if (!IsOpen()) return false;
  const int index = EntryAt(x, y);
  const int highlight = IsSelectable(index) ? index : -1;
  if (highlight == mHighlight) return false;
  mHighlight = highlight;
  mDirty = true;
  return true;
}

void PopupLayer::OnMouseOut() {
  if (IsOpen() && mHighlight != -1) {
    mHighlight = -1;
    mDirty = true;
  }
}

PopupLayer::Outcome PopupLayer::Dismiss() {
  return IsOpen() ? Close(nullptr, -1) : Outcome{};
}

void PopupLayer::Draw(NVGcontext* vg, int font, float lineHeightPerEm) {
  if (!IsOpen() || !vg) return;
  mDirty = false;
  const float s = mScale;
  // Hairlines (border, separators) are whole pixels thick, one at scale 1.
  const float hairline = std::max(1.f, std::floor(s));
  nvgSave(vg);
  nvgBeginPath(vg);
  nvgRect(vg, mRect.L, mRect.T, mRect.W(), mRect.H());
  nvgFillColor(vg, kBackground);
  nvgFill(vg);
  nvgBeginPath(vg);
  nvgRect(vg, mRect.L + hairline * 0.5f, mRect.T + hairline * 0.5f, mRect.W() - hairline, mRect.H() - hairline);
  nvgStrokeColor(vg, kBorder);
  nvgStrokeWidth(vg, hairline);
  nvgStroke(vg);

  if (font >= 0) {
    nvgFontFaceId(vg, font);
    nvgFontSize(vg, kTextSize * s * lineHeightPerEm);
    nvgTextAlign(vg, NVG_ALIGN_LEFT | NVG_ALIGN_MIDDLE);
  }
  const float separatorInset = Scaled(6.f), highlightInset = Scaled(2.f);
  for (int i = 0; i < mMenu->NItems(); ++i) {
    const IPopupMenu::Item* item = mMenu->GetItem(i);
    const float top = mRowTops[i], bottom = mRowTops[i + 1], mid = (top + bottom) * 0.5f;
    if (item->GetIsSeparator()) {
      nvgBeginPath(vg);
      nvgRect(vg, mRect.L + separatorInset, std::floor(mid - (hairline - 1.f) * 0.5f),
              mRect.W() - 2.f * separatorInset, hairline);
      nvgFillColor(vg, kSeparator);
      nvgFill(vg);
      continue;
    }
    if (i == mHighlight) {
      nvgBeginPath(vg);
      nvgRect(vg, mRect.L + highlightInset, top, mRect.W() - 2.f * highlightInset, bottom - top);
      nvgFillColor(vg, kHighlight);
      nvgFill(vg);
    }
    const NVGcolor colour = IsSelectable(i) ? kText : kDimText;
    if (item->GetChecked()) {
      // A tick: short stroke down to the right, long stroke up.
      const float x = mRect.L + 7.f * s;
      nvgBeginPath(vg);
      nvgMoveTo(vg, x, mid);
      nvgLineTo(vg, x + 3.f * s, mid + 3.5f * s);
      nvgLineTo(vg, x + 9.f * s, mid - 4.f * s);
      nvgStrokeColor(vg, colour);
      nvgStrokeWidth(vg, 1.6f * s);
      nvgStroke(vg);
    }
    if (font >= 0) {
      nvgFillColor(vg, colour);
      nvgText(vg, mRect.L + Scaled(kTextLeft), mid, item->GetText(), nullptr);
    }
  }
  nvgRestore(vg);
}

} // namespace iplug::igraphics
