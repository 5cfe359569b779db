#include "tools/render_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace render {
namespace {

constexpr auto kDelay = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressLine::ProgressLine(bool enabled, Clock::time_point runStart)
    : enabled_(enabled), firstDraw_(runStart + kDelay), nextDraw_(Clock::time_point::max()) {}

bool ProgressLine::stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void ProgressLine::setPosition(size_t number, size_t count) {
  position_ = count > 1 ? " (" + std::to_string(number) + "/" + std::to_string(count) + ")" : "";
}

void ProgressLine::start(const std::string& label, int64_t totalFrames) {
  finish();
  label_ = label + position_;
  total_ = totalFrames;
  nextDraw_ = enabled_ && total_ > 0 ? firstDraw_ : Clock::time_point::max();
}

void ProgressLine::draw(int64_t doneFrames, Clock::time_point now) {
  nextDraw_ = now + kRedrawInterval;
  const int percent = static_cast<int>(std::clamp<int64_t>(doneFrames * 100 / total_, 0, 100));
  const std::string text = "rendering " + label_ + ": " + std::to_string(percent) + "%";
  // Blanks over whatever is left of a longer previous line.
  const int pad = static_cast<int>(shownLength_ > text.size() ? shownLength_ - text.size() : 0);
  std::fprintf(stderr, "\r%s%*s", text.c_str(), pad, "");
  std::fflush(stderr);
  shownLength_ = std::max(text.size(), shownLength_);
}

void ProgressLine::finish() {
  nextDraw_ = Clock::time_point::max();
  if (shownLength_ == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(stderr);
  shownLength_ = 0;
}

}  // namespace render
