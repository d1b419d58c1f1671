#include <iostream>

#include "app/command_line.h"
#include "platform/env.h"

int main(int argc, char** argv) {
  sc::TerminalUi ui;
  return sc::RunCommandLine(argc, argv, *sc::Env::Default(), ui, std::cout, std::cerr);
}
