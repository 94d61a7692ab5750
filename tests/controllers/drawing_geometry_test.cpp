// The figure under the exercise checks: when a path counts as closed, which pieces
// make one straight line, and how strokes meet.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controllers/drawing_geometry.h"

namespace kurovel {
namespace {

TEST(ClosesAt, AllowsTheDriftOfRoundingAndNoMore) {
  const struct {
    double gap, piece;
    std::size_t pieces;
    bool closes;
  } cases[] = {
      {0.0, 100, 4, true},   // a square of whole-pixel moves closes exactly
      {4.0, 8, 45, true},    // a circle of 45 sides of 8 ends 4 pixels off
      {2.8, 131, 5, true},   // a pentagon's five rounded sides can drift this far
      {3.5, 100, 4, false},  // four rounded moves cannot drift 3.5: a turn of 91 did
      {5.0, 8, 45, false},   // most of a short side is missing, however many moves
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClosesAt({0, 0}, {c.gap, 0}, c.piece, c.piece, c.pieces), c.closes) << c.gap << " after " << c.pieces;
  }
}

TEST(CloseChain, SpreadsTheDriftSoThatStraightSidesStayStraight) {
  // A square whose last side, drawn in two moves, ends 2 pixels right of its start.
  Chain chain = {{{0, 0}, {0, -50}}, {{0, -50}, {50, -50}}, {{50, -50}, {50, 0}}, {{50, 0}, {26, 0}}, {{26, 0}, {2, 0}}};
  ASSERT_TRUE(CloseChain(chain));
  EXPECT_EQ(chain.back().to, chain.front().from);
  std::vector<Stroke> strokes;
  AppendStraightStrokes(chain, strokes);
  EXPECT_EQ(strokes.size(), 4u);
}

TEST(AppendStraightStrokes, JoinsRoundedPiecesOfOneLineOnly) {
  const struct {
    const char* name;
    Chain chain;
    std::size_t strokes;
  } cases[] = {
      // fd 30 then fd 70 at heading 72: each end rounded on its own.
      {"one line in two rounded moves", {{{0, 0}, {29, -9}}, {{29, -9}, {96, -31}}}, 1},
      {"a turn of ten degrees between long moves", {{{0, 0}, {0, -100}}, {{0, -100}, {17, -198}}}, 2},
      {"going back over the line", {{{0, 0}, {0, -50}}, {{0, -50}, {0, -30}}}, 2},
      {"many unit steps of a straight run", Chain(40, Piece{}), 1},
  };
  for (const auto& c : cases) {
    Chain chain = c.chain;
    if (chain.size() == 40) {
      for (std::size_t i = 0; i < chain.size(); ++i) {
        chain[i] = {{static_cast<double>(i), 0}, {static_cast<double>(i + 1), 0}};
      }
    }
    std::vector<Stroke> strokes;
    AppendStraightStrokes(chain, strokes);
    EXPECT_EQ(strokes.size(), c.strokes) << c.name;
  }
}

TEST(JoinCollinearStrokes, JoinsOverlappingAndTouchingLinesOnly) {
  const struct {
    const char* name;
    Stroke first, second;
    std::size_t strokes;
  } cases[] = {
      {"drawn over in part", {{0, 0}, {100, 0}}, {{60, 1}, {20, 1}}, 1},
      {"drawn on from its end", {{0, 0}, {100, 0}}, {{100, 0}, {150, 0}}, 1},
      {"parallel three pixels away", {{0, 0}, {100, 0}}, {{0, 3}, {100, 3}}, 2},
      {"on one line with a gap", {{0, 0}, {100, 0}}, {{105, 0}, {150, 0}}, 2},
      {"crossing", {{0, 0}, {100, 0}}, {{50, -50}, {50, 50}}, 2},
  };
  for (const auto& c : cases) {
    std::vector<Stroke> strokes = {c.first, c.second};
    JoinCollinearStrokes(strokes);
    EXPECT_EQ(strokes.size(), c.strokes) << c.name;
  }
}

TEST(BuildFigureGraph, EndsMeetWithinRoundingAndSplitTheLinesTheyLieOn) {
  // A square with one corner 1.5 pixels off, and a tail from the middle of its top.
  const std::vector<Stroke> strokes = {{{0, 0}, {100, 0}},   {{100, 0}, {100, 100}}, {{100, 100}, {0, 100}},
                                       {{0, 100}, {1, -1}}, {{50, 0}, {50, -30}}};
  const FigureGraph graph = BuildFigureGraph(strokes);
  EXPECT_EQ(graph.vertices.size(), 6u);  // four corners, the tail's two ends
  EXPECT_EQ(graph.edges.size(), 6u);     // the top split in two
  const std::vector<std::vector<int>> parts = ConnectedParts(graph);
  ASSERT_EQ(parts.size(), 1u);
  const std::vector<int> core = ClosedCore(graph, parts[0]);
  EXPECT_EQ(core.size(), 5u);  // the tail cut away
  const std::vector<int> order = CycleOrder(graph, core);
  ASSERT_EQ(order.size(), 5u);
  std::vector<Vec2> corners;
  for (const int v : order) corners.push_back(graph.vertices[static_cast<std::size_t>(v)]);
  const Polygon square = PolygonOf(corners);  // the straight corner where the tail was goes
  ASSERT_EQ(square.sides.size(), 4u);
  for (const double turn : square.turns) EXPECT_NEAR(turn, 90.0, 1.0);
}

TEST(PolygonOf, TurnsAddUpTheSameWhicheverWayTheFigureWasDrawn) {
  const std::vector<Vec2> clockwise = {{0, 0}, {100, 0}, {50, 87}};
  const std::vector<Vec2> counter = {{0, 0}, {50, 87}, {100, 0}};
  for (const auto& corners : {clockwise, counter}) {
    const Polygon triangle = PolygonOf(corners);
    EXPECT_NEAR(triangle.TotalTurn(), 360.0, 1e-9);
    for (const double turn : triangle.turns) EXPECT_NEAR(turn, 120.0, 0.5);
  }
}

}  // namespace
}  // namespace kurovel
