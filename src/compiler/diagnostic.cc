#include "compiler/diagnostic.h"

#include <utility>

#include "model/run_state.h"

namespace sc {
namespace {

constexpr const char* kNames[kWarningClassCount] = {
    "unknown-keyword", "short-line", "extra-fields", "ambiguous-keyword", "fraction",
    "stored-value",    "off-grid",   "overwrite",    "last-field",        "header-repeat",
    "out-of-order",    "no-effect",  "keyword-text", "open-quote",        "encoding",
};

}  // namespace

const char* SeverityName(Severity s) {
  switch (s) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "note";
}

const char* WarningClassName(WarningClass c) { return kNames[static_cast<int>(c)]; }

std::optional<WarningClass> WarningClassFromName(std::string_view name) {
  for (int i = 0; i < kWarningClassCount; ++i) {
    if (name == kNames[i]) return static_cast<WarningClass>(i);
  }
  return std::nullopt;
}

std::string DiagnosticMessage(const Diagnostic& d) {
  if (!d.position) return d.message;
  return d.message + " (position " + std::to_string(*d.position) + " m)";
}

std::string DiagnosticCode(const Diagnostic& d) {
  if (!d.tag.empty()) return d.tag;
  if (d.severity == Severity::kError)
    return d.code != kErrNone ? "error " + std::to_string(d.code) : "";
  if (d.severity == Severity::kWarning) return WarningClassName(d.warning_class);
  return "";
}

Diagnostic* DiagnosticSink::Warn(WarningClass c, SourcePlace place, std::string message) {
  if (!wants(c)) return nullptr;
  Diagnostic d;
  d.place = std::move(place);
  d.severity = Severity::kWarning;
  d.warning_class = c;
  d.message = std::move(message);
  diagnostics_.push_back(std::move(d));
  return &diagnostics_.back();
}

Diagnostic* DiagnosticSink::Add(Diagnostic diagnostic) {
  if (!collect_) return nullptr;
  diagnostics_.push_back(std::move(diagnostic));
  return &diagnostics_.back();
}

std::optional<Diagnostic> ErrorDiagnostic(const RunState& state, const DiagnosticSink* sink) {
  if (state.error_code == 0) return std::nullopt;
  Diagnostic d;
  d.severity = Severity::kError;
  d.code = state.error_code;
  d.place = {state.error_file, state.error_line, state.error_column, state.error_end_column};
  if (state.error_code == kErrReadFailure && !state.error_detail.empty()) {
    d.message = "the file could not be read: " + state.error_detail;
  } else {
    d.message = ErrorText(state.error_code);
  }
  if (ErrorRecordsPosition(state.error_code)) d.position = state.error_position;
  if (sink) {
    if (const DiagnosticNote* note = sink->ErrorNoteFor(state.error_code)) d.notes.push_back(*note);
  }
  return d;
}

std::vector<Diagnostic> CompileDiagnostics(const DiagnosticSink& sink, const RunState& state) {
  std::vector<Diagnostic> all = sink.diagnostics();
  if (std::optional<Diagnostic> error = ErrorDiagnostic(state, &sink)) all.push_back(*error);
  return all;
}

int DiagnosticSink::warning_count() const {
  int n = 0;
  for (const Diagnostic& d : diagnostics_) n += d.severity == Severity::kWarning;
  return n;
}

}  // namespace sc
