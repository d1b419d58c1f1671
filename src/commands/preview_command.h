// `scenario-compiler preview`: draws a compiled scenario as one SVG file,
// either from the three compiled files or by compiling the two text files in
// memory first (nothing but the picture is written).
#ifndef SC_COMMANDS_PREVIEW_COMMAND_H_
#define SC_COMMANDS_PREVIEW_COMMAND_H_

#include <ostream>
#include <string>
#include <vector>

#include "commands/diagnostic_options.h"
#include "commands/scenario_source.h"
#include "platform/env.h"

namespace sc {

struct PreviewOptions : ScenarioFiles {
  // "" = "<line>_<train>_preview.svg" beside the compiled files or the line
  // file. Never an input file.
  std::string output;
  // For the two text descriptions.
  DiagnosticOptions diagnostics;
  // A map file the pair was imported from: its track is drawn under the
  // plan, placed by the projection the line description records.
  std::string source;
};

// Returns the exit status: 0 drawn; 1 usage or a file not read or written;
// 2 the text files failed a check (what was compiled is still drawn when a
// grid was built); 3 the reserved-place message (nothing drawn); 4 warnings
// with --strict (nothing drawn).
// The name of the written picture goes to `out`, diagnostics to `err`.
int RunPreviewCommand(Env& env, const PreviewOptions& options, std::ostream& out,
                      std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_PREVIEW_COMMAND_H_
