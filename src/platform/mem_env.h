// An Env held in memory, for tests: files are a map from path to bytes.
#ifndef SC_PLATFORM_MEM_ENV_H_
#define SC_PLATFORM_MEM_ENV_H_

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"

namespace sc {

class MemEnv : public Env {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  // Paths are compared as spelled: each spelling is another file here.
  bool SameFile(const std::string& a, const std::string& b) override;
  Status ReadFile(const std::string& path, size_t max_bytes, std::string* contents) override;
  Status NewReplacingFile(const std::string& path, std::unique_ptr<ReplacingFile>* file) override;
  // Names longer than kUsualNameLimit bytes are refused.
  Status CheckNewFileName(const std::string& path) override;
  Status DeleteFile(const std::string& path) override;
  // A lock held by another MemEnv user is one in `held_locks`; LockFile on
  // it fails instead of waiting forever.
  Status TryLockFile(const std::string& path, std::unique_ptr<FileLock>* lock, bool* busy) override;
  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override;
  // The files in `files` beside `path` named as its temporaries would be.
  Status LeftTemporaries(const std::string& path, std::vector<std::string>* found) override;
  // The size of the bytes held and the time set in `modified_times` (0 when
  // none is set).
  Status StampFile(const std::string& path, FileStamp* stamp) override;
  // Each Wait calls `on_wait`, which may change the files; its result is
  // whether to stop. Without one, the first Wait stops.
  Status CatchStopRequests(std::unique_ptr<StopRequests>* requests) override;
  // Adds `path` to `folders`; a file of that name, or a missing parent (other
  // than "."), is an error.
  Status MakeFolder(const std::string& path) override;
  // `path` when it starts with "/", else `path` in `current_folder` ("."
  // is `current_folder` itself).
  Status FullPath(const std::string& path, std::string* full) override;
  // `program_folder`, or an error when it is empty.
  Status ProgramFolder(std::string* folder) override;

  // The folder ProgramFolder reports.
  std::string program_folder;
  // The folder relative paths start from, for FullPath.
  std::string current_folder = "/work";

  // The files, open for tests to seed and inspect.
  std::map<std::string, std::string> files;
  // Folders that exist (FolderExists); paths here refuse new files.
  std::set<std::string> folders;
  // Paths whose replacement fails at Commit, to test failed writes.
  std::set<std::string> failing_paths;
  // Paths whose replacement fails at every write (Append, WriteAt).
  std::set<std::string> failing_writes;
  // Paths whose replacement fails at Sync, before anything is renamed.
  std::set<std::string> failing_syncs;
  // Paths that are not regular files (a FIFO, a device): reading refuses them.
  std::set<std::string> special_files;
  // Locks taken and not yet released.
  std::set<std::string> held_locks;
  // Modification times for StampFile.
  std::map<std::string, int64_t> modified_times;
  std::function<bool()> on_wait;
  // Every Commit, in order: the paths renamed over their targets.
  std::vector<std::string> commits;
  // What reached the disk, in order: "sync PATH" when a replacement's bytes
  // were synced, "rename PATH" when it was renamed over its target. Syncs
  // may come from several threads at once (SyncTogether): they take
  // `disk_log_mutex`.
  std::vector<std::string> disk_log;
  std::mutex disk_log_mutex;
  // Paths whose ReadFile fails although the file exists.
  std::set<std::string> unreadable_paths;
  // Paths whose DeleteFile fails.
  std::set<std::string> undeletable_paths;
};

}  // namespace sc

#endif  // SC_PLATFORM_MEM_ENV_H_
