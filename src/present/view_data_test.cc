#include "present/view_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

namespace sc {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

TEST(NameRecordFieldsTest, NamesFieldsByRecordKind) {
  struct Case {
    const char* keyword;
    const char* line;
    Fields expected;
  } cases[] = {
      {"segnale",
       "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
       {{"position (m)", "1450"},
        {"sx", "2"},
        {"s1", "4"},
        {"s2", "0"},
        {"s3", "0"},
        {"rapp", "0"},
        {"dx", "1"},
        {"d1", "3"},
        {"d2", "0"},
        {"d3", "0"},
        {"tempo", "0"}}},
      // Numbers separated by blanks alone.
      {"orologio",
       "orologio,    8               0             0 ",
       {{"hours (h)", "8"}, {"minutes (min)", "0"}, {"seconds (s)", "0"}}},
      // A text field keeps its blanks.
      {"indicatore cartello",
       "indicatore cartello,  5200,  Galleria San Rocco",
       {{"position (m)", "5200"}, {"text", "Galleria San Rocco"}}},
      // Case does not matter; fields beyond the table are numbered.
      {"VELOCITA",
       "VELOCITA, 900, 130, 7",
       {{"position (m)", "900"}, {"speed (km/h)", "130"}, {"field 3", "7"}}},
      {"ignota", "ignota, a b, c", {{"field 1", "a b"}, {"field 2", "c"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(NameRecordFields(c.keyword, c.line), c.expected) << c.line;

  Fields station = NameRecordFields("stazione",
                                    "stazione,   24350, 25,  500,  0, 0, 0,  0,0,0,  0,0,0,    0,  "
                                    " 0, 0, 0, Posto di comunicazione Barberina");
  ASSERT_EQ(station.size(), 17u);
  EXPECT_EQ(station[0], (std::pair<std::string, std::string>{"position (m)", "24350"}));
  EXPECT_EQ(station[2], (std::pair<std::string, std::string>{"length (m)", "500"}));
  EXPECT_EQ(station[16],
            (std::pair<std::string, std::string>{"name", "Posto di comunicazione Barberina"}));
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
  input.diagnostics = {{"line.txt", 2, 0, "error", "error 16", "taken", 2800}};

  std::string text = ViewDataJson(input);
  EXPECT_EQ(text.find("</"), std::string::npos);
  nlohmann::json j = nlohmann::json::parse(text);
  EXPECT_EQ(j["title"], "Linea \xc3\xa0");
  EXPECT_EQ(j["objects"]["signs"][0]["text"], "</script> caf\xc3\xa9");
  EXPECT_EQ(j["sources"][0]["lines"], (nlohmann::json{"uno", "due", "tre", "quattro"}));
  EXPECT_EQ(j["diagnostics"][0]["source"], 0);
  EXPECT_EQ(j["diagnostics"][0]["metre"], 2800);
  EXPECT_EQ(j["cells"]["kind"].size(), 145u);
  EXPECT_TRUE(j["plan"].is_null());
  EXPECT_TRUE(j["records"].is_null());  // no provenance recorded
}

}  // namespace
}  // namespace sc
