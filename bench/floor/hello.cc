// The start-up floor: a C++ hello world, built like the program (same
// compiler, flags and runtime), which bench/startup_vs_hello.sh times
// `scenario-compiler --version` against.
#include <iostream>

int main() {
  std::cout << "hello, world\n";
  return 0;
}
