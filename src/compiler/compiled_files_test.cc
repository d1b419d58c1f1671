#include "compiler/compiled_files.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

struct Scenario {
  RunState state;
  Compilation c;
};

Scenario SmallScenario() {
  Scenario s;
  s.state.line_name = "Vastro - Dreo";
  s.state.train_number = "2001";
  s.c.grid.emplace(2);
  s.c.plan.emplace(3);
  s.c.plan->Start();
  s.c.plan->Straight(1);
  s.c.stations.slots[kSlotBackgrounds].name = "Vastro - Dreo";
  return s;
}

TEST(CompiledFiles, ReplacesLongerFilesInMemory) {
  Scenario s = SmallScenario();
  MemEnv env;
  const std::string plan = JoinPath("/out", "Vastro - Dreo_linea.dat");
  const std::string sim = JoinPath("/out", "Vastro - Dreo_2001.sim");
  const std::string grid = JoinPath("/out", "Vastro - Dreo_2001.dat");
  for (const std::string& p : {plan, sim, grid}) env.files[p] = std::string(100000, 'x');
  ASSERT_TRUE(WriteCompiledFiles(env, "/out", s.state, s.c).ok());
  EXPECT_EQ(env.files[plan].size(), 2u * (4 + 4 + 10 + 2));
  EXPECT_EQ(env.files[sim], EncodeStationFile(s.c.stations));
  EXPECT_EQ(env.files[sim].size(), 2958u + 13);
  EXPECT_EQ(env.files[grid], std::string(45, '\0'));

  // Without the plan flag the plan file is not touched.
  env.files[plan] = "old plan";
  s.state.compile_flag = 0;
  ASSERT_TRUE(WriteCompiledFiles(env, "/out", s.state, s.c).ok());
  EXPECT_EQ(env.files[plan], "old plan");
}

TEST(CompiledFiles, AFailureWhileWritingLeavesThePreviousSetWhole) {
  Scenario s = SmallScenario();
  const std::string plan = JoinPath("/out", "Vastro - Dreo_linea.dat");
  const std::string sim = JoinPath("/out", "Vastro - Dreo_2001.sim");
  const std::string grid = JoinPath("/out", "Vastro - Dreo_2001.dat");
  for (const std::string& failing : {plan, sim, grid}) {
    MemEnv env;
    for (const std::string& p : {plan, sim, grid}) env.files[p] = "old";
    env.failing_syncs.insert(failing);
    Status st = WriteCompiledFiles(env, "/out", s.state, s.c);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.message().find(failing), std::string::npos);
    for (const std::string& p : {plan, sim, grid}) EXPECT_EQ(env.files[p], "old") << failing;
    EXPECT_TRUE(env.commits.empty()) << failing;
  }
}

TEST(CompiledFiles, FailuresOnBothThreadsLeaveThePreviousSetWholeAndNameTheFirstFile) {
  // The plan is written on one thread and the small files on another: any
  // mix of failures among them renames nothing, removes every temporary,
  // and names the first failing file in the order plan, station, grid.
  Scenario s = SmallScenario();
  const std::string plan = JoinPath("/out", "Vastro - Dreo_linea.dat");
  const std::string sim = JoinPath("/out", "Vastro - Dreo_2001.sim");
  const std::string grid = JoinPath("/out", "Vastro - Dreo_2001.dat");
  const struct {
    std::vector<std::string> failing_writes;
    std::vector<std::string> failing_syncs;
    std::string named;
  } cases[] = {
      {{plan}, {}, plan},          {{sim}, {}, sim},       {{grid}, {}, grid},
      {{plan, grid}, {}, plan},    {{grid}, {plan}, plan}, {{}, {sim, grid}, sim},
      {{sim}, {plan, grid}, plan},
  };
  for (const auto& c : cases) {
    MemEnv env;
    for (const std::string& p : {plan, sim, grid}) env.files[p] = "old";
    env.failing_writes.insert(c.failing_writes.begin(), c.failing_writes.end());
    env.failing_syncs.insert(c.failing_syncs.begin(), c.failing_syncs.end());
    Status st = WriteCompiledFiles(env, "/out", s.state, s.c);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.message().rfind(c.named + ": ", 0), 0u) << st.message();
    for (const std::string& p : {plan, sim, grid}) EXPECT_EQ(env.files[p], "old") << c.named;
    EXPECT_TRUE(env.commits.empty()) << c.named;
  }
}

TEST(CompiledFiles, RenamesComeAfterEveryFileIsWrittenAndStopAtAFailure) {
  Scenario s = SmallScenario();
  MemEnv env;
  const std::string plan = JoinPath("/out", "Vastro - Dreo_linea.dat");
  const std::string sim = JoinPath("/out", "Vastro - Dreo_2001.sim");
  const std::string grid = JoinPath("/out", "Vastro - Dreo_2001.dat");
  for (const std::string& p : {plan, sim, grid}) env.files[p] = "old";
  env.failing_paths.insert(sim);  // its rename fails
  Status st = WriteCompiledFiles(env, "/out", s.state, s.c);
  ASSERT_FALSE(st.ok());
  EXPECT_NE(st.message().find(sim), std::string::npos);
  EXPECT_EQ(env.commits, std::vector<std::string>{plan});
  EXPECT_EQ(env.files[sim], "old");
  EXPECT_EQ(env.files[grid], "old");
}

TEST(CompiledFiles, RenamesThePlanFirstAndTheGridLast) {
  // A rename failing part way may leave a new plan beside an old grid, never
  // a new grid beside an old plan.
  Scenario s = SmallScenario();
  MemEnv env;
  ASSERT_TRUE(WriteCompiledFiles(env, "/out", s.state, s.c).ok());
  EXPECT_EQ(env.commits, (std::vector<std::string>{JoinPath("/out", "Vastro - Dreo_linea.dat"),
                                                   JoinPath("/out", "Vastro - Dreo_2001.sim"),
                                                   JoinPath("/out", "Vastro - Dreo_2001.dat")}));
}

TEST(CompiledFiles, NamesThatCoincideOrRunTooLongAreRefused) {
  MemEnv env;
  struct Case {
    const char* line;
    std::string train;
    int compile_flag;
    const char* problem;  // "" = accepted
  };
  const Case cases[] = {
      {"L", "1", 1, ""},
      {"L", "linea", 1, "two compiled files"},
      {"L", "LINEA", 1, "two compiled files"},
      {"L", "linea", 0, ""},                // no route plan to collide with
      {"L", std::string(249, '7'), 1, ""},  // "L_<249>.sim": 255 bytes
      {"L", std::string(250, '7'), 1, "File name too long"},
  };
  for (const Case& c : cases) {
    RunState state;
    state.line_name = c.line;
    state.train_number = c.train;
    state.compile_flag = c.compile_flag;
    Status st = CheckCompiledFileNames(env, "/out", state);
    if (*c.problem == '\0') {
      EXPECT_TRUE(st.ok()) << c.train << ": " << st.message();
    } else {
      EXPECT_NE(st.message().find(c.problem), std::string::npos) << c.train << ": " << st.message();
    }
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* e = readdir(dir)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(dir);
  return names;
}

TEST(CompiledFiles, ReplacesLongerFilesOnDisk) {
  Scenario s = SmallScenario();
  testing::TempFolder folder;
  const std::string plan = folder.File("Vastro - Dreo_linea.dat");
  const std::string sim = folder.File("Vastro - Dreo_2001.sim");
  const std::string grid = folder.File("Vastro - Dreo_2001.dat");
  for (const std::string& p : {plan, sim, grid})
    testing::WriteFileOrDie(p, std::string(50000, 'x'));
  ASSERT_TRUE(WriteCompiledFiles(*Env::Default(), folder.path(), s.state, s.c).ok());
  EXPECT_EQ(testing::ReadFileOrDie(plan).size(), 40u);
  EXPECT_EQ(testing::ReadFileOrDie(sim), EncodeStationFile(s.c.stations));
  EXPECT_EQ(testing::ReadFileOrDie(grid), std::string(45, '\0'));
  EXPECT_EQ(FolderEntries(folder.path()).size(), 3u);  // no temporary left behind
}

}  // namespace
}  // namespace sc
