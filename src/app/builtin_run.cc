#include "app/builtin_run.h"

#include <vector>

#include "documents/documents.h"
#include "run/report.h"
#include "run/scenario_job.h"

namespace sc {
namespace {

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
  const std::string line_name = LineDescriptionFileName(kBuiltInLineName);
  const std::string train_name = TrainServiceFileName(kBuiltInLineName, kBuiltInTrainNumber);
  ScenarioJob job(env, JoinPath(folder, line_name), JoinPath(folder, train_name));
  // The diagnostics name the text descriptions as the documents do.
  job.ShowInputsAs(line_name, train_name);
  job.Name(kBuiltInLineName, kBuiltInTrainNumber);
  RunState& state = job.state();
  state.line_name = kBuiltInLineName;
  state.train_number = kBuiltInTrainNumber;
  // The built-in run always builds the route plan.
  state.compile_flag = 1;
  job.SendOutputTo(folder);
  // The documents are replaced as a set, their syncs overlapping; `files`
  // points into `documents`.
  const std::vector<Document> documents = ScenarioDocuments(state.line_name, state.train_number);
  std::vector<Env::NewFile> files;
  std::vector<std::string> paths;
  for (const Document& document : documents) {
    files.push_back({JoinPath(folder, document.file_name), document.bytes});
    paths.push_back(files.back().path);
  }
  Status locked = job.Lock(wait, err, paths);
  if (!locked.ok()) {
    err << kProgram << locked.message() << "\n";
    return kExitUsageOrIo;
  }
  ui.ShowWaiting();

  Status written = env.WriteFiles(files);
  if (!written.ok()) {
    // The two text descriptions are intermediate files, deleted by every
    // run that gets further: none may stay.
    err << kProgram << written.message() << "\n";
    bool delete_failed = false;
    DeleteTextFile(env, job.line_file(), err, &delete_failed);
    DeleteTextFile(env, job.train_file(), err, &delete_failed);
    return kExitUsageOrIo;
  }

  Status read = job.ReadPresent();
  if (!read.ok()) {
    err << kProgram << read.message() << "\n";
    return kExitUsageOrIo;
  }
  job.Compile();
  const CompileOutcome& outcome = job.outcome();

  // Each reader deletes the file it opened, whatever the outcome. A file
  // that cannot be deleted ends the run with status 1, after the rest of the
  // run has been done as usual.
  bool delete_failed = false;
  if (outcome.line_file_read || outcome.read_failed) {
    DeleteTextFile(env, job.line_file(), err, &delete_failed);
  }
  if (outcome.train_file_read || outcome.read_failed) {
    DeleteTextFile(env, job.train_file(), err, &delete_failed);
  }

  if (outcome.message) {
    ui.ShowMessage(ErroreText(*outcome.message));
    return delete_failed ? kExitUsageOrIo : kExitMessage;
  }
  if (job.HasOutput()) {
    Status s = job.Write();
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
