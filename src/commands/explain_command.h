// `scenario-compiler explain FILE`: every line of a line description or
// train and service file annotated with what the compiler makes of it.
#ifndef SC_COMMANDS_EXPLAIN_COMMAND_H_
#define SC_COMMANDS_EXPLAIN_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>

#include "commands/compiled_records.h"
#include "commands/scenario_check.h"
#include "compiler/record_format.h"
#include "platform/env.h"

namespace sc {

// The annotated listing of `text` (a `file`) with `diagnostics` of that
// file shown after the lines they concern, and with the values `compiled`
// holds (null: the file could not be compiled; values as read). Text is
// written as it stands (Windows-1252) except that the terminal's spelling
// is used for names.
std::string ExplainText(ScenarioFile file, const ScenarioText& text,
                        const std::vector<Diagnostic>& diagnostics,
                        const CompiledRecords* compiled = nullptr);

// Reads `path`, finds its kind (from the name, else the content) and its
// partner file (a train file's line description beside it; a line
// description is checked alone), and writes the listing to `out`.
// Returns the exit status: 0 listed, 1 unreadable or of no known kind.
int RunExplainCommand(Env& env, const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_EXPLAIN_COMMAND_H_
