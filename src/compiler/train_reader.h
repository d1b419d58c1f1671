// The train and service reader: the second half of reading a scenario.
#ifndef SC_COMPILER_TRAIN_READER_H_
#define SC_COMPILER_TRAIN_READER_H_

#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "compiler/diagnostic.h"
#include "compiler/record_reader.h"
#include "model/run_state.h"

namespace sc {

enum class TrainReadResult {
  kDone,    // read to its end or stopped by a check; error code set as found
  kFailed,  // read failure: code 25 set; both text files are to be deleted
};

// Reads the train and service `bytes` (named `name` in diagnostics) into
// `compilation`, after ReadLineDescription returned kContinue. Warnings,
// and notes to the error, go to `diagnostics` when given.
TrainReadResult ReadTrainService(std::string_view bytes, const std::string& name, RunState& state,
                                 Compilation& compilation, DiagnosticSink* diagnostics = nullptr);

// The record keyword tests of a train and service file, in the order they
// are tried (for suggestions made outside a reading).
KeywordTests TrainKeywordTests();

}  // namespace sc

#endif  // SC_COMPILER_TRAIN_READER_H_
