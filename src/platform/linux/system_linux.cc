// The process, its text and its streams on Linux, and the form of its paths;
// none of it is particular to Linux beyond other POSIX systems.
#include <cerrno>

#include "platform/binary_streams.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace sc {

// ---- The process -----------------------------------------------------------

Status ProgramArguments(int argc, char** argv, std::vector<std::string>* arguments) {
  arguments->assign(argv, argv + argc);
  return Status::Ok();
}

bool StartedWithoutConsole() { return false; }

bool StandardOutputPipeClosed(int error_number) { return error_number == EPIPE; }

std::unique_ptr<Ui> NewDesktopUi() { return std::make_unique<TerminalUi>(); }

// ---- Text and streams ------------------------------------------------------

// Arguments and file names are the user's own bytes.
bool NativeTextIsCp1252() { return false; }

Status NarrowOpenName(const std::string& path, std::string* name) {
  *name = path;
  return Status::Ok();
}

// The streams carry bytes as they are.
void UseBinaryStandardStreams() {}

// ---- Paths -----------------------------------------------------------------

bool IsPathSeparator(char c) { return c == '/'; }

size_t DrivePrefixLength(const std::string&) { return 0; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace sc
