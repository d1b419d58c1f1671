// The floor for the built-in run: a minimal program that replaces files the
// way the run does (a temporary beside the target, write, fsync, rename),
// one after another, with bytes it has read beforehand.
//
// Usage: replace_files FROM_DIR TO_DIR NAME...
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: replace_files FROM_DIR TO_DIR NAME...\n");
    return 2;
  }
  const std::string from = argv[1], to = argv[2];
  std::vector<std::string> contents;
  for (int i = 3; i < argc; ++i) {
    const std::string source = from + "/" + argv[i];
    std::string bytes;
    struct stat st;
    int fd = ::open(source.c_str(), O_RDONLY);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      std::perror(source.c_str());
      return 1;
    }
    bytes.resize(static_cast<size_t>(st.st_size));
    for (size_t done = 0; done < bytes.size();) {
      ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) {
        std::perror(source.c_str());
        return 1;
      }
      done += static_cast<size_t>(n);
    }
    ::close(fd);
    contents.push_back(std::move(bytes));
  }
  for (int i = 3; i < argc; ++i) {
    const std::string target = to + "/" + argv[i];
    std::string temp = target + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    const std::string& bytes = contents[static_cast<size_t>(i - 3)];
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
      std::perror(target.c_str());
      return 1;
    }
  }
  return 0;
}
