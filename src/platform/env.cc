// The parts of the Env that every platform shares: whole-file writes on top
// of ReplacingFile, syncing several files at once, and the temporaries' names.
#include "platform/env.h"

#include <system_error>

namespace sc {

Status Env::WriteFile(const std::string& path, std::string_view bytes) {
  std::unique_ptr<ReplacingFile> file;
  Status s = NewReplacingFile(path, &file);
  if (!s.ok()) return s;
  s = file->Append(bytes);
  if (!s.ok()) return s;
  return file->Commit();
}

Status Env::MakeFolders(const std::string& path, bool* made) {
  *made = false;
  if (FolderExists(path)) return Status::Ok();
  const std::string parent = FolderOf(path);
  if (parent != path && !FolderExists(parent)) {
    bool parent_made = false;
    Status s = MakeFolders(parent, &parent_made);
    if (!s.ok()) return s;
  }
  Status s = MakeFolder(path);
  *made = s.ok();
  return s;
}

Status Env::WriteFiles(const std::vector<NewFile>& files) {
  std::vector<std::unique_ptr<ReplacingFile>> made(files.size());
  std::vector<ReplacingFile*> set;
  for (size_t i = 0; i < files.size(); ++i) {
    Status s = NewReplacingFile(files[i].path, &made[i]);
    if (s.ok()) s = made[i]->Append(files[i].bytes);
    if (!s.ok()) return s;
    set.push_back(made[i].get());
  }
  Status s = SyncTogether(set);
  if (!s.ok()) return s;
  for (ReplacingFile* file : set) {
    s = file->Commit();
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

Alongside::Alongside(std::function<void()> work) {
  try {
    thread_ = std::thread(work);
  } catch (const std::system_error&) {
    work();
  }
}

void Alongside::Wait() {
  if (thread_.joinable()) thread_.join();
}

Status SyncTogether(const std::vector<ReplacingFile*>& files) {
  std::vector<Status> results(files.size());
  {
    // The first file on this thread, every other on one of its own.
    std::vector<std::unique_ptr<Alongside>> others;
    for (size_t i = 1; i < files.size(); ++i) {
      others.push_back(std::make_unique<Alongside>([&, i] { results[i] = files[i]->Sync(); }));
    }
    if (!files.empty()) results[0] = files[0]->Sync();
  }
  for (const Status& s : results) {
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

namespace {

// The 32-bit FNV-1a hash of `bytes`, as eight hexadecimal digits: the same
// on every platform and in every run.
std::string ShortHash(std::string_view bytes) {
  uint32_t hash = 2166136261u;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  static const char kHex[] = "0123456789abcdef";
  std::string digits(8, '0');
  for (int i = 7; i >= 0; --i, hash >>= 4) digits[static_cast<size_t>(i)] = kHex[hash & 15];
  return digits;
}

}  // namespace

// A last part too long is shortened, and "~" and a hash of the whole part
// (eight hexadecimal digits) follow it, so that the temporaries of two long
// names that begin alike differ.
std::string TemporaryPrefix(const std::string& path, size_t name_limit) {
  const std::string name = BaseName(path);
  const size_t room = name_limit > kTemporarySuffixLength ? name_limit - kTemporarySuffixLength : 1;
  if (name.size() <= room) return path + ".tmp-";
  // Shortened names that share their start stay apart by a hash of the whole
  // name: a run never takes another target's temporaries for its own.
  const std::string mark = "~" + ShortHash(name);
  const size_t keep = room > mark.size() ? room - mark.size() : 0;
  return path.substr(0, path.size() - name.size() + keep) + mark + ".tmp-";
}

bool IsTemporaryOf(const std::string& name, const std::string& target_name, size_t name_limit) {
  const std::string prefix = TemporaryPrefix(target_name, name_limit);
  constexpr size_t kUnique = kTemporarySuffixLength - 5;  // after ".tmp-"
  if (name.size() != prefix.size() + kUnique || name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

}  // namespace sc
