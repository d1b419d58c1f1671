// What the program takes from its process at start: the arguments and
// whether anybody can read its standard error. One implementation file per
// platform. (The settings the file writers rely on, such as signal handling,
// are made by Env::Default.)
#ifndef SC_PLATFORM_PROCESS_H_
#define SC_PLATFORM_PROCESS_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/status.h"
#include "platform/ui.h"

namespace sc {

// The program's arguments, the program's own name first, as Windows-1252
// bytes. On Windows they come from the wide command line, so accented letters
// arrive whatever the system code page; an argument that Windows-1252 cannot
// write is an error. Elsewhere they are `argv` as given.
Status ProgramArguments(int argc, char** argv, std::vector<std::string>* arguments);

// True when nobody can read the program's standard error: on Windows, when
// it is not redirected and the program has no console of its own (started
// from the desktop). Always false elsewhere.
bool StartedWithoutConsole();

// Whether a write to standard output that failed with `error_number` (the
// errno it left) failed because the reader closed the pipe (a pager quit,
// `head` had enough): EPIPE; on Windows also EINVAL while standard output is
// a pipe, which is what the C runtime leaves for a pipe closed by its reader.
bool StandardOutputPipeClosed(int error_number);

// The Ui for a run started without a console: the waiting window and message
// boxes on Windows, the terminal form elsewhere.
std::unique_ptr<Ui> NewDesktopUi();

}  // namespace sc

#endif  // SC_PLATFORM_PROCESS_H_
