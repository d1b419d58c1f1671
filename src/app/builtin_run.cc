#include "app/builtin_run.h"

#include <memory>
#include <optional>
#include <vector>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "compiler/input_limits.h"
#include "documents/documents.h"
#include "run/output_lock.h"
#include "run/report.h"

namespace sc {
namespace {

// Reads a text description into `text`; a file that does not exist leaves it
// empty (the compiler reports the missing file as a check). Any other failure
// to read is returned.
Status ReadIfPresent(Env& env, const std::string& path, std::optional<std::string>* text) {
  std::string bytes;
  Status s = env.ReadFile(path, kMaxTextInputBytes, &bytes);
  if (s.IsNotFound()) return Status::Ok();
  if (s.ok()) *text = std::move(bytes);
  return s;
}

// Deletes a text description the run has written; a failure is reported on
// `err` and remembered in `failed`, and the run goes on.
void DeleteTextFile(Env& env, const std::string& path, std::ostream& err, bool* failed) {
  Status s = env.DeleteFile(path);
  if (s.ok()) return;
  err << kProgram << s.message() << "\n";
  *failed = true;
}

}  // namespace

int RunBuiltInScenario(Env& env, Ui& ui, const std::string& folder, std::ostream& err, bool wait) {
  RunState state;
  state.line_name = kBuiltInLineName;
  state.train_number = kBuiltInTrainNumber;
  // The built-in run always builds the route plan.
  state.compile_flag = 1;
  // The documents are replaced as a set, their syncs overlapping.
  const std::vector<Document> documents = ScenarioDocuments(state.line_name, state.train_number);
  std::vector<Env::NewFile> files;
  std::vector<std::string> outputs = CompiledFilePaths(folder, state);
  for (const Document& document : documents) {
    files.push_back({JoinPath(folder, document.file_name), document.bytes});
    outputs.push_back(files.back().path);
  }
  std::unique_ptr<FileLock> lock;
  Status locked = LockOutputFolder(env, folder, outputs, wait, err, &lock);
  if (!locked.ok()) {
    err << kProgram << locked.message() << "\n";
    return kExitUsageOrIo;
  }
  ui.ShowWaiting();

  const std::string line_path = JoinPath(folder, LineDescriptionFileName(state.line_name));
  const std::string train_path =
      JoinPath(folder, TrainServiceFileName(state.line_name, state.train_number));
  Status written = env.WriteFiles(files);
  if (!written.ok()) {
    // The two text descriptions are intermediate files, deleted by every
    // run that gets further: none may stay.
    err << kProgram << written.message() << "\n";
    bool delete_failed = false;
    DeleteTextFile(env, line_path, err, &delete_failed);
    DeleteTextFile(env, train_path, err, &delete_failed);
    return kExitUsageOrIo;
  }

  CompileInput input;
  input.line_file_name = LineDescriptionFileName(state.line_name);
  input.train_file_name = TrainServiceFileName(state.line_name, state.train_number);
  Status read = ReadIfPresent(env, line_path, &input.line_text);
  if (read.ok() && input.line_text) read = ReadIfPresent(env, train_path, &input.train_text);
  if (!read.ok()) {
    err << kProgram << read.message() << "\n";
    return kExitUsageOrIo;
  }

  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation);

  // Each reader deletes the file it opened, whatever the outcome. A file
  // that cannot be deleted ends the run with status 1, after the rest of the
  // run has been done as usual.
  bool delete_failed = false;
  if (outcome.line_file_read || outcome.read_failed) {
    DeleteTextFile(env, line_path, err, &delete_failed);
  }
  if (outcome.train_file_read || outcome.read_failed) {
    DeleteTextFile(env, train_path, err, &delete_failed);
  }

  if (outcome.message) {
    ui.ShowMessage(ErroreText(*outcome.message));
    return delete_failed ? kExitUsageOrIo : kExitMessage;
  }
  if (HasCompiledOutput(outcome, compilation)) {
    Status s = WriteCompiledFiles(env, folder, state, compilation);
    if (!s.ok()) {
      err << kProgram << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }
  if (state.error_code != 0) err << FormatDiagnostic(state) << "\n";
  if (delete_failed) return kExitUsageOrIo;
  return state.error_code != 0 ? kExitCheckFailed : kExitClean;
}

}  // namespace sc
