#include "run/scenario_names.h"

#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

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

Status CheckNamePart(const std::string& name) {
  if (name.empty()) return Status::Invalid("is empty");
  if (name == "." || name == "..") return Status::Invalid("is \"" + name + "\"");
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') return Status::Invalid("contains \"" + std::string(1, c) + "\"");
    if (u < 0x20 || u == 0x7F) return Status::Invalid("contains a control character");
  }
  return Status::Ok();
}

namespace {

// The Windows-1252 text of a name spelt the platform's way.
Status NameAsText(const std::string& native, const char* what, std::string* text) {
  if (NativeTextIsCp1252()) {
    *text = native;
    return Status::Ok();
  }
  std::string offender;
  switch (Cp1252FromUtf8(native, text, &offender)) {
    case Cp1252Conversion::kConverted: return Status::Ok();
    case Cp1252Conversion::kNotUtf8: *text = native; return Status::Ok();
    case Cp1252Conversion::kNoByte: break;
  }
  return Status::Invalid(std::string("the ") + what + " \"" + native + "\" holds \"" + offender +
                         "\", which Windows-1252 cannot write; the simulator reads names in "
                         "Windows-1252");
}

}  // namespace

Status SetScenarioNames(const std::string& line, const std::string& train, RunState& state) {
  Status problem = NameAsText(line, "line name", &state.line_name);
  if (problem.ok()) problem = NameAsText(train, "train number", &state.train_number);
  state.line_file_part = state.line_name == line ? std::string() : line;
  state.train_file_part = state.train_number == train ? std::string() : train;
  return problem;
}

}  // namespace sc
