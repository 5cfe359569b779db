#include "editor/varnock_view.h"

#include <chrono>
#include <cmath>

#include "editor/control_strip.h"
#include "editor/footer.h"
#include "editor/frame_scale.h"
#include "editor/header.h"
#include "editor/palette.h"
#include "plugin/presets.h"

namespace varnock {

using iplug::igraphics::IGraphics;
using iplug::igraphics::IMouseMod;
using iplug::igraphics::IPopupMenu;
using iplug::igraphics::IRECT;

namespace {
constexpr const char* kDefaultHelpText = "Drag or scroll  |  Shift = fine  |  Double-click = default";

double steadyClockSeconds() {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<double>(ns.count()) / 1e9;
}

// The parameters a factory preset sets (all but Delta, Resolution, Preset, UI Size):
// editing one of them marks the loaded preset as edited.
bool isPresetColumn(int paramIndex) {
  return paramIndex != kDelta && paramIndex != kResolution && paramIndex != kPreset &&
         paramIndex != kUISize && paramIndex >= 0 && paramIndex < kNumParams;
}
} // namespace

VarnockView::VarnockView(const IRECT& bounds, const SpectralEngine& engineRecord, EditorState& lastingState,
                         iplug::IPlugAPIBase& pluginObject)
    : IControl(bounds), engine(engineRecord), editorState(lastingState), plugin(pluginObject),
      wordMark(buildWordMark()),
      mClock(steadyClockSeconds) {}

VarnockView::~VarnockView() = default;

int VarnockView::designX(double x) const { return static_cast<int>(std::floor(uiScale * x + originX + 0.5)); }
int VarnockView::designY(double y) const { return static_cast<int>(std::floor(uiScale * y + originY + 0.5)); }
int VarnockView::designLength(double length) const { return static_cast<int>(std::floor(uiScale * length)); }

// ---- Input capture: the hooks only record; the frame interprets ----

void VarnockView::recordPointer(float x, float y, const IMouseMod& mod) {
  mouseX = x;
  mouseY = y;
  mCtrlHeld = mod.C;
  mShiftHeld = mod.S;
}

void VarnockView::OnMouseDown(float x, float y, const IMouseMod& mod) {
  recordPointer(x, y, mod);
  mButtonDown = true;
  mPressPending = true;
}

void VarnockView::OnMouseUp(float x, float y, const IMouseMod& mod) {
  recordPointer(x, y, mod);
  mButtonDown = false;
}

void VarnockView::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod) { recordPointer(x, y, mod); }

void VarnockView::OnMouseDblClick(float x, float y, const IMouseMod& mod) { OnMouseDown(x, y, mod); }

void VarnockView::OnMouseWheel(float x, float y, const IMouseMod& mod, float d) {
  recordPointer(x, y, mod);
  mWheelAccum += static_cast<double>(d) * 120.0;
}

void VarnockView::OnMouseOver(float x, float y, const IMouseMod& mod) { recordPointer(x, y, mod); }

void VarnockView::OnMouseOut() {
  // While a button is held a drag may continue outside the window.
  if (!mButtonDown) {
    mouseX = kMouseOutside;
    mouseY = kMouseOutside;
  }
}

// ---- Parameters ----

double VarnockView::paramValue(int paramIndex) const {
  const iplug::IParam* param = plugin.GetParam(paramIndex);
  return param != nullptr ? param->Value() : 0.0;
}

void VarnockView::editParam(int paramIndex, double value, double step) {
  const iplug::IParam* param = plugin.GetParam(paramIndex);
  if (param == nullptr) return;
  if (step > 0.0) value = std::floor(value / step + 0.5) * step;
  if (!(std::fabs(param->Value() - value) > 1e-9)) return;
  plugin.BeginInformHostOfParamChangeFromUI(paramIndex);
  plugin.SendParameterValueFromUI(paramIndex, param->ToNormalized(value));
  plugin.EndInformHostOfParamChangeFromUI(paramIndex);
  if (isPresetColumn(paramIndex)) editorState.presetModified = true;
}

void VarnockView::applyFactoryPreset(int n) { varnock::applyFactoryPreset(plugin, editorState, n); }

// ---- The frame ----

void VarnockView::beginFrame(IGraphics& g) {
  mGraphics = &g;
  const IRECT& r = GetRECT();
  const FrameScale scale = computeFrameScale(r.W(), r.H(), paramValue(kUISize), g.GetScreenScale());
  editorWidth = scale.editorWidth;
  editorHeight = scale.editorHeight;
  uiScale = scale.uiScale;
  extraWidth = scale.extraWidth;
  extraHeight = scale.extraHeight;
  originX = originY = 0.0;
  for (int slot = 1; slot <= 6; ++slot) mSlotSize[slot] = textSlotSize(slot, uiScale);
  mFontSlot = 1;
  mColour[3] = 1.0;
}

void VarnockView::Draw(IGraphics& g) {
  beginFrame(g);
  if (mFirstFrame) {
    mAnalyser.resetHeldPeak();
    mFirstFrame = false;
  }
  tooltipText = kDefaultHelpText;

  clickedThisFrame = mPressPending;
  mPressPending = false;
  downThisFrame = mButtonDown || clickedThisFrame;
  modifierFlags = (mShiftHeld ? kModShift : 0) + (mCtrlHeld ? kModCtrl : 0);
  if (!downThisFrame) activeId = kActiveNobody;
  wheelFrame = mWheelAccum;
  mWheelAccum = 0.0;

  frameTime = mClock();
  liveAmountDb = mLiveAmount.update(feedLoad(engine.peakGainDb), feedLoad(engine.frameCount), frameTime);

  const double mode = paramValue(kMode);
  modeIndex = static_cast<int>(std::floor(mode + 0.5));
  modeAccent = modeIndex == 1 ? kAccentBoost : modeIndex == 2 ? kAccentTame : kAccentCut;
  controlAccent = kControlAccent;
  buttonAccent = kControlAccent;

  setColour(kWindowBackground);
  fillRect(0, 0, editorWidth, editorHeight);

  drawHeader(*this);
  originX = originY = 0.0;
  mAnalyser.draw(*this);
  drawKnobPanel(*this);
  drawFooter(*this);

  serveMenus();
  prevMouseX = mouseX;
  mGraphics = nullptr;
}

// ---- Deferred popup menus ----

void VarnockView::serveMenus() {
  if (presetMenuRequested) {
    presetMenuRequested = false;
    fillPresetMenu(*this, presetMenu);
    mGraphics->CreatePopupMenu(*this, presetMenu, presetBoxRect(*this), static_cast<float>(uiScale));
  }
  if (fftMenuRequested) {
    fftMenuRequested = false;
    fillFftMenu(*this, fftMenu);
    mGraphics->CreatePopupMenu(*this, fftMenu, fftBoxRect(*this), static_cast<float>(uiScale));
  }
}

void VarnockView::OnPopupMenuSelection(IPopupMenu* menu, int index) {
  if (menu == nullptr || index < 0 || index >= menu->NItems()) return;
  const IPopupMenu::Item* item = menu->GetItem(index);
  if (item == nullptr || item->GetText()[0] == '\0') return;
  if (menu == &presetMenu)
    applyFactoryPreset(item->GetTag());
  else if (menu == &fftMenu)
    editParam(kResolution, item->GetTag(), 0.0);
}

} // namespace varnock
