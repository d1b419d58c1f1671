#include "compiler/compiled_files.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

std::string Bytes(const char* data, size_t n) { return std::string(data, n); }

TEST(CompiledFiles, EmptyStationTableIs2958ZeroBytes) {
  StationTable table;
  std::string out = EncodeStationFile(table);
  EXPECT_EQ(out, std::string(2958, '\0'));
}

TEST(CompiledFiles, StationRecordLayout) {
  StationTable table;
  StationRecord& r = table.slots[1];
  r.kind = 12;
  r.start = 9550;
  r.end = 10150;
  r.position = -2;
  r.byte_1 = 3;
  r.name = "Dr\xE8o";
  r.word_1 = 610;
  r.word_2 = -2;
  r.word_3 = 8;
  r.word_4 = 0;
  r.word_5 = 0x1234;
  r.byte_2 = 255;
  r.byte_3 = 1;
  r.byte_4 = 0;
  r.byte_5 = 7;
  r.time_s = 30600;
  const std::string expected = Bytes(
      "\x0C"                  // kind
      "\x4E\x25\x00\x00"      // start 9550
      "\xA6\x27\x00\x00"      // end 10150
      "\xFE\xFF\xFF\xFF"      // position -2
      "\x03"                  // byte_1
      "\x04\x00" "Dr\xE8o"    // name
      "\x62\x02" "\xFE\xFF" "\x08\x00" "\x00\x00" "\x34\x12"  // word_1..5
      "\xFF\x01\x00\x07"      // byte_2..5
      "\x88\x77\x00\x00",     // time_s 30600
      38);
  std::string out = EncodeStationFile(table);
  ASSERT_EQ(out.size(), 2958u + 4);
  EXPECT_EQ(out.substr(0, 34), std::string(34, '\0'));
  EXPECT_EQ(out.substr(34, 38), expected);
  EXPECT_EQ(out.substr(72), std::string(85 * 34, '\0'));
}

TEST(CompiledFiles, GridCellLayout) {
  TrackGrid grid(940);
  TrackCell& c = grid.at(1);
  c.kind = 1;
  c.value_a = 43;
  c.value_b = -1;
  c.value_c = 300;
  c.value_d = 7;
  c.timing = 101;
  c.countdown = 71;
  c.mountain = 2;
  c.speed_code = 24;
  c.gradient_code = 105;
  c.adhesion = 3;
  std::string out = EncodeGridFile(grid);
  ASSERT_EQ(out.size(), 14115u);
  EXPECT_EQ(out.substr(15, 15),
            Bytes("\x01\x2B\x00\xFF\xFF\x2C\x01\x07\x00\x65\x47\x02\x18\x69\x03", 15));
  EXPECT_EQ(out.substr(0, 15), std::string(15, '\0'));
  EXPECT_EQ(out.substr(30), std::string(14115 - 30, '\0'));
}

// Collects what is written, and can fail a write.
class RecordingFile : public ReplacingFile {
 public:
  Status Append(std::string_view bytes) override { return WriteAt(data.size(), bytes); }
  Status WriteAt(uint64_t offset, std::string_view bytes) override {
    if (fail_append) return Status::IoError("plan: disk full");
    appends.push_back(bytes.size());
    if (data.size() < offset + bytes.size()) data.resize(offset + bytes.size());
    data.replace(offset, bytes.size(), bytes);
    return Status::Ok();
  }
  Status Sync() override { return Status::Ok(); }
  Status Commit() override { return Status::Ok(); }
  std::string data;
  std::vector<size_t> appends;
  bool fail_append = false;
};

TEST(CompiledFiles, RoutePlanLayout) {
  // Metres 0 to 4; 0 and 1 are the starting points, 2 and 3 computed, 4 empty.
  // Turning by 0.5: metre 2 is (0 + (0 + 1 * 0.5), 1 + (1 - 0 * 0.5)) =
  // (0.5, 2), metre 3 is (0.5 + (0.5 + 1 * 0.5), 2 + (1 - 0.5 * 0.5)) =
  // (1.5, 2.75).
  RoutePlan plan(4);
  RecordingFile never_started;
  ASSERT_TRUE(WriteRoutePlan(plan, never_started).ok());
  // A plan never started is all empty elements.
  EXPECT_EQ(never_started.data, std::string(20, '\0'));

  plan.Start();
  plan.Turn(0.5, 2);
  RecordingFile file;
  ASSERT_TRUE(WriteRoutePlan(plan, file).ok());
  const std::string expected = Bytes(
      "\x02\x00\x00\x00" "\x02\x00\x00\x00"
      "\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F"
      "\x05\x00\x00\x00\x00\x00\x00\x00\xF8\x3F"
      "\x00\x00"
      "\x02\x00\x00\x00" "\x02\x00\x01\x00"
      "\x05\x00\x00\x00\x00\x00\x00\x00\x00\x40"
      "\x05\x00\x00\x00\x00\x00\x00\x00\x06\x40"
      "\x00\x00",
      60);
  EXPECT_EQ(file.data, expected);
}

TEST(CompiledFiles, RoutePlanStreamsInLargeBlocks) {
  RoutePlan plan(300000);
  plan.Start();
  plan.Straight(299997);
  RecordingFile file;
  ASSERT_TRUE(WriteRoutePlan(plan, file).ok());
  // Per column: 2 starting points, 299997 doubles, 2 empty elements.
  const size_t column = 2 * 4 + 299997 * 10 + 2 * 2;
  ASSERT_EQ(file.data.size(), 2 * column);
  // Every byte written once, in large writes (6 MB in at most 30).
  size_t written = 0;
  for (size_t n : file.appends) written += n;
  EXPECT_EQ(written, file.data.size());
  EXPECT_LE(file.appends.size(), 30u);
  for (size_t n : file.appends) EXPECT_LE(n, size_t{1} << 20);
  // Column 1, metre 200000 lies beyond the first blocks: 5, then 200000.0.
  const size_t at = column + 8 + (200000 - 2) * 10;
  EXPECT_EQ(file.data.substr(at, 10), Bytes("\x05\x00\x00\x00\x00\x00\x00\x6A\x08\x41", 10));

  RecordingFile failing;
  failing.fail_append = true;
  Status s = WriteRoutePlan(plan, failing);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.message(), "plan: disk full");
}

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
      {{plan}, {}, plan},
      {{sim}, {}, sim},
      {{grid}, {}, grid},
      {{plan, grid}, {}, plan},
      {{grid}, {plan}, plan},
      {{}, {sim, grid}, sim},
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
      {"L", "linea", 0, ""},  // no route plan to collide with
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
  for (const std::string& p : {plan, sim, grid}) testing::WriteFileOrDie(p, std::string(50000, 'x'));
  ASSERT_TRUE(WriteCompiledFiles(*Env::Default(), folder.path(), s.state, s.c).ok());
  EXPECT_EQ(testing::ReadFileOrDie(plan).size(), 40u);
  EXPECT_EQ(testing::ReadFileOrDie(sim), EncodeStationFile(s.c.stations));
  EXPECT_EQ(testing::ReadFileOrDie(grid), std::string(45, '\0'));
  EXPECT_EQ(FolderEntries(folder.path()).size(), 3u);  // no temporary left behind
}

}  // namespace
}  // namespace sc
