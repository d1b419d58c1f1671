// `scenario-compiler view`: writes one self-contained HTML page in which the
// author explores a scenario: the ground plan and profiles, the grid cell
// under the cursor, which record placed each object, the diagnostics. From
// the two text files (compiled in memory with provenance recorded) or from
// the three compiled files (no records then).
#ifndef SC_COMMANDS_VIEW_COMMAND_H_
#define SC_COMMANDS_VIEW_COMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "platform/env.h"

namespace sc {

struct ViewOptions {
  std::vector<std::string> compiled;  // as for preview: [LINE_DAT] SIM DAT
  std::string line_file;
  std::string train_file;
  // "" = "<line>_<train>_view.html" beside the inputs. Never an input file.
  std::string output;
};

// Exit statuses as for preview: 0 written; 1 usage or a file not read or
// written; 2 a check failed (the page is still written when a grid was
// built, and lists the failure); 3 the reserved-place message (no page).
int RunViewCommand(Env& env, const ViewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_VIEW_COMMAND_H_
