// One compile of a scenario's two text descriptions: the inputs, the names,
// the output folder, what the compile built and how it ended. Every command
// that compiles (compile, the built-in run, preview, view, the live viewer,
// the editor check) takes the steps it needs, in its own order:
//   name -> check the output folder -> lock -> read -> check that no input
//   is overwritten -> compile -> report -> write.
// A step that fails returns a Status whose message names what failed; the
// caller words it to the person (usually after kProgram) and picks the exit
// status. Nothing here writes to a stream except Lock (waiting is told as it
// happens) and Report.
#ifndef SC_RUN_SCENARIO_JOB_H_
#define SC_RUN_SCENARIO_JOB_H_

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "compiler/diagnostic.h"
#include "model/run_state.h"
#include "platform/env.h"
#include "platform/status.h"
#include "present/diagnostic_output.h"

namespace sc {

class ScenarioJob {
 public:
  ScenarioJob(Env& env, std::string line_file, std::string train_file);
  // A job on texts given with SetTexts, for a check in memory: it reads,
  // locks and writes nothing, and only the naming, compile and report steps
  // may be used.
  ScenarioJob(std::string line_file, std::string train_file);

  // Names the scenario from the arguments, each "" to take it from its
  // file's name, and checks that both can be part of a file name. The
  // message tells how to give a name the files do not.
  Status NameFromArguments(const std::string& line_name, const std::string& train_number);
  // Names the scenario from the files' names alone.
  Status NameFromFiles();
  // Names given as they are (the built-in run, the editor check).
  void Name(std::string line_name, std::string train_number);
  // Spells the names into the run's state as the compiled files hold them
  // (Windows-1252); see SetScenarioNames.
  Status SpellNames();

  // Sends the compiled files to `out_dir`, or "" to the line file's folder.
  void SendOutputTo(const std::string& out_dir);
  // Checks that the compiled files' names can be written in the output
  // folder (needs the names spelt); a missing folder is checked as one that
  // will be made.
  Status CheckOutputNames() const;
  // Checks the names as CheckOutputNames does, then makes the output folder
  // when it is missing (see MakeOutputFolder, which tells it on `err`).
  Status MakeOutputFolder(std::ostream& err) const;
  // Fails when a compiled file would land on one of the two inputs.
  Status CheckInputsKept() const;
  // Holds the output folder's lock until the job ends (see output_lock.h);
  // `also` lists files the caller writes there besides the compiled files.
  Status Lock(bool wait, std::ostream& err, const std::vector<std::string>& also = {});

  // Reads both text descriptions; either missing or unreadable fails.
  Status Read();
  // Reads what exists: a missing line description leaves both texts unread
  // (the compiler reports it as a check), a missing train file leaves that
  // one. Any other failure to read is returned.
  Status ReadPresent();
  // Gives the texts directly (nothing is read from disk).
  void SetTexts(std::string line_text, std::string train_text);
  // The names the diagnostics give the two inputs; by default their paths.
  void ShowInputsAs(std::string line, std::string train);

  // Compiles the texts read; warnings and notes go to `sink` when given,
  // with those of each record written against what the files hold for it
  // (decompiler/written_records.h) after a compile without error.
  void Compile(DiagnosticSink* sink = nullptr);

  // Writes what the compile reported to `err` in `format`: the warnings in
  // `sink`, then the error with its notes, or for the reserved-place message
  // that message's line.
  void Report(const DiagnosticSink& sink, DiagnosticFormat format, std::ostream& err) const;

  // Whether there are compiled files to write (see HasCompiledOutput).
  bool HasOutput() const { return HasCompiledOutput(outcome_, compilation_); }
  // Writes the compiled files into the output folder.
  Status Write();

  const std::string& line_file() const { return line_file_; }
  const std::string& train_file() const { return train_file_; }
  // The names spelt the platform's way (as parts of file names).
  const std::string& line_name() const { return line_name_; }
  const std::string& train_number() const { return train_number_; }
  const std::string& folder() const { return folder_; }
  const CompileInput& input() const { return input_; }
  RunState& state() { return state_; }
  const RunState& state() const { return state_; }
  Compilation& compilation() { return compilation_; }
  const Compilation& compilation() const { return compilation_; }
  const CompileOutcome& outcome() const { return outcome_; }

 private:
  Env* env_;  // null: a job in memory
  std::string line_file_, train_file_;
  std::string line_name_, train_number_;
  RunState state_;
  std::string folder_;
  CompileInput input_;
  Compilation compilation_;
  CompileOutcome outcome_;
  std::unique_ptr<FileLock> lock_;
};

}  // namespace sc

#endif  // SC_RUN_SCENARIO_JOB_H_
