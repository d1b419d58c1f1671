// `scenario-compiler lsp`: the language server on standard input and
// output, for editors.
#ifndef SC_COMMANDS_LSP_COMMAND_H_
#define SC_COMMANDS_LSP_COMMAND_H_

#include <istream>
#include <ostream>

#include "platform/env.h"

namespace sc {

// Serves until "exit" or the end of `in`; framing problems and failed
// notifications are logged to `log`. Returns 0 after "shutdown" then
// "exit", 1 otherwise.
int RunLspCommand(Env& env, std::istream& in, std::ostream& out, std::ostream& log);

}  // namespace sc

#endif  // SC_COMMANDS_LSP_COMMAND_H_
