#include "controllers/drawing_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <utility>

#include "engine/color.h"

namespace kurovel {
namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
// The most that rounding a move's end to whole pixels moves it: half a pixel each way.
constexpr double kRoundingPerPiece = 0.7072;
// A closing end may be off by at most this share of the pieces it joins, so that
// no corner of a small figure is mistaken for its start.
constexpr double kClosingShareOfPiece = 0.6;

Vec2 ToVec(Point p) { return {static_cast<double>(p.x), static_cast<double>(p.y)}; }

// The angle of u measured from the unit direction `base`, in radians.
double AngleFrom(Vec2 base, Vec2 u) { return std::atan2(Cross(base, u), Dot(base, u)); }

// Disjoint sets over 0..n-1, for grouping ends into corners and edges into parts.
class DisjointSets {
 public:
  explicit DisjointSets(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0); }
  std::size_t Find(std::size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void Join(std::size_t a, std::size_t b) { parent_[Find(a)] = Find(b); }

 private:
  std::vector<std::size_t> parent_;
};

// Whether stroke q lies on stroke p's line and the two overlap or touch; if so,
// `joined` receives the stroke that covers both.
bool JoinIfCollinear(const Stroke& p, const Stroke& q, Stroke& joined) {
  const double length = p.Length();
  if (length == 0.0) return false;
  const Vec2 u = (1.0 / length) * (p.b - p.a);
  const auto offset = [&](Vec2 v) { return std::abs(Cross(u, v - p.a)); };
  if (offset(q.a) > kStraightTolerance || offset(q.b) > kStraightTolerance) return false;
  const double qa = Dot(u, q.a - p.a);
  const double qb = Dot(u, q.b - p.a);
  const double q_low = std::min(qa, qb);
  const double q_high = std::max(qa, qb);
  if (q_low > length + kSnapDistance || q_high < -kSnapDistance) return false;
  const double low = std::min(0.0, q_low);
  const double high = std::max(length, q_high);
  joined = {p.a + low * u, p.a + high * u};
  return true;
}

}  // namespace

double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double Length(Vec2 a) { return std::hypot(a.x, a.y); }
double Distance(Vec2 a, Vec2 b) { return Length(a - b); }

double DistanceToSegment(Vec2 p, Vec2 a, Vec2 b) {
  const Vec2 d = b - a;
  const double squared = Dot(d, d);
  if (squared == 0.0) return Distance(p, a);
  const double t = std::clamp(Dot(p - a, d) / squared, 0.0, 1.0);
  return Distance(p, a + t * d);
}

double TurnDegrees(Vec2 a, Vec2 b) { return std::atan2(Cross(a, b), Dot(a, b)) * kDegreesPerRadian; }

std::vector<Chain> VisibleChains(std::span<const PathStep> steps) {
  std::vector<Chain> chains;
  bool drawing = false;
  for (const PathStep& step : steps) {
    if (!step.line || step.color == clWhite) {
      drawing = false;
      continue;
    }
    const Piece piece{ToVec(step.from), ToVec(step.to)};
    if (!drawing || chains.back().back().to != piece.from) chains.emplace_back();
    chains.back().push_back(piece);
    drawing = true;
  }
  return chains;
}

bool ClosesAt(Vec2 start, Vec2 end, double first_length, double last_length, std::size_t pieces) {
  const double gap = Distance(start, end);
  if (gap == 0.0) return true;
  return gap <= kRoundingPerPiece * static_cast<double>(pieces) &&
         gap <= kClosingShareOfPiece * std::min(first_length, last_length);
}

bool CloseChain(Chain& chain) {
  if (chain.size() < 2) return false;
  if (!ClosesAt(chain.front().from, chain.back().to, chain.front().Length(), chain.back().Length(), chain.size())) {
    return false;
  }
  // The drift built up piece by piece, so it is taken back a little at every
  // corner; moving the last end alone would bend a straight last side.
  const Vec2 correction = chain.front().from - chain.back().to;
  const double n = static_cast<double>(chain.size());
  for (std::size_t i = 0; i < chain.size(); ++i) {
    chain[i].from = chain[i].from + (static_cast<double>(i) / n) * correction;
    chain[i].to = chain[i].to + (static_cast<double>(i + 1) / n) * correction;
  }
  chain.back().to = chain.front().from;
  return true;
}

// Grows a stroke piece by piece while one line can still pass within the straight
// tolerance of every corner passed so far: each corner allows a cone of directions
// from the stroke's start, and the stroke's end must stay inside all of them.
void AppendStraightStrokes(const Chain& chain, std::vector<Stroke>& strokes) {
  std::size_t i = 0;
  while (i < chain.size()) {
    const Vec2 start = chain[i].from;
    const double first_length = chain[i].Length();
    const Vec2 base = (1.0 / first_length) * (chain[i].to - start);
    double low = -std::numbers::pi;
    double high = std::numbers::pi;
    std::size_t next = i + 1;
    for (; next < chain.size(); ++next) {
      const Piece& piece = chain[next];
      if (Dot(piece.to - piece.from, base) <= 0.0) break;  // turns back or aside
      const double reach = Distance(start, piece.from);
      if (reach > kStraightTolerance) {
        const double centre = AngleFrom(base, piece.from - start);
        const double spread = std::asin(kStraightTolerance / reach);
        low = std::max(low, centre - spread);
        high = std::min(high, centre + spread);
      }
      const double end = AngleFrom(base, piece.to - start);
      if (end < low || end > high) break;
    }
    strokes.push_back({start, chain[next - 1].to});
    i = next;
  }
}

void JoinCollinearStrokes(std::vector<Stroke>& strokes) {
  std::vector<bool> gone(strokes.size(), false);
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    if (gone[i]) continue;
    bool grew = true;
    while (grew) {
      grew = false;
      for (std::size_t j = i + 1; j < strokes.size(); ++j) {
        if (gone[j]) continue;
        // Measured along the longer of the two, whose direction is the surer.
        const bool i_longer = strokes[i].Length() >= strokes[j].Length();
        Stroke joined;
        if (JoinIfCollinear(i_longer ? strokes[i] : strokes[j], i_longer ? strokes[j] : strokes[i], joined)) {
          strokes[i] = joined;
          gone[j] = true;
          grew = true;
        }
      }
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    if (!gone[i]) strokes[kept++] = strokes[i];
  }
  strokes.resize(kept);
}

double FigureGraph::EdgeLength(int edge) const {
  const Edge& e = edges[static_cast<std::size_t>(edge)];
  return Distance(vertices[static_cast<std::size_t>(e.a)], vertices[static_cast<std::size_t>(e.b)]);
}

FigureGraph BuildFigureGraph(const std::vector<Stroke>& strokes) {
  // Ends that lie within the snap distance of each other are one corner; a sweep
  // over the ends sorted by x finds the close pairs.
  std::vector<Vec2> ends;
  for (const Stroke& s : strokes) {
    ends.push_back(s.a);
    ends.push_back(s.b);
  }
  std::vector<std::size_t> by_x(ends.size());
  std::iota(by_x.begin(), by_x.end(), 0);
  std::sort(by_x.begin(), by_x.end(), [&](std::size_t p, std::size_t q) { return ends[p].x < ends[q].x; });
  DisjointSets corners(ends.size());
  for (std::size_t k = 0; k < by_x.size(); ++k) {
    for (std::size_t m = k + 1; m < by_x.size() && ends[by_x[m]].x - ends[by_x[k]].x <= kSnapDistance; ++m) {
      if (Distance(ends[by_x[k]], ends[by_x[m]]) <= kSnapDistance) corners.Join(by_x[k], by_x[m]);
    }
  }

  FigureGraph graph;
  std::vector<int> vertex_of_root(ends.size(), -1);
  std::vector<int> members;
  std::vector<int> vertex_of_end(ends.size());
  for (std::size_t e = 0; e < ends.size(); ++e) {
    const std::size_t root = corners.Find(e);
    if (vertex_of_root[root] < 0) {
      vertex_of_root[root] = static_cast<int>(graph.vertices.size());
      graph.vertices.push_back({});
      members.push_back(0);
    }
    const int v = vertex_of_root[root];
    vertex_of_end[e] = v;
    graph.vertices[static_cast<std::size_t>(v)] = graph.vertices[static_cast<std::size_t>(v)] + ends[e];
    ++members[static_cast<std::size_t>(v)];
  }
  for (std::size_t v = 0; v < graph.vertices.size(); ++v) {
    graph.vertices[v] = (1.0 / members[v]) * graph.vertices[v];
  }

  // Each stroke, split at every other corner that lies on it.
  for (std::size_t s = 0; s < strokes.size(); ++s) {
    const int a = vertex_of_end[2 * s];
    const int b = vertex_of_end[2 * s + 1];
    if (a == b) continue;  // shorter than the snap distance: a dot, not a line
    const Vec2 pa = graph.vertices[static_cast<std::size_t>(a)];
    const Vec2 pb = graph.vertices[static_cast<std::size_t>(b)];
    const Vec2 d = pb - pa;
    std::vector<std::pair<double, int>> on_stroke{{0.0, a}, {1.0, b}};
    for (std::size_t v = 0; v < graph.vertices.size(); ++v) {
      const int vi = static_cast<int>(v);
      if (vi == a || vi == b) continue;
      const Vec2 p = graph.vertices[v];
      if (DistanceToSegment(p, pa, pb) > kSnapDistance) continue;
      const double t = Dot(p - pa, d) / Dot(d, d);
      if (t > 0.0 && t < 1.0) on_stroke.emplace_back(t, vi);
    }
    std::sort(on_stroke.begin(), on_stroke.end());
    for (std::size_t k = 0; k + 1 < on_stroke.size(); ++k) {
      int from = on_stroke[k].second;
      int to = on_stroke[k + 1].second;
      if (from > to) std::swap(from, to);
      const bool known = std::any_of(graph.edges.begin(), graph.edges.end(),
                                     [&](const FigureGraph::Edge& e) { return e.a == from && e.b == to; });
      if (!known) graph.edges.push_back({from, to});
    }
  }
  return graph;
}

std::vector<std::vector<int>> ConnectedParts(const FigureGraph& graph) {
  DisjointSets parts(graph.vertices.size());
  for (const FigureGraph::Edge& e : graph.edges) parts.Join(static_cast<std::size_t>(e.a), static_cast<std::size_t>(e.b));
  std::vector<int> part_of_root(graph.vertices.size(), -1);
  std::vector<std::vector<int>> result;
  for (std::size_t e = 0; e < graph.edges.size(); ++e) {
    const std::size_t root = parts.Find(static_cast<std::size_t>(graph.edges[e].a));
    if (part_of_root[root] < 0) {
      part_of_root[root] = static_cast<int>(result.size());
      result.emplace_back();
    }
    result[static_cast<std::size_t>(part_of_root[root])].push_back(static_cast<int>(e));
  }
  const auto total = [&](const std::vector<int>& edges) {
    double sum = 0.0;
    for (const int e : edges) sum += graph.EdgeLength(e);
    return sum;
  };
  std::stable_sort(result.begin(), result.end(),
                   [&](const std::vector<int>& p, const std::vector<int>& q) { return total(p) > total(q); });
  return result;
}

std::vector<int> ClosedCore(const FigureGraph& graph, const std::vector<int>& edges) {
  std::vector<int> degree(graph.vertices.size(), 0);
  for (const int e : edges) {
    ++degree[static_cast<std::size_t>(graph.edges[static_cast<std::size_t>(e)].a)];
    ++degree[static_cast<std::size_t>(graph.edges[static_cast<std::size_t>(e)].b)];
  }
  std::vector<int> core = edges;
  bool cut = true;
  while (cut) {
    cut = false;
    std::vector<int> kept;
    for (const int e : core) {
      const FigureGraph::Edge& edge = graph.edges[static_cast<std::size_t>(e)];
      if (degree[static_cast<std::size_t>(edge.a)] == 1 || degree[static_cast<std::size_t>(edge.b)] == 1) {
        --degree[static_cast<std::size_t>(edge.a)];
        --degree[static_cast<std::size_t>(edge.b)];
        cut = true;
      } else {
        kept.push_back(e);
      }
    }
    core = std::move(kept);
  }
  return core;
}

std::vector<int> CycleOrder(const FigureGraph& graph, const std::vector<int>& edges) {
  if (edges.size() < 3) return {};
  std::vector<std::vector<int>> neighbours(graph.vertices.size());
  for (const int e : edges) {
    const FigureGraph::Edge& edge = graph.edges[static_cast<std::size_t>(e)];
    neighbours[static_cast<std::size_t>(edge.a)].push_back(edge.b);
    neighbours[static_cast<std::size_t>(edge.b)].push_back(edge.a);
  }
  for (const std::vector<int>& n : neighbours) {
    if (!n.empty() && n.size() != 2) return {};
  }
  const int first = graph.edges[static_cast<std::size_t>(edges.front())].a;
  std::vector<int> order{first};
  int previous = first;
  int current = neighbours[static_cast<std::size_t>(first)][0];
  while (current != first) {
    order.push_back(current);
    const std::vector<int>& n = neighbours[static_cast<std::size_t>(current)];
    const int next = n[0] == previous ? n[1] : n[0];
    previous = current;
    current = next;
    if (order.size() > edges.size()) return {};
  }
  // Fewer corners than edges: the edges form several separate cycles.
  return order.size() == edges.size() ? order : std::vector<int>{};
}

std::vector<std::vector<int>> SimpleCycles(const FigureGraph& graph, const std::vector<int>& edges,
                                           std::size_t max_edges, std::size_t max_cycles) {
  std::vector<std::vector<int>> cycles;
  if (edges.size() > max_edges) return cycles;
  std::vector<std::vector<int>> neighbours(graph.vertices.size());
  for (const int e : edges) {
    const FigureGraph::Edge& edge = graph.edges[static_cast<std::size_t>(e)];
    neighbours[static_cast<std::size_t>(edge.a)].push_back(edge.b);
    neighbours[static_cast<std::size_t>(edge.b)].push_back(edge.a);
  }
  // Each cycle is found from its lowest vertex, and in one direction only.
  std::vector<int> path;
  std::vector<bool> on_path(graph.vertices.size(), false);
  const auto search = [&](const auto& self, int start, int at) -> void {
    for (const int next : neighbours[static_cast<std::size_t>(at)]) {
      if (cycles.size() >= max_cycles) return;
      if (next == start && path.size() >= 3 && path[1] < path.back()) {
        cycles.push_back(path);
      } else if (next > start && !on_path[static_cast<std::size_t>(next)]) {
        path.push_back(next);
        on_path[static_cast<std::size_t>(next)] = true;
        self(self, start, next);
        on_path[static_cast<std::size_t>(next)] = false;
        path.pop_back();
      }
    }
  };
  for (std::size_t v = 0; v < graph.vertices.size(); ++v) {
    if (neighbours[v].size() < 2) continue;
    path = {static_cast<int>(v)};
    on_path[v] = true;
    search(search, static_cast<int>(v), static_cast<int>(v));
    on_path[v] = false;
  }
  return cycles;
}

double Polygon::TotalTurn() const { return std::accumulate(turns.begin(), turns.end(), 0.0); }

Polygon PolygonOf(std::vector<Vec2> corners) {
  // A corner that lies on the line between its neighbours, going on, is no corner.
  bool dropped = true;
  while (dropped && corners.size() > 3) {
    dropped = false;
    const std::size_t n = corners.size();
    for (std::size_t i = 0; i < n; ++i) {
      const Vec2 before = corners[(i + n - 1) % n];
      const Vec2 after = corners[(i + 1) % n];
      if (DistanceToSegment(corners[i], before, after) <= kStraightTolerance &&
          Dot(corners[i] - before, after - corners[i]) > 0.0) {
        corners.erase(corners.begin() + static_cast<std::ptrdiff_t>(i));
        dropped = true;
        break;
      }
    }
  }
  return PolygonThrough(std::move(corners));
}

Polygon PolygonThrough(std::vector<Vec2> corners) {
  Polygon polygon;
  const std::size_t n = corners.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Vec2 in = corners[i] - corners[(i + n - 1) % n];
    const Vec2 out = corners[(i + 1) % n] - corners[i];
    polygon.sides.push_back(Length(out));
    polygon.turns.push_back(TurnDegrees(in, out));
  }
  if (polygon.TotalTurn() < 0.0) {
    for (double& t : polygon.turns) t = -t;
  }
  polygon.corners = std::move(corners);
  return polygon;
}

}  // namespace kurovel
