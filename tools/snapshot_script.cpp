#include "tools/snapshot_script.h"

#include <sstream>

namespace varnock {

bool parseScript(const std::string& text, std::vector<ScriptEvent>* events, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream words(line);
    std::string action;
    ScriptEvent event;
    if (!(words >> event.time)) {
      words.clear();
      std::string first;
      if (!(words >> first) || first[0] == '#') continue;   // blank or comment
      *error = "line " + std::to_string(number) + ": expected a time";
      return false;
    }
    if (!(words >> action)) {
      *error = "line " + std::to_string(number) + ": expected an action";
      return false;
    }
    if (action == "leave") {
      event.kind = ScriptEvent::Kind::Leave;
    } else {
      if (action == "move") event.kind = ScriptEvent::Kind::Move;
      else if (action == "press") event.kind = ScriptEvent::Kind::Press;
      else if (action == "release") event.kind = ScriptEvent::Kind::Release;
      else if (action == "wheel") event.kind = ScriptEvent::Kind::Wheel;
      else {
        *error = "line " + std::to_string(number) + ": unknown action '" + action + "'";
        return false;
      }
      if (!(words >> event.x >> event.y) ||
          (event.kind == ScriptEvent::Kind::Wheel && !(words >> event.notches))) {
        *error = "line " + std::to_string(number) + ": missing coordinates";
        return false;
      }
      std::string modifier;
      while (words >> modifier) {
        if (modifier == "shift") event.shift = true;
        else if (modifier == "ctrl") event.ctrl = true;
        else {
          *error = "line " + std::to_string(number) + ": unknown modifier '" + modifier + "'";
          return false;
        }
      }
    }
    events->push_back(event);
  }
  return true;
}

} // namespace varnock
