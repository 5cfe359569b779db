#include "tools/render_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace render {
namespace {

using vst3host::ParameterDescription;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

std::string trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string joinQuoted(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "\"" : ", \"") + item + "\"";
  return out;
}

const ParameterDescription* findByTitle(const std::vector<ParameterDescription>& params, const std::string& name) {
  for (const ParameterDescription& p : params)
    if (p.title == name) return &p;
  const ParameterDescription* match = nullptr;
  for (const ParameterDescription& p : params) {
    if (!sameIgnoringCase(p.title, name)) continue;
    if (match) return nullptr;  // ambiguous
    match = &p;
  }
  return match;
}

bool isList(const ParameterDescription& p) {
  return (p.flags & Steinberg::Vst::ParameterInfo::kIsList) != 0 && p.stepCount > 0;
}

// The texts of a list parameter, value 0 first.
std::vector<std::string> listTexts(const vst3host::HostedPlugin& plugin, const ParameterDescription& p) {
  std::vector<std::string> texts;
  for (int i = 0; i <= p.stepCount; ++i) {
    std::string text;
    plugin.valueToText(p.id, static_cast<double>(i) / p.stepCount, &text);
    texts.push_back(text);
  }
  return texts;
}

// The text to hand the plug-in for a list parameter: its own spelling of
// the text the user typed; false when none matches.
bool matchListText(const std::vector<std::string>& texts, const std::string& value, std::string* canonical) {
  for (const std::string& text : texts) {
    if (text == value || sameIgnoringCase(text, value)) {
      *canonical = text;
      return true;
    }
  }
  return false;
}

// A continuous value: a leading number, then nothing or the unit.
bool checkNumber(const ParameterDescription& p, const std::string& value, std::string* error) {
  const char* start = value.c_str();
  char* end = nullptr;
  std::strtod(start, &end);
  if (end == start) {
    *error = p.title + ": \"" + value + "\" is not a number";
    return false;
  }
  const std::string rest = trim(end);
  if (!rest.empty() && !sameIgnoringCase(rest, p.units)) {
    *error = p.title + ": unexpected \"" + rest + "\" after the number" +
             (p.units.empty() ? "" : " (the unit is \"" + p.units + "\")");
    return false;
  }
  return true;
}

}  // namespace

bool resolveSettings(const vst3host::HostedPlugin& plugin,
                     const std::vector<std::pair<std::string, std::string>>& settings,
                     std::vector<ParameterSetting>* resolved, std::string* error) {
  const std::vector<ParameterDescription> params = plugin.parameters();
  resolved->clear();
  for (const auto& [rawName, rawValue] : settings) {
    const std::string name = trim(rawName), value = trim(rawValue);
    const ParameterDescription* p = findByTitle(params, name);
    if (!p) {
      std::vector<std::string> titles;
      for (const ParameterDescription& d : params) titles.push_back(d.title);
      *error = "unknown parameter \"" + name + "\"; the parameters are " + joinQuoted(titles);
      return false;
    }
    std::string text = value;
    if (isList(*p)) {
      const std::vector<std::string> texts = listTexts(plugin, *p);
      if (!matchListText(texts, value, &text)) {
        *error = p->title + ": \"" + value + "\" is not one of " + joinQuoted(texts);
        return false;
      }
    } else if (!checkNumber(*p, value, error)) {
      return false;
    }
    ParameterSetting setting;
    setting.id = p->id;
    if (!plugin.textToValue(p->id, text, &setting.normalized)) {
      *error = p->title + ": the plug-in does not accept \"" + value + "\"";
      return false;
    }
    resolved->push_back(setting);
  }
  return true;
}

}  // namespace render
