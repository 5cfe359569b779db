// The editor view's window on Windows (not yet: no view window opens, so
// attached() fails cleanly and hosts show no editor).
#include "framework/vst3/view_window.h"

namespace iplug::vst3 {

const char* ViewWindow::PlatformType() { return "HWND"; }

std::unique_ptr<ViewWindow> ViewWindow::Open(void*, Steinberg::IPlugFrame*, igraphics::IGraphics&, int, int,
                                             std::function<void(int, int)>) {
  return nullptr;
}

} // namespace iplug::vst3
