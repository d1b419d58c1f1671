// Every place where the readers, the encoders or the finalisation drop,
// skip, reorder, clip, cut, default, round, wrap or overwrite what a file
// says without an error code, in one list: what happens there, and either
// the warning class that tells the author, or why it is a rule of the format
// (the built-in scenario relies on it, or the format defines it so) and no
// warning is printed. The format reference publishes the list; the tests
// hold one edit of the built-in scenario per entry.
#ifndef SC_COMPILER_SILENT_PATHS_H_
#define SC_COMPILER_SILENT_PATHS_H_

#include <optional>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"

namespace sc {

struct SilentPath {
  const char* id;                    // short, stable: "gradient-behind"
  const char* record;                // the record or step concerned: "gradient", "any field"
  const char* where;                 // the reader step in the source: "line_reader.cc Gradient"
  const char* what;                  // what becomes of the input, for the author
  std::optional<WarningClass> told;  // nullopt: a rule of the format
  const char* rule;                  // for a rule: why it is no mistake
  // Found by setting each record written beside what the compiled files
  // hold for it, after the compile (decompiler/written_records.h), rather
  // than by a reader's own check.
  bool by_comparison = false;
};

const std::vector<SilentPath>& SilentPaths();

// The list as a section of the format reference (Markdown).
std::string SilentPathsMarkdown();

}  // namespace sc

#endif  // SC_COMPILER_SILENT_PATHS_H_
