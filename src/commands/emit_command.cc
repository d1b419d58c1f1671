#include "commands/emit_command.h"

#include <memory>
#include <vector>

#include "documents/documents.h"
#include "run/output_folder.h"
#include "run/output_lock.h"
#include "run/report.h"

namespace sc {

int RunEmitCommand(Env& env, const std::string& folder, bool force, std::ostream& out,
                   std::ostream& err) {
  std::vector<Document> documents = ScenarioDocuments(kBuiltInLineName, kBuiltInTrainNumber);
  // The built-in run writes the same names: the two take turns.
  std::vector<std::string> outputs;
  for (const Document& document : documents)
    outputs.push_back(JoinPath(folder, document.file_name));
  std::unique_ptr<FileLock> lock;
  Status locked = MakeOutputFolder(env, folder, err);
  if (locked.ok()) locked = LockOutputFolder(env, folder, outputs, true, err, &lock);
  if (!locked.ok()) {
    err << kProgram << locked.message() << "\n";
    return kExitUsageOrIo;
  }
  if (!force) {
    for (const Document& document : documents) {
      std::string path = JoinPath(folder, document.file_name);
      if (env.FileExists(path) || env.FolderExists(path)) {
        err << kProgram << path << " already exists; nothing written (use --force to replace it)\n";
        return kExitUsageOrIo;
      }
    }
  }
  for (const Document& document : documents) {
    std::string path = JoinPath(folder, document.file_name);
    Status s = env.WriteFile(path, document.bytes);
    if (!s.ok()) {
      err << kProgram << s.message() << "\n";
      return kExitUsageOrIo;
    }
    out << path << "\n";
  }
  return kExitClean;
}

}  // namespace sc
