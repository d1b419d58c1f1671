// Measuring a track on the WGS84 ellipsoid (GeographicLib): the geodesic
// length of a line of points, the point of a line nearest to a place, and a
// stretch of a line between two positions along it. Every length here is a
// geodesic one; nothing takes the earth as flat.
#ifndef SC_IMPORT_GEODESY_H_
#define SC_IMPORT_GEODESY_H_

#include <cstddef>
#include <vector>

#include "import/source_track.h"

namespace sc {

// Metres between two points along the shortest path over the ellipsoid.
double GeodesicDistance(const GeoPoint& a, const GeoPoint& b);

// Metres along `line` of each of its points: the first is 0, each next one
// adds the geodesic length of the segment before it.
std::vector<double> AlongMetres(const std::vector<GeoPoint>& line);

// Where a place lies against a line.
struct LinePosition {
  double along = 0;      // metres along the line of the nearest point
  double off_track = 0;  // metres from the place to that point
  size_t segment = 0;    // the nearest point lies between points[segment] and [segment + 1]
  GeoPoint point;        // the nearest point
};

// The point of `line` (two points or more; `along` as AlongMetres gives it)
// nearest to `place`. Each segment is the geodesic between its ends; of two
// equally near points the one nearer the line's start is taken.
LinePosition NearestOnLine(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                           const GeoPoint& place);

// The point `metres` along `line`, on the geodesic of its segment; height and
// time are interpolated where both ends have them. Clamped to the line's ends.
GeoPoint PointAlong(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                    double metres);

// The part of `line` from `from` to `to` metres along it (from <= to, both
// clamped to the line): the two cut points and every point between them.
std::vector<GeoPoint> CutLine(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                              double from, double to);

}  // namespace sc

#endif  // SC_IMPORT_GEODESY_H_
