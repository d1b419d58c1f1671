#include "commands/scenario_check.h"

#include <algorithm>
#include <cctype>

#include "app/report.h"
#include "app/scenario_names.h"
#include "platform/env.h"
#include "compiler/compile.h"

namespace sc {
namespace {

// Stands in for a train file that is not there, so the line description
// can be checked alone.
constexpr const char* kEmptyTrain = "[generale]\r\n[fine]\r\n";

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The closest record keyword within two edits, or "".
std::string Suggestion(ScenarioFile file, const std::string& field) {
  const std::string word = Lower(field);
  std::string best;
  size_t best_distance = 3;
  for (const RecordFormat& r : RecordFormats()) {
    if (r.file != file) continue;
    for (const char* candidate : {r.keyword, r.contains[0]}) {
      size_t d = EditDistance(word, Lower(candidate));
      if (d < best_distance) {
        best_distance = d;
        best = r.keyword;
      }
    }
  }
  return best;
}

// The columns of a line's text without its leading and trailing blanks.
void LineExtent(const std::string& bytes, int line, int* begin, int* end) {
  size_t pos = 0;
  for (int i = 0; i < line && pos < bytes.size(); ++i) {
    size_t next = bytes.find_first_of("\r\n", pos);
    if (next == std::string::npos) {
      pos = bytes.size();
      break;
    }
    pos = next + ((bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1);
  }
  size_t stop = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
  std::string_view text(bytes.data() + pos, stop - pos);
  size_t first = text.find_first_not_of(" \t");
  size_t last = text.find_last_not_of(" \t");
  *begin = first == std::string_view::npos ? 0 : static_cast<int>(first);
  *end = last == std::string_view::npos ? 0 : static_cast<int>(last + 1);
}

void SetNames(const std::string& line_path, const std::optional<ScenarioText>& train, RunState& state) {
  std::string line = LineNameFromFile(line_path).value_or("scenario");
  std::string number = train ? TrainNumberFromFile(train->path, line).value_or("0") : "0";
  if (!SetScenarioNames(line, number, state).empty()) {
    state.line_name = line;
    state.train_number = number;
  }
}

bool HasLetter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

}  // namespace

std::optional<ScenarioFile> ScenarioFileFromName(const std::string& path) {
  if (LineNameFromFile(path)) return ScenarioFile::kLine;
  if (TrainNumberFromFile(path, std::nullopt)) return ScenarioFile::kTrain;
  return std::nullopt;
}

std::optional<std::string> LineFileOfTrain(const std::string& train_path) {
  const std::string base = BaseName(train_path);
  size_t underscore = base.rfind('_');
  if (!TrainNumberFromFile(train_path, std::nullopt) || underscore == 0) return std::nullopt;
  const std::string name = base.substr(0, underscore) + "_linea.txt";
  return train_path.size() == base.size() ? name : JoinPath(FolderOf(train_path), name);
}

std::vector<EditorDiagnostic> KeywordWarnings(const std::string& path, const FileAnnotation& annotation) {
  std::vector<EditorDiagnostic> out;
  for (const AnnotatedField& f : annotation.fields) {
    if (f.role != FieldRole::kUnknown || !HasLetter(f.span.text)) continue;
    EditorDiagnostic d;
    d.file = path;
    d.line = f.span.line;
    d.column = f.span.begin;
    d.end_column = f.span.end;
    d.severity = EditorSeverity::kWarning;
    d.code = "unknown-keyword";
    d.message = "\"" + f.span.text + "\" is not a record keyword; it is ignored";
    std::string suggestion = Suggestion(annotation.file, f.span.text);
    if (!suggestion.empty()) d.message += "; did you mean '" + suggestion + "'?";
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<EditorDiagnostic> CheckScenario(const ScenarioText& line, const std::optional<ScenarioText>& train) {
  RunState state;
  SetNames(line.path, train, state);
  CompileInput input;
  input.line_file_name = line.path;
  input.line_text = line.bytes;
  input.train_file_name = train ? train->path : std::string();
  input.train_text = train ? train->bytes : std::string(kEmptyTrain);
  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation);

  std::vector<EditorDiagnostic> out = KeywordWarnings(line.path, AnnotateFile(ScenarioFile::kLine, line.bytes));
  if (train) {
    for (EditorDiagnostic& d : KeywordWarnings(train->path, AnnotateFile(ScenarioFile::kTrain, train->bytes))) {
      out.push_back(std::move(d));
    }
  }
  if (state.error_code == 0 && !outcome.message) return out;

  EditorDiagnostic d;
  const bool located = !state.error_file.empty() && state.error_line > 0;
  if (located && !train && state.error_file != line.path) return out;  // the stand-in train file
  const ScenarioText& home = located ? (state.error_file == line.path ? line : *train) : (train ? *train : line);
  d.file = home.path;
  d.line = located ? state.error_line - 1 : 0;
  LineExtent(home.bytes, d.line, &d.column, &d.end_column);
  d.severity = EditorSeverity::kError;
  if (outcome.message) {
    d.code = "message " + *outcome.message;
    d.message = ErroreText(*outcome.message) + ": a reserved header value was already set";
  } else {
    d.code = "error " + std::to_string(state.error_code);
    d.message = FormatDiagnostic(state);
    // The file and line are the diagnostic's place already.
    const std::string prefix = state.error_file + ":" + std::to_string(state.error_line) + ": ";
    if (located && d.message.compare(0, prefix.size(), prefix) == 0) d.message.erase(0, prefix.size());
  }
  out.push_back(std::move(d));
  return out;
}

}  // namespace sc
