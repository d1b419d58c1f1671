#include "app/builtin_run.h"

#include <memory>
#include <optional>
#include <vector>

#include "app/output_lock.h"
#include "app/report.h"
#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "compiler/input_limits.h"
#include "documents/documents.h"

namespace sc {
namespace {

// Reads a text description; nullopt when it does not exist or cannot be read.
std::optional<std::string> ReadIfPresent(Env& env, const std::string& path) {
  if (!env.FileExists(path)) return std::nullopt;
  std::string bytes;
  if (!env.ReadFile(path, kMaxTextInputBytes, &bytes).ok()) return std::nullopt;
  return bytes;
}

}  // namespace

int RunBuiltInScenario(Env& env, Ui& ui, const std::string& folder, std::ostream& err,
                       bool wait) {
  RunState state;
  state.line_name = kBuiltInLineName;
  state.train_number = kBuiltInTrainNumber;
  std::unique_ptr<FileLock> lock;
  Status locked = LockOutputFolder(env, folder, wait, err, &lock);
  if (!locked.ok()) {
    err << "scenario-compiler: " << locked.message() << "\n";
    return kExitUsageOrIo;
  }
  ui.ShowWaiting();

  const std::string line_path = JoinPath(folder, LineDescriptionFileName(state.line_name));
  const std::string train_path =
      JoinPath(folder, TrainServiceFileName(state.line_name, state.train_number));
  // The documents are replaced as a set, their syncs overlapping.
  const std::vector<Document> documents = ScenarioDocuments(state.line_name, state.train_number);
  std::vector<Env::NewFile> files;
  for (const Document& document : documents) {
    files.push_back({JoinPath(folder, document.file_name), document.bytes});
  }
  Status written = env.WriteFiles(files);
  if (!written.ok()) {
    // The two text descriptions are intermediate files, deleted by every
    // run that gets further: none may stay.
    env.DeleteFile(line_path);
    env.DeleteFile(train_path);
    err << "scenario-compiler: " << written.message() << "\n";
    return kExitUsageOrIo;
  }

  // memorizza_percorso(1)
  state.compile_flag = 1;
  CompileInput input;
  input.line_file_name = LineDescriptionFileName(state.line_name);
  input.line_text = ReadIfPresent(env, line_path);
  input.train_file_name = TrainServiceFileName(state.line_name, state.train_number);
  if (input.line_text) input.train_text = ReadIfPresent(env, train_path);

  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation);

  // Each reader deletes the file it opened, whatever the outcome.
  if (outcome.line_file_read || outcome.read_failed) env.DeleteFile(line_path);
  if (outcome.train_file_read || outcome.read_failed) env.DeleteFile(train_path);

  if (outcome.message) {
    ui.ShowMessage(ErroreText(*outcome.message));
    return kExitMessage;
  }
  if (HasCompiledOutput(outcome, compilation)) {
    Status s = WriteCompiledFiles(env, folder, state, compilation);
    if (!s.ok()) {
      err << "scenario-compiler: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }
  if (state.error_code != 0) {
    err << FormatDiagnostic(state) << "\n";
    return kExitCheckFailed;
  }
  return kExitClean;
}

}  // namespace sc
