// The import command on files: a GeoJSON and a GPX line made from the
// built-in plan, and bad inputs refused with nothing written.
#include "commands/import_command.h"

#include "commands/preview_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "decompiler/round_trip.h"
#include "import/gpx_source.h"
#include "map_export.h"
#include "test_support.h"

namespace sc {
namespace {

using testing::TempFolder;

struct ImportRun {
  int status = -1;
  std::string out, err;
};

ImportRun Import(const TempFolder& folder, const std::string& source, const std::string& from,
                 const std::string& to, bool force = false) {
  ImportRequest request;
  request.source = folder.File(source);
  request.from = from;
  request.to = to;
  request.out_dir = folder.path();
  request.force = force;
  request.report_path = folder.File("report.json");
  std::ostringstream out, err;
  ImportRun r;
  r.status = RunImportCommand(*Env::Default(), request, "scenario-compiler test", out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

size_t FileCount(const TempFolder& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path())) ++n;
  return n;
}

const testing::PlanColumns& BuiltInPlan() {
  static const testing::PlanColumns plan =
      testing::PointsOf(*testing::CompileBuiltInScenario().plan);
  return plan;
}

const std::vector<testing::PlanStation> kStations = {
    {0, "Vastro"}, {9850, "Castelletto"}, {22200, "Bussoleno"}, {40000, "Dreo"}};

// Compiles the pair as written and checks that decompiling gives every byte
// back.
void ExpectCompilesAndRoundTrips(const TempFolder& folder, const std::string& line,
                                 const std::string& train) {
  RunState state;
  state.line_name = line;
  state.train_number = train;
  ErrorCode error = kErrNone;
  const auto bytes = CompileToBytes(
      testing::ReadFileOrDie(folder.File(line + "_linea.txt")),
      testing::ReadFileOrDie(folder.File(line + "_" + train + "-.txt")), state, &error);
  ASSERT_TRUE(bytes.has_value()) << "error " << error;
  EXPECT_EQ(CheckRoundTrip(*bytes), "");
}

TEST(ImportCommand, AGeoJsonLineBecomesAPairThatCompilesAndRoundTrips) {
  TempFolder folder;
  testing::WriteFileOrDie(
      folder.File("line.json"),
      testing::PlanAsGeoJson(BuiltInPlan(), 40000, testing::AlpineTransform(), kStations));
  const ImportRun r = Import(folder, "line.json", "Vastro", "Dreo");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("station: Bussoleno"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("defaulted: "), std::string::npos);
  const std::string line_text = testing::ReadFileOrDie(folder.File("Vastro - Dreo_linea.txt"));
  EXPECT_NE(line_text.find("from line.json (GeoJSON"), std::string::npos);
  EXPECT_NE(line_text.find("projection: transverse Mercator"), std::string::npos);
  EXPECT_NE(line_text.find("curvad5,  20400,  450\r\n"), std::string::npos);
  ExpectCompilesAndRoundTrips(folder, "Vastro - Dreo", kDefaultImportTrain);
  EXPECT_NE(testing::ReadFileOrDie(folder.File("report.json")).find("\"rms_distance\""),
            std::string::npos);

  // The map's track drawn under the compiled plan, placed by the transform
  // the line description records.
  PreviewOptions preview;
  preview.line_file = folder.File("Vastro - Dreo_linea.txt");
  preview.train_file = folder.File("Vastro - Dreo_1-.txt");
  preview.source = folder.File("line.json");
  preview.output = folder.File("p.svg");
  std::ostringstream preview_out, preview_err;
  ASSERT_EQ(RunPreviewCommand(*Env::Default(), preview, preview_out, preview_err), 0)
      << preview_err.str();
  EXPECT_NE(testing::ReadFileOrDie(folder.File("p.svg")).find("class=\"source-track\""),
            std::string::npos);
  std::remove(folder.File("p.svg").c_str());

  // Again: the files are there, and only --force replaces them.
  const ImportRun again = Import(folder, "line.json", "Vastro", "Dreo");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("already exists"), std::string::npos);
  EXPECT_EQ(Import(folder, "line.json", "Vastro", "Dreo", true).status, 0);
}

TEST(ImportCommand, AGpxRecordingOfThePlanFollowsItWithinAMetre) {
  for (const bool waypoints : {true, false}) {
    SCOPED_TRACE(waypoints ? "named waypoints" : "stops from the recording");
    TempFolder folder;
    testing::WriteFileOrDie(folder.File("ride.gpx"),
                            testing::PlanAsGpx(BuiltInPlan(), 40000, testing::AlpineTransform(),
                                               kStations, 10, 25, waypoints));
    const ImportRun r = waypoints ? Import(folder, "ride.gpx", "vastro", "DREO")
                                  : Import(folder, "ride.gpx", "Stop 1", "Stop 4");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string json = testing::ReadFileOrDie(folder.File("report.json"));
    const auto report = nlohmann::json::parse(json);
    EXPECT_LT(report["max_distance"].get<double>(), 1.0);
    ASSERT_EQ(report["stations"].size(), 4u);
    for (const auto& station : report["stations"]) {
      EXPECT_LE(std::abs(station["written"].get<double>() - station["along"].get<double>()), 25);
    }
    EXPECT_EQ(report["stations"][2]["name"], waypoints ? "Bussoleno" : "Stop 3");
    EXPECT_GT(report["gradient_records"].get<int>(), 0);
  }
}

TEST(ImportCommand, BadInputsAreRefusedAndNothingIsWritten) {
  const std::string geojson = testing::PlanAsGeoJson(
      BuiltInPlan(), 5000, testing::AlpineTransform(), {{0, "Vastro"}, {4000, "Montanaro"}});
  const std::string far_point =
      R"({"type":"Feature","properties":{"name":"Lontano"},"geometry":{"type":"Point","coordinates":[9.0,46.0]}})";
  struct Case {
    const char* what;
    std::string bytes;
    const char* from;
    const char* to;
    const char* message;
  };
  const Case cases[] = {
      {"not a map file", "hello, world\n", "A", "B", "not a map file"},
      {"truncated GeoJSON", geojson.substr(0, geojson.size() / 2), "Vastro", "Montanaro",
       "not valid JSON"},
      {"truncated GPX", "<gpx version=\"1.1\"><trk><trkseg><trkpt lat=\"1\" lon=\"2\">", "A", "B",
       "not valid XML"},
      {"no track", R"({"type":"FeatureCollection","features":[]})", "A", "B", "no track"},
      {"unknown station", geojson, "Vastro", "Montanaro Alta", "nearest"},
      {"station off the track", geojson.substr(0, geojson.size() - 2) + "," + far_point + "]}",
       "Vastro", "Lontano", "not on the track"},
      {"bad position", R"({"type":"LineString","coordinates":[[1,2],[300,2]]})", "A", "B",
       "outside the earth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    testing::WriteFileOrDie(folder.File("map"), c.bytes);
    const ImportRun r = Import(folder, "map", c.from, c.to);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(folder.File("map")), std::string::npos) << r.err;
    EXPECT_EQ(FileCount(folder), 1u);
  }
}

// A real line: Schaan-Vaduz to Tisis in an OpenStreetMap extract of
// Liechtenstein (no route relation), with Forst Hilti and Nendeln between.
TEST(ImportCommand, TheLiechtensteinLine) {
  const std::string map =
      std::string(SC_SOURCE_DIR) + "/tests/data/osm/liechtenstein-2013-08-03.osm.pbf";
  TempFolder folder;
  ImportRequest request;
  request.source = map;
  request.from = "Schaan-Vaduz";
  request.to = "Tisis";
  request.out_dir = folder.path();
  request.report_path = folder.File("report.json");
  std::ostringstream out, err;
  ASSERT_EQ(RunImportCommand(*Env::Default(), request, "scenario-compiler test", out, err), 0)
      << err.str();
  const auto report = nlohmann::json::parse(testing::ReadFileOrDie(folder.File("report.json")));
  EXPECT_NEAR(report["track_length"].get<double>(), 8544, 50);
  EXPECT_LE(report["rms_distance"].get<double>(), 1.0);
  EXPECT_LE(report["max_distance"].get<double>(), 2.0);
  std::vector<std::string> names;
  for (const auto& station : report["stations"]) {
    names.push_back(station["name"]);
    EXPECT_LE(std::abs(station["written"].get<double>() - station["along"].get<double>()), 25);
  }
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], "Schaan-Vaduz");
  EXPECT_NE(names[1].find("Forst Hilti"), std::string::npos);
  EXPECT_EQ(names[2], "Nendeln");
  EXPECT_EQ(names[3], "Tisis");
  EXPECT_FALSE(report["defaulted"].empty());
  const std::string line_text =
      testing::ReadFileOrDie(folder.File("Schaan-Vaduz - Tisis_linea.txt"));
  EXPECT_NE(line_text.find("\xA9 OpenStreetMap contributors, ODbL\r\n"), std::string::npos);
  ExpectCompilesAndRoundTrips(folder, "Schaan-Vaduz - Tisis", kDefaultImportTrain);

  // The map's track drawn under the plan carries the map's credit with it.
  PreviewOptions preview;
  preview.line_file = folder.File("Schaan-Vaduz - Tisis_linea.txt");
  preview.train_file = folder.File("Schaan-Vaduz - Tisis_1-.txt");
  preview.source = map;
  preview.output = folder.File("p.svg");
  std::ostringstream preview_out, preview_err;
  ASSERT_EQ(RunPreviewCommand(*Env::Default(), preview, preview_out, preview_err), 0)
      << preview_err.str();
  EXPECT_NE(testing::ReadFileOrDie(folder.File("p.svg"))
                .find("Map track: \xC2\xA9 OpenStreetMap contributors, ODbL"),
            std::string::npos);
}

TEST(ImportCommand, IsoTimes) {
  EXPECT_EQ(IsoSeconds("1970-01-02T00:00:01Z"), 86401.0);
  EXPECT_EQ(IsoSeconds("2000-03-01T01:00:00+01:00"), 951868800.0);
  EXPECT_EQ(IsoSeconds("yesterday"), std::nullopt);
}

}  // namespace
}  // namespace sc
