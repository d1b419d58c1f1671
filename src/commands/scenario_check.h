// Checks a scenario's text descriptions for editors and `explain`: compiles
// the pair in memory and turns the outcome, with the keyword fields that
// match no record, into diagnostics placed on lines and columns.
#ifndef SC_COMMANDS_SCENARIO_CHECK_H_
#define SC_COMMANDS_SCENARIO_CHECK_H_

#include <optional>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/record_format.h"
#include "compiler/record_lines.h"
#include "run/scenario_job.h"

namespace sc {

// What a file is from its name: "<line>_linea.txt" or "<line>_<train>-.txt".
std::optional<ScenarioFile> ScenarioFileFromName(const std::string& path);

// The line description that goes with a train file: "<line>_linea.txt" in
// the same folder. nullopt when the name does not fit.
std::optional<std::string> LineFileOfTrain(const std::string& train_path);

// A text description to check: its path (names the scenario and places the
// diagnostics) and its Windows-1252 bytes.
struct ScenarioText {
  std::string path;
  std::string bytes;
};

// Gives `job` (made on the paths of `line` and `train`) the texts to check
// and the names to compile them under: from the files' names, with
// stand-ins where they do not fit. No train file: an empty one stands in.
void PrepareCheck(const ScenarioText& line, const std::optional<ScenarioText>& train,
                  ScenarioJob& job);

// Compiles `line` with `train` (the train file left out: only the line
// description is checked, against an empty train file) and returns the
// diagnostics of both files: every warning `compile` gives, and the
// compile's error, if any, on the record that set it with its notes.
// Every diagnostic and note is placed as an editor marks it: in one of the
// two files, on a line (1 when the compiler knew none) and over the columns
// [column, end_column) it covers (a place without its own columns covers its
// field, or else its line's text).
std::vector<Diagnostic> CheckScenario(const ScenarioText& line,
                                      const std::optional<ScenarioText>& train);

// The warnings of a train file checked alone (without its line
// description, nothing can be compiled): keyword fields that match no
// record, with a suggestion when a keyword is close.
std::vector<Diagnostic> KeywordWarnings(const std::string& path, const FileAnnotation& annotation);

}  // namespace sc

#endif  // SC_COMMANDS_SCENARIO_CHECK_H_
