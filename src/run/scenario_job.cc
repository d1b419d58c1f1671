#include "run/scenario_job.h"

#include <optional>
#include <utility>

#include "compiler/compiled_files.h"
#include "compiler/input_limits.h"
#include "decompiler/written_records.h"
#include "platform/paths.h"
#include "run/output_folder.h"
#include "run/output_lock.h"
#include "run/report.h"
#include "run/scenario_names.h"

namespace sc {

ScenarioJob::ScenarioJob(Env& env, std::string line_file, std::string train_file)
    : ScenarioJob(std::move(line_file), std::move(train_file)) {
  env_ = &env;
}

ScenarioJob::ScenarioJob(std::string line_file, std::string train_file)
    : env_(nullptr), line_file_(std::move(line_file)), train_file_(std::move(train_file)) {
  folder_ = FolderOf(line_file_);
  input_.line_file_name = line_file_;
  input_.train_file_name = train_file_;
}

Status ScenarioJob::NameFromArguments(const std::string& line_name,
                                      const std::string& train_number) {
  std::optional<std::string> line =
      line_name.empty() ? LineNameFromFile(line_file_) : std::optional<std::string>(line_name);
  std::optional<std::string> train = train_number.empty()
                                         ? TrainNumberFromFile(train_file_, line)
                                         : std::optional<std::string>(train_number);
  if (!line) {
    return Status::Invalid("no line name: " + line_file_ +
                           " is not named <line>_linea.txt; give one with --line NAME");
  }
  if (!train) {
    return Status::Invalid("no train number: " + train_file_ +
                           " is not named <line>_<train>-.txt; give one with --train NUMBER");
  }
  for (auto [what, value] : {std::pair{"line name", *line}, std::pair{"train number", *train}}) {
    Status part = CheckNamePart(value);
    if (!part.ok()) {
      return Status::Invalid(std::string("the ") + what + " \"" + value + "\" " + part.message() +
                             "; it must be usable as part of a file name");
    }
  }
  Name(*line, *train);
  return Status::Ok();
}

Status ScenarioJob::NameFromFiles() {
  std::optional<std::string> line = LineNameFromFile(line_file_);
  std::optional<std::string> train = TrainNumberFromFile(train_file_, line);
  if (!line || !train) {
    return Status::Invalid("the files must be named <line>_linea.txt and <line>_<train>-.txt");
  }
  Name(*line, *train);
  return Status::Ok();
}

void ScenarioJob::Name(std::string line_name, std::string train_number) {
  line_name_ = std::move(line_name);
  train_number_ = std::move(train_number);
}

Status ScenarioJob::SpellNames() { return SetScenarioNames(line_name_, train_number_, state_); }

void ScenarioJob::SendOutputTo(const std::string& out_dir) {
  folder_ = out_dir.empty() ? FolderOf(line_file_) : out_dir;
}

Status ScenarioJob::CheckOutputNames() const {
  return CheckCompiledFileNames(*env_, folder_, state_);
}

Status ScenarioJob::MakeOutputFolder(std::ostream& err) const {
  Status s = CheckOutputNames();
  if (s.ok()) s = sc::MakeOutputFolder(*env_, folder_, err);
  return s;
}

Status ScenarioJob::CheckInputsKept() const {
  for (const std::string& target : CompiledFilePaths(folder_, state_)) {
    if (env_->SameFile(target, line_file_) || env_->SameFile(target, train_file_)) {
      return Status::Invalid(target + ": would overwrite an input file; choose another --out");
    }
  }
  return Status::Ok();
}

Status ScenarioJob::Lock(bool wait, std::ostream& err, const std::vector<std::string>& also) {
  std::vector<std::string> outputs = CompiledFilePaths(folder_, state_);
  outputs.insert(outputs.end(), also.begin(), also.end());
  return LockOutputFolder(*env_, folder_, outputs, wait, err, &lock_);
}

Status ScenarioJob::Read() {
  std::string line, train;
  Status s = env_->ReadFile(line_file_, kMaxTextInputBytes, &line);
  if (s.ok()) s = env_->ReadFile(train_file_, kMaxTextInputBytes, &train);
  if (s.ok()) SetTexts(std::move(line), std::move(train));
  return s;
}

Status ScenarioJob::ReadPresent() {
  for (auto [path, text] :
       {std::pair{&line_file_, &input_.line_text}, std::pair{&train_file_, &input_.train_text}}) {
    std::string bytes;
    Status s = env_->ReadFile(*path, kMaxTextInputBytes, &bytes);
    // Without a line description the train file is not looked at.
    if (s.IsNotFound()) return Status::Ok();
    if (!s.ok()) return s;
    *text = std::move(bytes);
  }
  return Status::Ok();
}

void ScenarioJob::SetTexts(std::string line_text, std::string train_text) {
  input_.line_text = std::move(line_text);
  input_.train_text = std::move(train_text);
}

void ScenarioJob::ShowInputsAs(std::string line, std::string train) {
  input_.line_file_name = std::move(line);
  input_.train_file_name = std::move(train);
}

void ScenarioJob::Compile(DiagnosticSink* sink) {
  outcome_ = CompileScenario(input_, state_, compilation_, sink);
  // What each record wrote against what the files hold for it, once the
  // compile's own warnings are in (a record they name is left to them).
  if (sink && state_.error_code == kErrNone && HasCompiledOutput(outcome_, compilation_)) {
    WarnWrittenAgainstStored(input_, compilation_, *sink);
  }
}

void ScenarioJob::Report(const DiagnosticSink& sink, DiagnosticFormat format,
                         std::ostream& err) const {
  if (outcome_.message) {
    WriteDiagnostics(sink.diagnostics(), format, err);
    err << ErroreText(*outcome_.message) << "\n";
    return;
  }
  WriteDiagnostics(CompileDiagnostics(sink, state_), format, err);
}

Status ScenarioJob::Write() { return WriteCompiledFiles(*env_, folder_, state_, compilation_); }

}  // namespace sc
