#include "tests/support/json.h"

#include <cstdlib>

namespace testsupport {
namespace {

class Parser {
public:
  explicit Parser(const std::string& text) : s_(text) {}

  bool document(Json* out, std::string* error) {
    if (!value(out, 0) || (skip(), pos_ != s_.size())) {
      *error = "not JSON at offset " + std::to_string(pos_);
      return false;
    }
    return true;
  }

private:
  void skip() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t')) ++pos_;
  }
  bool eat(char c) {
    skip();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool word(const char* w) {
    const std::string text(w);
    if (s_.compare(pos_, text.size(), text) != 0) return false;
    pos_ += text.size();
    return true;
  }
  bool string(std::string* out) {
    if (!eat('"')) return false;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      char c = s_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (pos_ >= s_.size()) return false;
        c = s_[pos_++];
        switch (c) {
          case '"': case '\\': case '/': break;
          case 'n': c = '\n'; break;
          case 't': c = '\t'; break;
          case 'r': c = '\r'; break;
          case 'b': c = '\b'; break;
          case 'f': c = '\f'; break;
          case 'u': {
            if (pos_ + 4 > s_.size()) return false;
            const long code = std::strtol(s_.substr(pos_, 4).c_str(), nullptr, 16);
            pos_ += 4;
            if (code >= 0x80) return false;   // the files checked hold ASCII escapes only
            c = static_cast<char>(code);
            break;
          }
          default: return false;
        }
      }
      *out += c;
    }
    return eat('"');
  }
  bool value(Json* out, int depth) {
    if (depth > 64) return false;
    skip();
    if (pos_ >= s_.size()) return false;
    const char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      out->kind = Json::Kind::Object;
      if (eat('}')) return true;
      do {
        std::string key;
        if (!string(&key) || !eat(':') || !value(&out->members[key], depth + 1)) return false;
      } while (eat(','));
      return eat('}');
    }
    if (c == '[') {
      ++pos_;
      out->kind = Json::Kind::Array;
      if (eat(']')) return true;
      do {
        out->items.emplace_back();
        if (!value(&out->items.back(), depth + 1)) return false;
      } while (eat(','));
      return eat(']');
    }
    if (c == '"') {
      out->kind = Json::Kind::String;
      return string(&out->text);
    }
    if (word("true") || word("false")) {
      out->kind = Json::Kind::Bool;
      out->boolean = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
      return true;
    }
    if (word("null")) return true;
    char* end = nullptr;
    out->number = std::strtod(s_.c_str() + pos_, &end);
    if (end == s_.c_str() + pos_) return false;
    out->kind = Json::Kind::Number;
    pos_ = static_cast<size_t>(end - s_.c_str());
    return true;
  }

  const std::string& s_;
  size_t pos_ = 0;
};

} // namespace

const Json& Json::operator[](const std::string& key) const {
  static const Json kNull;
  const auto found = members.find(key);
  return found == members.end() ? kNull : found->second;
}

bool parseJson(const std::string& text, Json* out, std::string* error) { return Parser(text).document(out, error); }

} // namespace testsupport
