#include "host/module_info.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "pluginterfaces/base/funknown.h"

namespace vst3host {
namespace {

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// "Fx|Dynamics" -> ["Fx", "Dynamics"].
std::string subCategoryList(const std::string& subCategories) {
  std::string out = "[";
  std::stringstream parts(subCategories);
  std::string part;
  bool first = true;
  while (std::getline(parts, part, '|')) {
    if (part.empty()) continue;
    out += (first ? "" : ", ") + jsonString(part);
    first = false;
  }
  return out + "]";
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::string moduleInfoClassId(const ClassId& id) {
  const Steinberg::FUID fuid = Steinberg::FUID::fromTUID(reinterpret_cast<const Steinberg::char8*>(id.data()));
  char text[33];
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", static_cast<unsigned>(fuid.getLong1()),
                static_cast<unsigned>(fuid.getLong2()), static_cast<unsigned>(fuid.getLong3()),
                static_cast<unsigned>(fuid.getLong4()));
  return text;
}

std::string moduleInfoJson(Module& module, const std::string& name,
                           const std::function<std::vector<Snapshot>(const std::string& cid)>& snapshots) {
  const FactoryDescription factory = module.factory().info();
  const std::vector<ClassDescription>& classes = module.factory().classes();
  const auto flag = [&](Steinberg::int32 bit) { return (factory.flags & bit) != 0 ? "true" : "false"; };
  std::string version;
  for (const ClassDescription& cls : classes)
    if (version.empty() && cls.hasInfo2) version = cls.version;

  std::string out = "{\n";
  out += "  \"Name\": " + jsonString(name) + ",\n";
  out += "  \"Version\": " + jsonString(version) + ",\n";
  out += "  \"Factory Info\": {\n";
  out += "    \"Vendor\": " + jsonString(factory.vendor) + ",\n";
  out += "    \"URL\": " + jsonString(factory.url) + ",\n";
  out += "    \"E-Mail\": " + jsonString(factory.email) + ",\n";
  out += "    \"Flags\": {\n";
  out += std::string("      \"Unicode\": ") + flag(Steinberg::PFactoryInfo::kUnicode) + ",\n";
  out += std::string("      \"Classes Discardable\": ") + flag(Steinberg::PFactoryInfo::kClassesDiscardable) + ",\n";
  out += std::string("      \"Component Non Discardable\": ") +
         flag(Steinberg::PFactoryInfo::kComponentNonDiscardable) + "\n";
  out += "    }\n";
  out += "  },\n";
  out += "  \"Compatibility\": [],\n";
  out += "  \"Classes\": [";
  for (size_t i = 0; i < classes.size(); ++i) {
    const ClassDescription& cls = classes[i];
    const std::string cid = moduleInfoClassId(cls.id);
    out += i == 0 ? "\n" : ",\n";
    out += "    {\n";
    out += "      \"CID\": " + jsonString(cid) + ",\n";
    out += "      \"Category\": " + jsonString(cls.category) + ",\n";
    out += "      \"Name\": " + jsonString(cls.name) + ",\n";
    out += "      \"Vendor\": " + jsonString(cls.vendor) + ",\n";
    out += "      \"Version\": " + jsonString(cls.version) + ",\n";
    out += "      \"SDKVersion\": " + jsonString(cls.sdkVersion) + ",\n";
    out += "      \"Sub Categories\": " + subCategoryList(cls.subCategories) + ",\n";
    out += "      \"Class Flags\": " + std::to_string(cls.classFlags) + ",\n";
    out += "      \"Cardinality\": " + std::to_string(cls.cardinality) + ",\n";
    out += "      \"Snapshots\": [";
    const std::vector<Snapshot> pictures = snapshots ? snapshots(cid) : std::vector<Snapshot>{};
    for (size_t s = 0; s < pictures.size(); ++s)
      out += std::string(s == 0 ? "\n" : ",\n") + "        {\"Scale Factor\": " + number(pictures[s].scaleFactor) +
             ", \"Path\": " + jsonString(pictures[s].path) + "}";
    out += pictures.empty() ? "]\n" : "\n      ]\n";
    out += "    }";
  }
  out += classes.empty() ? "]\n" : "\n  ]\n";
  out += "}\n";
  return out;
}

std::vector<Snapshot> findSnapshots(const std::string& resourcesDir, const std::string& cid) {
  namespace fs = std::filesystem;
  std::vector<Snapshot> found;
  std::error_code ec;
  const fs::path dir = fs::path(resourcesDir) / "Snapshots";
  for (fs::directory_iterator entry(dir, ec), end; !ec && entry != end; entry.increment(ec)) {
    const std::string file = entry->path().filename().string();
    const std::string stem = cid + "_snapshot";
    if (file.rfind(stem, 0) != 0 || entry->path().extension() != ".png") continue;
    const std::string rest = file.substr(stem.size(), file.size() - stem.size() - 4);   // "" or "_2.0x"
    double scale = 1.0;
    if (!rest.empty()) {
      if (rest.size() < 3 || rest.front() != '_' || rest.back() != 'x') continue;
      char* end = nullptr;
      const std::string factor = rest.substr(1, rest.size() - 2);
      scale = std::strtod(factor.c_str(), &end);
      if (end != factor.c_str() + factor.size() || !(scale > 0.0)) continue;
    }
    found.push_back({scale, "Snapshots/" + file});
  }
  std::sort(found.begin(), found.end(), [](const Snapshot& a, const Snapshot& b) { return a.scaleFactor < b.scaleFactor; });
  return found;
}

}  // namespace vst3host
