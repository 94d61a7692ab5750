// The nine checks. The polygons, the stars and the clock are judged on the figure
// graph (straight strokes meeting at corners); the circle on the turtle's path
// itself, since its corners are finer than the pixels that round them away.

#include "controllers/exercise_check.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "controllers/drawing_geometry.h"
#include "engine/limits.h"

namespace kurovel {
namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
// How far a corner may be off its place once rounding has moved it: half a pixel
// for each of its two coordinates, and the drift of a closing end.
constexpr double kCornerError = 1.5;
// Lengths that differ by rounding alone: a pixel or so at each end, and a share of
// the length for lines drawn in several rounded pieces.
constexpr double kLengthSlack = 2.0;
constexpr double kLengthShare = 0.01;
// Turns differ by the rounding of the two sides around them and this much more.
constexpr double kTurnMargin = 1.0;
// A turn under this many degrees (after rounding) goes neither out nor in.
constexpr double kStraightTurn = 5.0;
// A figure with lines that fork is searched for a right figure among its closed
// paths only while it is small.
constexpr std::size_t kMaxSearchedEdges = 40;
constexpr std::size_t kMaxSearchedCycles = 500;
// How far a circle's corners may lie from one round line: the drift of the path
// (what its end missed the start by), a corner's rounding and this share of the radius.
constexpr double kRoundShare = 0.03;
// A circle is looked for from each of its first pieces, so that a line drawn
// before it (from the centre, say) does not hide it.
constexpr std::size_t kMaxCircleStarts = 64;
// The clock's marks come as twelve, or sixty with every fifth maybe longer.
constexpr int kHourMarks = 12;
constexpr int kMinuteMarks = 60;
constexpr int kMinutesPerHour = 5;

bool LengthsAgree(double a, double b) { return std::abs(a - b) <= kLengthSlack + kLengthShare * std::max(a, b); }

// How far rounding can turn a line of this length.
double DirectionSlack(double length) {
  return length > 0.0 ? std::atan(kCornerError / length) * kDegreesPerRadian : 180.0;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// The value farthest from `reference`.
double Farthest(const std::vector<double>& values, double reference) {
  return *std::max_element(values.begin(), values.end(), [&](double a, double b) {
    return std::abs(a - reference) < std::abs(b - reference);
  });
}

CheckFinding Found(Finding finding, double first = 0.0, double second = 0.0) { return {finding, first, second}; }
CheckFinding Counted(Finding finding, int count) { return {finding, 0.0, 0.0, count}; }

// The side whose length differs most from the others (from their median), or nothing.
std::optional<CheckFinding> SidesDiffer(const std::vector<double>& sides, Finding finding) {
  const double reference = Median(sides);
  const double farthest = Farthest(sides, reference);
  if (LengthsAgree(reference, farthest)) return std::nullopt;
  return Found(finding, reference, farthest);
}

// The slack of the turn at corner i, between sides i-1 and i.
double TurnSlack(const Polygon& p, std::size_t i) {
  const std::size_t n = p.sides.size();
  return DirectionSlack(p.sides[(i + n - 1) % n]) + DirectionSlack(p.sides[i]) + kTurnMargin;
}

// The first turn among `corners` that differs from the others, or nothing.
std::optional<CheckFinding> TurnsDiffer(const Polygon& p, const std::vector<std::size_t>& corners) {
  std::vector<double> turns;
  for (const std::size_t i : corners) turns.push_back(p.turns[i]);
  const double reference = Median(turns);
  for (const std::size_t i : corners) {
    if (std::abs(p.turns[i] - reference) > TurnSlack(p, i)) return Found(Finding::kTurnsDiffer, reference, p.turns[i]);
  }
  return std::nullopt;
}

std::vector<std::size_t> AllCorners(const Polygon& p) {
  std::vector<std::size_t> corners(p.sides.size());
  for (std::size_t i = 0; i < corners.size(); ++i) corners[i] = i;
  return corners;
}

// The regular polygon (or star) whose corners and turn these are, if it is an exercise's.
const Exercise* RegularFigure(int corners, double turn, double slack) {
  for (const Exercise& e : Exercises()) {
    if (e.kind == ExerciseKind::kRegularPolygon && e.corners == corners && std::abs(e.turn - turn) <= slack) return &e;
  }
  return nullptr;
}

CheckFinding CheckRegular(const Exercise& exercise, const Polygon& p) {
  const int n = static_cast<int>(p.sides.size());
  if (n != exercise.corners) return Counted(Finding::kCorners, n);
  if (auto differ = SidesDiffer(p.sides, Finding::kSidesDiffer)) return *differ;
  if (auto differ = TurnsDiffer(p, AllCorners(p))) return *differ;
  const double turn = Median(p.turns);
  const double slack = TurnSlack(p, 0);
  if (std::abs(turn - exercise.turn) > slack) {
    CheckFinding other = Found(Finding::kOtherFigure);
    other.other = RegularFigure(n, turn, slack);
    return other;
  }
  return Found(Finding::kPassed, Median(p.sides));
}

CheckFinding CheckRectangle(const Exercise& exercise, const Polygon& p) {
  const int n = static_cast<int>(p.sides.size());
  if (n != exercise.corners) return Counted(Finding::kCorners, n);
  for (std::size_t i = 0; i < p.turns.size(); ++i) {
    if (std::abs(p.turns[i] - exercise.turn) > TurnSlack(p, i)) return Found(Finding::kNotRightAngle, p.turns[i]);
  }
  for (std::size_t i = 0; i < 2; ++i) {
    if (!LengthsAgree(p.sides[i], p.sides[i + 2])) {
      return Found(Finding::kOppositeSidesDiffer, p.sides[i], p.sides[i + 2]);
    }
  }
  const double one = (p.sides[0] + p.sides[2]) / 2;
  const double other = (p.sides[1] + p.sides[3]) / 2;
  if (LengthsAgree(one, other)) return Found(Finding::kPassedAsSquare, (one + other) / 2);
  return Found(Finding::kPassed, std::max(one, other), std::min(one, other));
}

CheckFinding CheckStarOutline(const Exercise& exercise, const Polygon& p) {
  const int n = static_cast<int>(p.sides.size());
  if (n != exercise.corners) return Counted(Finding::kCorners, n);
  if (auto differ = SidesDiffer(p.sides, Finding::kSidesDiffer)) return *differ;
  // The tips turn out (the way the whole outline turns), the notches turn back in.
  std::vector<std::size_t> tips;
  std::vector<std::size_t> notches;
  for (std::size_t i = 0; i < p.turns.size(); ++i) (i % 2 == (p.turns[0] > 0.0 ? 0 : 1) ? tips : notches).push_back(i);
  for (const std::size_t i : tips) {
    if (p.turns[i] < kStraightTurn) return Found(Finding::kNotAlternating);
  }
  for (const std::size_t i : notches) {
    if (p.turns[i] > -kStraightTurn) return Found(Finding::kNotAlternating);
  }
  if (auto differ = TurnsDiffer(p, tips)) return *differ;
  if (auto differ = TurnsDiffer(p, notches)) return *differ;
  return Found(Finding::kPassed, Median(p.sides));
}

using PolygonCheck = CheckFinding (*)(const Exercise&, const Polygon&);

bool Passed(const CheckFinding& f) { return f.finding == Finding::kPassed || f.finding == Finding::kPassedAsSquare; }

std::optional<FigureGraph> FigureOf(const std::vector<Chain>& chains) {
  std::vector<Stroke> strokes;
  for (Chain chain : chains) {
    CloseChain(chain);
    AppendStraightStrokes(chain, strokes);
    if (strokes.size() > kMaxCheckedStrokes) return std::nullopt;
  }
  JoinCollinearStrokes(strokes);
  return BuildFigureGraph(strokes);
}

std::vector<Vec2> Corners(const FigureGraph& graph, const std::vector<int>& order) {
  std::vector<Vec2> corners;
  for (const int v : order) corners.push_back(graph.vertices[static_cast<std::size_t>(v)]);
  return corners;
}

// The gap between the two ends of a part that is one open line; 0 for any other shape.
double OpenGap(const FigureGraph& graph, const std::vector<int>& edges) {
  std::vector<int> degree(graph.vertices.size(), 0);
  for (const int e : edges) {
    ++degree[static_cast<std::size_t>(graph.edges[static_cast<std::size_t>(e)].a)];
    ++degree[static_cast<std::size_t>(graph.edges[static_cast<std::size_t>(e)].b)];
  }
  std::vector<Vec2> ends;
  for (std::size_t v = 0; v < degree.size(); ++v) {
    if (degree[v] > 2) return 0.0;
    if (degree[v] == 1) ends.push_back(graph.vertices[v]);
  }
  return ends.size() == 2 ? Distance(ends[0], ends[1]) : 0.0;
}

// The polygons, the star and the ☆: one closed figure, nothing else.
CheckFinding CheckClosedFigure(const Exercise& exercise, const std::vector<Chain>& chains, PolygonCheck check) {
  const std::optional<FigureGraph> graph = FigureOf(chains);
  if (!graph) return Found(Finding::kTooLarge);
  const std::vector<std::vector<int>> parts = ConnectedParts(*graph);
  if (parts.empty()) return Found(Finding::kNoLines);
  for (const std::vector<int>& part : parts) {
    const std::vector<int> core = ClosedCore(*graph, part);
    if (core.empty()) continue;
    const bool extra = parts.size() > 1 || core.size() != part.size();
    const std::vector<int> order = CycleOrder(*graph, core);
    if (!order.empty()) {
      const CheckFinding finding = check(exercise, PolygonOf(Corners(*graph, order)));
      return Passed(finding) && extra ? Found(Finding::kExtraLines) : finding;
    }
    for (const std::vector<int>& cycle : SimpleCycles(*graph, core, kMaxSearchedEdges, kMaxSearchedCycles)) {
      if (Passed(check(exercise, PolygonOf(Corners(*graph, cycle))))) return Found(Finding::kExtraLines);
    }
    return Found(Finding::kBranching);
  }
  return Found(Finding::kNotClosed, OpenGap(*graph, parts.front()));
}

// --- The circle ----------------------------------------------------------------

double TotalLength(const Chain& chain) {
  double sum = 0.0;
  for (const Piece& p : chain) sum += p.Length();
  return sum;
}

// The pieces first..last of the chain close a lap: the first return to the start.
struct Lap {
  std::size_t first = 0;
  std::size_t last = 0;
};

std::optional<Lap> FindLap(const Chain& chain) {
  const std::size_t starts = std::min(chain.size(), kMaxCircleStarts);
  for (std::size_t first = 0; first < starts; ++first) {
    const Vec2 start = chain[first].from;
    for (std::size_t last = first + 2; last < chain.size(); ++last) {
      if (ClosesAt(start, chain[last].to, chain[first].Length(), chain[last].Length(), last - first + 1)) {
        return Lap{first, last};
      }
    }
  }
  return std::nullopt;
}

bool Parallel(Vec2 a, Vec2 b) {
  return std::abs(Cross(a, b)) <= 1e-9 * Length(a) * Length(b) && Dot(a, b) > 0.0;
}

// The corners that show on the screen: pieces that go on in exactly the same
// direction are one straight line of pixels, whatever the turtle meant.
std::vector<Vec2> VisibleCorners(const std::vector<Vec2>& points) {
  const std::size_t n = points.size();
  std::vector<Vec2> corners;
  for (std::size_t i = 0; i < n; ++i) {
    const Vec2 in = points[i] - points[(i + n - 1) % n];
    const Vec2 out = points[(i + 1) % n] - points[i];
    if (!Parallel(in, out)) corners.push_back(points[i]);
  }
  return corners;
}

// Whether the piece lies on the lap's line, drawn over it again.
bool OnLap(const Piece& piece, const std::vector<Vec2>& lap, double tolerance) {
  const auto near = [&](Vec2 p) {
    for (std::size_t i = 0; i < lap.size(); ++i) {
      if (DistanceToSegment(p, lap[i], lap[(i + 1) % lap.size()]) <= tolerance) return true;
    }
    return false;
  };
  return near(piece.from) && near(piece.to);
}

CheckFinding CheckCircle(const Exercise& exercise, const std::vector<Chain>& chains) {
  std::vector<Chain>::const_iterator main = std::max_element(
      chains.begin(), chains.end(), [](const Chain& a, const Chain& b) { return TotalLength(a) < TotalLength(b); });
  const std::optional<Lap> lap = FindLap(*main);
  if (!lap) {
    // The gap says something only when the circle is one line with two ends.
    return Found(Finding::kNotClosed, chains.size() == 1 ? Distance(main->front().from, main->back().to) : 0.0);
  }
  // Every other piece is compared with every piece of the lap.
  if (lap->last - lap->first >= kMaxCheckedStrokes) return Found(Finding::kTooLarge);

  std::vector<Vec2> points;
  std::vector<double> lengths;
  for (std::size_t i = lap->first; i <= lap->last; ++i) {
    points.push_back((*main)[i].from);
    lengths.push_back((*main)[i].Length());
  }
  const double drift = Distance((*main)[lap->last].to, points.front());
  const std::vector<Vec2> corners = VisibleCorners(points);
  if (corners.size() < 3) return Found(Finding::kNotRound);
  const Polygon seen = PolygonThrough(corners);
  // Once around, always turning the same way.
  const bool once_around = std::abs(seen.TotalTurn() - 360.0) < 1.0;
  const bool convex = std::all_of(seen.turns.begin(), seen.turns.end(), [](double t) { return t > -kTurnMargin; });
  if (!once_around || !convex) return Found(Finding::kNotRound);
  const int count = static_cast<int>(corners.size());
  if (count < exercise.corners) return Counted(Finding::kTooFewCorners, count);
  if (auto differ = SidesDiffer(lengths, Finding::kSidesDiffer)) return *differ;

  Vec2 centre;
  for (const Vec2 p : points) centre = centre + p;
  centre = (1.0 / static_cast<double>(points.size())) * centre;
  std::vector<double> radii;
  for (const Vec2 p : points) radii.push_back(Distance(p, centre));
  const double radius = Median(radii);
  if (std::abs(Farthest(radii, radius) - radius) > drift + kCornerError + kRoundShare * radius) {
    return Found(Finding::kNotRound);
  }

  // Lines drawn over the circle again (a second lap, shifted by the drift) add nothing.
  const double drawn_over = drift + kSnapDistance;
  for (auto chain = chains.begin(); chain != chains.end(); ++chain) {
    for (std::size_t i = 0; i < chain->size(); ++i) {
      const bool in_lap = chain == main && i >= lap->first && i <= lap->last;
      if (!in_lap && !OnLap((*chain)[i], points, drawn_over)) return Found(Finding::kExtraLines);
    }
  }
  return Found(Finding::kPassed, 2 * radius);
}

// --- The clock -----------------------------------------------------------------

struct Mark {
  Vec2 inner;
  Vec2 outer;
  double angle = 0.0;  // of its middle around the centre, degrees
  double Length() const { return Distance(inner, outer); }
};

// The point nearest to all the marks' lines, in the least-squares sense; nothing
// when the lines are (nearly) parallel.
std::optional<Vec2> CommonCentre(const std::vector<Stroke>& marks) {
  double a = 0.0, b = 0.0, c = 0.0, rx = 0.0, ry = 0.0;
  for (const Stroke& m : marks) {
    const Vec2 u = (1.0 / m.Length()) * (m.b - m.a);
    const Vec2 normal{-u.y, u.x};
    const double k = Dot(normal, m.a);
    a += normal.x * normal.x;
    b += normal.x * normal.y;
    c += normal.y * normal.y;
    rx += normal.x * k;
    ry += normal.y * k;
  }
  const double det = a * c - b * b;
  if (det < 1e-6 * (a + c) * (a + c)) return std::nullopt;
  return Vec2{(c * rx - b * ry) / det, (a * ry - b * rx) / det};
}

// Sixty marks may have every fifth longer: those twelve agree among themselves and
// sit five apart around the centre.
bool EveryFifthLonger(const std::vector<Mark>& marks, double shorter) {
  std::vector<std::size_t> longer;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (!LengthsAgree(marks[i].Length(), shorter)) longer.push_back(i);
  }
  if (longer.size() != kHourMarks) return false;
  const double length = marks[longer[0]].Length();
  for (const std::size_t i : longer) {
    if (i % kMinutesPerHour != longer[0] % kMinutesPerHour || !LengthsAgree(marks[i].Length(), length) ||
        length < shorter) {
      return false;
    }
  }
  return true;
}

CheckFinding CheckMarks(const std::vector<Stroke>& strokes) {
  const std::optional<Vec2> centre = CommonCentre(strokes);
  if (!centre) return Found(Finding::kMarkNotPointing);
  std::vector<Mark> marks;
  for (const Stroke& s : strokes) {
    const bool a_inside = Distance(s.a, *centre) <= Distance(s.b, *centre);
    Mark m{a_inside ? s.a : s.b, a_inside ? s.b : s.a};
    const Vec2 middle = 0.5 * (m.inner + m.outer);
    const Vec2 radial = middle - *centre;
    m.angle = std::atan2(radial.y, radial.x) * kDegreesPerRadian;
    const double off = std::abs(TurnDegrees(radial, m.outer - m.inner));
    if (off > DirectionSlack(m.Length()) + DirectionSlack(Length(radial)) + kTurnMargin) {
      return Found(Finding::kMarkNotPointing);
    }
    marks.push_back(m);
  }
  std::sort(marks.begin(), marks.end(), [](const Mark& p, const Mark& q) { return p.angle < q.angle; });

  std::vector<double> lengths;
  for (const Mark& m : marks) lengths.push_back(m.Length());
  const double shorter = Median(lengths);
  if (auto differ = SidesDiffer(lengths, Finding::kMarkLengthsDiffer)) {
    if (marks.size() != kMinuteMarks || !EveryFifthLonger(marks, shorter)) return *differ;
  }

  std::vector<double> inner_radii;
  std::vector<double> outer_radii;
  for (const Mark& m : marks) {
    inner_radii.push_back(Distance(m.inner, *centre));
    outer_radii.push_back(Distance(m.outer, *centre));
  }
  if (SidesDiffer(inner_radii, Finding::kMarkRadiiDiffer) && SidesDiffer(outer_radii, Finding::kMarkRadiiDiffer)) {
    return Found(Finding::kMarkRadiiDiffer);
  }

  const double spacing = 360.0 / static_cast<double>(marks.size());
  const double slack = DirectionSlack(Median(inner_radii)) * 2 + kTurnMargin;
  std::vector<double> gaps;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const double next = i + 1 < marks.size() ? marks[i + 1].angle : marks[0].angle + 360.0;
    gaps.push_back(next - marks[i].angle);
  }
  const double farthest = Farthest(gaps, spacing);
  if (std::abs(farthest - spacing) > slack) return Found(Finding::kMarkSpacingDiffers, Median(gaps), farthest);
  CheckFinding passed = Found(Finding::kPassed);
  passed.count = static_cast<int>(marks.size());
  return passed;
}

bool Touch(const Stroke& p, const Stroke& q) {
  const auto side = [](Vec2 a, Vec2 b, Vec2 c) { return Cross(b - a, c - a); };
  const bool cross = side(p.a, p.b, q.a) * side(p.a, p.b, q.b) < 0 && side(q.a, q.b, p.a) * side(q.a, q.b, p.b) < 0;
  return cross || std::min({DistanceToSegment(q.a, p.a, p.b), DistanceToSegment(q.b, p.a, p.b),
                            DistanceToSegment(p.a, q.a, q.b), DistanceToSegment(p.b, q.a, q.b)}) <= kSnapDistance;
}

// Marks that cross or touch are joined as surely as marks drawn into one another.
bool AnyTouch(const std::vector<Stroke>& marks) {
  for (std::size_t i = 0; i < marks.size(); ++i) {
    for (std::size_t j = i + 1; j < marks.size(); ++j) {
      if (Touch(marks[i], marks[j])) return true;
    }
  }
  return false;
}

CheckFinding CheckClock(const std::vector<Chain>& chains) {
  const std::optional<FigureGraph> graph = FigureOf(chains);
  if (!graph) return Found(Finding::kTooLarge);
  const std::vector<std::vector<int>> parts = ConnectedParts(*graph);
  if (parts.empty()) return Found(Finding::kNoLines);
  std::vector<Stroke> marks;
  bool joined = false;
  for (const std::vector<int>& part : parts) {
    if (part.size() > 1) {
      joined = true;
      continue;
    }
    const FigureGraph::Edge& e = graph->edges[static_cast<std::size_t>(part[0])];
    marks.push_back({graph->vertices[static_cast<std::size_t>(e.a)], graph->vertices[static_cast<std::size_t>(e.b)]});
  }
  joined = joined || AnyTouch(marks);
  const int count = static_cast<int>(marks.size());
  if (count != kHourMarks && count != kMinuteMarks) {
    return joined ? Found(Finding::kMarksJoined) : Counted(Finding::kMarkCount, count);
  }
  const CheckFinding finding = CheckMarks(marks);
  return Passed(finding) && joined ? Found(Finding::kExtraLines) : finding;
}

// Whether every line lies on the drawing area, where the pupil can see it.
bool OnTheArea(const std::vector<Chain>& chains, std::int32_t width, std::int32_t height) {
  const auto inside = [&](Vec2 p) { return p.x >= 0 && p.y >= 0 && p.x < width && p.y < height; };
  return std::all_of(chains.begin(), chains.end(), [&](const Chain& chain) {
    return std::all_of(chain.begin(), chain.end(), [&](const Piece& p) { return inside(p.from) && inside(p.to); });
  });
}

}  // namespace

CheckFinding FindExerciseFinding(const Exercise& exercise, const DrawnPath& path, std::int32_t width,
                                 std::int32_t height) {
  if (!path.Complete()) return Found(Finding::kTooLarge);
  const std::vector<Chain> chains = VisibleChains(path.Steps());
  if (chains.empty()) return Found(Finding::kNoLines);
  if (!OnTheArea(chains, width, height)) return Found(Finding::kOutside);
  switch (exercise.kind) {
    case ExerciseKind::kRegularPolygon:
      return CheckClosedFigure(exercise, chains, CheckRegular);
    case ExerciseKind::kRectangle:
      return CheckClosedFigure(exercise, chains, CheckRectangle);
    case ExerciseKind::kStarOutline:
      return CheckClosedFigure(exercise, chains, CheckStarOutline);
    case ExerciseKind::kCircle:
      return CheckCircle(exercise, chains);
    case ExerciseKind::kClockMarks:
      return CheckClock(chains);
  }
  return Found(Finding::kNoLines);  // unreachable: every kind has a case
}

ExerciseVerdict CheckSelectedExercise(std::string_view selected_line, const Turtle& turtle) {
  const Exercise* exercise = ExerciseOnLine(selected_line);
  return exercise != nullptr ? CheckExercise(*exercise, turtle) : NoExerciseChosenVerdict();
}

ExerciseVerdict CheckExercise(const Exercise& exercise, const Turtle& turtle) {
  const DrawingSurface& surface = turtle.Surface();
  return MakeVerdict(exercise, FindExerciseFinding(exercise, turtle.Path(), surface.Width(), surface.Height()));
}

}  // namespace kurovel
