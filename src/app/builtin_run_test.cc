// The built-in run's handling of files it cannot read back or delete.
#include "app/builtin_run.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

const char* const kLineFile = "Vastro - Dreo_linea.txt";
const char* const kTrainFile = "Vastro - Dreo_2001-.txt";
const char* const kGridFile = "Vastro - Dreo_2001.dat";

struct RunResult {
  int status = -1;
  std::string err;
};

RunResult RunInto(MemEnv& env) {
  env.folders.insert("out");
  testing::RecordingUi ui;
  std::ostringstream err;
  RunResult run;
  run.status = RunBuiltInScenario(env, ui, "out", err);
  run.err = err.str();
  return run;
}

// A text file the run cannot delete ends the run with status 1 after the
// compiled files are written; one it cannot read back (it exists) is an I/O
// error, never a missing file, and nothing is compiled.
TEST(BuiltInRun, TextFileThatCannotBeDeletedOrReadBackEndsWithStatusOne) {
  const struct {
    std::set<std::string> MemEnv::*failing;
    bool grid_written;
  } cases[] = {{&MemEnv::undeletable_paths, true}, {&MemEnv::unreadable_paths, false}};
  for (const auto& c : cases) {
    for (const char* name : {kLineFile, kTrainFile}) {
      MemEnv env;
      (env.*c.failing).insert(JoinPath("out", name));
      RunResult run = RunInto(env);
      EXPECT_EQ(run.status, 1) << name;
      EXPECT_EQ(run.err, "scenario-compiler: " + JoinPath("out", name) + ": Permission denied\n");
      EXPECT_EQ(env.FileExists(JoinPath("out", kGridFile)), c.grid_written) << name;
    }
  }
}

}  // namespace
}  // namespace sc
