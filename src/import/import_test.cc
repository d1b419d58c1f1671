// The import from a track to the two texts: the exact inverse (a compiled
// plan, put on the map and imported again, gives its curves back), and the
// texts compiling clean.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "compiler/compile.h"
#include "import/curve_fit.h"
#include "import/geodesy.h"
#include "import/geojson_source.h"
#include "import/local_projection.h"
#include "import/scenario_texts.h"
#include "import/source_kind.h"
#include "import/track_between.h"
#include "map_export.h"
#include "test_support.h"

namespace sc {
namespace {

// The two texts compiled in memory: the error code and the warnings.
struct Compiled {
  ErrorCode code = kErrNone;
  int warnings = 0;
  std::string first;
};
Compiled CompileTexts(const ScenarioDraft& draft) {
  RunState state;
  state.line_name = "L";
  state.train_number = "1";
  CompileInput input{"L_linea.txt", draft.line_text, "L_1-.txt", draft.train_text};
  Compilation compilation;
  DiagnosticSink sink;
  CompileScenario(input, state, compilation, &sink);
  Compiled c{state.error_code, sink.warning_count(), ""};
  if (!sink.diagnostics().empty()) c.first = DiagnosticMessage(sink.diagnostics().front());
  return c;
}

TEST(ImportInverse, ACompiledPlanPutOnTheMapGivesItsCurvesBack) {
  const Compilation built_in = testing::CompileBuiltInScenario();
  const testing::PlanColumns plan = testing::PointsOf(*built_in.plan);
  const std::string geojson =
      testing::PlanAsGeoJson(plan, 40000, testing::AlpineTransform(),
                             {{0, "Vastro"}, {9850, "Castelletto"}, {40000, "Dreo"}});

  std::istringstream in(geojson);
  MapLine line;
  ASSERT_TRUE(ReadGeoJson(in, &line).ok());
  SourceTrack track;
  const Status between = TrackBetween(line, "vastro", "DREO", &track);
  ASSERT_TRUE(between.ok()) << between.message();
  const LocalProjection projection = LocalProjection::ForTrack(track.points, track.along);
  std::vector<PlanXY> flat;
  for (const GeoPoint& p : track.points) flat.push_back(projection.Forward(p.lat, p.lon));
  const CurveFit fit = FitCurves(flat, 1000000);

  // The map frames of the export and the import differ (centres kilometres
  // apart): a few centimetres.
  EXPECT_LT(fit.max_distance, 0.1) << fit.max_distance_metre << " rms " << fit.rms_distance;
  EXPECT_EQ(fit.plan_metres, 40000);
  EXPECT_TRUE(fit.tight.empty());
  std::string records;
  for (const CurveRecord& r : fit.records) {
    records += "curva" + std::string(r.left ? "s" : "d") + std::to_string(r.curve_class) + "," +
               std::to_string(r.start) + "," + std::to_string(r.length) + " ";
  }
  EXPECT_EQ(records,
            "curvas3,800,700 curvas4,1500,900 curvad2,2400,800 curvad1,3250,1500 "
            "curvad3,8050,2000 curvas3,10700,1700 curvad2,15000,3000 curvad5,20400,450 "
            "curvas3,23650,950 curvas2,26100,2750 curvad4,31000,300 curvad6,31550,300 "
            "curvas6,32350,300 curvas6,33450,500 curvad5,34650,650 curvad6,36000,200 "
            "curvas5,36450,300 curvas5,38450,600 ");

  DraftOptions options;
  options.program = "scenario-compiler test";
  options.source_name = "plan.geojson";
  const ScenarioDraft draft = WriteScenarioTexts(track, fit, projection, options);
  const Compiled compiled = CompileTexts(draft);
  EXPECT_EQ(compiled.code, kErrNone);
  EXPECT_EQ(compiled.warnings, 0) << compiled.first;
  ASSERT_EQ(draft.facts.stations.size(), 3u);
  EXPECT_EQ(draft.facts.stations[1].written, 9850);
  EXPECT_EQ(draft.facts.route_length, 40100);  // the plan's steps are a little over 1 m
}

TEST(ImportSources, AreToldApartByTheirContent) {
  const std::pair<std::string, SourceKind> cases[] = {
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- x -->\n<gpx version=\"1.1\">", SourceKind::kGpx},
      {"<?xml version='1.0'?><osm version=\"0.6\">", SourceKind::kOsm},
      {" {\n \"type\": \"FeatureCollection\"", SourceKind::kGeoJson},
      {"\x1F\x8B\x08", SourceKind::kOsm},
      {"BZh91AY", SourceKind::kOsm},
      {"{\"name\": 1}", SourceKind::kUnknown},
      {"<kml>", SourceKind::kUnknown},
      {"", SourceKind::kUnknown},
  };
  for (const auto& [head, kind] : cases) EXPECT_EQ(SniffSource(head), kind) << head;
}

TEST(ImportNames, WindowsCodePageLettersStayAndOthersBecomeTheirPlainLetters) {
  std::vector<std::string> changes;
  // "Zurich" with u-umlaut keeps its byte, and so do s-caron and S-caron
  // (the code page has them); c-caron becomes "c"; a Greek letter has no
  // plain form and is left out. Each change is reported.
  EXPECT_EQ(Cp1252Transliterated("Z\xC3\xBCrich", &changes), "Z\xFCrich");
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(Cp1252Transliterated("\xC4\x8C"
                                 "e\xC5\xA1ka Lipa",
                                 &changes),
            "Ce\x9Aka Lipa");
  EXPECT_EQ(Cp1252Transliterated("\xC5\xA0id", &changes), "\x8Aid");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], "\xC4\x8C -> C");
  // A comma would end the field, a quote open one.
  EXPECT_EQ(Cp1252Transliterated("A, \"B\"", nullptr), "A   B");
  changes.clear();
  EXPECT_EQ(Cp1252Transliterated("\xCE\xB1x", &changes), "x");
  EXPECT_EQ(changes, std::vector<std::string>{"\xCE\xB1 -> (left out)"});
}

}  // namespace
}  // namespace sc
