// Helpers shared by the tests: temporary folders, running the built program,
// byte builders for hand-made compiled files and the built-in scenario.
#ifndef SC_TESTS_TEST_SUPPORT_H_
#define SC_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "model/route_plan.h"
#include "model/run_state.h"
#include "model/station_table.h"
#include "platform/env.h"
#include "platform/mem_env.h"
#include "platform/ui.h"

namespace sc::testing {

// A Ui that shows nothing and remembers what it was asked to show.
class RecordingUi : public Ui {
 public:
  void ShowWaiting() override { ++waits; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  int waits = 0;
  std::vector<std::string> messages;
};

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes away.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProgramRun {
  int exit_status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the built scenario-compiler with `args` (a shell-quoted argument
// string), in `cwd`. Standard output goes to `stdout_path` when one is given
// (then `out` stays empty).
ProgramRun RunProgram(const std::string& args, const std::string& cwd = ".",
                      const std::string& stdout_path = "");

// Runs `command` through the POSIX shell; returns its exit status (128 +
// the signal's number when a signal ended it). Not on Windows.
int Shell(const std::string& command);

// Whether `folder` holds a replacing write's temporary file (".tmp-" in the
// name): a write that failed or was cut short must leave none.
bool HasTemporaryFile(const std::string& folder);

std::string ReadFileOrDie(const std::string& path);
void WriteFileOrDie(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// A route plan's points, metres 0 to filled() - 1, as two columns.
struct PlanColumns {
  std::vector<double> x;
  std::vector<double> y;
};
PlanColumns PointsOf(const RoutePlan& plan);

// Quotes one argument for the shell.
std::string ShellQuote(const std::string& arg);

// How many times `what` occurs in `text` (overlapping occurrences count).
size_t Count(const std::string& text, const std::string& what);

// ---- Little-endian byte builders for hand-made compiled files

// The low `width` bytes of `v`, least significant first.
std::string Le(uint64_t v, int width);
std::string U8(uint8_t v);
std::string I16(int16_t v);
std::string I32(int32_t v);
std::string F64(double v);
// A text as the station file stores it: a 2-byte length, then the bytes.
std::string Text(const std::string& s);
// One route plan element: its 2-byte type code, then the value's bytes.
std::string Variant(uint16_t code, const std::string& value = "");
// One station record (34 bytes plus the name), field by field.
std::string StationRecordBytes(const StationRecord& r);

// ---- The built-in scenario

// The built-in scenario's names and its two text files, ready to compile.
struct BuiltInSource {
  RunState state;
  CompileInput input;
};
BuiltInSource BuiltInScenarioSource();

// Compiles the built-in scenario in memory, as the run does, with a
// provenance recorder when given one; `state`, when given, receives the run
// state the compilation left (its error code).
Compilation CompileBuiltInScenario(Provenance* provenance = nullptr, RunState* state = nullptr);

// The three files the built-in run writes, as bytes.
struct BuiltInCompiledFiles {
  std::string plan, stations, grid;
};
BuiltInCompiledFiles CompileBuiltInScenarioFiles();

// Runs the built-in scenario into `folder` of `env` (its documents and
// compiled files), failing the test if the run does not succeed.
void RunBuiltInScenarioInto(MemEnv& env, const std::string& folder);

// Writes the built-in scenario's five documents into `folder` of `env`, as
// an author's files to compile, preview or view; returns the paths of the
// line description and of the train and service file.
struct ScenarioTextFiles {
  std::string line_file, train_file;
};
ScenarioTextFiles PutBuiltInDocuments(MemEnv& env, const std::string& folder);

}  // namespace sc::testing

#endif  // SC_TESTS_TEST_SUPPORT_H_
