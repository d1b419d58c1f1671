// The built-in scenario end to end: the documents are written, read back and
// compiled, and the compiled files carry what the scenario's lines say. The
// expected values below were worked out by hand from the scenario's text.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "app/builtin_run.h"
#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "compiler/format/station_file.h"
#include "platform/mem_env.h"
#include "run/report.h"
#include "test_support.h"

namespace sc {
namespace {

class BuiltInScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.folders.insert("out");
    std::ostringstream err;
    status_ = RunBuiltInScenario(env_, ui_, "out", err);
    err_ = err.str();
    ASSERT_TRUE(DecodeGridFile(File("Vastro - Dreo_2001.dat"), &cells_).ok());
    ASSERT_TRUE(DecodeStationFile(File("Vastro - Dreo_2001.sim"), &stations_).ok());
    ASSERT_TRUE(DecodeRoutePlan(File("Vastro - Dreo_linea.dat"), &plan_).ok());
  }
  const std::string& File(const std::string& name) { return env_.files[JoinPath("out", name)]; }

  MemEnv env_;
  testing::RecordingUi ui_;
  int status_ = -1;
  std::string err_;
  std::vector<TrackCell> cells_;
  StationTable stations_;
  DecodedPlan plan_;
};

TEST_F(BuiltInScenario, CleanRunLeavesExactlyTheDocumentsAndCompiledFiles) {
  EXPECT_EQ(status_, 0);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(ui_.waits, 1);
  EXPECT_TRUE(ui_.messages.empty());
  std::set<std::string> names;
  for (const auto& [path, bytes] : env_.files) names.insert(path);
  EXPECT_EQ(names, (std::set<std::string>{
                       JoinPath("out", "Vastro - Dreo_2001_note.txt"),
                       JoinPath("out", "Vastro - Dreo_2001_rallentamenti.txt"),
                       JoinPath("out", "Vastro - Dreo_2001_scheda_treno.txt"),
                       JoinPath("out", "Vastro - Dreo_linea.dat"),
                       JoinPath("out", "Vastro - Dreo_2001.sim"),
                       JoinPath("out", "Vastro - Dreo_2001.dat"),
                   }));
  EXPECT_EQ(File("Vastro - Dreo_2001.dat").size(), 14115u);
  // 47001 metres per column: two 16-bit values (4 bytes each), 46997 doubles
  // (10 bytes each) and two empty elements (2 bytes each).
  EXPECT_EQ(File("Vastro - Dreo_linea.dat").size(), 2u * (2 * 4 + 46997 * 10 + 2 * 2));
}

TEST_F(BuiltInScenario, ReservedPlacesAndCompetitionCodes) {
  EXPECT_EQ(cells_[1].value_a, 5121);
  EXPECT_EQ(cells_[1].value_b, 2189);
  EXPECT_EQ(stations_.slots[85].word_1, 610);
  EXPECT_EQ(stations_.slots[85].time_s, 30410);
  EXPECT_EQ(stations_.slots[85].name, "Vastro - Dreo");
  EXPECT_EQ(stations_.slots[86].name, "2001");
}

TEST_F(BuiltInScenario, FinalisationMarkersAroundBothSlowdowns) {
  // Slowdown at 16100 (speed 100): warning 299, start 323, end 328; start
  // markers 318, 312, 305; the run ends at 328 before its 8th cell; the next
  // signal (16400) is cell 329, so its marker goes to 327 (328 is the end).
  // Slowdown at 26000 (speed 40): warning 497, start 521, end 529; the signal
  // at 23950 (cell 480) lies 17 cells before the warning: marker 479; start
  // markers 516, 510, 503; the run's 8th cell is the end 529, so 528; the
  // next signal (26650) is cell 534: marker 533.
  std::set<int> markers;
  for (size_t i = 0; i < cells_.size(); ++i) {
    if (cells_[i].kind == kKindMarker) {
      markers.insert(static_cast<int>(i));
      EXPECT_EQ(cells_[i].value_a, 180) << i;
    }
  }
  EXPECT_EQ(markers, (std::set<int>{305, 312, 318, 327, 479, 503, 510, 516, 528, 533}));
  struct Expect {
    int cell;
    uint8_t kind;
  } objects[] = {{299, 4}, {323, 3}, {328, 2}, {295, 5}, {298, 5},
                 {497, 4}, {521, 3}, {529, 2}, {493, 5}, {496, 5}};
  for (const Expect& e : objects) EXPECT_EQ(cells_[e.cell].kind, e.kind) << e.cell;
  EXPECT_EQ(cells_[521].value_a, 40);
  EXPECT_EQ(cells_[521].value_b, 80);
  EXPECT_EQ(cells_[298].value_a, 1);
  EXPECT_EQ(cells_[295].value_a, 4);
}

TEST_F(BuiltInScenario, SignalsStationsAndProfiles) {
  // "segnale, 2800, 2, 4, 1, 0, 0, 2, 2,1,0, 0": cell 57.
  EXPECT_EQ(cells_[57].kind, 1);
  EXPECT_EQ(cells_[57].value_a, 42);
  EXPECT_EQ(cells_[57].value_b, 11);
  EXPECT_EQ(cells_[57].value_d, 8);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(cells_[57 - 2 * k].countdown, 80 + k);
  EXPECT_EQ(cells_[187].timing, 240);  // tempo 240 on a signal with sx = 2
  EXPECT_EQ(cells_[646].timing, 0);    // sx = 1
  // Station end markers of the ten stations (kinds 25 and 28 have none).
  int slot = 1;
  for (int cell : {7, 73, 202, 273, 451, -1, 686, -1, -1, 802}) {
    if (cell >= 0) {
      EXPECT_EQ(cells_[cell].kind, 10) << cell;
      EXPECT_EQ(cells_[cell].value_a, slot) << cell;
    }
    ++slot;
  }
  EXPECT_EQ(stations_.slots[3].name, "Castelletto");
  EXPECT_EQ(stations_.slots[3].start, 9550);
  EXPECT_EQ(stations_.slots[3].end, 10150);
  EXPECT_EQ(stations_.slots[3].time_s, 8 * 3600 + 3 * 60);
  EXPECT_EQ(stations_.slots[80].name, "(INIZIO     )(RIPETIZIONE)(SEGNALI    )");
  EXPECT_EQ(stations_.slots[58].name, "(GALLERIA )(DEL VENTO)");
  EXPECT_EQ(stations_.slots[57].name, "");
  // Speed codes: 100 km/h before 900 m, ... 30 km/h from 39000 m; the last
  // three cells keep 0. Adhesion 100 and gradient code 100 throughout.
  struct Range {
    int first, last;
    uint8_t speed;
  } speeds[] = {{0, 17, 20},    {18, 59, 26},   {60, 405, 30}, {406, 419, 13},
                {420, 627, 29}, {628, 779, 19}, {780, 937, 6}, {938, 940, 0}};
  for (const Range& r : speeds) {
    for (int i = r.first; i <= r.last; ++i) {
      ASSERT_EQ(cells_[i].speed_code, r.speed) << i;
      ASSERT_EQ(cells_[i].adhesion, i <= 937 ? 100 : 0) << i;
      ASSERT_EQ(cells_[i].gradient_code, i <= 937 ? 100 : 0) << i;
    }
  }
  // The first tunnel range 1150-1450 (type 12): cells 23..28 mountain 2,
  // the 4th (26) a mountain marker; the next two ranges follow within 150 m.
  for (int i = 23; i <= 28; ++i) EXPECT_EQ(cells_[i].mountain, 2) << i;
  EXPECT_EQ(cells_[26].kind, kKindMountainMarker);
  EXPECT_EQ(cells_[23].kind, kKindSign);  // the sign at 1100 took its cell
  EXPECT_EQ(cells_[31].mountain, 3);
  EXPECT_EQ(cells_[36].mountain, 3);
}

TEST_F(BuiltInScenario, RoutePlanStartsAlongYAndTurnsLeftAt800) {
  ASSERT_EQ(plan_.x.size(), 47001u);
  EXPECT_EQ(plan_.x[0].type, kPlanInt16);
  EXPECT_EQ(plan_.y[1].type, kPlanInt16);
  EXPECT_EQ(plan_.y[1].value, 1);
  EXPECT_EQ(plan_.x[800].value, 0);
  EXPECT_EQ(plan_.y[800].value, 800);
  // "curvas3, 800, 700": k = -0.0004 from metre 801.
  EXPECT_EQ(plan_.x[801].value, -0.0004);
  EXPECT_EQ(plan_.y[801].value, 801);
  EXPECT_EQ(plan_.x[46998].type, kPlanDouble);
  EXPECT_EQ(plan_.x[46999].type, kPlanEmpty);
  EXPECT_EQ(plan_.y[47000].type, kPlanEmpty);
}

}  // namespace
}  // namespace sc

namespace sc {
namespace {

TEST(BuiltInScenarioFailure, ADocumentThatCannotBeWrittenLeavesEveryOldFileAsItWas) {
  // The documents are replaced as a set: one failing to sync renames none,
  // the old ones stay whole and the run compiles nothing.
  const std::string card = JoinPath("out", "Vastro - Dreo_2001_scheda_treno.txt");
  const std::string notes = JoinPath("out", "Vastro - Dreo_2001_note.txt");
  for (const std::string& failing : {card, notes}) {
    MemEnv env;
    env.folders.insert("out");
    env.files[card] = "old card";
    env.files[notes] = "old notes";
    env.failing_syncs.insert(failing);
    testing::RecordingUi ui;
    std::ostringstream err;
    EXPECT_EQ(RunBuiltInScenario(env, ui, "out", err), kExitUsageOrIo);
    EXPECT_EQ(err.str(), "scenario-compiler: " + failing + ": sync failed\n");
    EXPECT_TRUE(env.commits.empty());
    EXPECT_EQ(env.files.size(), 2u);
    EXPECT_EQ(env.files[card], "old card");
    EXPECT_EQ(env.files[notes], "old notes");
  }
}

}  // namespace
}  // namespace sc
