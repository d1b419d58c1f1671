// The process on Windows.
#include "platform/windows_api.h"

// shellapi.h needs the declarations of windows.h before it.
#include <shellapi.h>

#include "platform/process.h"
#include "platform/text_1252.h"
#include "platform/window_ui.h"

namespace sc {

Status ProgramArguments(int, char**, std::vector<std::string>* arguments) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return Status::IoError("cannot read the command line");
  Status s;
  arguments->clear();
  for (int i = 0; i < count && s.ok(); ++i) {
    std::string bytes;
    if (!WideToCp1252(wide[i], &bytes)) {
      s = Status::IoError("argument " + std::to_string(i) +
                          " has characters that Windows-1252 cannot write");
    }
    arguments->push_back(std::move(bytes));
  }
  ::LocalFree(wide);
  return s;
}

std::unique_ptr<Ui> NewDesktopUi() { return std::make_unique<WindowUi>(); }

}  // namespace sc
