// Finding the lines that pass near a place, among many: each line is cut
// into runs of points, each run bounded by a geodesic circle, so that a
// query measures only the runs whose circle comes within reach.
#ifndef SC_IMPORT_LINE_INDEX_H_
#define SC_IMPORT_LINE_INDEX_H_

#include <cstddef>
#include <vector>

#include "import/geodesy.h"
#include "import/source_track.h"

namespace sc {

// The nearest point of one line to a place.
struct LineHit {
  size_t line = 0;  // the line's index as given to the index
  LinePosition position;
};

class LineIndex {
 public:
  // Indexes `lines` (each of two points or more); they must outlive the index.
  explicit LineIndex(const std::vector<const std::vector<GeoPoint>*>& lines);

  // The nearest point of each line that comes within `radius` metres of
  // `place`, nearest first.
  std::vector<LineHit> Near(const GeoPoint& place, double radius) const;

 private:
  struct Run {
    size_t line = 0;
    size_t first = 0;  // the run's points are first..last of the line
    size_t last = 0;
    double radius = 0;  // metres from the first point to the farthest in the run
  };
  std::vector<const std::vector<GeoPoint>*> lines_;
  std::vector<std::vector<double>> along_;
  std::vector<Run> runs_;
};

}  // namespace sc

#endif  // SC_IMPORT_LINE_INDEX_H_
