#pragma once
// A minimal plug-in delegate for the graphics tests: three parameters, an
// editor of 400 x 300 that may be resized within 200..800 x 150..600 by host
// or corner handle, and a layout hook that the test fills in. Plus
// RecordingControl, a control that records every mouse event and frame it
// gets. UI thread only.
#include <functional>
#include <utility>
#include <vector>

#include "framework/graphics/control.h"
#include "framework/graphics/graphics.h"
#include "framework/plugin_base.h"

namespace testsupport {

class TestDelegate : public iplug::IPlugAPIBase {
public:
  static constexpr int kWidth = 400, kHeight = 300;
  static constexpr int kMinWidth = 200, kMaxWidth = 800, kMinHeight = 150, kMaxHeight = 600;

  TestDelegate();

  // Called by the layout hook after it counted the call; firstCall is true
  // when the graphics context has no controls yet.
  std::function<void(iplug::igraphics::IGraphics& g, bool firstCall)> onLayout;
  int layoutCalls = 0;
  int lastLayoutWidth = 0, lastLayoutHeight = 0;   // the context's size at the last layout call
};

struct MouseEvent {
  enum Kind { Down, Up, Drag, DblClick, Wheel, Over, Out };
  Kind kind;
  float x = 0.f, y = 0.f;
  float dX = 0.f, dY = 0.f;                    // drag delta
  float notches = 0.f;                         // wheel
  iplug::igraphics::IMouseMod mod;
};

class RecordingControl : public iplug::igraphics::IControl {
public:
  using DrawFunc = std::function<void(iplug::igraphics::IGraphics&, RecordingControl&)>;
  explicit RecordingControl(const iplug::igraphics::IRECT& bounds, DrawFunc draw = {})
      : IControl(bounds), mDraw(std::move(draw)) {}

  void Draw(iplug::igraphics::IGraphics& g) override;
  void OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float d) override;
  void OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnPopupMenuSelection(iplug::igraphics::IPopupMenu* menu, int index) override;

  int Count(MouseEvent::Kind kind) const;
  const MouseEvent* Last(MouseEvent::Kind kind) const;   // nullptr when none

  std::vector<MouseEvent> events;
  std::vector<std::pair<iplug::igraphics::IPopupMenu*, int>> selections;
  int drawCount = 0;
  bool alwaysDirty = false;                    // redraw every frame

  bool IsDirty() override { return alwaysDirty || IControl::IsDirty(); }

private:
  DrawFunc mDraw;
};

} // namespace testsupport
