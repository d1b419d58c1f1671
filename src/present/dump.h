// `scenario-compiler dump FILE [--json] [--kind plan|stations|grid]`: decodes
// a compiled file and shows its content, as text for people or as JSON for
// programs.
#ifndef SC_PRESENT_DUMP_H_
#define SC_PRESENT_DUMP_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

// Reads `path` through `env`, decodes it and writes it to `out`. `kind` is
// "plan", "stations" or "grid"; when empty it comes from the name: a name
// ending in "_linea.dat" is a route plan, ".sim" a station file, any other
// ".dat" a grid file (ASCII case ignored).
//
// Text output:
// - grid: one line per cell with any non-zero field, giving its index, its
//   centre in metres ((index - 1) * 50; the cell covers 25 m either side),
//   its kind by number and name and every field by name;
// - stations: one line per non-empty slot; stations with every field by
//   name, signs (slots whose only content is a name) with their text, header
//   slots 81 to 86 with their fields named by meaning. Names are printed as
//   the file's own Windows-1252 bytes;
// - plan: one line per metre with x and y and their element types.
// JSON output (`json`): the same content; names converted to UTF-8, bytes
// 0x81, 0x8D, 0x8F, 0x90, 0x9D (unassigned in Windows-1252) kept as the
// code points U+0081 etc., and a double that is not finite written as null.
// The plan is streamed, so a long plan never sits in memory as text.
//
// Returns 0, or 1 after one line on `err`: "scenario-compiler: <path>: <what>
// at byte offset N" for a malformed file, the path and the system's reason
// for an unreadable one, or what is wrong with `kind`.
int RunDump(Env& env, const std::string& path, bool json, const std::string& kind,
            std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_PRESENT_DUMP_H_
