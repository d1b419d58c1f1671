#include "platform/env.h"

#include <cstdio>

#include "platform/ui.h"

namespace sc {

Status Env::WriteFile(const std::string& path, std::string_view bytes) {
  std::unique_ptr<ReplacingFile> file;
  Status s = NewReplacingFile(path, &file);
  if (!s.ok()) return s;
  s = file->Append(bytes);
  if (!s.ok()) return s;
  return file->Commit();
}

std::string TemporaryPrefix(const std::string& path, size_t name_limit) {
  const size_t name_length = BaseName(path).size();
  const size_t room = name_limit > kTemporarySuffixLength ? name_limit - kTemporarySuffixLength : 1;
  std::string prefix = path;
  if (name_length > room) prefix.resize(path.size() - (name_length - room));
  return prefix + ".tmp-";
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
