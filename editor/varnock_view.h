#pragma once
// VarnockView: the whole editor as one immediate-mode control. Its mouse
// hooks only record input; once per frame Draw() lays out, draws and handles
// every widget in a fixed order (background, header, analyser, knob panel,
// footer, then deferred popup menus), deciding hover, presses, drags and the
// help text from the recorded input. No widget exists between frames: a
// widget is a call made while drawing, and its caller acts on the result at
// once. The frame state and the drawing vocabulary are public so that the
// header, control strip, footer and analyser (each in its own files) draw
// through the view, like an ImGui context.
//
// Coordinates: editor pixels, y down. Layout numbers are design pixels of the
// 760 x 416 canvas, converted by designX/designY/designLength every frame.
// Colours are doubles 0..1 turned into bytes as trunc(min(255, c*255 + 0.5)).
//
// Thread: the host's UI thread only. Owner: the graphics context it is
// attached to; it lives while the editor window is open. It reads the engine
// feed with feedLoad(), keeps its lasting flags in the plug-in's EditorState,
// and changes parameters only through editParam() / applyFactoryPreset().
#include <functional>

#include "dsp/spectral_engine.h"
#include "editor/analyser/analyser.h"
#include "editor/live_amount.h"
#include "editor/palette.h"
#include "editor/word_mark.h"
#include "plugin/editor_state.h"
#include "plugin/param_index.h"
#include "framework/graphics/control.h"
#include "framework/graphics/graphics.h"
#include "framework/graphics/popup_menu.h"
#include "framework/plugin_base.h"

namespace varnock {

// Modifier bits of modifierFlags.
constexpr int kModCtrl = 4;
constexpr int kModShift = 8;
// activeId values besides the widget ids (knobs 1..10, range handles 100/101).
constexpr int kActiveNobody = 0;
constexpr int kActiveConsumed = -1;
// mouseX/mouseY while the pointer is outside the editor.
constexpr double kMouseOutside = -10000.0;
// Two presses on one widget closer than this (seconds) are a double-click.
constexpr double kDoubleClickSeconds = 0.3;

class VarnockView : public iplug::igraphics::IControl {
public:
  VarnockView(const iplug::igraphics::IRECT& bounds, const SpectralEngine& engine, EditorState& editorState,
              iplug::IPlugAPIBase& plugin);
  ~VarnockView() override;

  // ---- Links ----
  const SpectralEngine& engine;      // the plug-in's engine record: the analysis feed
  EditorState& editorState;          // the plug-in's curve toggles and preset-edited mark
  iplug::IPlugAPIBase& plugin;       // parameters and host-informing edits

  // ---- Layout of this frame ----
  int editorWidth = 0, editorHeight = 0;       // the control rectangle's size, floored
  double uiScale = 1.0, extraWidth = 0.0, extraHeight = 0.0, originX = 0.0, originY = 0.0;
  int designX(double x) const;                 // floor(uiScale * x + originX + 0.5)
  int designY(double y) const;                 // floor(uiScale * y + originY + 0.5)
  int designLength(double length) const;       // floor(uiScale * length)

  // ---- Input of this frame (widget protocol) ----
  double mouseX = kMouseOutside, mouseY = kMouseOutside, prevMouseX = kMouseOutside;
  double wheelFrame = 0.0;                     // notches * 120 available this frame
  int modifierFlags = 0;                       // kModCtrl | kModShift
  bool downThisFrame = false, clickedThisFrame = false;
  int activeId = kActiveNobody;                // owner of the current press
  int lastClickId = 0;                         // widget of the last press that started a drag
  double lastClickTime = 0.0;                  // its frameTime, seconds
  double frameTime = 0.0;                      // clock seconds of this frame
  double dragValue = 0.0;                      // knob travel 0..1 while dragged, unrounded
  double dragAnchorY = 0.0;                    // mouseY at the last drag step, pixels

  // ---- The engine's live processing amount of this frame ----
  // peakGainDb while the engine produces frames, 0 once it has produced none
  // for LiveAmount::kTimeoutS (dB, >= 0). Every live readout uses this value.
  double liveAmountDb = 0.0;

  // ---- Colours of this frame ----
  int modeIndex = 0;                           // Mode rounded: 0 Cut, 1 Boost, 2 Tame
  Rgb modeAccent{0, 0, 0}, controlAccent{0, 0, 0}, buttonAccent{0, 0, 0};

  // ---- Help text and menu requests of this frame ----
  const char* tooltipText = "";                // shown by the footer's status line
  char valueText[48] = {};                     // scratch for formatted knob values
  bool presetMenuRequested = false, fftMenuRequested = false;

  // ---- Parameters ----
  double paramValue(int paramIndex) const;     // current plain value (0 for a bad index)
  // Rounds to step (if > 0); when the result differs from the current value
  // by more than 1e-9, sends it as one begin/send/end gesture and marks the
  // preset edited for the 14 preset columns. Otherwise sends nothing.
  void editParam(int paramIndex, double value, double step);
  void applyFactoryPreset(int n);              // 1..10; see plugin/presets.h

  // ---- Drawing vocabulary (valid during Draw(); editor pixels, in the colour last set) ----
  void setColour(double r, double g, double b, double a = 1.0);
  void setColour(const Rgb& c, double a = 1.0);
  void fillRect(double x, double y, double w, double h);          // floored; nothing if w or h <= 0
  void outlineRect(double x, double y, double w, double h);       // four 1-pixel strips
  void line(double x1, double y1, double x2, double y2);          // between (x + 0.5, y + 0.5) points
  // line() at every whole-pixel vertical offset from `from` to `to`, in that order.
  void lineStack(double x1, double y1, double x2, double y2, int from, int to);
  void fillCircle(double cx, double cy, double r);                // centred at (cx + 0.5, cy + 0.5)
  // A stroke `thickness` pixels wide centred on radius r, from a1 to a2
  // degrees clockwise from 12 o'clock: a ring is one even band.
  void arc(double cx, double cy, double r, double a1Deg, double a2Deg, double thickness = 1.0);
  void fillTriangle(double x1, double y1, double x2, double y2, double x3, double y3);
  void gradientRect(double x, double y, double w, double h, double alpha);  // modeAccent alpha -> 0
  void fillPolygon(const float* xy, int pointCount);               // closed, non-zero fill
  void setFontSlot(int slot);                                      // 1..6
  int fontSize(int slot) const;                                    // slot size of this frame, pixels
  int measureText(const char* text);                               // width, rounded up
  double textCursorX = 0.0, textCursorY = 0.0;
  void textRun(const char* text);
  void centredText(const char* text, double x, double w, double y, double h);
  void setHelpText(const char* text) { tooltipText = text; }
  // Draws the document scaled into the rectangle.
  void drawSvg(const iplug::igraphics::ISVG& svg, double x, double y, double w, double h);
  // The graphics context of the current frame (nullptr outside Draw()).
  iplug::igraphics::IGraphics* graphics() const { return mGraphics; }

  // Replaces the steady clock (tests drive frameTime deterministically).
  void setClock(std::function<double()> clock) { mClock = std::move(clock); }

  // The preset and FFT size popup menus, filled only when they are shown.
  iplug::igraphics::IPopupMenu presetMenu, fftMenu;
  // The footer's VST logo, parsed on first use and kept.
  iplug::igraphics::ISVG vstLogoImage;
  // The header word-mark, parsed at construction.
  WordMark wordMark;

  // ---- IControl hooks ----
  void Draw(iplug::igraphics::IGraphics& g) override;
  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float d) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnPopupMenuSelection(iplug::igraphics::IPopupMenu* menu, int index) override;
  bool IsDirty() override { return true; }

private:
  void recordPointer(float x, float y, const iplug::igraphics::IMouseMod& mod);
  void beginFrame(iplug::igraphics::IGraphics& g);
  void serveMenus();
  iplug::igraphics::IColor drawIColor() const;
  iplug::igraphics::IText textStyle() const;

  Analyser mAnalyser;
  iplug::igraphics::IGraphics* mGraphics = nullptr;
  std::function<double()> mClock;
  bool mFirstFrame = true;
  LiveAmount mLiveAmount;

  // Input capture, written by the mouse hooks.
  double mWheelAccum = 0.0;                    // notches * 120 since the last frame
  bool mButtonDown = false, mPressPending = false, mCtrlHeld = false, mShiftHeld = false;

  // Drawing state.
  double mColour[4] = {0, 0, 0, 1};            // drawing colour r, g, b, a
  int mFontSlot = 1;
  int mSlotSize[7] = {};                       // index 1..6, pixels of this frame
};

} // namespace varnock
