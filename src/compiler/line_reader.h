// The line description reader: the first half of reading a scenario.
#ifndef SC_COMPILER_LINE_READER_H_
#define SC_COMPILER_LINE_READER_H_

#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "compiler/diagnostic.h"
#include "model/run_state.h"

namespace sc {

enum class LineReadResult {
  kContinue,  // go on with the train and service file (error code 0 or 15)
  kStopped,   // the reader returned with an error code; the train file is not read
  kFailed,    // read failure: code 25 set; both text files are to be deleted
};

// Reads the line description `bytes` (named `name` in diagnostics) into
// `compilation`: creates the grid (and the plan when state.compile_flag is
// non-zero), fills header slots, draws curves, places mountain ranges,
// boards and signs. Sets state's error code, position and source line.
// Copies the line name and train number into slots 85 and 86 first.
// Warnings, and notes to the error, go to `diagnostics` when given.
LineReadResult ReadLineDescription(std::string_view bytes, const std::string& name, RunState& state,
                                   Compilation& compilation, DiagnosticSink* diagnostics = nullptr);

}  // namespace sc

#endif  // SC_COMPILER_LINE_READER_H_
