// An Env held in memory, for tests: files are a map from path to bytes.
#ifndef SC_PLATFORM_MEM_ENV_H_
#define SC_PLATFORM_MEM_ENV_H_

#include <map>
#include <set>
#include <string>

#include "platform/env.h"

namespace sc {

class MemEnv : public Env {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status NewReplacingFile(const std::string& path,
                          std::unique_ptr<ReplacingFile>* file) override;
  Status DeleteFile(const std::string& path) override;

  // The files, open for tests to seed and inspect.
  std::map<std::string, std::string> files;
  // Folders that exist (FolderExists); paths here refuse new files.
  std::set<std::string> folders;
  // Paths whose replacement fails at Commit, to test failed writes.
  std::set<std::string> failing_paths;
};

}  // namespace sc

#endif  // SC_PLATFORM_MEM_ENV_H_
