#include "platform/mem_env.h"

namespace sc {
namespace {

class MemReplacingFile : public ReplacingFile {
 public:
  MemReplacingFile(MemEnv* env, std::string path) : env_(env), path_(std::move(path)) {}
  Status Append(std::string_view bytes) override {
    if (env_->failing_writes.count(path_))
      return Status::IoError(path_ + ": No space left on device");
    pending_.append(bytes);
    return Status::Ok();
  }
  Status WriteAt(uint64_t offset, std::string_view bytes) override {
    if (env_->failing_writes.count(path_))
      return Status::IoError(path_ + ": No space left on device");
    const size_t at = static_cast<size_t>(offset);
    if (pending_.size() < at + bytes.size()) pending_.resize(at + bytes.size(), '\0');
    pending_.replace(at, bytes.size(), bytes);
    return Status::Ok();
  }
  Status Sync() override {
    if (synced_) return Status::Ok();
    if (env_->failing_syncs.count(path_)) return Status::IoError(path_ + ": sync failed");
    std::lock_guard<std::mutex> hold(env_->disk_log_mutex);
    env_->disk_log.push_back("sync " + path_);
    synced_ = true;
    return Status::Ok();
  }
  Status Commit() override {
    Status s = Sync();
    if (!s.ok()) return s;
    if (env_->failing_paths.count(path_)) return Status::IoError(path_ + ": write failed");
    env_->files[path_] = std::move(pending_);
    env_->commits.push_back(path_);
    std::lock_guard<std::mutex> hold(env_->disk_log_mutex);
    env_->disk_log.push_back("rename " + path_);
    return Status::Ok();
  }

 private:
  MemEnv* env_;
  std::string path_;
  std::string pending_;
  bool synced_ = false;
};

class MemFileLock : public FileLock {
 public:
  MemFileLock(MemEnv* env, std::string path) : env_(env), path_(std::move(path)) {}
  ~MemFileLock() override { env_->held_locks.erase(path_); }

 private:
  MemEnv* env_;
  std::string path_;
};

class MemStopRequests : public StopRequests {
 public:
  explicit MemStopRequests(MemEnv* env) : env_(env) {}
  bool Wait(std::chrono::milliseconds) override {
    if (!stopped_) stopped_ = !env_->on_wait || env_->on_wait();
    return stopped_;
  }

 private:
  MemEnv* env_;
  bool stopped_ = false;
};

}  // namespace

Status MemEnv::StampFile(const std::string& path, FileStamp* stamp) {
  auto it = files.find(path);
  if (it == files.end()) return Status::IoError(path + ": No such file or directory");
  auto time = modified_times.find(path);
  stamp->modified = time == modified_times.end() ? 0 : time->second;
  stamp->size = it->second.size();
  return Status::Ok();
}

Status MemEnv::CatchStopRequests(std::unique_ptr<StopRequests>* requests) {
  *requests = std::make_unique<MemStopRequests>(this);
  return Status::Ok();
}

Status MemEnv::MakeFolder(const std::string& path) {
  if (files.count(path)) return Status::IoError(path + ": Not a directory");
  const std::string parent = FolderOf(path);
  if (parent != "." && !folders.count(parent))
    return Status::NotFound(path + ": No such file or directory");
  folders.insert(path);
  return Status::Ok();
}

Status MemEnv::FullPath(const std::string& path, std::string* full) {
  if (path == ".") {
    *full = current_folder;
  } else {
    *full = !path.empty() && path[0] == '/' ? path : current_folder + "/" + path;
  }
  return Status::Ok();
}

bool MemEnv::FileExists(const std::string& path) { return files.count(path) > 0; }

bool MemEnv::FolderExists(const std::string& path) { return folders.count(path) > 0; }

bool MemEnv::SameFile(const std::string& a, const std::string& b) {
  return a == b && FileExists(a);
}

Status MemEnv::ReadFile(const std::string& path, size_t max_bytes, std::string* contents) {
  if (folders.count(path)) return Status::IoError(path + ": Is a directory");
  if (special_files.count(path)) return Status::IoError(path + ": not a regular file");
  auto it = files.find(path);
  if (it == files.end()) return Status::NotFound(path + ": No such file or directory");
  if (unreadable_paths.count(path)) return Status::IoError(path + ": Permission denied");
  if (it->second.size() > max_bytes) {
    return Status::IoError(path + ": larger than " + std::to_string(max_bytes) +
                           " bytes, more than this kind of file can be");
  }
  *contents = it->second;
  return Status::Ok();
}

Status MemEnv::NewReplacingFile(const std::string& path, std::unique_ptr<ReplacingFile>* file) {
  if (folders.count(path)) return Status::IoError(path + ": Is a directory");
  *file = std::make_unique<MemReplacingFile>(this, path);
  return Status::Ok();
}

Status MemEnv::CheckNewFileName(const std::string& path) {
  if (BaseName(path).size() <= kUsualNameLimit) return Status::Ok();
  return Status::IoError(path + ": File name too long");
}

Status MemEnv::DeleteFile(const std::string& path) {
  if (undeletable_paths.count(path)) return Status::IoError(path + ": Permission denied");
  files.erase(path);
  return Status::Ok();
}

Status MemEnv::TryLockFile(const std::string& path, std::unique_ptr<FileLock>* lock, bool* busy) {
  *busy = held_locks.count(path) > 0;
  if (*busy) return Status::Ok();
  held_locks.insert(path);
  *lock = std::make_unique<MemFileLock>(this, path);
  return Status::Ok();
}

Status MemEnv::LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) {
  bool busy = false;
  Status s = TryLockFile(path, lock, &busy);
  if (s.ok() && busy) return Status::IoError(path + ": held by another user of this MemEnv");
  return s;
}

Status MemEnv::LeftTemporaries(const std::string& path, std::vector<std::string>* found) {
  found->clear();
  const std::string folder = FolderOf(path);
  for (const auto& [name, bytes] : files) {
    if (FolderOf(name) == folder &&
        IsTemporaryOf(BaseName(name), BaseName(path), kUsualNameLimit)) {
      found->push_back(name);
    }
  }
  return Status::Ok();
}

Status MemEnv::ProgramFolder(std::string* folder) {
  if (program_folder.empty()) return Status::IoError("the program's folder is not known");
  *folder = program_folder;
  return Status::Ok();
}

}  // namespace sc
