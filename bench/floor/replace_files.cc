// The floor for the built-in run: a minimal program that replaces files the
// way the run does (a temporary beside the target, write, fsync, rename),
// one after another, with bytes it has read beforehand.
//
// Usage: replace_files FROM_DIR TO_DIR NAME...
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: replace_files FROM_DIR TO_DIR NAME...\n");
    return 2;
  }
  const std::string from = argv[1], to = argv[2];
  std::vector<std::string> contents;
  for (int i = 3; i < argc; ++i) {
    std::ifstream in(from + "/" + argv[i], std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    contents.push_back(bytes.str());
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
