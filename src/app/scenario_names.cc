#include "app/scenario_names.h"

namespace sc {
namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

}  // namespace

std::string BaseName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  return path.substr(i);
}

std::string FolderOf(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsSeparator(path[i - 1])) --i;
  if (i == 0) return ".";
  if (i == 1) return path.substr(0, 1);
  return path.substr(0, i - 1);
}

std::optional<std::string> LineNameFromFile(const std::string& path) {
  static const std::string kSuffix = "_linea.txt";
  std::string base = BaseName(path);
  if (!EndsWith(base, kSuffix) || base.size() == kSuffix.size()) return std::nullopt;
  return base.substr(0, base.size() - kSuffix.size());
}

std::optional<std::string> TrainNumberFromFile(const std::string& path,
                                               const std::optional<std::string>& line_name) {
  static const std::string kSuffix = "-.txt";
  std::string base = BaseName(path);
  if (!EndsWith(base, kSuffix)) return std::nullopt;
  std::string stem = base.substr(0, base.size() - kSuffix.size());
  if (line_name && stem.size() > line_name->size() + 1 &&
      stem.compare(0, line_name->size(), *line_name) == 0 && stem[line_name->size()] == '_') {
    return stem.substr(line_name->size() + 1);
  }
  size_t underscore = stem.rfind('_');
  if (underscore == std::string::npos || underscore + 1 == stem.size()) return std::nullopt;
  return stem.substr(underscore + 1);
}

std::string NamePartProblem(const std::string& name) {
  if (name.empty()) return "is empty";
  if (name == "." || name == "..") return "is \"" + name + "\"";
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') return "contains \"" + std::string(1, c) + "\"";
    if (u < 0x20 || u == 0x7F) return "contains a control character";
  }
  return "";
}

}  // namespace sc
