#include "decompiler/decompile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "compiler/format/grid_file.h"
#include "compiler/format/station_file.h"
#include "decompiler/compare_compiled.h"
#include "decompiler/plan_curves.h"
#include "decompiler/round_trip.h"
#include "model/route_plan.h"
#include "test_support.h"

namespace sc {
namespace {

CompiledScenarioFiles FilesOf(const CompiledBytes& bytes) {
  return ScenarioFilesOf(bytes, "L_linea.dat", "L_1.sim", "L_1.dat");
}

CompiledBytes BuiltInBytes() {
  testing::BuiltInCompiledFiles built = testing::CompileBuiltInScenarioFiles();
  return {built.plan, built.stations, built.grid};
}

TEST(Decompile, BuiltInScenarioComesBackByteForByte) {
  const CompiledBytes bytes = BuiltInBytes();
  DecompiledScenario out;
  const Status decompiled = Decompile(FilesOf(bytes), "scenario-compiler 9.9.9", &out);
  ASSERT_TRUE(decompiled.ok()) << decompiled.message();
  EXPECT_TRUE(out.places.empty());
  EXPECT_EQ(out.compile_error, kErrNone);
  EXPECT_EQ(out.line_name, "Vastro - Dreo");
  EXPECT_EQ(out.train_number, "2001");
  EXPECT_EQ(out.curves, 18);
  EXPECT_NE(out.line_text.find("Decompiled by scenario-compiler 9.9.9"), std::string::npos);
  EXPECT_NE(out.line_text.find("curvas3,  800,  700\r\n"), std::string::npos);
  EXPECT_NE(out.train_text.find("segnale,    9300,   2, 2, 3,  0, 1,    2,  2,1,0, 240\r\n"),
            std::string::npos);
  EXPECT_EQ(CheckRoundTrip(bytes), "");
}

TEST(Decompile, WithoutPlanSaysSoAndRoundTrips) {
  testing::BuiltInSource source = testing::BuiltInScenarioSource();
  source.state.compile_flag = 0;
  const std::optional<CompiledBytes> bytes =
      CompileToBytes(*source.input.line_text, *source.input.train_text, source.state);
  ASSERT_TRUE(bytes);
  ASSERT_FALSE(bytes->plan);
  DecompiledScenario out;
  const Status decompiled = Decompile(FilesOf(*bytes), "p", &out);
  ASSERT_TRUE(decompiled.ok()) << decompiled.message();
  EXPECT_NE(out.line_text.find("no curve"), std::string::npos);
  EXPECT_EQ(out.line_text.find("curva"), std::string::npos);
  EXPECT_EQ(CheckRoundTrip(*bytes), "");
}

// Records whose text is not the plain reading of their bytes: each compiles
// without an error code and must come back byte for byte.
TEST(Decompile, RecordsWithAChoiceRoundTrip) {
  struct Case {
    const char* what;
    const char* line_body;
    const char* train_body;
  } cases[] = {
      {"gradients, including the cell only a record there writes",
       "pendenza, 1000, 5\r\n"
       "pendenza, 2000, -100\r\npendenza, 3025, 155\r\npendenza, 46900, 7\r\n",
       ""},
      {"mountains: tunnels, joined ranges, a range three cells after another, types above 10",
       "montagna, 1150, 1450, 12\r\nmontagna, 1500, 1700, 5\r\nmontagna, 1850, 2500, 14\r\n"
       "montagna, 4000, 4400, -240\r\nmontagna, 6000, 6600, 250\r\n",
       ""},
      {"boards with odd packings and negative stripes",
       "indicatori_vmax, 900, 1, 2, 3, -4, 999, -5, 7, 9\r\n"
       "indicatori_vmax, 3000, -120, 0, 130, 12, 115, 0, 3, -7\r\n",
       ""},
      {"signs with commas and blanks, in their slots",
       "cartello_indicatore, 1100, \"A, B\"\r\ncartello_indicatore, 700, \"  lead\"\r\n"
       "cartello_indicatore, 2000, \r\n",
       ""},
      {"kilometre references reordered and repetition with 9 codes",
       "progressiva chilometrica uno, 20000, 150, 1\r\nprogressiva chilometrica due, 10000, 50, "
       "2\r\n"
       "progressiva chilometrica tre, 30000, 100, 0\r\nripetizione segnali 9 codici, 800, 1200\r\n",
       ""},
      {"equal kilometre references after the largest",
       "progressiva chilometrica uno, 100, 50, 1\r\n"
       "progressiva chilometrica due, 100, 100, 3\r\nprogressiva chilometrica tre, 900, 0, 0\r\n",
       ""},
      {"signals: timing raised, big aspects, negative values", "",
       "segnale, 1450, 2, 4, 0, 0, 0, 1, 3, 0, 0, 50\r\n"
       "segnale, 5000, 7, -4, 12, 3, 9, 5, 3, -2, 8, 0\r\n"
       "segnale, 9000, 2, 1, 1, 1, 1, 1, 1, 1, 1, 300\r\n"
       "segnale, 12000, 1, 1, 1, 1, 41, 2, 1, 1, 1, 0\r\n"
       // Stored as 100 and 101 (8 bits): read back as 356, and as 101.
       "segnale, 15000, 2, 1, 1, 1, 1, 1, 1, 1, 1, 356\r\n"
       "segnale, 16000, 2, 1, 1, 1, 1, 1, 1, 1, 1, 357\r\n"},
      {"slowdowns with and without boards, one past 1500 m in cell 31", "",
       "rallentamento, 16100, 100, 250, 1, 1, 10\r\nrallentamento, 1510, 30, 100, 0, 1, 0\r\n"
       "rallentamento, 26000, 140, 400, 2, 0, -3\r\n"},
      {"abbattimento entries, zero and wrapped", "",
       "abbattimento, 5000, 5\r\nabbattimento, 6000, 0\r\nabbattimento, 7000, 70000\r\n"},
      {"stations of every area rule, names with commas and blanks", "",
       "stazione, 0, 8, 400, 1, 0, 1, 4,1,1, 2,1,1, 1, 8, 1, 0, Vastro\r\n"
       "stazione, 3400, 22, 600, 3, 2, 1, 0,0,0, 4,1,1, 0, 25, 70, -3, \"Monte, Alto\"\r\n"
       "stazione, 9850, 5, 600, 1, 1, 0, 5,1,1, 2,1,1, 99, 8, 3, 0, \r\n"
       "stazione, 13350, 30, 700, 1, 1, 0, 4,1,1, 2,1,1, 0, 0, 0, 0, Scalea\r\n"},
      {"a first station lengthened by its extension flag, which it then loses", "",
       "stazione, 22200, 2, 700, 0, 1, 1, 1,1,0, 4,1,1, 0, 0, 0, 5, Bussoleno\r\n"},
      {"a board that a station's end marker overwrites",
       "indicatori_vmax, 318, 120, 130, 140, 0, 115, 125, 130, 3\r\n",
       "stazione, 0, 8, 400, 1, 0, 1, 4,1,1, 2,1,1, 1, 8, 1, 0, Vastro\r\n"},
      {"profiles that change, with a speed only rounding gives", "",
       "velocita, 0, 100\r\nvelocita, 900, 132\r\naderenza, 0, 300\r\naderenza, 5000, 20\r\n"
       "velocita, 46900, 40\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = std::string("[generale]\r\nlunghezza percorso, 40000\r\n[corpo]\r\n") +
                             c.line_body + "[fine]\r\n";
    const std::string train = std::string("[generale]\r\n") + c.train_body + "[fine]\r\n";
    RunState state;
    state.line_name = "L";
    state.train_number = "1";
    ErrorCode code = kErrNone;
    const std::optional<CompiledBytes> bytes = CompileToBytes(line, train, state, &code);
    ASSERT_TRUE(bytes) << "error code " << code;
    EXPECT_EQ(CheckRoundTrip(*bytes), "");
  }
}

// A byte no record gives is a place, named by file, offset and field; the
// texts are still written.
TEST(Decompile, IrreproducibleBytesArePlaces) {
  CompiledBytes bytes = BuiltInBytes();
  // Cell 100: kind 9 (no record makes it).
  bytes.grid[100 * kGridCellBytes] = 9;
  // Metre 5000's x: a point no curve draws.
  const size_t metre_5000_x = 8 + (5000 - 2) * 10 + 2;
  bytes.plan->at(metre_5000_x) ^= 1;
  DecompiledScenario out;
  const Status decompiled = Decompile(FilesOf(bytes), "p", &out);
  ASSERT_TRUE(decompiled.ok()) << decompiled.message();
  ASSERT_EQ(out.places.total(), 2u);
  const IrreproduciblePlace& plan = out.places.shown()[0];
  EXPECT_EQ(plan.file, "L_linea.dat");
  EXPECT_EQ(plan.offset, metre_5000_x - 2);
  EXPECT_EQ(plan.field, "x of metre 5000");
  const IrreproduciblePlace& grid = out.places.shown()[1];
  EXPECT_EQ(grid.file, "L_1.dat");
  EXPECT_EQ(grid.offset, 100 * kGridCellBytes);
  EXPECT_EQ(grid.field, "cell 100 kind");
  EXPECT_EQ(grid.what, "holds 9; the text gives 0");
  EXPECT_NE(out.line_text.find("except at 2 places"), std::string::npos);
}

// A plan that turns in its last metre: the curve record it reads as lies
// too near the grid's end to be read, so the text cannot give it back. The
// comparison with the compile of the text finds it.
TEST(Decompile, ACurveNoRecordCanPlaceIsFoundByTheComparison) {
  CompiledBytes bytes = BuiltInBytes();
  std::string& plan = *bytes.plan;
  const int64_t metres = 47001, filled = metres - 2;
  const size_t y_start = 8 + (filled - 2) * 10 + (metres - filled) * 2;
  const auto value_at = [](int64_t metre) { return 8 + (metre - 2) * 10 + 2; };
  const auto get = [&](size_t at) {
    double v;
    std::memcpy(&v, plan.data() + at, sizeof v);
    return v;
  };
  const int64_t last = filled - 1;
  const PlanStepPoint turned =
      NextPlanPoint(get(value_at(last - 2)), get(y_start + value_at(last - 2)),
                    get(value_at(last - 1)), get(y_start + value_at(last - 1)), true, 0.003);
  std::memcpy(plan.data() + value_at(last), &turned.x, sizeof turned.x);
  std::memcpy(plan.data() + y_start + value_at(last), &turned.y, sizeof turned.y);
  DecompiledScenario out;
  const Status decompiled = Decompile(FilesOf(bytes), "p", &out);
  ASSERT_TRUE(decompiled.ok()) << decompiled.message();
  EXPECT_NE(out.line_text.find("curvad6,  46997,  1"), std::string::npos);
  ASSERT_FALSE(out.places.empty());
  bool plan_place = false;
  for (const IrreproduciblePlace& p : out.places.shown()) plan_place |= p.file == "L_linea.dat";
  EXPECT_TRUE(plan_place);
}

// The plan check holds only for the very plan the curves came from: the
// same curves over fewer or more filled metres are another plan.
TEST(Decompile, ThePlanCheckComparesTheFilledMetres) {
  const CompiledBytes bytes = BuiltInBytes();
  RoutePlanReader reader;
  ASSERT_TRUE(reader.Open(*bytes.plan).ok());
  PlanCurves curves;
  IrreproduciblePlaces places;
  RecoverPlanCurves(reader, "L_linea.dat", &curves, &places);
  ASSERT_TRUE(places.empty());
  const Compilation built = testing::CompileBuiltInScenario();
  ASSERT_TRUE(built.plan);
  EXPECT_TRUE(DrawsTheSamePlan(*built.plan, curves));
  for (int64_t change : {-1, 1}) {
    SCOPED_TRACE(change);
    PlanCurves other = curves;
    other.filled += change;
    EXPECT_FALSE(DrawsTheSamePlan(*built.plan, other));
  }
}

// Each byte of the station file changed alone: the place reported is the
// field that holds that byte, in slots before and after ones with names.
TEST(Decompile, StationTableOffsetsAreThoseOfTheChangedField) {
  const std::string stored = BuiltInBytes().stations;
  StationTable original;
  ASSERT_TRUE(DecodeStationFile(stored, &original).ok());
  int checked_after_a_name = 0;
  for (size_t i = 0; i < stored.size(); ++i) {
    std::string changed = stored;
    changed[i] = static_cast<char>(changed[i] ^ 1);
    StationTable table;
    if (!DecodeStationFile(changed, &table).ok()) continue;
    IrreproduciblePlaces places;
    CompareStationTables("L_1.sim", table, original, &places);
    if (places.total() != 1) continue;  // a name's length: the rest moves
    const IrreproduciblePlace& p = places.shown()[0];
    SCOPED_TRACE("byte " + std::to_string(i) + ": " + p.field);
    ASSERT_LE(p.offset, i);
    // A number is at most 4 bytes; a name's place is its length, before it.
    if (p.field.ends_with(" name")) continue;
    EXPECT_LT(i - p.offset, 4u);
    checked_after_a_name += i > stored.find("Vastro");
  }
  EXPECT_GT(checked_after_a_name, 100);
}

TEST(Decompile, MalformedFileIsAnErrorWithItsOffset) {
  CompiledBytes bytes = BuiltInBytes();
  bytes.grid.pop_back();
  DecompiledScenario out;
  const Status decompiled = Decompile(FilesOf(bytes), "p", &out);
  EXPECT_TRUE(decompiled.IsCorruption());
  const std::string& error = decompiled.message();
  EXPECT_NE(error.find("L_1.dat: "), std::string::npos);
  EXPECT_NE(error.find("byte offset"), std::string::npos);
}

}  // namespace
}  // namespace sc
