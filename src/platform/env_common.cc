#include "platform/env.h"

#include <cstdio>

namespace sc {

Status Env::WriteFile(const std::string& path, std::string_view bytes) {
  std::unique_ptr<ReplacingFile> file;
  Status s = NewReplacingFile(path, &file);
  if (!s.ok()) return s;
  s = file->Append(bytes);
  if (!s.ok()) return s;
  return file->Commit();
}

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
