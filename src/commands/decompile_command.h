// `scenario-compiler decompile [LINE_DAT] SIM DAT [--out DIR] [--line NAME]
// [--train NUMBER] [--force]`: writes the line description and the train and
// service file that compile to the given compiled files (decompiler/).
#ifndef SC_COMMANDS_DECOMPILE_COMMAND_H_
#define SC_COMMANDS_DECOMPILE_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/env.h"

namespace sc {

struct DecompileRequest {
  // {route plan, station file, grid file}, or {station file, grid file}
  // for a scenario compiled without a plan; the route plan may be "-".
  std::vector<std::string> compiled;
  // The output folder; empty: the station file's folder.
  std::string out_dir;
  // The names in the output file names; nullopt: the names stored in the
  // station file.
  std::optional<std::string> line_name;
  std::optional<std::string> train_number;
  // Replace text files that already exist.
  bool force = false;
};

// Reads, decompiles and writes "<line>_linea.txt" and "<line>_<train>-.txt"
// (each written whole under a temporary name, then renamed). Status 0 when
// compiling them gives every byte back; 5 when some place of the files no
// text gives (each listed on `err` with its file, byte offset and field; the
// texts are still written); 1 for a file that cannot be read or decoded, an
// output that exists (without `force`) or would land on an input, or a
// failed write. `program` names the program and version in the preamble.
int RunDecompileCommand(Env& env, const DecompileRequest& request, const std::string& program,
                        std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_DECOMPILE_COMMAND_H_
