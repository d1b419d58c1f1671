// The diagnostic options shared by `compile` and `preview`: which warnings
// to show (-Wno-CLASS, -w), whether a warning fails the run (--strict), and
// the output form (--diagnostics=text|json).
#ifndef SC_COMMANDS_DIAGNOSTIC_OPTIONS_H_
#define SC_COMMANDS_DIAGNOSTIC_OPTIONS_H_

#include <ostream>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "model/run_state.h"
#include "present/diagnostic_output.h"

namespace sc {

struct DiagnosticOptions {
  // The values of -W options: "no-CLASS" turns one class off.
  std::vector<std::string> w_options;
  bool no_warnings = false;  // -w
  bool strict = false;       // --strict: any warning fails the run (exit status 4)
  DiagnosticFormat format = DiagnosticFormat::kText;
};

// A sink set up as `options` say. False, with a usage message on `err`,
// for an unknown class or a -W value that is not "no-CLASS".
bool MakeDiagnosticSink(const DiagnosticOptions& options, DiagnosticSink* sink, std::ostream& err);

// Whether --strict turns the warnings collected into a failed run.
inline bool StrictFails(const DiagnosticOptions& options, const DiagnosticSink& sink) {
  return options.strict && sink.warning_count() > 0;
}

}  // namespace sc

#endif  // SC_COMMANDS_DIAGNOSTIC_OPTIONS_H_
