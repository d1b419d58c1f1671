// Fuzzes the GeoJSON and GPX readers and what follows them: any bytes, read
// as each kind, then cut between two stations ("A" and "B") and, when that
// succeeds, fitted and written as the two texts.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "import/curve_fit.h"
#include "import/geojson_source.h"
#include "import/gpx_source.h"
#include "import/local_projection.h"
#include "import/scenario_texts.h"
#include "import/track_between.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool gpx : {false, true}) {
    std::istringstream in(bytes);
    sc::MapLine line;
    const sc::Status read = gpx ? sc::ReadGpx(in, &line) : sc::ReadGeoJson(in, &line);
    if (!read.ok()) continue;
    sc::SourceTrack track;
    if (!sc::TrackBetween(line, "A", "B", &track).ok()) continue;
    const sc::LocalProjection projection = sc::LocalProjection::ForTrack(track.points, track.along);
    std::vector<sc::PlanXY> flat;
    for (const sc::GeoPoint& p : track.points) flat.push_back(projection.Forward(p.lat, p.lon));
    // Short: the fuzzer looks for faults, not long lines.
    const sc::CurveFit fit = sc::FitCurves(flat, 20000);
    sc::WriteScenarioTexts(track, fit, projection, sc::DraftOptions{});
  }
  return 0;
}
