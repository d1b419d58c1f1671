#include "present/view_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "compiler/compile.h"
#include "model/encoders.h"
#include "test_support.h"

namespace sc {
namespace {

// Compiles the built-in scenario's `source` into `c` and the drawable `data`;
// false when the compile failed.
bool CompileInto(testing::BuiltInSource& source, Compilation& c, PreviewData* data) {
  CompileScenario(source.input, source.state, c);
  if (source.state.error_code != 0 || !c.grid) return false;
  data->route_length = 40000;
  data->cells = c.grid->cells();
  data->stations = c.stations;
  return true;
}

// The record panel's fields are the ones the compiler reads: a quoted sign
// text keeps its comma, and a record short of fields on its line shows the
// fields it took from the next line, with their places.
TEST(ViewDataJsonTest, RecordFieldsAreTheOnesTheCompilerReads) {
  testing::BuiltInSource source = testing::BuiltInScenarioSource();
  std::string& line = *source.input.line_text;
  const std::string sign = "cartello_indicatore,  1100,   (GALLERIA   )(DELL'ANGELO)";
  ASSERT_NE(line.find(sign), std::string::npos);
  line.replace(line.find(sign), sign.size(),
               "cartello_indicatore,  1100,   \"(GALLERIA, )(DELL'ANGELO)\"");
  std::string& train = *source.input.train_text;
  const std::string speed = "velocita,     900,   130";
  ASSERT_NE(train.find(speed), std::string::npos);
  train.replace(train.find(speed), speed.size(), "velocita,     900\r\n   130");

  Provenance p;
  Compilation c;
  c.provenance = &p;
  PreviewData data;
  ASSERT_TRUE(CompileInto(source, c, &data));
  ViewInput input;
  input.data = &data;
  input.provenance = &p;
  input.sources = {{source.input.line_file_name, line, ScenarioFile::kLine},
                   {source.input.train_file_name, train, ScenarioFile::kTrain}};
  const nlohmann::json j = nlohmann::json::parse(ViewDataJson(input));
  auto record = [&](const std::string& keyword, int line_number) {
    for (const auto& r : j["records"]) {
      if (r["line"] == line_number && r["keyword"].get<std::string>() == keyword) return r;
    }
    ADD_FAILURE() << keyword << " on line " << line_number;
    return nlohmann::json();
  };
  const nlohmann::json s = record("cartello_indicatore", 77);
  ASSERT_EQ(s["fields"].size(), 2u);
  EXPECT_EQ(s["fields"][0]["name"], "position (m)");
  EXPECT_EQ(s["fields"][0]["value"], "1100");
  EXPECT_EQ(s["fields"][1]["name"], "text");
  EXPECT_EQ(s["fields"][1]["value"], "(GALLERIA, )(DELL'ANGELO)");
  EXPECT_EQ(s["fields"][1]["begin"], 31);
  // The sign's text is the compiled one.
  EXPECT_EQ(c.stations.slots[79].name, "(GALLERIA, )(DELL'ANGELO)");

  const nlohmann::json v = record("velocita", 11);
  ASSERT_EQ(v["fields"].size(), 2u);
  EXPECT_EQ(v["fields"][1]["name"], "speed (km/h)");
  EXPECT_EQ(v["fields"][1]["value"], "130");
  EXPECT_EQ(v["fields"][1]["line"], 12);
  EXPECT_EQ(v["fields"][1]["begin"], 4);
  EXPECT_EQ(c.grid->at(60 - 1).speed_code, 130 / 5);  // 900 m to 3000 m
}

// The page takes every cell from its data: each station's cell is the one its
// end marker took in the compiled grid (an unmarked station's, its
// position's object cell), each slowdown's holds its start board, the
// profiles come in the author's units, and the grid's metres cover one cell
// past the last.
TEST(ViewDataJsonTest, CarriesTheCellsThePageShows) {
  testing::BuiltInSource source = testing::BuiltInScenarioSource();
  Compilation c;
  PreviewData data;
  ASSERT_TRUE(CompileInto(source, c, &data));
  ViewInput input;
  input.data = &data;
  const nlohmann::json j = nlohmann::json::parse(ViewDataJson(input));

  int unmarked = 0;
  for (const auto& s : j["objects"]["stations"]) {
    const TrackCell& cell = c.grid->at(s["cell"].get<int64_t>());
    if (s["kind"].get<int>() >= kFirstUnmarkedStationKind) {
      EXPECT_EQ(s["cell"], CellOf(s["position"].get<int64_t>())) << s["name"];
      ++unmarked;
    } else {
      EXPECT_EQ(cell.kind, kKindStationEnd) << s["name"];
      EXPECT_EQ(cell.value_a, s["slot"].get<int>()) << s["name"];
    }
  }
  EXPECT_GT(unmarked, 0);
  ASSERT_FALSE(j["objects"]["slowdowns"].empty());
  for (const auto& s : j["objects"]["slowdowns"])
    EXPECT_EQ(c.grid->at(s["cell"].get<int64_t>()).kind, kKindSlowdownStart) << s["start"];
  EXPECT_EQ(j["values"]["speed"][59], 130);  // "velocita, 900, 130"
  EXPECT_EQ(j["values"]["gradient"][59], 0);
  EXPECT_EQ(j["grid"]["metre"].size(), data.cells.size() + 1);
  EXPECT_EQ(j["grid"]["start"].size(), data.cells.size() + 1);
  // Every maximum-speed board's pairs, read back, pack to what its cell holds.
  int boards = 0;
  for (size_t i = 0; i < data.cells.size(); ++i) {
    const TrackCell& cell = data.cells[i];
    if (cell.kind != kKindMaxSpeedBoard) continue;
    ++boards;
    const auto& pairs = j["values"]["boardSpeeds"][std::to_string(i)];
    const int16_t values[] = {cell.value_a, cell.value_b, cell.value_c};
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(PackBoardSpeeds(pairs[k][0], pairs[k][1]), values[k]) << "cell " << i;
  }
  EXPECT_GT(boards, 0);
}

TEST(SimplifyPlanTest, KeepsOnlyWhatTheToleranceNeeds) {
  std::vector<PlanPoint> straight;
  for (int m = 0; m <= 1000; ++m) straight.push_back({0, static_cast<double>(m)});
  EXPECT_EQ(SimplifyPlan(straight, 0.1), (std::vector<size_t>{0, 1000}));

  // A quarter circle of radius 500 m: few points, each metre within tolerance
  // of the chord between the kept points around it.
  std::vector<PlanPoint> arc;
  for (int m = 0; m <= 785; ++m) {
    double a = m / 500.0;
    arc.push_back({500 - 500 * std::cos(a), 500 * std::sin(a)});
  }
  std::vector<size_t> kept = SimplifyPlan(arc, 0.1);
  EXPECT_EQ(kept.front(), 0u);
  EXPECT_EQ(kept.back(), 785u);
  EXPECT_LT(kept.size(), 100u);  // of 786
  for (size_t k = 0; k + 1 < kept.size(); ++k) {
    const PlanPoint& a = arc[kept[k]];
    const PlanPoint& b = arc[kept[k + 1]];
    for (size_t i = kept[k]; i < kept[k + 1]; ++i) {
      double cross = (arc[i].x - a.x) * (b.y - a.y) - (arc[i].y - a.y) * (b.x - a.x);
      EXPECT_LE(std::abs(cross) / std::hypot(b.x - a.x, b.y - a.y), 0.1 + 1e-9);
    }
  }
  EXPECT_TRUE(SimplifyPlan({}, 0.1).empty());
}

TEST(ViewDataJsonTest, EmbedsSafelyAndConvertsTexts) {
  PreviewData data;
  data.route_length = 100;
  data.cells.resize(145);
  data.cells[3].kind = kKindSign;
  data.cells[3].value_a = 80;
  data.stations.slots[80].name = "</script> caf\xe9";
  ViewInput input;
  input.title = "Linea \xe0";
  input.data = &data;
  input.sources = {{"line.txt", "uno\r\ndue\rtre\nquattro"}};
  Diagnostic error;
  error.place = {"line.txt", 2, 5, 0};
  error.severity = Severity::kError;
  error.code = static_cast<ErrorCode>(16);
  error.message = "taken";
  error.position = 2800;
  error.notes.push_back({{"line.txt", 1, 3, 0}, "taken here"});
  input.diagnostics = {error};

  std::string text = ViewDataJson(input);
  EXPECT_EQ(text.find("</"), std::string::npos);
  nlohmann::json j = nlohmann::json::parse(text);
  EXPECT_EQ(j["title"], "Linea \xc3\xa0");
  EXPECT_EQ(j["objects"]["signs"][0]["text"], "</script> caf\xc3\xa9");
  EXPECT_EQ(j["sources"][0]["lines"], (nlohmann::json{"uno", "due", "tre", "quattro"}));
  EXPECT_EQ(j["diagnostics"][0]["source"], 0);
  EXPECT_EQ(j["diagnostics"][0]["metre"], 2800);
  // The page shows the error as the terminal does: its column, its code and
  // its notes, the message without the position (shown apart).
  EXPECT_EQ(j["diagnostics"][0]["column"], 5);
  EXPECT_EQ(j["diagnostics"][0]["class"], "error 16");
  EXPECT_EQ(j["diagnostics"][0]["message"], "taken");
  EXPECT_EQ(j["diagnostics"][0]["notes"],
            nlohmann::json::parse(R"([{"source":0,"file":"line.txt","line":1,"column":3,)"
                                  R"("end_column":0,)"
                                  R"("message":"taken here"}])"));
  EXPECT_EQ(j["cells"]["kind"].size(), 145u);
  EXPECT_TRUE(j["plan"].is_null());
  EXPECT_TRUE(j["records"].is_null());  // no provenance recorded
}

}  // namespace
}  // namespace sc
