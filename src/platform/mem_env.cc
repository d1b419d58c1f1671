#include "platform/mem_env.h"

namespace sc {
namespace {

class MemReplacingFile : public ReplacingFile {
 public:
  MemReplacingFile(MemEnv* env, std::string path) : env_(env), path_(std::move(path)) {}
  Status Append(std::string_view bytes) override {
    pending_.append(bytes);
    return Status::Ok();
  }
  Status Commit() override {
    if (env_->failing_paths.count(path_)) return Status::IoError(path_ + ": write failed");
    env_->files[path_] = std::move(pending_);
    return Status::Ok();
  }

 private:
  MemEnv* env_;
  std::string path_;
  std::string pending_;
};

}  // namespace

bool MemEnv::FileExists(const std::string& path) { return files.count(path) > 0; }

bool MemEnv::FolderExists(const std::string& path) { return folders.count(path) > 0; }

Status MemEnv::ReadFile(const std::string& path, std::string* contents) {
  auto it = files.find(path);
  if (it == files.end()) return Status::IoError(path + ": No such file or directory");
  *contents = it->second;
  return Status::Ok();
}

Status MemEnv::NewReplacingFile(const std::string& path, std::unique_ptr<ReplacingFile>* file) {
  if (folders.count(path)) return Status::IoError(path + ": Is a directory");
  *file = std::make_unique<MemReplacingFile>(this, path);
  return Status::Ok();
}

Status MemEnv::DeleteFile(const std::string& path) {
  files.erase(path);
  return Status::Ok();
}

}  // namespace sc
