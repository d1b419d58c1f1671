// The platform seam: everything the program needs from the operating system.
// The compiler and the documents never touch files directly; they go through
// an Env, which tests replace with an in-memory one (MemEnv).
#ifndef SC_PLATFORM_ENV_H_
#define SC_PLATFORM_ENV_H_

#include <memory>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace sc {

// A file being written under a temporary name beside its target. Commit()
// renames it over the target, so the target is replaced whole or not at all.
// Destroying an uncommitted file removes the temporary.
class ReplacingFile {
 public:
  virtual ~ReplacingFile() = default;
  virtual Status Append(std::string_view bytes) = 0;
  virtual Status Commit() = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // True when `path` names an existing regular file.
  virtual bool FileExists(const std::string& path) = 0;
  // True when `path` names an existing folder.
  virtual bool FolderExists(const std::string& path) = 0;
  // Reads the whole file as bytes.
  virtual Status ReadFile(const std::string& path, std::string* contents) = 0;
  // Starts replacing `path`; see ReplacingFile.
  virtual Status NewReplacingFile(const std::string& path,
                                  std::unique_ptr<ReplacingFile>* file) = 0;
  // Removes the file; a missing file is not an error.
  virtual Status DeleteFile(const std::string& path) = 0;

  // Replaces `path` whole with `bytes` (temporary file, then rename).
  Status WriteFile(const std::string& path, std::string_view bytes);

  // The folder that holds the running program, from the operating system.
  static Status ProgramFolder(std::string* folder);
  // The real file system of this platform.
  static Env* Default();
};

// Joins a folder and a file name with this platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The two things the run shows the person who started it.
class Ui {
 public:
  virtual ~Ui() = default;
  // The waiting indicator, shown once while the run works.
  virtual void ShowWaiting() = 0;
  // A message the person must acknowledge (" Errore n. 1250").
  virtual void ShowMessage(const std::string& text) = 0;
};

// The terminal form: "Attendere" and messages on standard error.
class TerminalUi : public Ui {
 public:
  void ShowWaiting() override;
  void ShowMessage(const std::string& text) override;
};

}  // namespace sc

#endif  // SC_PLATFORM_ENV_H_
