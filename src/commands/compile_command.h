// `scenario-compiler compile`: the compiler on an author's own two files.
// The input files are never deleted or changed.
#ifndef SC_COMMANDS_COMPILE_COMMAND_H_
#define SC_COMMANDS_COMPILE_COMMAND_H_

#include <ostream>
#include <string>

#include "platform/env.h"

namespace sc {

struct CompileOptions {
  std::string line_file;
  std::string train_file;
  std::string out_dir;       // "" = the folder of line_file
  std::string line_name;     // "" = from the line file's name
  std::string train_number;  // "" = from the train file's name
  bool no_plan = false;      // compile flag 0: no route plan
  bool dry_run = false;      // check and report, write nothing
  bool no_wait = false;      // fail instead of waiting for another run's lock
};

// Every output name is checked before anything is read or written. Unless
// dry_run, the run holds the output folder's lock (see output_lock.h) from
// reading the inputs to writing the last compiled file.
// Returns the exit status; diagnostics and the message go to `err`.
int RunCompileCommand(Env& env, const CompileOptions& options, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_COMPILE_COMMAND_H_
