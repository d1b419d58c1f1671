#include "commands/diagnostic_options.h"

#include <optional>

#include "run/report.h"

namespace sc {

bool MakeDiagnosticSink(const DiagnosticOptions& options, DiagnosticSink* sink, std::ostream& err) {
  *sink = DiagnosticSink();
  for (const std::string& value : options.w_options) {
    const std::string name = value.rfind("no-", 0) == 0 ? value.substr(3) : std::string();
    std::optional<WarningClass> c = WarningClassFromName(name);
    if (!c) {
      err << kProgram << "-W" << value
          << ": not a warning option; use -Wno-CLASS with one of:";
      for (int i = 0; i < kWarningClassCount; ++i) {
        err << " " << WarningClassName(static_cast<WarningClass>(i));
      }
      err << "\n";
      return false;
    }
    sink->Disable(*c);
  }
  if (options.no_warnings) sink->DisableAllWarnings();
  return true;
}

}  // namespace sc
