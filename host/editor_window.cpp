// The parts of EditorWindow that are the same on every platform.
#include "host/editor_window.h"

#include <chrono>

namespace vst3host {

void EditorWindow::close() {
  if (!view_) return;
  view_->removed();
  view_->setFrame(nullptr);
  view_->release();
  view_ = nullptr;
}

void EditorWindow::runFor(int milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (Clock::time_point now = Clock::now(); now < end; now = Clock::now())
    pumpOnce(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count()));
}

void EditorWindow::click(int x, int y, int button) {
  movePointer(x, y);
  pressButton(button);
  releaseButton(button);
}

}  // namespace vst3host
