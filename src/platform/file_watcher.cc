#include "platform/file_watcher.h"

#include <utility>

namespace sc {

FileWatcher::FileWatcher(Env& env, std::vector<std::string> paths)
    : env_(env), paths_(std::move(paths)) {
  for (const std::string& path : paths_) stamps_.push_back(Stamp(path));
}

bool FileWatcher::Poll() {
  bool changed = false;
  for (size_t i = 0; i < paths_.size(); ++i) {
    std::optional<FileStamp> now = Stamp(paths_[i]);
    if (now != stamps_[i]) {
      stamps_[i] = now;
      changed = true;
    }
  }
  return changed;
}

std::optional<FileStamp> FileWatcher::Stamp(const std::string& path) {
  FileStamp stamp;
  if (!env_.StampFile(path, &stamp).ok()) return std::nullopt;
  return stamp;
}

}  // namespace sc
