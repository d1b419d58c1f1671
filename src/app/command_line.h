// The command line of scenario-compiler.
#ifndef SC_APP_COMMAND_LINE_H_
#define SC_APP_COMMAND_LINE_H_

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/ui.h"

namespace sc {

// Parses the arguments (the program's name first), runs what they ask for
// and returns the exit status. `in` is the input of a command that reads
// one (the language server's messages); every command gets the same three
// streams. Output that cannot be written to `out` is a
// failure (status 1, the reason on `err`). What goes to `out` and `err` has
// its control bytes escaped (see terminal_text.h), except the language
// server's messages, which are bytes.
int RunCommandLine(const std::vector<std::string>& arguments, Env& env, Ui& ui, std::istream& in,
                   std::ostream& out, std::ostream& err);

// The same for a run that nobody can read standard error of (started from
// the desktop): a failure to read or write a file would go unseen, so its
// text is shown on `ui` as a message too; a failed check is not shown, as in
// every other run.
int RunWithoutConsole(const std::vector<std::string>& arguments, Env& env, Ui& ui,
                      std::istream& in, std::ostream& out);

}  // namespace sc

#endif  // SC_APP_COMMAND_LINE_H_
