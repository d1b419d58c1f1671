// How a run tells the person who started it what went wrong.
#ifndef SC_RUN_REPORT_H_
#define SC_RUN_REPORT_H_

#include <string>

#include "compiler/finalisation.h"
#include "model/run_state.h"

namespace sc {

// The prefix of every message the program writes to standard error.
inline constexpr char kProgram[] = "scenario-compiler: ";

// Exit statuses of the program.
enum ExitStatus : int {
  kExitClean = 0,
  kExitUsageOrIo = 1,    // bad command line, or a file could not be read or written
  kExitCheckFailed = 2,  // a check failed; the compiled files were still written
  kExitMessage = 3,      // " Errore n. 1250/1251": no compiled file written
  kExitStrict = 4,       // --strict and a warning: no compiled file written
  kExitIrreproducible = 5,  // decompile: the texts were written, but some bytes no text gives
};

// The one-line diagnostic for a non-zero error code:
// "[<file>:<line>[:<column>]: ]error <code>: <text>[ (position <metres> m)]".
// Empty when the error code is 0.
std::string FormatDiagnostic(const RunState& state);

// The line of the message case: " Errore n. 1250" or " Errore n. 1251".
std::string ErroreText(ReservedPlaceMessage message);

}  // namespace sc

#endif  // SC_RUN_REPORT_H_
