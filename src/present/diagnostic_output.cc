#include "present/diagnostic_output.h"

#include <nlohmann/json.hpp>

#include "platform/text_1252.h"

namespace sc {
namespace {

using Json = nlohmann::ordered_json;

std::string PlacePrefix(const SourcePlace& place) {
  if (place.file.empty()) return "";
  std::string out = place.file;
  if (place.line > 0) {
    out += ":" + std::to_string(place.line);
    if (place.column > 0) out += ":" + std::to_string(place.column);
  }
  return out + ": ";
}

Json PlaceJson(const SourcePlace& place) {
  Json j;
  j["file"] = place.file;
  j["line"] = place.line;
  j["column"] = place.column;
  j["end_column"] = place.end_column;
  return j;
}

std::string Plural(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

std::string DiagnosticText(const Diagnostic& d) {
  std::string out = PlacePrefix(d.place);
  if (d.severity == Severity::kError) {
    out += "error " + std::to_string(d.code) + ": " + NativeText(DiagnosticMessage(d)) + "\n";
  } else if (d.severity == Severity::kWarning) {
    out += "warning: " + NativeText(d.message) + " [-W" + WarningClassName(d.warning_class) + "]\n";
  } else {
    out += "note: " + NativeText(d.message) + "\n";
  }
  for (const DiagnosticNote& note : d.notes) {
    out += PlacePrefix(note.place) + "note: " + NativeText(note.message) + "\n";
  }
  return out;
}

std::string DiagnosticJson(const Diagnostic& d) {
  Json j = PlaceJson(d.place);
  j["severity"] = SeverityName(d.severity);
  j["class"] = d.severity == Severity::kWarning ? WarningClassName(d.warning_class) : "";
  j["code"] = d.code;
  j["message"] = Utf8From1252(DiagnosticMessage(d));
  Json notes = Json::array();
  for (const DiagnosticNote& note : d.notes) {
    Json n = PlaceJson(note.place);
    n["message"] = Utf8From1252(note.message);
    notes.push_back(std::move(n));
  }
  j["notes"] = std::move(notes);
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void WriteDiagnostics(const std::vector<Diagnostic>& diagnostics, DiagnosticFormat format,
                      std::ostream& out) {
  int warnings = 0;
  int errors = 0;
  for (const Diagnostic& d : diagnostics) {
    if (format == DiagnosticFormat::kJson) {
      out << DiagnosticJson(d) << "\n";
    } else {
      out << DiagnosticText(d);
    }
    warnings += d.severity == Severity::kWarning;
    errors += d.severity == Severity::kError;
  }
  // Any warning gets the count, one as much as several; an error alone is
  // the one line the exit status promises.
  if (format == DiagnosticFormat::kText && warnings > 0) {
    std::string summary;
    if (warnings > 0) summary = Plural(warnings, "warning");
    if (errors > 0) summary += (summary.empty() ? "" : " and ") + Plural(errors, "error");
    out << summary << " generated.\n";
  }
}

}  // namespace sc
