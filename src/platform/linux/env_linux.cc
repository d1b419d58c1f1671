// The platform seam on Linux. Most of it is plain POSIX; Linux alone has
// /proc/self/exe (the program's folder), st_mtim (the modification time in
// nanoseconds), sigtimedwait (stop requests) and sync_file_range.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/block_buffer.h"
#include "platform/env.h"
#include "platform/paths.h"

namespace sc {
namespace {

Status PosixError(const std::string& path, int error_number) {
  std::string message = path + ": " + std::strerror(error_number);
  if (error_number == ENOENT) return Status::NotFound(std::move(message));
  return Status::IoError(std::move(message));
}

// ---- Temporaries removed when a signal ends the program -------------------

// The signals that end a run from outside and after which no temporary file
// may stay behind.
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporaries being written and the lock files held, as C strings the
// handler can unlink. Slots change only while the cleanup signals are
// blocked, so the handler never sees one half-changed. The program writes at
// most a handful at once.
constexpr int kMaxLiveTemporaries = 32;
char* live_temporaries[kMaxLiveTemporaries];

extern "C" void RemoveLiveTemporariesAndEnd(int signal_number) {
  for (char* path : live_temporaries) {
    if (path) ::unlink(path);
  }
  // The handler was installed with SA_RESETHAND: the signal's default action
  // ends the program once the handler returns, with the usual status.
  ::raise(signal_number);
}

// Blocks the cleanup signals for its lifetime.
class CleanupSignalsBlocked {
 public:
  CleanupSignalsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kCleanupSignals) sigaddset(&set, s);
    ::sigprocmask(SIG_BLOCK, &set, &previous_);
  }
  ~CleanupSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// Call with the cleanup signals blocked.
void AddLiveTemporary(const std::string& path) {
  for (char*& slot : live_temporaries) {
    if (!slot) {
      slot = ::strdup(path.c_str());
      return;
    }
  }
}

void DropLiveTemporary(const std::string& path) {
  CleanupSignalsBlocked blocked;
  for (char*& slot : live_temporaries) {
    if (slot && path == slot) {
      std::free(slot);
      slot = nullptr;
      return;
    }
  }
}

void InstallCleanupHandlers() {
  for (int s : kCleanupSignals) {
    struct sigaction current;
    if (::sigaction(s, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = RemoveLiveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (int other : kCleanupSignals) sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(s, &action, nullptr);
  }
}

// ---- Stop requests --------------------------------------------------------

// The cleanup signals blocked in this thread (and in every thread it starts
// afterwards) and taken one at a time with sigtimedwait: they never reach the
// cleanup handler, so nothing ends the program behind its owner's back.
class PosixStopRequests : public StopRequests {
 public:
  PosixStopRequests() {
    sigemptyset(&set_);
    for (int s : kCleanupSignals) sigaddset(&set_, s);
    ::pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~PosixStopRequests() override { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

  bool Wait(std::chrono::milliseconds timeout) override {
    if (stopped_) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() < 0) left = std::chrono::nanoseconds(0);
      struct timespec wait;
      wait.tv_sec = static_cast<time_t>(left.count() / 1000000000);
      wait.tv_nsec = static_cast<long>(left.count() % 1000000000);
      if (::sigtimedwait(&set_, nullptr, &wait) > 0) return stopped_ = true;
      if (errno != EINTR) return false;  // EAGAIN: the time is up
    }
  }

 private:
  sigset_t set_;
  sigset_t previous_;
  bool stopped_ = false;
};

// ---- Replacing files ------------------------------------------------------

// Writes into a temporary file beside the target, in large blocks.
class PosixReplacingFile : public ReplacingFile {
 public:
  PosixReplacingFile(std::string path, std::string temp_path, int fd)
      : path_(std::move(path)), temp_path_(std::move(temp_path)), fd_(fd) {}
  ~PosixReplacingFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) {
      ::unlink(temp_path_.c_str());
      DropLiveTemporary(temp_path_);
    }
  }

  Status Append(std::string_view bytes) override {
    return buffer_.Append(bytes, [this](std::string_view b) { return WriteAll(b); });
  }

  Status WriteAt(uint64_t offset, std::string_view bytes) override {
    if (fd_ < 0) return Status::IoError(path_ + ": written after it was synced");
    const uint64_t start = offset;
    const size_t length = bytes.size();
    while (!bytes.empty()) {
      ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
      if (n < 0) {
        if (errno == EINTR) continue;
        return PosixError(path_, errno);
      }
      bytes.remove_prefix(static_cast<size_t>(n));
      offset += static_cast<uint64_t>(n);
    }
    StartWriteback(start, length);
    return Status::Ok();
  }

  Status Sync() override {
    if (fd_ < 0) return Status::Ok();
    Status s = buffer_.Flush([this](std::string_view b) { return WriteAll(b); });
    if (!s.ok()) return s;
    if (::fsync(fd_) != 0) return PosixError(path_, errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return PosixError(path_, errno);
    return Status::Ok();
  }

  Status Commit() override {
    Status s = Sync();
    if (!s.ok()) return s;
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) return PosixError(path_, errno);
    committed_ = true;
    DropLiveTemporary(temp_path_);
    return Status::Ok();
  }

 private:
  Status WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return PosixError(path_, errno);
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return Status::Ok();
  }

  // Asks the kernel to start writing the range out now, without waiting for
  // it; fsync then waits for less. Only a hint: its failure is fsync's to
  // report.
  void StartWriteback(uint64_t offset, size_t length) {
#if defined(__linux__) && defined(SYNC_FILE_RANGE_WRITE)
    ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)length;
#endif
  }

  std::string path_;
  std::string temp_path_;
  int fd_;
  bool committed_ = false;
  BlockBuffer buffer_;
};

// True when the open file `fd` is the file `path` names now (the name
// itself, never what a link there points to).
bool NamesOpenFile(const std::string& path, int fd) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// The lock of a lock file; releasing it removes the file (see FileLock).
class PosixFileLock : public FileLock {
 public:
  PosixFileLock(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixFileLock() override {
    {
      // Only the holder removes the file, while it still holds it; a signal
      // after the removal must not remove the next holder's file.
      CleanupSignalsBlocked blocked;
      if (NamesOpenFile(path_, fd_)) ::unlink(path_.c_str());
      DropLiveTemporary(path_);
    }
    ::close(fd_);
  }

 private:
  std::string path_;
  int fd_;
};

// Opens the lock file `path`, creating it when missing. A link at the path
// is never followed (nor its target created): it is refused.
int OpenLockFile(const std::string& path, Status* error) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
  struct stat st;
  if (errno == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    *error = Status::IoError(path +
                             ": a symbolic link, where the lock file must be a plain file; "
                             "remove the link");
  } else {
    *error = PosixError(path, errno);
  }
  return -1;
}

// With the cleanup signals blocked: when the lock of `fd` was granted and
// `path` still names that file, makes it the lock (removed by a signal from
// now on) and returns true; otherwise closes `fd`.
bool HoldIfNamed(const std::string& path, int fd, std::unique_ptr<FileLock>* lock) {
  if (NamesOpenFile(path, fd)) {
    AddLiveTemporary(path);
    *lock = std::make_unique<PosixFileLock>(path, fd);
    return true;
  }
  ::close(fd);
  return false;
}

// Opens the lock file `path` (creating it when missing) and locks it,
// waiting or not; retries when the file it locked was removed by its
// previous holder on release. Sets *busy when another holder has it and
// `wait` is false.
//
// Opening (which may create the file) and the lock's grant happen with the
// cleanup signals blocked, so that a signal either comes before the file
// exists or finds it among the files to remove: it never leaves a lock file
// of ours behind. Only waiting for another holder leaves them unblocked, so
// that a signal ends a waiting run at once; the file is the holder's then.
Status LockPath(const std::string& path, bool wait, std::unique_ptr<FileLock>* lock, bool* busy) {
  *busy = false;
  for (;;) {
    int fd;
    {
      CleanupSignalsBlocked blocked;
      Status error;
      fd = OpenLockFile(path, &error);
      if (fd < 0) return error;
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        if (HoldIfNamed(path, fd, lock)) return Status::Ok();
        continue;
      }
      const int e = errno;
      if (e != EWOULDBLOCK) {
        ::close(fd);
        return PosixError(path, e);
      }
      if (!wait) {
        ::close(fd);
        *busy = true;
        return Status::Ok();
      }
    }
    int locked;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      const int e = errno;
      ::close(fd);
      return PosixError(path, e);
    }
    CleanupSignalsBlocked blocked;
    if (HoldIfNamed(path, fd, lock)) return Status::Ok();
  }
}

// The longest name the file system holding `folder` allows.
size_t NameLimit(const std::string& folder) {
  long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<size_t>(limit) : kUsualNameLimit;
}

// What a path that is not a regular file names, for the message.
const char* NotRegularReason(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO (named pipe), not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
  if (S_ISSOCK(mode)) return "a socket, not a regular file";
  return "not a regular file";
}

class PosixEnv : public Env {
 public:
  PosixEnv() {
    // A write past the file size limit must fail as an error that removes the
    // temporary file, not kill the program and leave it behind.
    ::signal(SIGXFSZ, SIG_IGN);
    InstallCleanupHandlers();
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool FolderExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
  }

  Status ReadFile(const std::string& path, size_t max_bytes, std::string* contents) override {
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return PosixError(path, errno);
    Status s = ReadOpenFile(path, fd, max_bytes, contents);
    ::close(fd);
    return s;
  }

  Status NewReplacingFile(const std::string& path, std::unique_ptr<ReplacingFile>* file) override {
    struct stat target;
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) return PosixError(path, EISDIR);
    std::string pattern = TemporaryPrefix(path, NameLimit(FolderOf(path))) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd;
    {
      CleanupSignalsBlocked blocked;
      fd = ::mkstemp(name.data());
      if (fd < 0) return PosixError(path, errno);
      AddLiveTemporary(name.data());
    }
    // mkstemp creates the file 0600: give it the bits of the file it
    // replaces, or the usual ones for a new file.
    mode_t mode;
    if (exists && S_ISREG(target.st_mode)) {
      mode = target.st_mode & 07777;
    } else {
      mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
      int e = errno;
      ::close(fd);
      ::unlink(name.data());
      DropLiveTemporary(name.data());
      return PosixError(path, e);
    }
    *file = std::make_unique<PosixReplacingFile>(path, std::string(name.data()), fd);
    return Status::Ok();
  }

  Status CheckNewFileName(const std::string& path) override {
    const size_t length = BaseName(path).size();
    const size_t limit = NameLimit(FolderOf(path));
    if (length <= limit) return Status::Ok();
    return Status::IoError(path + ": " + std::strerror(ENAMETOOLONG) + " (" +
                           std::to_string(length) + " bytes; this file system allows " +
                           std::to_string(limit) + ")");
  }

  Status DeleteFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return PosixError(path, errno);
    return Status::Ok();
  }

  Status TryLockFile(const std::string& path, std::unique_ptr<FileLock>* lock,
                     bool* busy) override {
    return LockPath(path, false, lock, busy);
  }

  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    bool busy = false;
    return LockPath(path, true, lock, &busy);
  }

  Status LeftTemporaries(const std::string& path, std::vector<std::string>* found) override {
    found->clear();
    const std::string folder = FolderOf(path);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return PosixError(folder, errno);
    const std::string target = BaseName(path);
    const size_t limit = NameLimit(folder);
    while (const struct dirent* entry = ::readdir(dir)) {
      if (IsTemporaryOf(entry->d_name, target, limit))
        found->push_back(JoinPath(folder, entry->d_name));
    }
    ::closedir(dir);
    return Status::Ok();
  }

  Status MakeFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) == 0) return Status::Ok();
    const int e = errno;
    if (e == EEXIST) return FolderExists(path) ? Status::Ok() : PosixError(path, ENOTDIR);
    return PosixError(path, e);
  }

  Status FullPath(const std::string& path, std::string* full) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return PosixError(path, errno);
    *full = resolved;
    std::free(resolved);
    return Status::Ok();
  }

  Status ProgramFolder(std::string* folder) override {
    std::vector<char> buffer(4096);
    for (;;) {
      ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) return PosixError("/proc/self/exe", errno);
      if (static_cast<size_t>(n) < buffer.size()) {
        std::string path(buffer.data(), static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        *folder = slash == 0 ? "/" : path.substr(0, slash);
        return Status::Ok();
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  Status StampFile(const std::string& path, FileStamp* stamp) override {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return PosixError(path, errno);
    stamp->modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp->size = static_cast<uint64_t>(st.st_size);
    return Status::Ok();
  }

  Status CatchStopRequests(std::unique_ptr<StopRequests>* requests) override {
    *requests = std::make_unique<PosixStopRequests>();
    return Status::Ok();
  }

 private:
  static Status ReadOpenFile(const std::string& path, int fd, size_t max_bytes,
                             std::string* contents) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return PosixError(path, errno);
    if (S_ISDIR(st.st_mode)) return PosixError(path, EISDIR);
    if (!S_ISREG(st.st_mode)) return Status::IoError(path + ": " + NotRegularReason(st.st_mode));
    if (static_cast<uint64_t>(st.st_size) > max_bytes) return TooLarge(path, max_bytes);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    contents->clear();
    contents->reserve(static_cast<size_t>(st.st_size));
    AskForLargePages(contents->data(), contents->capacity());
    // Through a block small enough to stay in the cache: the large buffer is
    // written once, as the bytes are copied from the block.
    char block[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, block, sizeof block);
      if (n < 0) {
        if (errno == EINTR) continue;
        return PosixError(path, errno);
      }
      if (n == 0) return Status::Ok();
      // The file may grow while it is read.
      if (contents->size() + static_cast<size_t>(n) > max_bytes) return TooLarge(path, max_bytes);
      contents->append(block, static_cast<size_t>(n));
    }
  }

  // A buffer of many megabytes (a route plan) is touched page by page as it
  // fills; asking for 2 MB pages where the buffer covers them whole saves
  // most of those page faults. Only a hint: nothing changes when refused.
  static void AskForLargePages(char* data, size_t bytes) {
    constexpr uintptr_t kLargePage = uintptr_t{1} << 21;
    if (bytes < 2 * kLargePage) return;
    const uintptr_t begin =
        (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLargePage - 1);
    if (end > begin) {
      (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
  }

  static Status TooLarge(const std::string& path, size_t max_bytes) {
    return Status::IoError(path + ": larger than " + std::to_string(max_bytes) +
                           " bytes, more than this kind of file can be");
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

}  // namespace sc
