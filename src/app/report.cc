#include "app/report.h"

#include "present/text_1252.h"

namespace sc {

std::string FormatDiagnostic(const RunState& state) {
  if (state.error_code == 0) return "";
  std::string out;
  if (!state.error_file.empty()) {
    out += state.error_file;
    if (state.error_line > 0) out += ":" + std::to_string(state.error_line);
    out += ": ";
  }
  out += "error " + std::to_string(state.error_code) + ": ";
  if (state.error_code == kErrReadFailure && !state.error_detail.empty()) {
    out += "the file could not be read: " + NativeText(state.error_detail);
  } else {
    out += ErrorText(state.error_code);
  }
  if (ErrorRecordsPosition(state.error_code)) {
    out += " (position " + std::to_string(state.error_position) + " m)";
  }
  return out;
}

std::string ErroreText(const std::string& a) { return " Errore n. " + a; }

}  // namespace sc
