#include "present/dump.h"
#include "platform/text_1252.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "commands/dump_command.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

using nlohmann::json;

using testing::F64;
using testing::I16;
using testing::U8;
using testing::Variant;

std::string Cell(uint8_t kind, int16_t a, int16_t b, int16_t c, int16_t d, uint8_t timing,
                 uint8_t countdown, uint8_t mountain, uint8_t speed, uint8_t gradient,
                 uint8_t adhesion) {
  return U8(kind) + I16(a) + I16(b) + I16(c) + I16(d) + U8(timing) + U8(countdown) + U8(mountain) +
         U8(speed) + U8(gradient) + U8(adhesion);
}
const std::string kEmptyCell(15, '\0');

// A station record with the given numbers in `start`, `end`, `position`,
// `word_1` and `time_s`, a name, and the rest as in `tail_words`.
std::string Record(uint8_t kind, int32_t start, int32_t end, int32_t position,
                   const std::string& name, int16_t w1 = 0, int16_t w3 = 0, int16_t w4 = 0,
                   int16_t w5 = 0, int32_t time_s = 0) {
  return testing::StationRecordBytes({.kind = kind,
                                      .start = start,
                                      .end = end,
                                      .position = position,
                                      .name = name,
                                      .word_1 = w1,
                                      .word_3 = w3,
                                      .word_4 = w4,
                                      .word_5 = w5,
                                      .time_s = time_s});
}
const std::string kEmptyRecord(34, '\0');

struct DumpResult {
  int status;
  std::string out;
  std::string err;
};

DumpResult Dump(MemEnv& env, const std::string& path, bool json_output,
                const std::string& kind = "") {
  std::ostringstream out, err;
  int status = RunDumpCommand(env, path, json_output, kind, out, err);
  return {status, out.str(), err.str()};
}

// Grid: cell 1 carries the header values, cell 2 only profiles, cell 4 a
// signal, cell 5 a kind the program does not know.
std::string SampleGrid() {
  return kEmptyCell + Cell(12, 5121, 777, 0, 0, 0, 0, 0, 20, 100, 3) +
         Cell(0, 0, 0, 0, 0, 0, 0, 0, 20, 100, 3) + kEmptyCell +
         Cell(1, 43, 0, -5, 7, 101, 0, 2, 20, 98, 3) + Cell(9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) +
         kEmptyCell;
}

TEST(DumpGrid, TextShowsEveryCellWithContentAndNamesItsKind) {
  MemEnv env;
  env.files["/f/L_2001.dat"] = SampleGrid();
  DumpResult r = Dump(env, "/f/L_2001.dat", false);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("grid: 7 cells"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cell 1 at 0 m: kind 12 (marker (abbattimento)), value_a 5121, value_b 777,"
                       " value_c 0, value_d 0, timing 0, countdown 0, mountain 0, speed_code 20,"
                       " gradient_code 100, adhesion 3\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("cell 2 at 50 m: kind 0 (free),"), std::string::npos);
  EXPECT_NE(r.out.find("cell 4 at 150 m: kind 1 (signal), value_a 43, value_b 0, value_c -5, "
                       "value_d 7, timing 101,"),
            std::string::npos);
  EXPECT_NE(r.out.find("cell 5 at 200 m: kind 9 (kind 9),"), std::string::npos);
  for (const char* absent : {"cell 0 ", "cell 3 ", "cell 6 "}) {
    EXPECT_EQ(r.out.find(absent), std::string::npos) << absent;
  }
}

// Each field of `doc` named by a JSON pointer holds its expected value.
void ExpectFields(const json& doc, const std::vector<std::pair<std::string, json>>& fields) {
  for (const auto& [pointer, value] : fields) {
    ASSERT_TRUE(doc.contains(json::json_pointer(pointer))) << pointer;
    EXPECT_EQ(doc.at(json::json_pointer(pointer)), value) << pointer;
  }
}

TEST(DumpGrid, JsonHasTheSameCells) {
  MemEnv env;
  env.files["/f/L_2001.dat"] = SampleGrid();
  DumpResult r = Dump(env, "/f/L_2001.dat", true);
  ASSERT_EQ(r.status, 0) << r.err;
  json doc = json::parse(r.out);
  ASSERT_EQ(doc["cells"].size(), 4u);
  ExpectFields(doc, {{"/file", "grid"},
                     {"/cell_count", 7},
                     {"/cells/2/index", 4},
                     {"/cells/2/centre_m", 150},
                     {"/cells/2/kind", 1},
                     {"/cells/2/kind_name", "signal"},
                     {"/cells/2/value_c", -5},
                     {"/cells/2/timing", 101},
                     {"/cells/2/gradient_code", 98},
                     {"/cells/3/kind_name", "kind 9"}});
}

// Stations: slot 1 a station, slot 80 a sign, header slots 81, 85 and 86.
// Names hold Windows-1252 bytes: a-grave, the euro sign and the unassigned
// byte 0x81.
std::string SampleStations() {
  std::string out = kEmptyRecord;
  out += Record(12, 9550, 10150, 9850, "Citt\xE0", 5, 0, 0, 0, 28800);
  for (int slot = 2; slot < 80; ++slot) out += kEmptyRecord;
  out += Record(0, 0, 0, 0, "Sosta \x80\x81");
  out += Record(0, 20000, 350, 1, "");
  out += kEmptyRecord + kEmptyRecord + kEmptyRecord;
  out += Record(0, 1000, 30000, 20000, "Vastro - Dreo", 610, 0, 0, 0, -42);
  out += Record(0, 500, 39000, 9, "2001", 300, 8, 15, 30);
  return out;
}

TEST(DumpStations, TextNamesHeaderFieldsByMeaningWithNamesSpeltThePlatformsWay) {
  MemEnv env;
  env.files["/f/L_2001.sim"] = SampleStations();
  DumpResult r = Dump(env, "/f/L_2001.sim", false);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string expected_lines[] = {
      "slot 1 station: kind 12, start 9550, end 10150, position 9850, byte_1 0, name \"" +
          NativeText("Citt\xE0") +
          "\", word_1 5, word_2 0, word_3 0, word_4 0, word_5 0, byte_2 0, byte_3 0, byte_4 0,"
          " byte_5 0, time_s 28800\n",
      "slot 80 sign: text \"" + NativeText("Sosta \x80\x81") + "\"\n",
      "slot 81 kilometre reference: first 20000, second 350, third 1\n",
      "slot 85 backgrounds, line name, marker, competition code: background_one 1000,"
      " background_three 30000, background_two 20000, line_name \"Vastro - Dreo\", marker 610,"
      " competition_code -42\n",
      "slot 86 signal repetition, train number, sand, clock: repetition_first_m 500,"
      " repetition_last_m 39000, repetition_codes 9, train_number \"2001\", sand 300,"
      " clock_hours 8, clock_minutes 15, clock_seconds 30\n",
  };
  for (const std::string& line : expected_lines) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin:\n" << r.out;
  }
  for (const char* absent : {"slot 0 ", "slot 2 ", "slot 82 ", "slot 84 "}) {
    EXPECT_EQ(r.out.find(absent), std::string::npos) << absent;
  }
}

TEST(DumpStations, JsonConvertsNamesToUtf8) {
  MemEnv env;
  env.files["/f/L_2001.sim"] = SampleStations();
  DumpResult r = Dump(env, "/f/L_2001.sim", true);
  ASSERT_EQ(r.status, 0) << r.err;
  json doc = json::parse(r.out);
  ASSERT_EQ(doc["slots"].size(), 5u);
  ExpectFields(doc, {{"/file", "stations"},
                     {"/slots/0/slot", 1},
                     {"/slots/0/role", "station"},
                     {"/slots/0/fields/name", "Citt\xC3\xA0"},
                     {"/slots/0/fields/time_s", 28800},
                     {"/slots/1/role", "sign"},
                     {"/slots/1/fields/text", "Sosta \xE2\x82\xAC\xC2\x81"},
                     {"/slots/2/fields/second", 350},
                     {"/slots/3/fields/line_name", "Vastro - Dreo"},
                     {"/slots/3/fields/competition_code", -42},
                     {"/slots/4/fields/clock_minutes", 15}});
}

// Plan of four metres: starting values, one computed point, one empty.
std::string SamplePlan() {
  return Variant(2, I16(0)) + Variant(2, I16(0)) + Variant(5, F64(0.1)) + Variant(0) +
         Variant(2, I16(0)) + Variant(2, I16(1)) + Variant(5, F64(-2.5)) + Variant(0);
}

TEST(DumpPlan, TextAndJsonShowEveryMetreWithItsTypes) {
  MemEnv env;
  env.files["/f/L_linea.dat"] = SamplePlan();
  DumpResult text = Dump(env, "/f/L_linea.dat", false);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("metre 1: x 0 (int16), y 1 (int16)\n"
                          "metre 2: x 0.1 (double), y -2.5 (double)\n"
                          "metre 3: x empty, y empty\n"),
            std::string::npos)
      << text.out;

  DumpResult js = Dump(env, "/f/L_linea.dat", true);
  ASSERT_EQ(js.status, 0) << js.err;
  json doc = json::parse(js.out);
  ASSERT_EQ(doc["points"].size(), 4u);
  ExpectFields(doc, {{"/metre_count", 4},
                     {"/points/1/y", {{"type", "int16"}, {"value", 1}}},
                     {"/points/2/x/type", "double"},
                     {"/points/3/x", {{"type", "empty"}}}});
  EXPECT_EQ(doc["points"][2]["x"]["value"].get<double>(), 0.1);
}

TEST(DumpCommand, KindComesFromTheNameUnlessGiven) {
  MemEnv env;
  env.files["/f/L_linea.dat"] = SamplePlan();
  env.files["/f/L_2001.SIM"] = SampleStations();
  env.files["/f/grid.bin"] = SampleGrid();
  EXPECT_EQ(Dump(env, "/f/L_linea.dat", false).out.rfind("route plan:", 0), 0u);
  EXPECT_EQ(Dump(env, "/f/L_2001.SIM", false).out.rfind("stations:", 0), 0u);
  EXPECT_EQ(Dump(env, "/f/grid.bin", false, "grid").out.rfind("grid:", 0), 0u);
  // The plan's 40 bytes read as a grid are not whole cells.
  DumpResult as_grid = Dump(env, "/f/L_linea.dat", false, "grid");
  EXPECT_EQ(as_grid.status, 1);
  EXPECT_EQ(as_grid.err.rfind("scenario-compiler: /f/L_linea.dat: grid file size 40", 0), 0u)
      << as_grid.err;
}

TEST(DumpCommand, FailuresExitOneWithOneLineAndNoOutput) {
  MemEnv env;
  env.files["/f/L_2001.dat"] = SampleGrid() + "x";
  env.files["/f/L_2001.sim"] = SampleStations().substr(0, 40);
  env.files["/f/L_linea.dat"] = SamplePlan() + Variant(9);
  env.files["/f/notes.txt"] = "";
  struct Case {
    std::string path;
    std::string kind;
    std::string err;
  };
  const Case cases[] = {
      {"/f/L_2001.dat", "",
       "scenario-compiler: /f/L_2001.dat: grid file size 106 is not a multiple"
       " of 15 (last cell has 1 bytes) at byte offset 105\n"},
      {"/f/L_2001.sim", "",
       "scenario-compiler: /f/L_2001.sim: truncated station record 1 (field"
       " end) at byte offset 39\n"},
      {"/f/L_linea.dat", "",
       "scenario-compiler: /f/L_linea.dat: unknown plan element type code 9"
       " at byte offset 40\n"},
      {"/f/missing.dat", "", "scenario-compiler: /f/missing.dat: No such file or directory\n"},
      {"/f/notes.txt", "",
       "scenario-compiler: /f/notes.txt: cannot tell the file kind from the"
       " name; use --kind plan|stations|grid\n"},
      {"/f/L_2001.dat", "cells",
       "scenario-compiler: unknown --kind \"cells\" (use plan, stations"
       " or grid)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + c.kind);
    DumpResult r = Dump(env, c.path, false, c.kind);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace sc
