#pragma once
// A small JSON reader for tests that check files the build writes (strict
// JSON: objects, arrays, strings with escapes, numbers, true/false/null).
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0.0;
  std::string text;
  std::vector<Json> items;                    // Array
  std::map<std::string, Json> members;        // Object

  // The member `key` of an object; a Null value when there is none.
  const Json& operator[](const std::string& key) const;
};

// Parses `text`; false and *error (with the offset) when it is not JSON.
bool parseJson(const std::string& text, Json* out, std::string* error);

} // namespace testsupport
