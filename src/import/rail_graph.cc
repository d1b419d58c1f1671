#include "import/rail_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <utility>

#include "import/geodesy.h"

namespace sc {
namespace {

constexpr double kUnreached = std::numeric_limits<double>::infinity();

std::vector<const std::vector<GeoPoint>*> LinesOf(const std::vector<OsmRailWay>& ways,
                                                  const std::vector<size_t>& chosen) {
  std::vector<const std::vector<GeoPoint>*> lines;
  for (size_t w : chosen) lines.push_back(&ways[w].points);
  return lines;
}

bool SamePoint(const GeoPoint& a, const GeoPoint& b) { return a.lat == b.lat && a.lon == b.lon; }

// Adds a point to a path unless it repeats the last one.
void Append(const GeoPoint& point, int64_t node, const PathPiece& piece, RailPath* path) {
  if (!path->points.empty() && SamePoint(path->points.back(), point)) {
    if (path->nodes.back() == 0) path->nodes.back() = node;
    return;
  }
  if (!path->points.empty()) path->pieces.push_back(piece);
  path->points.push_back(point);
  path->nodes.push_back(node);
}

}  // namespace

RailGraph::RailGraph(const std::vector<OsmRailWay>& ways, const std::vector<size_t>& chosen)
    : ways_(ways), chosen_(chosen), slot_(ways.size(), SIZE_MAX), index_(LinesOf(ways, chosen)) {
  for (size_t w : chosen_) {
    slot_[w] = along_.size();
    const OsmRailWay& way = ways_[w];
    along_.push_back(AlongMetres(way.points));
    for (size_t i = 0; i < way.nodes.size(); ++i) {
      if (vertex_of_node_.emplace(way.nodes[i], where_.size()).second) {
        where_.push_back(way.points[i]);
        node_of_vertex_.push_back(way.nodes[i]);
        edges_.emplace_back();
      }
      if (i == 0) continue;
      const size_t a = vertex_of_node_.at(way.nodes[i - 1]);
      const size_t b = vertex_of_node_.at(way.nodes[i]);
      const double length = along_.back()[i] - along_.back()[i - 1];
      edges_[a].push_back(Edge{b, w, true, length});
      edges_[b].push_back(Edge{a, w, false, length});
    }
  }
}

size_t RailGraph::VertexOf(size_t way, size_t point) const {
  return vertex_of_node_.at(ways_[way].nodes[point]);
}

double RailGraph::SegmentLength(const TrackPlace& place) const {
  const std::vector<double>& along = along_[slot_[place.way]];
  return along[place.segment + 1] - along[place.segment];
}

std::vector<TrackPlace> RailGraph::Near(const GeoPoint& where, double radius) const {
  std::vector<TrackPlace> places;
  for (const LineHit& hit : index_.Near(where, radius)) {
    TrackPlace place;
    place.way = chosen_[hit.line];
    place.segment = hit.position.segment;
    place.offset = hit.position.along - along_[hit.line][place.segment];
    place.off_track = hit.position.off_track;
    place.point = hit.position.point;
    places.push_back(place);
  }
  return places;
}

size_t RailGraph::BridgeGaps(double max_gap) {
  size_t joined = 0;
  for (size_t v = 0; v < edges_.size(); ++v) {
    if (edges_[v].size() != 1) continue;
    const size_t own_way = edges_[v][0].way;
    size_t nearest = v;
    double nearest_metres = max_gap;
    for (const TrackPlace& place : Near(where_[v], max_gap)) {
      if (place.way == own_way) continue;
      for (size_t end : {place.segment, place.segment + 1}) {
        const size_t u = VertexOf(place.way, end);
        const double metres = GeodesicDistance(where_[v], where_[u]);
        if (u != v && metres <= nearest_metres) {
          nearest = u;
          nearest_metres = metres;
        }
      }
    }
    const bool linked = std::any_of(edges_[v].begin(), edges_[v].end(),
                                    [&](const Edge& e) { return e.to == nearest; });
    if (nearest == v || linked) continue;
    edges_[v].push_back(Edge{nearest, PathPiece::kGap, true, nearest_metres});
    edges_[nearest].push_back(Edge{v, PathPiece::kGap, true, nearest_metres});
    ++joined;
  }
  return joined;
}

bool RailGraph::ShortestPath(const std::vector<TrackPlace>& from, const std::vector<TrackPlace>& to,
                             const GeoPoint& goal, RailPath* path, BreakOff* break_off) const {
  struct Reach {
    double metres = kUnreached;
    size_t previous = SIZE_MAX;  // the vertex before, or SIZE_MAX at a start
    size_t start = 0;            // at a start: the place in `from`
    PathPiece piece;             // how the vertex was reached
  };
  std::vector<Reach> reach(where_.size());
  using Entry = std::pair<double, size_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
  for (size_t s = 0; s < from.size(); ++s) {
    const TrackPlace& p = from[s];
    const std::pair<size_t, double> ends[] = {
        {VertexOf(p.way, p.segment), p.offset},
        {VertexOf(p.way, p.segment + 1), SegmentLength(p) - p.offset}};
    for (size_t e = 0; e < 2; ++e) {
      const auto [v, metres] = ends[e];
      if (metres < reach[v].metres) {
        reach[v] = Reach{metres, SIZE_MAX, s, PathPiece{p.way, e == 1}};
        queue.emplace(metres, v);
      }
    }
  }
  // The best finish: a place in `to` reached from a vertex, or directly
  // from a place in `from` on the same segment.
  double best = kUnreached;
  size_t best_vertex = SIZE_MAX, best_to = 0, best_from = 0;
  for (size_t s = 0; s < from.size(); ++s) {
    for (size_t t = 0; t < to.size(); ++t) {
      if (from[s].way != to[t].way || from[s].segment != to[t].segment) continue;
      const double metres = std::abs(to[t].offset - from[s].offset);
      if (metres < best) best = metres, best_vertex = SIZE_MAX, best_to = t, best_from = s;
    }
  }
  while (!queue.empty()) {
    const auto [metres, v] = queue.top();
    queue.pop();
    if (metres > reach[v].metres) continue;
    if (metres >= best) break;
    for (size_t t = 0; t < to.size(); ++t) {
      const TrackPlace& p = to[t];
      double finish = kUnreached;
      if (VertexOf(p.way, p.segment) == v) finish = metres + p.offset;
      if (VertexOf(p.way, p.segment + 1) == v)
        finish = std::min(finish, metres + SegmentLength(p) - p.offset);
      if (finish < best) best = finish, best_vertex = v, best_to = t;
    }
    for (const Edge& edge : edges_[v]) {
      const double further = metres + edge.length;
      if (further < reach[edge.to].metres) {
        reach[edge.to] = Reach{further, v, 0, PathPiece{edge.way, edge.forward}};
        queue.emplace(further, edge.to);
      }
    }
  }
  if (best == kUnreached) {
    double nearest = kUnreached;
    for (size_t v = 0; v < where_.size(); ++v) {
      if (reach[v].metres == kUnreached) continue;
      const double metres = GeodesicDistance(where_[v], goal);
      if (metres < nearest) nearest = metres, *break_off = BreakOff{where_[v], reach[v].metres};
    }
    return false;
  }
  *path = RailPath();
  const TrackPlace& end = to[best_to];
  if (best_vertex == SIZE_MAX) {
    const TrackPlace& start = from[best_from];
    Append(start.point, 0, {}, path);
    Append(end.point, 0, PathPiece{end.way, end.offset > start.offset}, path);
    return true;
  }
  std::vector<size_t> chain;
  for (size_t v = best_vertex; v != SIZE_MAX; v = reach[v].previous) chain.push_back(v);
  std::reverse(chain.begin(), chain.end());
  Append(from[reach[chain.front()].start].point, 0, {}, path);
  for (size_t v : chain) Append(where_[v], node_of_vertex_[v], reach[v].piece, path);
  const bool forward = VertexOf(end.way, end.segment) == best_vertex &&
                       (VertexOf(end.way, end.segment + 1) != best_vertex ||
                        best == reach[best_vertex].metres + end.offset);
  Append(end.point, 0, PathPiece{end.way, forward}, path);
  return true;
}

}  // namespace sc
