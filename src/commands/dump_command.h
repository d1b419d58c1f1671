// `scenario-compiler dump FILE [--json] [--kind plan|stations|grid]`: decodes
// a compiled file and shows its content (present/dump.h says how).
#ifndef SC_COMMANDS_DUMP_COMMAND_H_
#define SC_COMMANDS_DUMP_COMMAND_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

// Reads `path` through `env`, decodes it and writes it to `out`. `kind` is
// "plan", "stations" or "grid"; when empty it comes from the name: a name
// ending in "_linea.dat" is a route plan, ".sim" a station file, any other
// ".dat" a grid file (ASCII case ignored).
//
// Returns 0, or 1 after one line on `err`: "scenario-compiler: <path>: <what>
// at byte offset N" for a malformed file, the path and the system's reason
// for an unreadable one, or what is wrong with `kind`.
int RunDumpCommand(Env& env, const std::string& path, bool json, const std::string& kind,
                   std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_DUMP_COMMAND_H_
