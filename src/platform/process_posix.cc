// The process on POSIX systems (Linux).
#include "platform/process.h"

namespace sc {

Status ProgramArguments(int argc, char** argv, std::vector<std::string>* arguments) {
  arguments->assign(argv, argv + argc);
  return Status::Ok();
}

bool StartedWithoutConsole() { return false; }

std::unique_ptr<Ui> NewDesktopUi() { return std::make_unique<TerminalUi>(); }

}  // namespace sc
