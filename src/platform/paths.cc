#include "platform/paths.h"

#include <algorithm>

namespace sc {
namespace {

// The length of the folder part of `path`, separator included.
size_t FolderLength(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
  return i;
}

}  // namespace

std::string BaseName(const std::string& path) {
  return path.substr(std::max(FolderLength(path), DrivePrefixLength(path)));
}

std::string FolderOf(const std::string& path) {
  size_t i = FolderLength(path);
  if (i == 0) return ".";
  if (i == 1) return path.substr(0, 1);
  return path.substr(0, i - 1);
}

}  // namespace sc
