// Tells when files change on disk, from their stamps (modification time and
// size) read through the Env at each Poll, so a test can drive it with an
// in-memory Env. A file that cannot be stamped (missing, or being replaced
// by an editor) counts as one more state: its going and its return are both
// changes.
#ifndef SC_PLATFORM_FILE_WATCHER_H_
#define SC_PLATFORM_FILE_WATCHER_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"

namespace sc {

class FileWatcher {
 public:
  // Takes the files' present stamps: the first Poll reports what changed
  // after this.
  FileWatcher(Env& env, std::vector<std::string> paths);

  // True when any file's stamp differs from the one taken at the previous
  // Poll (or at construction). Every change is reported once, so a file
  // saved in two steps is reported again after the second.
  bool Poll();

 private:
  std::optional<FileStamp> Stamp(const std::string& path);

  Env& env_;
  std::vector<std::string> paths_;
  std::vector<std::optional<FileStamp>> stamps_;
};

}  // namespace sc

#endif  // SC_PLATFORM_FILE_WATCHER_H_
