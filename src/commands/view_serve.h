// `scenario-compiler view LINE_FILE TRAIN_FILE --serve [--port N]`: the
// viewer page served live from 127.0.0.1, following the author's edits.
// Every ~300 ms it looks at the two files' stamps; on a change it compiles
// them again in memory and every open page takes the new data in place,
// keeping its zoom, position and selection. A save that does not compile
// (an editor half-way through writing, say) shows its error with the last
// good picture, until the next save; so does a save whose check fails (its
// partial picture is shown on request, from /failed-data). Nothing is written unless `write`:
// then the compiled files go into `out_dir` after each clean compile, as
// `compile` writes them (temporary names, renamed as a set, under the
// folder's lock). Runs until an interrupt or termination signal.
#ifndef SC_COMMANDS_VIEW_SERVE_H_
#define SC_COMMANDS_VIEW_SERVE_H_

#include <ostream>

#include "commands/live_server.h"
#include "commands/view_command.h"
#include "platform/env.h"

namespace sc {

// Exit status 0 after a stop request; 1 when the inputs cannot be read or
// named at the start, the output folder is unusable, or the port cannot be
// had (another server on it).
int ServeView(Env& env, const ViewOptions& options, std::ostream& out, std::ostream& err);

// The same on a given server (tests give a stand-in).
int ServeView(Env& env, const ViewOptions& options, LiveServer& server, std::ostream& out,
              std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_VIEW_SERVE_H_
