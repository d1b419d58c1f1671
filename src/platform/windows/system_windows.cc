// The process, its text and its streams on Windows, and the form of its
// paths.
#include "platform/windows/windows_api.h"

// shellapi.h needs the declarations of windows.h before it.
#include <shellapi.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "platform/binary_streams.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text_1252.h"
#include "platform/windows/window_ui.h"

namespace sc {

// ---- The process -----------------------------------------------------------

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

bool StartedWithoutConsole() {
  HANDLE error_output = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error_output && error_output != INVALID_HANDLE_VALUE) {
    DWORD type = ::GetFileType(error_output);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return false;
  }
  DWORD processes[2];
  return ::GetConsoleProcessList(processes, 2) <= 1;
}

bool StandardOutputPipeClosed(int error_number) {
  if (error_number == EPIPE) return true;
  if (error_number != EINVAL) return false;
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  return output && output != INVALID_HANDLE_VALUE && ::GetFileType(output) == FILE_TYPE_PIPE;
}

// ---- Text and streams ------------------------------------------------------

// Arguments and file names arrive converted from UTF-16.
bool NativeTextIsCp1252() { return true; }

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

// ---- Paths -----------------------------------------------------------------

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '\\' || last == '/') return folder + name;
  // "C:" means the current folder of drive C; "C:\name" would be its root.
  if (folder.size() == 2 && last == ':') return folder + name;
  return folder + "\\" + name;
}

size_t DrivePrefixLength(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace sc
