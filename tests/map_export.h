// Test helpers that put a compiled plan on the map: its points, through the
// inverse of the import's projection, as a GeoJSON line or a GPX track.
#ifndef SC_TESTS_MAP_EXPORT_H_
#define SC_TESTS_MAP_EXPORT_H_

#include <string>
#include <utility>
#include <vector>

#include "import/local_projection.h"
#include "test_support.h"

namespace sc::testing {

// A station of an exported line: its plan metre and name (UTF-8).
using PlanStation = std::pair<size_t, std::string>;

// The built-in plan's metres 0 to `metres` placed by `transform`.
std::string PlanAsGeoJson(const PlanColumns& plan, size_t metres,
                          const ProjectionTransform& transform,
                          const std::vector<PlanStation>& stations);

// The same as a GPX 1.1 track, a point every `every` metres, recorded at
// `speed` m/s; with `waypoints` the stations as named waypoints, otherwise a
// 30 s halt recorded at each station.
std::string PlanAsGpx(const PlanColumns& plan, size_t metres, const ProjectionTransform& transform,
                      const std::vector<PlanStation>& stations, size_t every, double speed,
                      bool waypoints);

// A transform somewhere in the Alps.
ProjectionTransform AlpineTransform();

}  // namespace sc::testing

#endif  // SC_TESTS_MAP_EXPORT_H_
