// The built-in run: writes the scenario's documents into a folder, reads the
// two text descriptions back, compiles them, deletes them and writes the
// compiled files.
#ifndef SC_APP_BUILTIN_RUN_H_
#define SC_APP_BUILTIN_RUN_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

inline constexpr const char* kBuiltInLineName = "Vastro - Dreo";
inline constexpr const char* kBuiltInTrainNumber = "2001";

// Runs the whole sequence into `folder` and returns the exit status.
// Diagnostics go to `err`; the waiting indicator and the message to `ui`.
int RunBuiltInScenario(Env& env, Ui& ui, const std::string& folder, std::ostream& err);

}  // namespace sc

#endif  // SC_APP_BUILTIN_RUN_H_
