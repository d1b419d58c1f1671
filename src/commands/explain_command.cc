#include "commands/explain_command.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "commands/text_lines.h"
#include "compiler/input_limits.h"
#include "platform/text_1252.h"
#include "run/report.h"

namespace sc {
namespace {

std::string FieldNote(const FileAnnotation& a, const AnnotatedField& f,
                      const CompiledRecords* compiled, const std::string& path) {
  switch (f.role) {
    case FieldRole::kPreamble: return "ignored (before [generale])";
    case FieldRole::kSection: return "section marker " + NativeText(f.span.text);
    case FieldRole::kDashSkipped: return "skipped (holds a \"-\"): " + NativeText(f.span.text);
    case FieldRole::kUnknown: return "ignored (not a record keyword): " + NativeText(f.span.text);
    case FieldRole::kLast:
      return "not processed (the file's last field): " + NativeText(f.span.text);
    case FieldRole::kKeyword: {
      // The records a keyword field starts follow one another, from its first.
      std::string text = "record";
      const int keyword = a.records[static_cast<size_t>(f.record)].keyword;
      for (size_t r = static_cast<size_t>(f.record);
           r < a.records.size() && a.records[r].keyword == keyword; ++r) {
        text += std::string(" '") + a.records[r].format->name + "'";
      }
      return text;
    }
    case FieldRole::kValue: {
      const AnnotatedRecord& r = a.records[static_cast<size_t>(f.record)];
      const FieldFormat& format = r.format->fields[static_cast<size_t>(f.field_index)];
      std::string text = "  " + std::string(format.name) + " = " +
                         NativeText(DescribeCompiledField(compiled, path, a, r,
                                                          static_cast<size_t>(f.field_index)));
      const int keyword_line = a.fields[static_cast<size_t>(r.keyword)].span.line;
      if (keyword_line != f.span.line) {
        text += " (of the " + std::string(r.format->name) + " on line " +
                std::to_string(keyword_line + 1) + ")";
      }
      return text;
    }
  }
  return "";
}

// Where on its line a diagnostic points, for its note: ` at "132" (column
// 22)`; "" when the column is not known.
std::string PlaceOnLine(const SourcePlace& place, const TextLines& lines) {
  if (place.column <= 0) return "";
  std::string at = " (column " + std::to_string(place.column) + ")";
  const size_t line = static_cast<size_t>(place.line - 1);
  if (place.end_column <= place.column || line >= lines.size()) return at;
  const size_t begin = static_cast<size_t>(place.column - 1);
  const std::string_view whole = lines.Line(static_cast<int64_t>(line));
  const std::string text(whole.substr(std::min(begin, whole.size()),
                                      static_cast<size_t>(place.end_column - place.column)));
  return " at \"" + NativeText(text.substr(0, 60)) + "\"" + at;
}

}  // namespace

std::string ExplainText(ScenarioFile file, const ScenarioText& text,
                        const std::vector<Diagnostic>& diagnostics,
                        const CompiledRecords* compiled) {
  const std::string& bytes = text.bytes;
  const FileAnnotation a = AnnotateFile(file, bytes);
  const TextLines lines(bytes);
  std::map<int, std::vector<std::string>> notes;
  for (const AnnotatedField& f : a.fields) {
    std::vector<std::string>& line = notes[f.span.line];
    std::string note = FieldNote(a, f, compiled, text.path);
    if (line.empty() || line.back() != note) line.push_back(std::move(note));
  }
  if (!a.failure.empty()) {
    const int line = a.failure_field >= 0 ? a.fields[static_cast<size_t>(a.failure_field)].span.line
                                          : (a.fields.empty() ? 0 : a.fields.back().span.line);
    notes[line].push_back("read failure: " + NativeText(a.failure) + "; the reading stops here");
  }
  for (const Diagnostic& d : diagnostics) {
    std::string kind = d.severity == Severity::kError ? "error" : "warning";
    notes[d.place.line - 1].push_back(kind + " [" + DiagnosticCode(d) + "]" +
                                      PlaceOnLine(d.place, lines) + ": " +
                                      NativeText(DiagnosticMessage(d)));
  }

  std::ostringstream out;
  out << "# " << ScenarioFileTitle(file) << "\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    out << (i + 1) << ": " << NativeText(lines.Line(static_cast<int64_t>(i))) << "\n";
    auto it = notes.find(static_cast<int>(i));
    if (it == notes.end()) continue;
    for (const std::string& note : it->second) out << "    " << note << "\n";
  }
  return out.str();
}

int RunExplainCommand(Env& env, const std::string& path, std::ostream& out, std::ostream& err) {
  ScenarioText text{path, {}};
  Status s = env.ReadFile(path, kMaxTextInputBytes, &text.bytes);
  if (!s.ok()) {
    err << kProgram << "" << s.message() << "\n";
    return kExitUsageOrIo;
  }
  std::optional<ScenarioFile> file = ScenarioFileFromName(path);
  ScenarioFile from_content;
  if (!file && ScenarioFileFromContent(text.bytes, &from_content)) file = from_content;
  if (!file) {
    err << kProgram << "" << path
        << ": neither a line description (<line>_linea.txt) nor a train and service file "
           "(<line>_<train>-.txt)\n";
    return kExitUsageOrIo;
  }
  std::vector<Diagnostic> diagnostics;
  std::optional<CompiledRecords> compiled;
  if (*file == ScenarioFile::kLine) {
    diagnostics = CheckScenario(text, std::nullopt);
    compiled.emplace(text, std::nullopt);
  } else {
    std::optional<std::string> line_path = LineFileOfTrain(path);
    ScenarioText line{line_path.value_or(""), {}};
    if (line_path && env.ReadFile(*line_path, kMaxTextInputBytes, &line.bytes).ok()) {
      diagnostics = CheckScenario(line, text);
      compiled.emplace(line, text);
    } else {
      diagnostics = KeywordWarnings(path, AnnotateFile(*file, text.bytes));
      err << kProgram << "no line description beside " << path << "; checked without compiling\n";
    }
  }
  std::erase_if(diagnostics, [&](const Diagnostic& d) { return d.place.file != path; });
  out << ExplainText(*file, text, diagnostics, compiled ? &*compiled : nullptr);
  return kExitClean;
}

}  // namespace sc
