// The flat frame an import works in: a transverse Mercator projection of the
// WGS84 ellipsoid (GeographicLib) whose central meridian and origin lie at
// the middle of the track, so the scale stays within a few parts in a million
// over a line of some tens of kilometres; then moved and turned so the track
// starts at (0, 0) heading along +y, as a route plan does (metres 0 and 1 at
// (0, 0) and (0, 1)). x grows to the right of that heading.
//
// The transform is recorded (in the line description's preamble and in the
// import report) so that preview and view can draw the map's track under the
// compiled plan, and a plan can be turned back into places on the map.
#ifndef SC_IMPORT_LOCAL_PROJECTION_H_
#define SC_IMPORT_LOCAL_PROJECTION_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/source_track.h"

namespace sc {

struct PlanXY {
  double x = 0;
  double y = 0;
};

// What places the plan on the map.
struct ProjectionTransform {
  double centre_lat = 0, centre_lon = 0;  // the projection's origin and central meridian
  double origin_lat = 0, origin_lon = 0;  // the place that becomes (0, 0)
  double bearing_deg = 0;  // the compass bearing (clockwise from grid north) that becomes +y
};

class LocalProjection {
 public:
  explicit LocalProjection(const ProjectionTransform& transform);

  // The projection for a track of two points or more: centred on its middle
  // point by `along`, with points[0] at (0, 0) and the heading of its first
  // metre along +y.
  static LocalProjection ForTrack(const std::vector<GeoPoint>& points,
                                  const std::vector<double>& along);

  const ProjectionTransform& transform() const { return transform_; }

  PlanXY Forward(double lat, double lon) const;
  GeoPoint Reverse(double x, double y) const;

  // The transform as one line of text (ASCII), and read back from a text
  // that holds such a line anywhere (nullopt when none does).
  std::string Describe() const;
  static std::optional<ProjectionTransform> Find(std::string_view text);

 private:
  // Transverse Mercator metres (easting, northing) from the centre.
  PlanXY Grid(double lat, double lon) const;

  ProjectionTransform transform_;
  PlanXY centre_;  // the centre's metres from the central meridian and the equator
  PlanXY origin_;  // the origin's grid metres
  double cos_ = 1, sin_ = 0;
};

}  // namespace sc

#endif  // SC_IMPORT_LOCAL_PROJECTION_H_
