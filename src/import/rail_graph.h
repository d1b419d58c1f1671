// The railway as a graph: every node of the chosen ways a vertex, each pair
// of consecutive nodes an edge of its geodesic length. It places stations
// on the track and finds the shortest way over the track between them.
#ifndef SC_IMPORT_RAIL_GRAPH_H_
#define SC_IMPORT_RAIL_GRAPH_H_

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "import/line_index.h"
#include "import/osm_file.h"
#include "import/source_track.h"

namespace sc {

// A point on one way of the graph.
struct TrackPlace {
  size_t way = 0;        // index into the ways the graph was built from
  size_t segment = 0;    // between the way's points [segment] and [segment + 1]
  double offset = 0;     // metres from points[segment]
  double off_track = 0;  // metres from the place that was looked for
  GeoPoint point;
};

// How the path passes from one of its points to the next.
struct PathPiece {
  static constexpr size_t kGap = SIZE_MAX;
  size_t way = kGap;    // the way (index) it runs along, or kGap for a bridged gap
  bool forward = true;  // in the way's own direction
};

struct RailPath {
  std::vector<GeoPoint> points;   // in travel order
  std::vector<int64_t> nodes;     // the OSM node of each point, 0 for a point between nodes
  std::vector<PathPiece> pieces;  // pieces[i] runs from points[i] to points[i + 1]
};

// Where the track reached from the start comes nearest to the goal, when
// no path gets there.
struct BreakOff {
  GeoPoint where;
  double along = 0;  // metres over the track from the start
};

class RailGraph {
 public:
  // The graph over `ways[i]` for each i in `chosen`; `ways` must outlive it.
  RailGraph(const std::vector<OsmRailWay>& ways, const std::vector<size_t>& chosen);

  // The nearest place on each chosen way within `radius` metres of `where`,
  // nearest first.
  std::vector<TrackPlace> Near(const GeoPoint& where, double radius) const;

  // Joins each way end that no other way meets to the nearest node of
  // another way within `max_gap` metres. Returns how many were joined.
  size_t BridgeGaps(double max_gap);

  // The shortest path from any of `from` to any of `to`. False when none
  // exists; `break_off` then says how far the track from `from` gets
  // towards `goal`.
  bool ShortestPath(const std::vector<TrackPlace>& from, const std::vector<TrackPlace>& to,
                    const GeoPoint& goal, RailPath* path, BreakOff* break_off) const;

 private:
  struct Edge {
    size_t to = 0;
    size_t way = PathPiece::kGap;
    bool forward = true;
    double length = 0;
  };
  size_t VertexOf(size_t way, size_t point) const;
  double SegmentLength(const TrackPlace& place) const;

  const std::vector<OsmRailWay>& ways_;
  std::vector<size_t> chosen_;
  std::vector<size_t> slot_;                // per way: its place in chosen_, or SIZE_MAX
  std::vector<std::vector<double>> along_;  // per chosen way
  std::unordered_map<int64_t, size_t> vertex_of_node_;
  std::vector<int64_t> node_of_vertex_;
  std::vector<GeoPoint> where_;
  std::vector<std::vector<Edge>> edges_;
  LineIndex index_;
};

}  // namespace sc

#endif  // SC_IMPORT_RAIL_GRAPH_H_
