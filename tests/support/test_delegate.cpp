#include "tests/support/test_delegate.h"

#include <algorithm>

namespace testsupport {
namespace {

iplug::Config MakeConfig() {
  iplug::Config c;
  c.nParams = 3;
  c.plugHasUI = true;
  c.plugWidth = TestDelegate::kWidth;
  c.plugHeight = TestDelegate::kHeight;
  c.plugHostResize = true;
  return c;
}

} // namespace

TestDelegate::TestDelegate() : IPlugAPIBase(MakeConfig()) {
  GetParam(0)->InitDouble("Gain", 0.0, -60.0, 12.0, 0.1, "dB");
  GetParam(1)->InitDouble("Mix", 100.0, 0.0, 100.0, 1.0, "%");
  GetParam(2)->InitEnum("Mode", 0, {"A", "B", "C"});
  SetSizeConstraints(kMinWidth, kMaxWidth, kMinHeight, kMaxHeight);
  mMakeGraphicsFunc = [this] { return iplug::igraphics::MakeGraphics(*this, kWidth, kHeight, 30, 1.f); };
  mLayoutFunc = [this](iplug::igraphics::IGraphics* g) {
    ++layoutCalls;
    lastLayoutWidth = g->Width();
    lastLayoutHeight = g->Height();
    if (onLayout) onLayout(*g, g->NControls() == 0);
  };
}

void RecordingControl::Draw(iplug::igraphics::IGraphics& g) {
  ++drawCount;
  if (mDraw) mDraw(g, *this);
}

void RecordingControl::OnMouseDown(float x, float y, const iplug::igraphics::IMouseMod& mod) {
  events.push_back({MouseEvent::Down, x, y, 0, 0, 0, mod});
}
void RecordingControl::OnMouseUp(float x, float y, const iplug::igraphics::IMouseMod& mod) {
  events.push_back({MouseEvent::Up, x, y, 0, 0, 0, mod});
}
void RecordingControl::OnMouseDrag(float x, float y, float dX, float dY, const iplug::igraphics::IMouseMod& mod) {
  events.push_back({MouseEvent::Drag, x, y, dX, dY, 0, mod});
}
void RecordingControl::OnMouseDblClick(float x, float y, const iplug::igraphics::IMouseMod& mod) {
  events.push_back({MouseEvent::DblClick, x, y, 0, 0, 0, mod});
}
void RecordingControl::OnMouseWheel(float x, float y, const iplug::igraphics::IMouseMod& mod, float d) {
  events.push_back({MouseEvent::Wheel, x, y, 0, 0, d, mod});
}
void RecordingControl::OnMouseOver(float x, float y, const iplug::igraphics::IMouseMod& mod) {
  events.push_back({MouseEvent::Over, x, y, 0, 0, 0, mod});
}
void RecordingControl::OnMouseOut() { events.push_back({MouseEvent::Out, 0, 0, 0, 0, 0, {}}); }

void RecordingControl::OnPopupMenuSelection(iplug::igraphics::IPopupMenu* menu, int index) {
  selections.emplace_back(menu, index);
}

int RecordingControl::Count(MouseEvent::Kind kind) const {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const MouseEvent& e) { return e.kind == kind; }));
}

const MouseEvent* RecordingControl::Last(MouseEvent::Kind kind) const {
  for (auto it = events.rbegin(); it != events.rend(); ++it)
    if (it->kind == kind) return &*it;
  return nullptr;
}

} // namespace testsupport
