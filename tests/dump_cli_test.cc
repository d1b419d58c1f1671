// `dump` run as a user runs it on the built-in scenario's compiled files: the
// decoded fields equal what the compiler held in memory.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "compiler/compile.h"
#include "test_support.h"

namespace sc::testing {
namespace {

class DumpCli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunProgram("--out " + ShellQuote(dir_.path())).exit_status, 0);
  }
  nlohmann::json DumpJson(const std::string& name) {
    ProgramRun run = RunProgram("dump --json " + ShellQuote(dir_.File(name)));
    EXPECT_EQ(run.exit_status, 0) << run.err;
    return nlohmann::json::parse(run.out);
  }
  TempFolder dir_;
  Compilation model_ = CompileBuiltInScenario();
};

TEST_F(DumpCli, GridJsonHoldsEveryCellOfTheModel) {
  nlohmann::json grid = DumpJson("Vastro - Dreo_2001.dat");
  const TrackGrid& cells = *model_.grid;
  ASSERT_EQ(grid["cell_count"], cells.upper() + 1);
  std::vector<TrackCell> decoded(cells.cells().size());
  for (const auto& c : grid["cells"]) {
    TrackCell& d = decoded.at(c["index"].get<size_t>());
    d.kind = c["kind"];
    d.value_a = c["value_a"];
    d.value_b = c["value_b"];
    d.value_c = c["value_c"];
    d.value_d = c["value_d"];
    d.timing = c["timing"];
    d.countdown = c["countdown"];
    d.mountain = c["mountain"];
    d.speed_code = c["speed_code"];
    d.gradient_code = c["gradient_code"];
    d.adhesion = c["adhesion"];
  }
  // Cells the dump leaves out hold nothing.
  EXPECT_EQ(decoded, cells.cells());
}

TEST_F(DumpCli, StationJsonHoldsEverySlotOfTheModel) {
  nlohmann::json table = DumpJson("Vastro - Dreo_2001.sim");
  int stations = 0, signs = 0;
  for (const auto& s : table["slots"]) {
    const StationRecord& r = model_.stations.slots.at(s["slot"].get<size_t>());
    const auto& f = s["fields"];
    if (s["role"] == "station") {
      ++stations;
      EXPECT_EQ(f["name"], r.name);
      EXPECT_EQ(f["kind"], r.kind);
      EXPECT_EQ(f["start"], r.start);
      EXPECT_EQ(f["end"], r.end);
      EXPECT_EQ(f["position"], r.position);
      EXPECT_EQ(f["time_s"], r.time_s);
      EXPECT_EQ(f["word_1"], r.word_1);
      EXPECT_EQ(f["byte_5"], r.byte_5);
    } else if (s["role"] == "sign") {
      ++signs;
    }
  }
  EXPECT_EQ(stations, 10);
  EXPECT_EQ(signs, 23);
  const auto& header = table["slots"].back()["fields"];
  EXPECT_EQ(header["train_number"], "2001");
  EXPECT_EQ(header["repetition_last_m"], 29000);
}

TEST_F(DumpCli, PlanTextAndMalformedFiles) {
  ProgramRun plan = RunProgram("dump " + ShellQuote(dir_.File("Vastro - Dreo_linea.dat")));
  EXPECT_EQ(plan.exit_status, 0);
  EXPECT_NE(plan.out.find("metre 801: x -4e-04 (double), y 801 (double)"), std::string::npos);

  // A grid file cut inside its last cell.
  std::string grid = ReadFileOrDie(dir_.File("Vastro - Dreo_2001.dat"));
  WriteFileOrDie(dir_.File("cut.dat"), grid.substr(0, grid.size() - 7));
  ProgramRun cut = RunProgram("dump " + ShellQuote(dir_.File("cut.dat")));
  EXPECT_EQ(cut.exit_status, 1);
  EXPECT_NE(cut.err.find("at byte offset 14100"), std::string::npos) << cut.err;
  EXPECT_EQ(cut.out, "");

  ProgramRun kind = RunProgram("dump --kind stations " + ShellQuote(dir_.File("cut.dat")));
  EXPECT_EQ(kind.exit_status, 1);
  EXPECT_NE(kind.err.find("byte offset"), std::string::npos) << kind.err;
}

}  // namespace
}  // namespace sc::testing
