#pragma once
// The progress line of varnock-render: "rendering IN: 42%" on stderr,
// redrawn in place, only when stderr is a terminal and only once the run has
// taken a second, at most ten times a second, and erased when a file is done.
//
// update() is meant for the processing loop: with the clock reading the loop
// takes anyway it is one comparison, and it writes to stderr only when a
// redraw is due.
#include <chrono>
#include <cstdint>
#include <string>

namespace render {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Shown when `enabled` (normally: stderr is a terminal), counting the one
  // second from `runStart`.
  ProgressLine(bool enabled, Clock::time_point runStart);
  ~ProgressLine() { finish(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  static bool stderrIsTerminal();

  // File `number` of `count` is next; with more than one, the line says which.
  void setPosition(size_t number, size_t count);
  // A new file: `label` names it, `totalFrames` is its length (unknown when
  // 0 or less: no progress is shown for it).
  void start(const std::string& label, int64_t totalFrames);
  void update(int64_t doneFrames, Clock::time_point now) {
    if (now >= nextDraw_) draw(doneFrames, now);
  }
  // Erases the line if one is shown.
  void finish();

 private:
  void draw(int64_t doneFrames, Clock::time_point now);

  bool enabled_;
  Clock::time_point firstDraw_, nextDraw_;
  std::string label_, position_;
  int64_t total_ = 0;
  size_t shownLength_ = 0;  // characters on the line now; 0: nothing shown
};

}  // namespace render
