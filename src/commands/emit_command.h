// `scenario-compiler emit`: writes the built-in scenario's five documents,
// the line and train descriptions included, as an author's starting point.
#ifndef SC_COMMANDS_EMIT_COMMAND_H_
#define SC_COMMANDS_EMIT_COMMAND_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

// Writes into `folder`. Existing files are only replaced when `force`;
// otherwise nothing is written and the status is 1.
int RunEmitCommand(Env& env, const std::string& folder, bool force, std::ostream& out,
                   std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_EMIT_COMMAND_H_
