#include "commands/explain_command.h"

#include <sstream>

#include <gtest/gtest.h>

#include "compiler/compile.h"
#include "compiler/format/grid_file.h"
#include "compiler/format/station_file.h"
#include "documents/documents.h"
#include "platform/mem_env.h"
#include "present/station_cell.h"

namespace sc {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Every record line of the built-in files is followed by its record and
// each of its fields, named as in the table.
TEST(Explain, BuiltInScenarioEveryRecordAnnotated) {
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  for (auto [file, bytes] : {std::pair{ScenarioFile::kLine, docs[0].bytes},
                             std::pair{ScenarioFile::kTrain, docs[1].bytes}}) {
    const std::vector<std::string> out = Lines(ExplainText(file, ScenarioText{"", bytes}, {}));
    int records = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      if (out[i].rfind("    record '", 0) != 0) continue;
      ++records;
      const std::string name = out[i].substr(12, out[i].find('\'', 12) - 12);
      const RecordFormat* format = nullptr;
      for (const RecordFormat& r : RecordFormats()) {
        if (r.file == file && r.name == name) format = &r;
      }
      ASSERT_NE(format, nullptr) << out[i];
      for (size_t k = 0; k < format->fields.size(); ++k) {
        ASSERT_LT(i + 1 + k, out.size());
        EXPECT_EQ(out[i + 1 + k].rfind(std::string("      ") + format->fields[k].name + " = ", 0),
                  0u)
            << out[i + 1 + k];
      }
    }
    EXPECT_GT(records, 30);
  }
  const std::string train = ExplainText(ScenarioFile::kTrain, ScenarioText{"", docs[1].bytes}, {});
  EXPECT_NE(train.find("      speed = 130 km/h\n"), std::string::npos);
  EXPECT_NE(train.find("      name = \"Posto di comunicazione Barberina\"\n"), std::string::npos);
  EXPECT_NE(train.find("    not processed (the file's last field): [fine]\n"), std::string::npos);
  EXPECT_NE(train.find("1: TRENO RANGO B\n    ignored (before [generale])\n"), std::string::npos);
}

TEST(Explain, DiagnosticsInPlace) {
  MemEnv env;
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  env.files["s/Vastro - Dreo_linea.txt"] = docs[0].bytes;
  std::string train = docs[1].bytes;
  train.replace(train.find("velocita,     900,   130"), 24, "velocita,     900,   132");
  train.replace(train.find("segnale,    2800"), 16, "segnal,    2800");
  env.files["s/Vastro - Dreo_2001-.txt"] = train;
  std::ostringstream out, err;
  ASSERT_EQ(RunExplainCommand(env, "s/Vastro - Dreo_2001-.txt", out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("      speed = 132 km/h -> stored as 130 km/h (code 26)\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(": segnal,    2800,"), std::string::npos);
  // Each diagnostic names the field it is about, by its text and column.
  EXPECT_NE(text.find("    warning [unknown-keyword] at \"segnal\" (column 1): 'segnal' is not a "
                      "record keyword; it is skipped; did you mean 'segnale'?\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    warning [stored-value] at \"132\" (column 22): the speed 132 km/h"),
            std::string::npos)
      << text;
  std::ostringstream none;
  EXPECT_EQ(RunExplainCommand(env, "s/missing.txt", none, err), 1);
}

// The built-in scenario compiled the ordinary way and read back from its
// compiled files.
struct BuiltInCompiled {
  StationTable stations;
  std::vector<TrackCell> cells;
};
BuiltInCompiled CompileBuiltIn(const std::vector<Document>& docs) {
  RunState state;
  Compilation c;
  CompileScenario({"l", docs[0].bytes, "t", docs[1].bytes}, state, c);
  BuiltInCompiled out;
  EXPECT_TRUE(DecodeStationFile(EncodeStationFile(c.stations), &out.stations).ok());
  EXPECT_TRUE(DecodeGridFile(EncodeGridFile(*c.grid), &out.cells).ok());
  return out;
}

// Where a rule of the format stores another value than the one written (the
// first station's byte_4 and byte_5), explain shows the value of the
// compiled station file, without a warning; every station's position names
// the cell of its end marker in the compiled grid.
TEST(Explain, ShowsWhatTheCompiledFilesHold) {
  MemEnv env;
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  env.files["s/Vastro - Dreo_linea.txt"] = docs[0].bytes;
  env.files["s/Vastro - Dreo_2001-.txt"] = docs[1].bytes;
  std::ostringstream out, err;
  ASSERT_EQ(RunExplainCommand(env, "s/Vastro - Dreo_2001-.txt", out, err), 0) << err.str();
  const std::string text = out.str();
  const BuiltInCompiled compiled = CompileBuiltIn(docs);

  // The first station writes byte_4 1; the station file holds 0.
  const StationRecord& first = compiled.stations.slots[1];
  const size_t first_line = text.find(": stazione,       0,");
  ASSERT_NE(first_line, std::string::npos) << text;
  EXPECT_NE(text.find("      byte_4 = 1 -> stored as " + std::to_string(first.byte_4) +
                          " (slot 1: a rule of the format)\n",
                      first_line),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("warning ["), std::string::npos) << text;

  int marked = 0, unmarked = 0;
  // The stations fill the slots from 1 on; the signs' texts count down from 80.
  for (int slot = 1; !compiled.stations.slots[static_cast<size_t>(slot)].name.empty(); ++slot) {
    const StationRecord& s = compiled.stations.slots[static_cast<size_t>(slot)];
    std::optional<int64_t> cell = StationMarkerCell(compiled.cells, slot);
    const std::string expected =
        "      position = " + std::to_string(s.position) + " m" +
        (cell ? ", grid cell " + std::to_string(*cell) + " (its end marker)"
              : std::string(", no grid cell (a station of this kind is not marked)"));
    EXPECT_NE(text.find(expected + "\n"), std::string::npos) << expected;
    ++(cell ? marked : unmarked);
  }
  EXPECT_GT(marked, 5);
  EXPECT_GT(unmarked, 0);  // the built-in train file has kinds 25 and 28
}

// A field a grid cell holds is shown as the compiled grid holds it where
// that differs from the value read: the signal at 32250 m gives a time with
// sx 1 (no time stored), and a mountain range's type is stored without its
// tunnel flag, or as 3 when the range joins the one before it.
TEST(Explain, ShowsWhatTheCompiledGridHolds) {
  MemEnv env;
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  env.files["s/Vastro - Dreo_linea.txt"] = docs[0].bytes;
  env.files["s/Vastro - Dreo_2001-.txt"] = docs[1].bytes;
  const BuiltInCompiled compiled = CompileBuiltIn(docs);
  auto cell_at = [&](int64_t metre, int64_t (*rule)(int64_t)) {
    const int64_t n = rule(metre);
    return std::make_pair(n, compiled.cells[static_cast<size_t>(n)]);
  };

  std::ostringstream train, line, err;
  ASSERT_EQ(RunExplainCommand(env, "s/Vastro - Dreo_2001-.txt", train, err), 0) << err.str();
  const auto [signal, signal_cell] = cell_at(32250, CellOf);
  EXPECT_NE(
      train.str().find("      tempo = 228 -> stored as " + std::to_string(signal_cell.timing) +
                       " (cell " + std::to_string(signal) + ")\n"),
      std::string::npos)
      << train.str();

  ASSERT_EQ(RunExplainCommand(env, "s/Vastro - Dreo_linea.txt", line, err), 0) << err.str();
  // "montagna, 1550, 1700, 12" starts 100 m after the range before it ends.
  const auto [joined, joined_cell] = cell_at(1550, ProfileCellOf);
  EXPECT_NE(line.str().find("      type = 12 -> stored as " + std::to_string(joined_cell.mountain) +
                            " (cell " + std::to_string(joined) + ")\n"),
            std::string::npos)
      << line.str();
  EXPECT_EQ(joined_cell.mountain, 3);
  EXPECT_EQ(train.str().find("warning ["), std::string::npos) << train.str();
  EXPECT_EQ(line.str().find("warning ["), std::string::npos) << line.str();
}

}  // namespace
}  // namespace sc
