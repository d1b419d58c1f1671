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

}  // namespace
}  // namespace sc
