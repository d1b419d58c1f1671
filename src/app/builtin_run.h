// The built-in run: writes the scenario's documents into a folder, reads the
// two text descriptions back, compiles them, deletes them and writes the
// compiled files.
#ifndef SC_APP_BUILTIN_RUN_H_
#define SC_APP_BUILTIN_RUN_H_

#include <ostream>
#include <string>

#include "platform/env.h"
#include "platform/ui.h"

namespace sc {

// Runs the whole sequence into `folder` and returns the exit status.
// Diagnostics go to `err`; the waiting indicator and the message to `ui`.
// The run holds the folder's lock (see output_lock.h) throughout; when
// another run holds it, it waits, or with `wait` false fails at once. A run
// that fails while writing the documents removes the two text descriptions
// it wrote.
int RunBuiltInScenario(Env& env, Ui& ui, const std::string& folder, std::ostream& err,
                       bool wait = true);

}  // namespace sc

#endif  // SC_APP_BUILTIN_RUN_H_
