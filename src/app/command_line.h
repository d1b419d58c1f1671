// The command line of scenario-compiler.
#ifndef SC_APP_COMMAND_LINE_H_
#define SC_APP_COMMAND_LINE_H_

#include <ostream>

#include "platform/env.h"

namespace sc {

// Parses the arguments, runs what they ask for and returns the exit status.
// What goes to `out` and `err` has its control bytes escaped (see
// terminal_text.h).
int RunCommandLine(int argc, char** argv, Env& env, Ui& ui, std::ostream& out,
                   std::ostream& err);

}  // namespace sc

#endif  // SC_APP_COMMAND_LINE_H_
