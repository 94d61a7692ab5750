#pragma once
// The drawing as a figure: the turtle's recorded moves turned into the lines a
// person sees on the paper. A straight line drawn in several moves, or drawn over
// again, is one line; ends that meet within the rounding of positions to whole
// pixels are one corner. The exercise checks read the figure, never the pixels.

#include <cstddef>
#include <span>
#include <vector>

#include "engine/drawn_path.h"

namespace kurovel {

// A point or a direction in surface pixels (x to the right, y downwards).
struct Vec2 {
  double x = 0.0;
  double y = 0.0;
  friend Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
  friend Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
  friend Vec2 operator*(double k, Vec2 a) { return {k * a.x, k * a.y}; }
  friend bool operator==(Vec2, Vec2) = default;
};
double Dot(Vec2 a, Vec2 b);
double Cross(Vec2 a, Vec2 b);
double Length(Vec2 a);
double Distance(Vec2 a, Vec2 b);
// From segment a-b to p: the distance to its nearest point.
double DistanceToSegment(Vec2 p, Vec2 a, Vec2 b);
// The signed angle in degrees, in (-180, 180], that turns direction a into direction b.
double TurnDegrees(Vec2 a, Vec2 b);

// How far apart two ends may be and still meet: a position rounded to whole pixels
// is off by at most half a pixel each way, a little over a pixel between two.
inline constexpr double kSnapDistance = 2.0;
// How far a point may lie from a line and still be on it.
inline constexpr double kStraightTolerance = 1.2;

// One line the turtle drew with its pen down.
struct Piece {
  Vec2 from;
  Vec2 to;
  double Length() const { return Distance(from, to); }
};
// Pieces drawn one after the other, each starting where the one before ended.
using Chain = std::vector<Piece>;

// The visible lines of the path in order, cut where the turtle jumped. A line in
// white leaves nothing on white paper and counts as a jump.
std::vector<Chain> VisibleChains(std::span<const PathStep> steps);

// Whether the piece that ends at `end` (of length last_length) closes a path that
// started at `start` with a first piece of first_length, after `pieces` pieces.
// Each end is rounded to whole pixels, off by at most half a pixel each way, and
// those errors can line up: a 45-gon of side 8 ends 4 pixels from its start. A gap
// as large as most of a piece would show, though, however many pieces explain it.
bool ClosesAt(Vec2 start, Vec2 end, double first_length, double last_length, std::size_t pieces);
// When the chain ends where it began, within that drift, the drift is taken back
// over its corners so that the last end meets the first start. Returns whether the
// chain is closed.
bool CloseChain(Chain& chain);

// A straight line of the figure.
struct Stroke {
  Vec2 a;
  Vec2 b;
  double Length() const { return Distance(a, b); }
};
// The chain's straight lines: consecutive pieces that keep within the straight
// tolerance of one line, going on in the same direction, are one stroke.
void AppendStraightStrokes(const Chain& chain, std::vector<Stroke>& strokes);
// Strokes on one line that overlap or touch become one: a line drawn over again,
// or drawn in parts at different times.
void JoinCollinearStrokes(std::vector<Stroke>& strokes);

// The figure as a graph: corners (where strokes end or meet) and the strokes
// between them. A stroke's end that lies on another stroke splits that one.
struct FigureGraph {
  struct Edge {
    int a = 0;
    int b = 0;
  };
  std::vector<Vec2> vertices;
  std::vector<Edge> edges;

  double EdgeLength(int edge) const;
};
FigureGraph BuildFigureGraph(const std::vector<Stroke>& strokes);

// The edges of each connected part of the graph, the longest part (by total length) first.
std::vector<std::vector<int>> ConnectedParts(const FigureGraph& graph);
// The edges of a part that lie on some closed path: what is left once every loose
// end has been cut away, one edge at a time.
std::vector<int> ClosedCore(const FigureGraph& graph, const std::vector<int>& edges);
// The vertices of a simple cycle in order, when the edges form exactly one; else empty.
std::vector<int> CycleOrder(const FigureGraph& graph, const std::vector<int>& edges);
// Every simple cycle of the edges, each as its vertices in order, at most max_cycles
// of them; none when the edges are more than max_edges.
std::vector<std::vector<int>> SimpleCycles(const FigureGraph& graph, const std::vector<int>& edges,
                                           std::size_t max_edges, std::size_t max_cycles);

// A closed path as a polygon. Corners where the path goes straight on are dropped.
// turns[i] is the turn at corners[i], from sides[i-1] into sides[i] (sides[i] runs
// from corners[i] to corners[i+1]), in degrees; the signs are chosen so that the
// turns add up to zero or more, whichever way the path was drawn.
struct Polygon {
  std::vector<Vec2> corners;
  std::vector<double> sides;
  std::vector<double> turns;
  double TotalTurn() const;
};
Polygon PolygonOf(std::vector<Vec2> corners);
// The same through every given corner, straight ones included.
Polygon PolygonThrough(std::vector<Vec2> corners);

}  // namespace kurovel
