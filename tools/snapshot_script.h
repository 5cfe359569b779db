#pragma once
// Input scripts of varnock-snapshot: one timed event per line,
//   <seconds> move X Y | press X Y [shift|ctrl ...] | release X Y | wheel X Y NOTCHES | leave
// Blank lines and lines starting with '#' are skipped.
#include <string>
#include <vector>

namespace varnock {

struct ScriptEvent {
  enum class Kind { Move, Press, Release, Wheel, Leave };
  double time = 0.0;           // seconds
  Kind kind = Kind::Move;
  double x = 0.0, y = 0.0;     // editor pixels
  double notches = 0.0;        // wheel only, positive = up
  bool shift = false, ctrl = false;
};

// Parses the whole text; false and *error (with the line number) on a bad line.
bool parseScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error);

} // namespace varnock
