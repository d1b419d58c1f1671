// One edit of the built-in scenario per entry of the list of silent paths:
// a told path shows its warning class at the record's line and column, a
// rule shows none, and the compiled files are the same with warnings on and
// off.
#include "compiler/silent_paths.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "compiler/compile.h"
#include "test_support.h"

namespace sc {
namespace {

enum Side { kLine, kTrain };

struct Edit {
  Side side;
  const char* find;
  const char* replace;
};

struct Row {
  const char* id;
  Edit edit;
  Edit second_edit;  // find "" when there is none
  // The warning expected (nothing for a rule) and where: its line and the
  // column of the field it is about.
  std::optional<WarningClass> told;
  int line;
  int column;
  bool plan = true;
};

constexpr Edit kNone{kLine, "", ""};

const Row kRows[] = {
    // Rules: the built-in scenario takes each, or the edit does, in silence.
    {"preamble", kNone, kNone, std::nullopt, 0, 0},
    {"section-marker", kNone, kNone, std::nullopt, 0, 0},
    {"repetition-zero",
     {kLine, "ripetizione segnali 4 codici,    800,    29000",
      "ripetizione segnali 4 codici,    800,    0"},
     kNone,
     std::nullopt,
     0,
     0},
    {"km-order",
     {kLine, "progressiva chilometrica uno,    0,", "progressiva chilometrica uno,    5000,"},
     kNone,
     std::nullopt,
     0,
     0},
    {"km-plus-100",
     {kLine, "progressiva chilometrica uno,    0,    0,    0",
      "progressiva chilometrica uno,    5000,    250,    1"},
     kNone,
     std::nullopt,
     0,
     0},
    {"curve-right", {kLine, "curvad2,  2400", "curva2,  2400"}, kNone, std::nullopt, 0, 0},
    {"curve-no-plan", kNone, kNone, std::nullopt, 0, 0, false},
    {"profile-start", kNone, kNone, std::nullopt, 0, 0},
    {"mountain-joined", kNone, kNone, std::nullopt, 0, 0},
    {"tunnel-marker", kNone, kNone, std::nullopt, 0, 0},
    {"signal-time-unused", kNone, kNone, std::nullopt, 0, 0},
    {"slowdown-dv-zero",
     {kTrain, "rallentamento,   16100,   100,  250, 1,  1,  10",
      "rallentamento,   16100,   100,  250, 1,  1,  0"},
     kNone,
     std::nullopt,
     0,
     0},
    {"station-flags", kNone, kNone, std::nullopt, 0, 0},
    {"station-unmarked-kind", kNone, kNone, std::nullopt, 0, 0},
    {"free-marker-cell", kNone, kNone, std::nullopt, 0, 0},
    // Told paths.
    {"dash-skipped",
     {kTrain, "velocita,     900,", "velocita-limite,     900,"},
     kNone,
     WarningClass::kUnknownKeyword,
     11,
     1},
    {"unknown-keyword",
     {kTrain, "segnale,    1450", "segnal,    1450"},
     kNone,
     WarningClass::kUnknownKeyword,
     32,
     1},
    {"ambiguous-keyword",
     {kTrain, "sabbia,    100", "numero vetture sabbia, 10, 100"},
     kNone,
     WarningClass::kAmbiguousKeyword,
     5,
     1},
    {"short-line", {kTrain, ", Montanaro", ""}, kNone, WarningClass::kShortLine, 19, 1},
    {"extra-fields",
     {kLine, "(GALLERIA   )(DELL'ANGELO)", "(GALLERIA), (DELL'ANGELO)"},
     kNone,
     WarningClass::kExtraFields,
     77,
     43},
    {"keyword-words",
     {kLine, "curvad2,  2400", "curva destra 2,  2400"},
     kNone,
     WarningClass::kKeywordText,
     26,
     1},
    {"comment-mark",
     {kLine, "curvad1,  3250", "# curvad1,  3250"},
     kNone,
     WarningClass::kKeywordText,
     27,
     1},
    {"open-quote",
     {kLine, "(GALLERIA   )(DELL'ANGELO)", "\"(GALLERIA   )(DELL'ANGELO)"},
     kNone,
     WarningClass::kOpenQuote,
     77,
     31},
    {"utf8-text",
     {kTrain, "0, Montanaro", "0, Montan\xC3\xA0ro"},
     kNone,
     WarningClass::kEncoding,
     19,
     79},
    {"curve-not-positive",
     {kLine, "curvad2,  2400,  800", "curvad2,  2400,  -800"},
     kNone,
     WarningClass::kNoEffect,
     26,
     1},
    {"empty-number",
     {kTrain, "velocita,     900,   130", "velocita,     900,"},
     kNone,
     WarningClass::kStoredValue,
     11,
     19},
    {"fraction",
     {kTrain, "velocita,     900,   130", "velocita,     900,   130.5"},
     kNone,
     WarningClass::kFraction,
     11,
     22},
    {"last-field",
     {kTrain, "[codici]\r\n[fine]", "[codici]\r\n[fine],sabbia"},
     kNone,
     WarningClass::kLastField,
     57,
     8},
    {"no-general-train", {kTrain, "[generale]", "[general]"}, kNone, WarningClass::kNoEffect, 1, 1},
    {"header-repeat",
     {kLine, "sfondo uno,    1\r\n", "sfondo uno,    1\r\nsfondo uno,    2\r\n"},
     kNone,
     WarningClass::kHeaderRepeat,
     20,
     1},
    {"repetition-both-counts",
     {kLine, "ripetizione segnali 4 codici", "ripetizione segnali 4 o 9 codici"},
     kNone,
     WarningClass::kAmbiguousKeyword,
     22,
     1},
    {"km-zeroed",
     {kLine, "progressiva chilometrica uno,    0,", "progressiva chilometrica uno,    5000,"},
     {kLine, "progressiva chilometrica due,    0,", "progressiva chilometrica due,    5000,"},
     WarningClass::kStoredValue,
     16,
     1},
    {"gradient-behind",
     {kLine, "[pendenze]", "[pendenze]\r\npendenza, 2000, 5\r\npendenza, 1000, 3"},
     kNone,
     WarningClass::kOutOfOrder,
     44,
     11},
    {"gradient-code",
     {kLine, "[pendenze]", "[pendenze]\r\npendenza, 2000, 200"},
     kNone,
     WarningClass::kStoredValue,
     43,
     17},
    {"curve-behind",
     {kLine, "curvad2,  2400,  800", "curvad2,  2000,  800"},
     kNone,
     WarningClass::kOutOfOrder,
     26,
     11},
    {"curve-digits",
     {kLine, "curvad2,  2400,  800", "curvad25,  2400,  800"},
     kNone,
     WarningClass::kAmbiguousKeyword,
     26,
     1},
    {"mountain-empty",
     {kLine, "montagna,   1150,  1450,  12", "montagna,   1450,  1150,  12"},
     kNone,
     WarningClass::kNoEffect,
     44,
     13},
    {"mountain-off-grid",
     {kLine, "montagna,   37650,  38300,  12", "montagna,   37650,  48300,  12"},
     kNone,
     WarningClass::kOffGrid,
     61,
     21},
    {"mountain-type",
     {kLine, "montagna,   1150,  1450,  12", "montagna,   1150,  1450,  300"},
     kNone,
     WarningClass::kStoredValue,
     44,
     27},
    {"board-packing",
     {kLine, "indicatori_vmax,  900,  120,  130,  140,  0,  115,",
      "indicatori_vmax,  900,  120,  130,  140,  0,  117,"},
     kNone,
     WarningClass::kStoredValue,
     63,
     25},
    {"speed-behind",
     {kTrain, "velocita,    3000,   150", "velocita,    800,   150"},
     kNone,
     WarningClass::kOutOfOrder,
     12,
     14},
    {"speed-code",
     {kTrain, "velocita,     900,   130", "velocita,     900,   132"},
     kNone,
     WarningClass::kStoredValue,
     11,
     22},
    {"adhesion-behind",
     {kTrain, "aderenza,   0,    100", "aderenza,   0,    100\r\naderenza,   0,    90"},
     kNone,
     WarningClass::kOutOfOrder,
     9,
     13},
    {"adhesion-byte",
     {kTrain, "aderenza,   0,    100", "aderenza,   0,    300"},
     kNone,
     WarningClass::kStoredValue,
     8,
     19},
    {"signal-packing",
     {kTrain, "segnale,    1450,   2, 4,", "segnale,    1450,   2, 4000,"},
     kNone,
     WarningClass::kStoredValue,
     32,
     24},
    {"signal-time-raised",
     {kTrain, "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
      "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 50"},
     kNone,
     WarningClass::kStoredValue,
     32,
     51},
    {"signal-countdown-off-grid",
     {kTrain, "segnale,    1450,", "segnale,    250,"},
     kNone,
     WarningClass::kOffGrid,
     32,
     13},
    {"countdown-overwrite",
     {kTrain, "segnale,    1450,", "segnale,    400,"},
     kNone,
     WarningClass::kOverwrite,
     32,
     13},
    {"slowdown-no-warning",
     {kTrain, "rallentamento,   16100,", "rallentamento,   1400,"},
     kNone,
     WarningClass::kNoEffect,
     29,
     18},
    {"slowdown-end-not-after",
     {kTrain, "rallentamento,   16100,   100,  250,", "rallentamento,   16100,   100,  -250,"},
     kNone,
     WarningClass::kNoEffect,
     29,
     1},
    {"slowdown-dv-wrap",
     {kTrain, "rallentamento,   16100,   100,  250, 1,  1,  10",
      "rallentamento,   16100,   100,  250, 1,  1,  70000"},
     kNone,
     WarningClass::kStoredValue,
     29,
     46},
    {"abbattimento-not-positive",
     {kTrain, "[codici]", "[codici]\r\nabbattimento,   5000,   -3"},
     kNone,
     WarningClass::kStoredValue,
     57,
     25},
    {"abbattimento-wrap",
     {kTrain, "[codici]", "[codici]\r\nabbattimento,   5000,   70000"},
     kNone,
     WarningClass::kStoredValue,
     57,
     25},
    {"abbattimento-lowered",
     {kTrain, "[codici]",
      "[codici]\r\nabbattimento,   23900,   300\r\nabbattimento,   23950,   300"},
     kNone,
     WarningClass::kStoredValue,
     58,
     1},
    {"station-countdown-early",
     {kTrain, "stazione,       0,  8,  400,", "stazione,     100, 12,  100,"},
     kNone,
     WarningClass::kOffGrid,
     18,
     15},
    {"station-countdown-off-grid",
     {kTrain, "stazione,   40000,  6,  700,", "stazione,   40000,  8,  9000,"},
     kNone,
     WarningClass::kOffGrid,
     27,
     13},
    {"station-end-overwrite",
     {kTrain, "[stazioni]", "segnale,    3600,   2, 4, 0,  0, 0,    1,  3,0,0, 0\r\n[stazioni]"},
     kNone,
     WarningClass::kOverwrite,
     20,
     14},
};

void Apply(const Edit& edit, testing::BuiltInSource& source) {
  if (*edit.find == '\0') return;
  std::string& text = edit.side == kLine ? *source.input.line_text : *source.input.train_text;
  const size_t at = text.find(edit.find);
  ASSERT_NE(at, std::string::npos) << edit.find;
  text.replace(at, std::string(edit.find).size(), edit.replace);
}

struct Compiled {
  Compilation c;
  RunState state;
};

void CompileRow(const Row& row, DiagnosticSink& sink, Compiled& out) {
  testing::BuiltInSource source = testing::BuiltInScenarioSource();
  Apply(row.edit, source);
  Apply(row.second_edit, source);
  if (!row.plan) source.state.compile_flag = 0;
  CompileScenario(source.input, source.state, out.c, &sink);
  out.state = source.state;
}

TEST(SilentPathsTest, EveryEntryHasOneRowAndEveryRowOneEntry) {
  std::set<std::string> rows;
  for (const Row& row : kRows) EXPECT_TRUE(rows.insert(row.id).second) << row.id;
  std::set<std::string> entries;
  for (const SilentPath& p : SilentPaths()) {
    EXPECT_TRUE(entries.insert(p.id).second) << p.id;
    // The comparison's paths have their rows beside it.
    if (p.by_comparison) continue;
    EXPECT_TRUE(rows.count(p.id)) << "no test row for " << p.id;
    EXPECT_EQ(p.told.has_value(), *p.rule == '\0') << p.id;
  }
  for (const Row& row : kRows) {
    EXPECT_TRUE(entries.count(row.id)) << "no entry for the row " << row.id;
  }
}

TEST(SilentPathsTest, EachPathIsToldAtItsRecordOrIsARule) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.id);
    std::optional<WarningClass> expected;
    for (const SilentPath& p : SilentPaths()) {
      if (row.id == std::string(p.id)) expected = p.told;
    }
    EXPECT_EQ(row.told, expected);
    DiagnosticSink on;
    DiagnosticSink off = DiagnosticSink::Off();
    Compiled told, silent;
    CompileRow(row, on, told);
    CompileRow(row, off, silent);

    if (!row.told) {
      EXPECT_EQ(on.warning_count(), 0) << on.diagnostics().front().message;
    } else {
      bool found = false;
      for (const Diagnostic& d : on.diagnostics()) {
        found = found || (d.severity == Severity::kWarning && d.warning_class == *row.told &&
                          d.place.line == row.line && d.place.column == row.column);
      }
      std::string all;
      for (const Diagnostic& d : on.diagnostics()) {
        all += std::to_string(d.place.line) + ":" + std::to_string(d.place.column) + " [" +
               WarningClassName(d.warning_class) + "] " + d.message + "\n";
      }
      EXPECT_TRUE(found) << all;
    }
    // Warnings never change what is compiled.
    EXPECT_EQ(told.state.error_code, silent.state.error_code);
    ASSERT_EQ(told.c.grid.has_value(), silent.c.grid.has_value());
    if (told.c.grid) {
      EXPECT_TRUE(told.c.grid->cells() == silent.c.grid->cells());
    }
    EXPECT_TRUE(told.c.stations.slots == silent.c.stations.slots);
    ASSERT_EQ(told.c.plan.has_value(), silent.c.plan.has_value());
    if (told.c.plan) {
      const testing::PlanColumns a = testing::PointsOf(*told.c.plan);
      const testing::PlanColumns b = testing::PointsOf(*silent.c.plan);
      EXPECT_TRUE(a.x == b.x && a.y == b.y);
    }
  }
}

}  // namespace
}  // namespace sc
