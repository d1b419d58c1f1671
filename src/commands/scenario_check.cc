#include "commands/scenario_check.h"

#include <algorithm>
#include <cctype>

#include "commands/text_lines.h"
#include "compiler/compile.h"
#include "compiler/record_reader.h"
#include "compiler/train_reader.h"
#include "platform/env.h"
#include "run/report.h"
#include "run/scenario_job.h"
#include "run/scenario_names.h"

namespace sc {
namespace {

// Stands in for a train file that is not there, so the line description
// can be checked alone.
constexpr const char* kEmptyTrain = "[generale]\r\n[fine]\r\n";

// A text of the pair with its lines found once.
struct IndexedText {
  explicit IndexedText(const ScenarioText& t) : text(t), lines(t.bytes) {}
  const ScenarioText& text;
  TextLines lines;
};

// The columns of a line's text without its leading and trailing blanks.
void LineExtent(std::string_view text, int* begin, int* end) {
  size_t first = text.find_first_not_of(" \t");
  size_t last = text.find_last_not_of(" \t");
  *begin = first == std::string_view::npos ? 0 : static_cast<int>(first);
  *end = last == std::string_view::npos ? 0 : static_cast<int>(last + 1);
}

bool HasLetter(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// The 0-based columns [begin, end) a place covers in its line `text`: its
// own columns where the reader recorded them, else the field starting at its
// column (up to the next comma), else the line's text.
void PlaceColumns(const SourcePlace& place, std::string_view text, int* begin, int* end) {
  int line_begin = 0, line_end = 0;
  LineExtent(text, &line_begin, &line_end);
  if (place.column <= 0) {
    *begin = line_begin;
    *end = line_end;
    return;
  }
  *begin = place.column - 1;
  if (place.end_column > place.column) {
    *end = place.end_column - 1;
    return;
  }
  size_t stop = std::min(text.find(',', static_cast<size_t>(*begin)), text.size());
  while (stop > static_cast<size_t>(*begin) && (text[stop - 1] == ' ' || text[stop - 1] == '\t'))
    --stop;
  *end = std::max(static_cast<int>(stop), *begin + 1);
}

// `place` as an editor marks it in `in`: a line (1 when not known) and the
// 1-based columns [column, end_column) it covers.
SourcePlace EditorPlace(const SourcePlace& place, const IndexedText& in) {
  SourcePlace out{in.text.path, place.line > 0 ? place.line : 1, 0, 0};
  PlaceColumns(place, in.lines.Line(out.line - 1), &out.column, &out.end_column);
  ++out.column;
  ++out.end_column;
  return out;
}

// The compiler's diagnostic placed in `home` as an editor marks it; notes
// keep their own file when it is one of the pair, and are dropped otherwise.
template <typename TextOf>
Diagnostic PlacedForEditor(const Diagnostic& d, const IndexedText& home, TextOf text_of) {
  Diagnostic e = d;
  e.place = EditorPlace(d.place, home);
  e.notes.clear();
  for (const DiagnosticNote& n : d.notes) {
    if (const IndexedText* where = text_of(n.place.file))
      e.notes.push_back({EditorPlace(n.place, *where), n.message});
  }
  return e;
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
  // The folder part is kept as written, separators included, so that the
  // name matches an open document's path on every platform.
  return train_path.substr(0, train_path.size() - base.size()) + base.substr(0, underscore) +
         "_linea.txt";
}

std::vector<Diagnostic> KeywordWarnings(const std::string& path, const FileAnnotation& annotation) {
  std::vector<Diagnostic> out;
  int last_warned_line = -1;
  for (const AnnotatedField& f : annotation.fields) {
    if (f.role != FieldRole::kUnknown || !HasLetter(f.span.text) || f.span.line == last_warned_line)
      continue;
    last_warned_line = f.span.line;
    Diagnostic d;
    d.place = {path, f.span.line + 1, f.span.begin + 1, f.span.end + 1};
    d.severity = Severity::kWarning;
    d.warning_class = WarningClass::kUnknownKeyword;
    // Worded as the compiler words it, so a file reads the same checked alone.
    d.message = UnknownKeywordMessage(f.span.text, TrainKeywordTests());
    out.push_back(std::move(d));
  }
  return out;
}

void PrepareCheck(const ScenarioText& line, const std::optional<ScenarioText>& train,
                  ScenarioJob& job) {
  // The names come from the files' names, with stand-ins where they do not
  // fit: the check compiles whatever the files are called.
  std::string name = LineNameFromFile(line.path).value_or("scenario");
  std::string number = train ? TrainNumberFromFile(train->path, name).value_or("0") : "0";
  job.Name(name, number);
  if (!job.SpellNames().ok()) {
    job.state().line_name = name;
    job.state().train_number = number;
  }
  job.SetTexts(line.bytes, train ? train->bytes : std::string(kEmptyTrain));
}

std::vector<Diagnostic> CheckScenario(const ScenarioText& line,
                                      const std::optional<ScenarioText>& train) {
  ScenarioJob job(line.path, train ? train->path : std::string());
  PrepareCheck(line, train, job);
  DiagnosticSink sink;
  job.Compile(&sink);
  const RunState& state = job.state();
  const CompileOutcome& outcome = job.outcome();

  // The stand-in train file has no name: what is placed in it is dropped.
  const IndexedText line_text(line);
  const std::optional<IndexedText> train_text =
      train ? std::optional<IndexedText>(std::in_place, *train) : std::nullopt;
  auto text_of = [&](const std::string& file) -> const IndexedText* {
    if (file == line.path) return &line_text;
    if (train && file == train->path) return &*train_text;
    return nullptr;
  };
  std::vector<Diagnostic> out;
  auto add = [&](const Diagnostic& d) {
    const IndexedText* home =
        d.place.file.empty() ? (train ? &*train_text : &line_text) : text_of(d.place.file);
    if (home) out.push_back(PlacedForEditor(d, *home, text_of));
  };
  for (const Diagnostic& d : CompileDiagnostics(sink, state)) add(d);
  if (state.error_code == kErrNone && outcome.message) {
    Diagnostic d;
    d.severity = Severity::kError;
    d.tag = "message " + std::to_string(static_cast<int>(*outcome.message));
    d.message = ErroreText(*outcome.message) + ": a reserved header value was already set";
    add(d);
  }
  return out;
}

}  // namespace sc
