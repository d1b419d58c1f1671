#include "platform/ui.h"

#include <cstdio>

namespace sc {

void TerminalUi::ShowWaiting() {
  std::fputs("Attendere\n", stderr);
  std::fflush(stderr);
}

void TerminalUi::ShowMessage(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace sc
