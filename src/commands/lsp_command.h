// `scenario-compiler lsp`: the language server on standard input and
// output, for editors.
#ifndef SC_COMMANDS_LSP_COMMAND_H_
#define SC_COMMANDS_LSP_COMMAND_H_

#include <istream>
#include <ostream>

#include "platform/env.h"

namespace sc {

// Serves the messages read from `in` until "exit" or the end of `in`;
// framing problems and failed notifications are logged to `log`. Returns 0
// after "shutdown" then "exit", 1 otherwise. Reads on the calling thread and
// runs the delayed checks on another, which ends before the return: none of
// the three streams is touched afterwards, and what follows "exit" is left
// unread.
int RunLspCommand(Env& env, std::istream& in, std::ostream& out, std::ostream& log);

}  // namespace sc

#endif  // SC_COMMANDS_LSP_COMMAND_H_
