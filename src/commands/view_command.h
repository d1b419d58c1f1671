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

#include "commands/scenario_source.h"
#include "platform/env.h"
#include "present/view_data.h"

namespace sc {

struct ViewOptions : ScenarioFiles {
  // "" = "<line>_<train>_view.html" beside the inputs. Never an input file.
  std::string output;
  // --serve: serve the page live instead of writing it (see view_serve.h).
  bool serve = false;
  int port = 0;         // 0: a free port
  bool write = false;   // also write the compiled files after each good compile
  std::string out_dir;  // where they go; "" = the line file's folder
};

// Exit statuses as for preview: 0 written; 1 usage or a file not read or
// written; 2 a check failed (the page is still written when a grid was
// built, and lists the failure); 3 the reserved-place message (no page).
int RunViewCommand(Env& env, const ViewOptions& options, std::ostream& out, std::ostream& err);

// What the page shows of a scenario read or compiled (points into `source`).
ViewInput MakeViewInput(const ScenarioSource& source);

}  // namespace sc

#endif  // SC_COMMANDS_VIEW_COMMAND_H_
