// The round trip a decompile promises: compile two text descriptions,
// decompile the compiled files, compile the decompiled texts, and get the
// same bytes again. Used by the tests, the corpus check and the fuzz harness.
#ifndef SC_DECOMPILER_ROUND_TRIP_H_
#define SC_DECOMPILER_ROUND_TRIP_H_

#include <optional>
#include <string>
#include <string_view>

#include "decompiler/decompile.h"
#include "model/run_state.h"

namespace sc {

// The compiled files as `compile` writes them, as bytes.
struct CompiledBytes {
  std::optional<std::string> plan;  // nullopt: compiled without a plan
  std::string stations;
  std::string grid;
};

// The bytes as Decompile takes them, under the names given (the bytes must
// outlive the result).
CompiledScenarioFiles ScenarioFilesOf(const CompiledBytes& bytes,
                                      const std::string& plan_name = "plan",
                                      const std::string& station_name = "stations",
                                      const std::string& grid_name = "grid");

// Compiles two texts in memory under the names and compile flag of `state`.
// nullopt when the compile sets an error code or writes no file. `error`,
// when given, receives the error code.
std::optional<CompiledBytes> CompileToBytes(const std::string& line_text,
                                            const std::string& train_text, const RunState& state,
                                            ErrorCode* error = nullptr);

// A pair of text descriptions in one buffer, as the compile fuzz corpus
// holds them: the line description, "\n@@@\n", the train and service file
// (empty when there is no separator).
struct TextPair {
  std::string line;
  std::string train;
};
TextPair SplitTextPair(std::string_view bytes);

// Decompiles `compiled` and compiles the texts again: "" when every byte
// comes back, otherwise what went wrong (the first places that differ).
std::string CheckRoundTrip(const CompiledBytes& compiled);

}  // namespace sc

#endif  // SC_DECOMPILER_ROUND_TRIP_H_
