#include "run/report.h"

#include "compiler/diagnostic.h"
#include "present/diagnostic_output.h"

namespace sc {

std::string FormatDiagnostic(const RunState& state) {
  std::optional<Diagnostic> error = ErrorDiagnostic(state, nullptr);
  if (!error) return "";
  std::string text = DiagnosticText(*error);
  text.pop_back();  // the line end
  return text;
}

std::string ErroreText(ReservedPlaceMessage message) { return " " + MessageText(message); }

}  // namespace sc
