#include "commands/compile_command.h"

#include "run/report.h"
#include "run/scenario_job.h"

namespace sc {
namespace {

// Tells a failed step and gives the exit status for it.
int Failed(const Status& s, std::ostream& err) {
  err << kProgram << s.message() << "\n";
  return kExitUsageOrIo;
}

}  // namespace

int RunCompileCommand(Env& env, const CompileOptions& options, std::ostream& err) {
  DiagnosticSink sink;
  if (!MakeDiagnosticSink(options.diagnostics, &sink, err)) return kExitUsageOrIo;
  ScenarioJob job(env, options.line_file, options.train_file);
  Status s = job.NameFromArguments(options.line_name, options.train_number);
  if (s.ok()) s = job.SpellNames();
  if (!s.ok()) return Failed(s, err);
  job.state().compile_flag = options.no_plan ? 0 : 1;
  job.SendOutputTo(options.out_dir);
  // A dry run writes nothing, so it makes no folder either.
  s = options.dry_run ? job.CheckOutputNames() : job.MakeOutputFolder(err);
  if (s.ok() && !options.dry_run) s = job.Lock(!options.no_wait, err);
  if (s.ok()) s = job.Read();
  if (s.ok()) s = job.CheckInputsKept();
  if (!s.ok()) return Failed(s, err);

  job.Compile(&sink);
  job.Report(sink, options.diagnostics.format, err);
  if (job.outcome().message) return kExitMessage;
  if (StrictFails(options.diagnostics, sink)) {
    err << kProgram << "warnings with --strict: no compiled file written\n";
    return kExitStrict;
  }
  if (!options.dry_run && job.HasOutput()) {
    s = job.Write();
    if (!s.ok()) return Failed(s, err);
  }
  if (job.state().error_code != 0) {
    if (!job.compilation().grid) {
      err << kProgram << "no track grid was built; no compiled file written\n";
    }
    return kExitCheckFailed;
  }
  return kExitClean;
}

}  // namespace sc
