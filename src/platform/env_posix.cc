// The platform seam on POSIX systems (Linux).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/block_buffer.h"
#include "platform/env.h"

namespace sc {
namespace {

Status PosixError(const std::string& path, int error_number) {
  return Status::IoError(path + ": " + std::strerror(error_number));
}

// Writes into a temporary file beside the target, in large blocks.
class PosixReplacingFile : public ReplacingFile {
 public:
  PosixReplacingFile(std::string path, std::string temp_path, int fd)
      : path_(std::move(path)), temp_path_(std::move(temp_path)), fd_(fd) {}
  ~PosixReplacingFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_path_.c_str());
  }

  Status Append(std::string_view bytes) override {
    return buffer_.Append(bytes, [this](std::string_view b) { return WriteAll(b); });
  }

  Status Commit() override {
    Status s = buffer_.Flush([this](std::string_view b) { return WriteAll(b); });
    if (!s.ok()) return s;
    if (::fsync(fd_) != 0) return PosixError(path_, errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return PosixError(path_, errno);
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) return PosixError(path_, errno);
    committed_ = true;
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

  std::string path_;
  std::string temp_path_;
  int fd_;
  bool committed_ = false;
  BlockBuffer buffer_;
};

class PosixEnv : public Env {
 public:
  PosixEnv() {
    // A write past the file size limit must fail as an error that removes the
    // temporary file, not kill the program and leave it behind.
    ::signal(SIGXFSZ, SIG_IGN);
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool FolderExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  Status ReadFile(const std::string& path, std::string* contents) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PosixError(path, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
      ::close(fd);
      return PosixError(path, e);
    }
    contents->clear();
    char block[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, block, sizeof block);
      if (n < 0) {
        if (errno == EINTR) continue;
        int e = errno;
        ::close(fd);
        return PosixError(path, e);
      }
      if (n == 0) break;
      contents->append(block, static_cast<size_t>(n));
    }
    ::close(fd);
    return Status::Ok();
  }

  Status NewReplacingFile(const std::string& path,
                          std::unique_ptr<ReplacingFile>* file) override {
    if (FolderExists(path)) return PosixError(path, EISDIR);
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return PosixError(path, errno);
    // mkstemp creates the file 0600; give it the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    *file = std::make_unique<PosixReplacingFile>(path, std::string(name.data()), fd);
    return Status::Ok();
  }

  Status DeleteFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return PosixError(path, errno);
    return Status::Ok();
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

Status Env::ProgramFolder(std::string* folder) {
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

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace sc
