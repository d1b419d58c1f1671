#include <iostream>

#include "app/command_line.h"
#include "platform/env.h"

#ifdef _WIN32

#include <sstream>
#include <string>
#include <vector>

#include "platform/windows_api.h"
#include <shellapi.h>

#include "app/report.h"
#include "platform/codepage_windows.h"
#include "platform/window_ui.h"

namespace {

// The arguments as Windows-1252 bytes, taken from the wide command line so
// that accented letters arrive whatever the system code page. On failure
// returns false with the reason in `problem`.
bool WindowsArguments(std::vector<std::string>* arguments, std::string* problem) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) {
    *problem = "cannot read the command line";
    return false;
  }
  for (int i = 0; i < count && problem->empty(); ++i) {
    std::string bytes;
    if (!sc::WideToCp1252(wide[i], &bytes)) {
      *problem = "argument " + std::to_string(i) + " has characters that Windows-1252 cannot write";
    }
    arguments->push_back(std::move(bytes));
  }
  ::LocalFree(wide);
  return problem->empty();
}

// The run started from the desktop: the waiting window and message boxes. A
// failure to read or write a file would otherwise go unseen, so it is shown
// as a message too; a failed check is not shown, as in every other run.
int RunFromDesktop(std::vector<char*>& argv) {
  sc::WindowUi ui;
  std::ostringstream err;
  int status = sc::RunCommandLine(static_cast<int>(argv.size()) - 1, argv.data(),
                                  *sc::Env::Default(), ui, std::cout, err);
  if (status == sc::kExitUsageOrIo && !err.str().empty()) ui.ShowMessage(err.str());
  return status;
}

}  // namespace

int main() {
  std::vector<std::string> arguments;
  std::string problem;
  if (!WindowsArguments(&arguments, &problem)) {
    std::cerr << "scenario-compiler: " << problem << "\n";
    return sc::kExitUsageOrIo;
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  if (arguments.size() == 1 && sc::StartedWithoutConsole()) return RunFromDesktop(argv);
  sc::TerminalUi ui;
  return sc::RunCommandLine(static_cast<int>(arguments.size()), argv.data(), *sc::Env::Default(),
                            ui, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
  sc::TerminalUi ui;
  return sc::RunCommandLine(argc, argv, *sc::Env::Default(), ui, std::cout, std::cerr);
}

#endif
