// Line names and train numbers given by authors: where they come from and
// what makes them safe to use inside file names.
#ifndef SC_RUN_SCENARIO_NAMES_H_
#define SC_RUN_SCENARIO_NAMES_H_

#include <optional>
#include <string>

#include "model/run_state.h"
#include "platform/status.h"

namespace sc {

// The line name from a line description file named "<line>_linea.txt".
std::optional<std::string> LineNameFromFile(const std::string& path);
// The train number from a train and service file named
// "<line>_<train>-.txt". When `line_name` is known and the file name starts
// with it and "_", the rest is the train number; otherwise the part after
// the last "_".
std::optional<std::string> TrainNumberFromFile(const std::string& path,
                                               const std::optional<std::string>& line_name);

// Ok when `name` can be used as part of a file name; otherwise Invalid with
// why not as a phrase that follows the name ("is empty", "contains \"/\"" or
// "\\", "is \".\"" or "\"..\"", "contains a control character"), for the
// caller to word with what the name is and how to give another.
Status CheckNamePart(const std::string& name);

// Sets the line name and train number of `state` from their platform
// spelling (an argument or part of a file name): the file-name parts as
// given, the text inside the files as Windows-1252. On POSIX a name that is
// UTF-8 is converted; one that is not is taken as Windows-1252 bytes as it
// stands (a file copied from Windows). For a character that Windows-1252
// cannot hold, returns Invalid with a sentence naming it.
Status SetScenarioNames(const std::string& line, const std::string& train, RunState& state);

}  // namespace sc

#endif  // SC_RUN_SCENARIO_NAMES_H_
