// The program's entry: takes the arguments from the process and runs the
// command line, on the terminal or, when started from the desktop on Windows,
// with the waiting window and message boxes.
#include <iostream>

#include "app/command_line.h"
#include "platform/process.h"
#include "run/report.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  sc::Status s = sc::ProgramArguments(argc, argv, &arguments);
  if (!s.ok()) {
    std::cerr << sc::kProgram << s.message() << "\n";
    return sc::kExitUsageOrIo;
  }
  sc::Env& env = *sc::Env::Default();
  if (arguments.size() == 1 && sc::StartedWithoutConsole()) {
    std::unique_ptr<sc::Ui> ui = sc::NewDesktopUi();
    return sc::RunWithoutConsole(arguments, env, *ui, std::cin, std::cout);
  }
  sc::TerminalUi ui;
  return sc::RunCommandLine(arguments, env, ui, std::cin, std::cout, std::cerr);
}
