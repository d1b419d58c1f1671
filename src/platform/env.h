// The platform seam: everything the program needs from the operating system.
// The compiler and the documents never touch files directly; they go through
// an Env, which tests replace with an in-memory one (MemEnv).
//
// One folder per platform holds its Env with the process, text, stream and
// path pieces beside it: platform/linux (POSIX calls, plus what only Linux
// has: the program's folder from /proc/self/exe, nanosecond modification
// times from st_mtim, sigtimedwait and sync_file_range) and platform/windows.
// What all platforms share is in env.cc.
#ifndef SC_PLATFORM_ENV_H_
#define SC_PLATFORM_ENV_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "platform/status.h"

namespace sc {

// A file being written under a temporary name beside its target. Commit()
// renames it over the target, so the target is replaced whole or not at all.
// Destroying an uncommitted file removes the temporary. While it exists, the
// temporary is also removed if the program is ended by an interrupt or
// termination signal (on Windows: a console control event), and the program
// then ends with that signal's usual status.
// The temporary's name is the target's name, shortened when needed so that it
// fits the file system's limit, followed by ".tmp-" and six characters.
// A replaced file keeps the permission bits of the file it replaces.
class ReplacingFile {
 public:
  virtual ~ReplacingFile() = default;
  virtual Status Append(std::string_view bytes) = 0;
  // Writes `bytes` at `offset` of the temporary (a gap before it reads as
  // zeros), independently of Append's position: a file is written either by
  // Append or by WriteAt, not by both. Where the system allows, it also
  // starts writing those bytes out to disk without waiting, so that Sync
  // finds less left to do.
  virtual Status WriteAt(uint64_t offset, std::string_view bytes) = 0;
  // Writes out what is buffered and forces the temporary's bytes to disk.
  // After it succeeds, Commit() only renames. Optional: Commit() syncs first
  // when it was not called.
  virtual Status Sync() = 0;
  virtual Status Commit() = 0;
};

// Syncs the files at once, each on a thread of its own, so that their waits
// for the disk overlap (a journalling file system also commits them
// together); returns the first failure in the order given. The files must
// have been made, and are to be committed or destroyed, on the calling
// thread. Without threads to be had, the files are synced one by one.
Status SyncTogether(const std::vector<ReplacingFile*>& files);

// Runs `work` on a second thread while the caller goes on, until Wait() or
// destruction; on the calling thread, at once, when no thread can be had.
class Alongside {
 public:
  explicit Alongside(std::function<void()> work);
  ~Alongside() { Wait(); }
  Alongside(const Alongside&) = delete;
  Alongside& operator=(const Alongside&) = delete;
  void Wait();

 private:
  std::thread thread_;
};

// An advisory lock on a lock file, held until the object is destroyed (or
// the process ends). It binds only programs that take the same lock.
//
// The lock file exists only while someone holds or waits for its lock:
// releasing the lock removes the file, and so does an interrupt, termination
// or hang-up signal (a console control event on Windows) that ends the
// holder. A holder killed outright (SIGKILL, Windows' Task Manager) leaves
// the file, unlocked: the next taker locks it as it finds it and removes it
// in turn. Because a holder removes the file while it still holds it, a
// waiter may be granted the lock of a file that no longer has a name; after
// every grant the taker checks that the path still names the file it locked,
// and opens the path afresh when not. So exactly one taker at a time holds
// the lock of the file the path names.
//
// Why a lock file removed on release rather than a lock on the folder
// itself: a folder cannot take an exclusive lock everywhere (on NFS, flock
// on a folder's descriptor is refused, and Windows locks byte ranges of
// files only), while a lock file works wherever the old lock file did; and
// one algorithm serves both systems. Only a killed run leaves the file
// behind, and never for longer than the next run into that folder.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// What tells a file's versions apart without reading it: the modification
// time (in the file system's own units) and the size.
struct FileStamp {
  int64_t modified = 0;
  uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

// Interrupt, termination and hang-up signals (Ctrl-C, `kill`, a closed
// terminal; on Windows console control events) caught as a request to stop,
// for a program that runs until the person ends it. While the object lives
// they no longer end the program; temporaries being written are then removed
// by their owners as the program winds down. Take it before starting any
// thread, so that every thread leaves the signals to it.
class StopRequests {
 public:
  virtual ~StopRequests() = default;
  // Waits up to `timeout` for a stop request; true once one came.
  virtual bool Wait(std::chrono::milliseconds timeout) = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // True when `path` names an existing regular file.
  virtual bool FileExists(const std::string& path) = 0;
  // True when `path` names an existing folder.
  virtual bool FolderExists(const std::string& path) = 0;
  // True when both paths name one existing file, however they are spelled
  // (another spelling, a link to it). False when either does not exist.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  // Reads the whole file as bytes. A file that does not exist gives a
  // NotFound status. Never blocks on what `path` names: a FIFO, a device or a
  // folder is refused with the path and what it is; so is a file larger than
  // `max_bytes` (before reading it).
  virtual Status ReadFile(const std::string& path, size_t max_bytes, std::string* contents) = 0;
  // Starts replacing `path`; see ReplacingFile.
  virtual Status NewReplacingFile(const std::string& path,
                                  std::unique_ptr<ReplacingFile>* file) = 0;
  // Ok when the last part of `path` is short enough for the file system that
  // would hold it (the temporary name used while replacing it always fits
  // then); otherwise an error naming the path and the reason.
  virtual Status CheckNewFileName(const std::string& path) = 0;
  // Removes the file; a missing file is not an error.
  virtual Status DeleteFile(const std::string& path) = 0;
  // Takes the advisory lock of the lock file `path` (see FileLock) without
  // waiting. When another holder has it, sets *busy and leaves *lock empty.
  virtual Status TryLockFile(const std::string& path, std::unique_ptr<FileLock>* lock,
                             bool* busy) = 0;
  // Takes the advisory lock of the lock file `path`, waiting for whoever
  // holds it.
  virtual Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) = 0;
  // The temporaries that replacing `path` may have left in its folder: the
  // files named as NewReplacingFile names the temporaries of `path` (see
  // ReplacingFile), as full paths. A program ended by force while it wrote
  // leaves them; only a holder of the folder's lock may remove them.
  virtual Status LeftTemporaries(const std::string& path, std::vector<std::string>* found) = 0;
  // The stamp of the file `path` names; an error when it cannot be read
  // (missing, for example while an editor replaces it).
  virtual Status StampFile(const std::string& path, FileStamp* stamp) = 0;
  // Starts catching the stop signals; see StopRequests.
  virtual Status CatchStopRequests(std::unique_ptr<StopRequests>* requests) = 0;
  // Makes the folder `path`, whose parent folder must exist. A folder
  // already there is no error; anything else there, or a folder that cannot
  // be made, is an error naming `path` and the system's reason.
  virtual Status MakeFolder(const std::string& path) = 0;
  // The existing file or folder `path` as a full path, from the root (on
  // Windows the drive) down, without "." or ".." parts.
  virtual Status FullPath(const std::string& path, std::string* full) = 0;

  // Makes the folder `path` and the folders above it that are missing, as
  // MakeFolder does each; *made says whether `path` was missing. A failure
  // names the part of the path that could not be made.
  Status MakeFolders(const std::string& path, bool* made);

  // Replaces `path` whole with `bytes` (temporary file, then rename).
  Status WriteFile(const std::string& path, std::string_view bytes);
  // Replaces each file whole with its bytes, as a set: every file written
  // and synced under its temporary name (the syncs at once, see
  // SyncTogether), and only then renamed over its target, in the order
  // given. A failure before the renames leaves every target as it was and
  // no temporary; a rename that fails stops there, the files before it new.
  struct NewFile {
    std::string path;
    std::string_view bytes;
  };
  Status WriteFiles(const std::vector<NewFile>& files);

  // The folder that holds the running program, from the operating system.
  virtual Status ProgramFolder(std::string* folder) = 0;
  // The real file system of this platform.
  static Env* Default();
};

// The longest file name (one path part, in bytes) assumed where the file
// system cannot be asked: the limit of every common file system.
constexpr size_t kUsualNameLimit = 255;
// What a temporary name adds to its target's: ".tmp-" and six characters.
constexpr size_t kTemporarySuffixLength = 11;

// The name of the temporary beside `path` for a file system whose names hold
// at most `name_limit` bytes, without the six unique characters: `path`,
// then ".tmp-". A last part too long for that is shortened and followed by
// "~" and a hash of the whole part, so that the temporaries of two long
// names that begin alike differ.
std::string TemporaryPrefix(const std::string& path, size_t name_limit);
// True when `name` (one part of a path) is a temporary name of the file named
// `target_name` for that file system: its TemporaryPrefix followed by six
// letters or digits.
bool IsTemporaryOf(const std::string& name, const std::string& target_name, size_t name_limit);

}  // namespace sc

#endif  // SC_PLATFORM_ENV_H_
