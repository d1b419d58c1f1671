// The platform seam on Windows. Paths are Windows-1252 bytes everywhere else
// in the program; here they become UTF-16 for the wide file functions.
#include "platform/windows/windows_api.h"

#include <cstdio>
#include <vector>

#include "platform/block_buffer.h"
#include "platform/env.h"
#include "platform/native_text.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

// The system's text for `error`, without the trailing full stop and line end.
std::string SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", length);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'.')) {
    text.pop_back();
  }
  std::string bytes;
  if (text.empty() || !WideToCp1252(text, &bytes)) {
    char number[32];
    std::snprintf(number, sizeof number, "system error %lu", static_cast<unsigned long>(error));
    return number;
  }
  return bytes;
}

Status WindowsError(const std::string& path, DWORD error) {
  std::string message = path + ": " + SystemMessage(error);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return Status::NotFound(std::move(message));
  }
  return Status::IoError(std::move(message));
}

// The attributes of `path`, or INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(Cp1252ToWide(path).c_str());
}

// The volume and file index that identify the file at `path`; false when
// it cannot be opened.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE handle = ::CreateFileW(Cp1252ToWide(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::GetFileInformationByHandle(handle, info) != 0;
  ::CloseHandle(handle);
  return ok;
}

// ---- Temporaries removed when a console event ends the program -----------

// The temporaries being written. The console control handler runs on a
// thread of its own: it takes the section, removes every live temporary and
// keeps the section, so the program's thread can neither make nor register
// another before the process ends.
class LiveTemporaries {
 public:
  LiveTemporaries() { ::InitializeCriticalSection(&section_); }
  CRITICAL_SECTION* section() { return &section_; }
  // Call inside the section.
  void Add(const std::wstring& path) { paths_.push_back(path); }
  void Drop(const std::wstring& path) {
    ::EnterCriticalSection(&section_);
    for (size_t i = 0; i < paths_.size(); ++i) {
      if (paths_[i] == path) {
        paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    ::LeaveCriticalSection(&section_);
  }
  // Removes them all; the files are opened with FILE_SHARE_DELETE, so one
  // still being written goes as soon as the process ends.
  void RemoveAllAndHold() {
    ::EnterCriticalSection(&section_);
    for (const std::wstring& path : paths_) ::DeleteFileW(path.c_str());
    paths_.clear();
  }

 private:
  CRITICAL_SECTION section_;
  std::vector<std::wstring> paths_;
};

LiveTemporaries& Live() {
  static LiveTemporaries live;
  return live;
}

BOOL WINAPI RemoveLiveTemporariesOnEvent(DWORD) {
  Live().RemoveAllAndHold();
  return FALSE;  // the next handler (the default one) ends the process
}

// A console control event caught as a stop request: the handler, added
// after the temporaries' one, is asked first; it signals the event and
// reports the event handled, so the process goes on to stop by itself.
HANDLE& StopEvent() {
  static HANDLE event = nullptr;
  return event;
}

// For a closed console (or a logoff, a shutdown) Windows ends the process as
// soon as the handler returns: it waits instead, so that the program stops
// by itself and ends with its own status; Windows allows a few seconds.
BOOL WINAPI SignalStopOnEvent(DWORD type) {
  HANDLE event = StopEvent();
  if (!event) return FALSE;
  ::SetEvent(event);
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
    ::Sleep(4000);
  }
  return TRUE;
}

class WindowsStopRequests : public StopRequests {
 public:
  WindowsStopRequests() {
    StopEvent() = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(SignalStopOnEvent, TRUE);
  }
  ~WindowsStopRequests() override {
    ::SetConsoleCtrlHandler(SignalStopOnEvent, FALSE);
    HANDLE event = StopEvent();
    StopEvent() = nullptr;
    if (event) ::CloseHandle(event);
  }
  bool Wait(std::chrono::milliseconds timeout) override {
    HANDLE event = StopEvent();
    if (!event) return false;
    return ::WaitForSingleObject(event, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
  }
};

// Writes into a temporary file beside the target, in large blocks.
class WindowsReplacingFile : public ReplacingFile {
 public:
  WindowsReplacingFile(std::string path, std::wstring temp_path, HANDLE handle)
      : path_(std::move(path)), temp_path_(std::move(temp_path)), handle_(handle) {}
  ~WindowsReplacingFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!committed_) {
      ::DeleteFileW(temp_path_.c_str());
      Live().Drop(temp_path_);
    }
  }

  Status Append(std::string_view bytes) override {
    return buffer_.Append(bytes, [this](std::string_view b) { return WriteAll(b); });
  }

  // Windows has no call to start the writeback of a range early: Sync
  // (FlushFileBuffers) writes it all.
  Status WriteAt(uint64_t offset, std::string_view bytes) override {
    if (handle_ == INVALID_HANDLE_VALUE)
      return Status::IoError(path_ + ": written after it was synced");
    while (!bytes.empty()) {
      constexpr size_t kMaxWrite = 1u << 30;
      DWORD chunk = static_cast<DWORD>(bytes.size() < kMaxWrite ? bytes.size() : kMaxWrite);
      // On a handle opened without FILE_FLAG_OVERLAPPED, the offset in the
      // OVERLAPPED makes the write positional and the call still waits.
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data(), chunk, &written, &at)) {
        return WindowsError(path_, ::GetLastError());
      }
      bytes.remove_prefix(written);
      offset += written;
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (handle_ == INVALID_HANDLE_VALUE) return Status::Ok();
    Status s = buffer_.Flush([this](std::string_view b) { return WriteAll(b); });
    if (!s.ok()) return s;
    if (!::FlushFileBuffers(handle_)) return WindowsError(path_, ::GetLastError());
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) return WindowsError(path_, ::GetLastError());
    return Status::Ok();
  }

  Status Commit() override {
    Status s = Sync();
    if (!s.ok()) return s;
    if (!::MoveFileExW(temp_path_.c_str(), Cp1252ToWide(path_).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return WindowsError(path_, ::GetLastError());
    }
    committed_ = true;
    Live().Drop(temp_path_);
    return Status::Ok();
  }

 private:
  Status WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      constexpr size_t kMaxWrite = 1u << 30;
      DWORD chunk = static_cast<DWORD>(bytes.size() < kMaxWrite ? bytes.size() : kMaxWrite);
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) {
        return WindowsError(path_, ::GetLastError());
      }
      bytes.remove_prefix(written);
    }
    return Status::Ok();
  }

  std::string path_;
  std::wstring temp_path_;
  HANDLE handle_;
  bool committed_ = false;
  BlockBuffer buffer_;
};

// Creates a new, empty temporary file beside `path`; a name already taken is
// skipped, never opened.
Status CreateTemporaryBeside(const std::string& path, std::wstring* temp_path, HANDLE* handle) {
  const std::wstring base = Cp1252ToWide(TemporaryPrefix(path, kUsualNameLimit));
  const unsigned long seed =
      ::GetCurrentProcessId() ^ static_cast<unsigned long>(::GetTickCount64());
  for (unsigned long attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"%06lx", (seed + attempt * 7919ul) & 0xfffffful);
    std::wstring candidate = base + suffix;
    // Shared for deletion only, so that the console handler can remove it.
    ::EnterCriticalSection(Live().section());
    HANDLE h = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) Live().Add(candidate);
    ::LeaveCriticalSection(Live().section());
    if (h != INVALID_HANDLE_VALUE) {
      *temp_path = std::move(candidate);
      *handle = h;
      return Status::Ok();
    }
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return WindowsError(path, error);
  }
  return WindowsError(path, ERROR_FILE_EXISTS);
}

Status ProgramFolderOf(std::string* folder);

// Reads an open file whole; what is not a file on disk (a pipe, a console,
// a device) and a file over `max_bytes` are refused before reading.
Status ReadOpenFile(const std::string& path, HANDLE handle, size_t max_bytes,
                    std::string* contents) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    return Status::IoError(path + ": a pipe or a device, not a regular file");
  }
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handle, &size)) return WindowsError(path, ::GetLastError());
  auto too_large = [&] {
    return Status::IoError(path + ": larger than " + std::to_string(max_bytes) +
                           " bytes, more than this kind of file can be");
  };
  if (static_cast<unsigned long long>(size.QuadPart) > max_bytes) return too_large();
  contents->clear();
  contents->reserve(static_cast<size_t>(size.QuadPart));
  char block[1 << 16];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(handle, block, sizeof block, &n, nullptr)) {
      return WindowsError(path, ::GetLastError());
    }
    if (n == 0) return Status::Ok();
    if (contents->size() + n > max_bytes) return too_large();
    contents->append(block, n);
  }
}

// True when the open file `handle` is the file `path` names now.
bool NamesOpenFile(const std::string& path, HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION held, named;
  return ::GetFileInformationByHandle(handle, &held) && FileIdentity(path, &named) &&
         held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

// The lock of a lock file; releasing it removes the file (see FileLock).
class WindowsFileLock : public FileLock {
 public:
  WindowsFileLock(std::string path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  ~WindowsFileLock() override {
    // Only the holder removes the file, while it still holds it; every
    // handle shares deletion, so the name goes once the last one closes. The
    // console handler waits meanwhile, so that it never removes the next
    // holder's file.
    ::EnterCriticalSection(Live().section());
    if (NamesOpenFile(path_, handle_)) ::DeleteFileW(Cp1252ToWide(path_).c_str());
    Live().Drop(Cp1252ToWide(path_));
    ::LeaveCriticalSection(Live().section());
    ::CloseHandle(handle_);
  }

 private:
  std::string path_;
  HANDLE handle_;
};

// Opens the lock file `path` (creating it, hidden, when missing) and locks
// its first byte, waiting or not; retries when the file it locked was removed
// by its previous holder on release. A file being removed while others still
// have it open refuses new opens with "access denied" for that moment: such
// opens are retried for a while before the refusal is reported. Sets *busy
// when another holder has it and `wait` is false.
Status LockFirstByte(const std::string& path, bool wait, std::unique_ptr<FileLock>* lock,
                     bool* busy) {
  *busy = false;
  const std::wstring wide = Cp1252ToWide(path);
  constexpr int kDeniedRetries = 300;  // 10 ms apart: 3 s
  int denied = 0;
  for (;;) {
    // A link (any reparse point) at the path is opened itself, never
    // followed, and refused: its target is not created or locked.
    HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD error = ::GetLastError();
      if (error == ERROR_ACCESS_DENIED && ++denied < kDeniedRetries) {
        ::Sleep(10);
        continue;
      }
      return WindowsError(path, error);
    }
    BY_HANDLE_FILE_INFORMATION opened;
    if (!::GetFileInformationByHandle(handle, &opened)) {
      DWORD error = ::GetLastError();
      ::CloseHandle(handle);
      return WindowsError(path, error);
    }
    if (opened.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) {
      ::CloseHandle(handle);
      return Status::IoError(path +
                             ": a link or folder, where the lock file must be a plain file; "
                             "remove it");
    }
    OVERLAPPED at = {};
    DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!::LockFileEx(handle, flags, 0, 1, 0, &at)) {
      DWORD error = ::GetLastError();
      ::CloseHandle(handle);
      if (!wait && (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)) {
        *busy = true;
        return Status::Ok();
      }
      return WindowsError(path, error);
    }
    ::EnterCriticalSection(Live().section());
    const bool named = NamesOpenFile(path, handle);
    if (named) Live().Add(wide);
    ::LeaveCriticalSection(Live().section());
    if (named) {
      *lock = std::make_unique<WindowsFileLock>(path, handle);
      return Status::Ok();
    }
    ::CloseHandle(handle);
  }
}

class WindowsEnv : public Env {
 public:
  WindowsEnv() { ::SetConsoleCtrlHandler(RemoveLiveTemporariesOnEvent, TRUE); }
  Status ProgramFolder(std::string* folder) override { return ProgramFolderOf(folder); }

  bool FileExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool FolderExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return FileIdentity(a, &ia) && FileIdentity(b, &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  }

  Status ReadFile(const std::string& path, size_t max_bytes, std::string* contents) override {
    if (FolderExists(path)) return Status::IoError(path + ": Is a folder");
    HANDLE handle =
        ::CreateFileW(Cp1252ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path, ::GetLastError());
    Status s = ReadOpenFile(path, handle, max_bytes, contents);
    ::CloseHandle(handle);
    return s;
  }

  Status NewReplacingFile(const std::string& path, std::unique_ptr<ReplacingFile>* file) override {
    if (FolderExists(path)) return Status::IoError(path + ": Is a folder");
    std::wstring temp_path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    Status s = CreateTemporaryBeside(path, &temp_path, &handle);
    if (!s.ok()) return s;
    *file = std::make_unique<WindowsReplacingFile>(path, std::move(temp_path), handle);
    return Status::Ok();
  }

  Status CheckNewFileName(const std::string& path) override {
    // Every Windows-1252 byte is one UTF-16 unit; NTFS and FAT allow 255.
    const size_t length = BaseName(path).size();
    if (length <= kUsualNameLimit) return Status::Ok();
    return Status::IoError(path + ": " + SystemMessage(ERROR_FILENAME_EXCED_RANGE) + " (" +
                           std::to_string(length) + " characters; at most " +
                           std::to_string(kUsualNameLimit) + ")");
  }

  Status TryLockFile(const std::string& path, std::unique_ptr<FileLock>* lock,
                     bool* busy) override {
    return LockFirstByte(path, false, lock, busy);
  }

  Status MakeFolder(const std::string& path) override {
    if (::CreateDirectoryW(Cp1252ToWide(path).c_str(), nullptr)) return Status::Ok();
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS && FolderExists(path)) return Status::Ok();
    return WindowsError(path, error);
  }

  Status FullPath(const std::string& path, std::string* full) override {
    const std::wstring wide = Cp1252ToWide(path);
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
      if (length == 0) return WindowsError(path, ::GetLastError());
      if (length < buffer.size()) {
        buffer.resize(length);
        break;
      }
      buffer.resize(length);
    }
    if (!WideToCp1252(buffer, full)) {
      return Status::IoError(path + ": its full path holds a character Windows-1252 cannot write");
    }
    return Status::Ok();
  }

  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    bool busy = false;
    return LockFirstByte(path, true, lock, &busy);
  }

  Status LeftTemporaries(const std::string& path, std::vector<std::string>* found) override {
    found->clear();
    const std::string folder = FolderOf(path);
    const std::string target = BaseName(path);
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW(Cp1252ToWide(JoinPath(folder, "*")).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
      DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();
      return WindowsError(folder, error);
    }
    do {
      std::string name;
      if (WideToCp1252(entry.cFileName, &name) && IsTemporaryOf(name, target, kUsualNameLimit)) {
        found->push_back(JoinPath(folder, name));
      }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return Status::Ok();
  }

  Status StampFile(const std::string& path, FileStamp* stamp) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Cp1252ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
      return WindowsError(path, ::GetLastError());
    }
    stamp->modified =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    stamp->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return Status::Ok();
  }

  Status CatchStopRequests(std::unique_ptr<StopRequests>* requests) override {
    if (StopEvent()) return Status::IoError("stop requests are already caught");
    *requests = std::make_unique<WindowsStopRequests>();
    return Status::Ok();
  }

  Status DeleteFile(const std::string& path) override {
    if (!::DeleteFileW(Cp1252ToWide(path).c_str())) {
      DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return WindowsError(path, error);
      }
    }
    return Status::Ok();
  }
};

// The full name of the running program, as the system reports it.
Status ModuleFileName(std::wstring* name) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return WindowsError("the program's file name", ::GetLastError());
    if (n < buffer.size()) {
      name->assign(buffer.data(), n);
      return Status::Ok();
    }
    buffer.resize(buffer.size() * 2);
  }
}

// The folder part of a full file name; a drive's root keeps its "\".
std::wstring WideFolderOf(const std::wstring& file_name) {
  size_t separator = file_name.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return L".";
  if (separator == 0 || (separator == 2 && file_name[1] == L':')) {
    return file_name.substr(0, separator + 1);
  }
  return file_name.substr(0, separator);
}

// The short (8.3) form of `path`, which is plain ASCII on every volume that
// keeps short names; empty when the system cannot give one.
std::wstring ShortPath(const std::wstring& path) {
  DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return std::wstring();
  std::wstring short_path(size, L'\0');
  DWORD n = ::GetShortPathNameW(path.c_str(), short_path.data(), size);
  if (n == 0 || n >= size) return std::wstring();
  short_path.resize(n);
  return short_path;
}

Status ProgramFolderOf(std::string* folder) {
  std::wstring module;
  Status s = ModuleFileName(&module);
  if (!s.ok()) return s;
  std::wstring wide = WideFolderOf(module);
  // A folder name outside Windows-1252 cannot travel as the program's text;
  // its short form usually can, and names the same folder.
  if (WideToCp1252(wide, folder)) return Status::Ok();
  if (WideToCp1252(ShortPath(wide), folder) && !folder->empty()) return Status::Ok();
  return Status::IoError("the program's folder has a name that Windows-1252 cannot write");
}

// `wide` in the system (ANSI) code page; false where a character has no
// place there (no best-fit look-alikes: they would name another file).
bool InSystemCodePage(const std::wstring& wide, std::string* bytes) {
  bytes->clear();
  if (wide.empty()) return true;
  const UINT code_page = ::GetACP();
  // UTF-8 writes every character, and takes no default-character check.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  BOOL* check = utf8 ? nullptr : &lossy;
  const int length = static_cast<int>(wide.size());
  const int size =
      ::WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0, nullptr, check);
  if (size <= 0 || lossy) return false;
  bytes->resize(static_cast<size_t>(size));
  ::WideCharToMultiByte(code_page, flags, wide.data(), length, bytes->data(), size, nullptr, check);
  return !lossy;
}

}  // namespace

Status NarrowOpenName(const std::string& path, std::string* name) {
  const std::wstring wide = Cp1252ToWide(path);
  if (InSystemCodePage(wide, name)) return Status::Ok();
  if (InSystemCodePage(ShortPath(wide), name) && !name->empty()) return Status::Ok();
  if (Attributes(path) == INVALID_FILE_ATTRIBUTES) return WindowsError(path, ::GetLastError());
  return Status::IoError(path +
                         ": the map reader cannot open a file of this name here (a letter of it "
                         "is missing from the system's code page and the file has no short "
                         "name); rename the file or copy it to a plain name");
}

Env* Env::Default() {
  static WindowsEnv env;
  return &env;
}

}  // namespace sc
