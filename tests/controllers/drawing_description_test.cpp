// The drawing told in words: lines as a person counts them, their colours, the
// figure's size.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "controllers/drawing_description.h"
#include "engine/palette.h"

namespace kurovel {
namespace {

constexpr ColorValue kBlue = PenPalette[1];
constexpr ColorValue kRed = PenPalette[2];
constexpr ColorValue kOlive = PenPalette[14];

struct Move {
  Point to;
  ColorValue color;  // 0 with line false: a jump
  bool line = true;
};

std::string Described(Point start, const std::vector<Move>& moves) {
  DrawnPath path;
  Point at = start;
  for (const Move& move : moves) {
    if (move.line) path.AddLine(at, move.to, move.color);
    else path.AddJump(at, move.to);
    at = move.to;
  }
  return DrawingDescription(path, 361, 446);
}

const std::string kArea = "描画エリアの大きさは 横 361 × 縦 446 ピクセルです。";

TEST(DrawingDescription, CountsLinesAsAPersonSeesThem) {
  std::vector<Move> stepped;  // one straight line of fifty 2-pixel moves
  for (int i = 1; i <= 50; ++i) stepped.push_back({{100 + 2 * i, 100}, kBlue});
  std::vector<Move> slanted;  // 10-pixel moves at 30 degrees, each end rounded to whole pixels
  for (int i = 1; i <= 10; ++i) slanted.push_back({{static_cast<int>(std::lround(i * 8.66)), -5 * i}, kBlue});
  const struct {
    const char* what;
    Point start;
    std::vector<Move> moves;
    std::string said;
  } cases[] = {
      {"nothing", {0, 0}, {}, "まだ何も描かれていません。" + kArea},
      {"a square", {100, 100},
       {{{100, 0}, kBlue}, {{200, 0}, kBlue}, {{200, 100}, kBlue}, {{100, 100}, kBlue}},
       "線が 4 本描かれています（青 4 本）。絵の大きさは 横 100 × 縦 100 ピクセル、" + kArea},
      {"a line drawn in many moves", {100, 100}, stepped,
       "線が 1 本描かれています（青 1 本）。絵の大きさは 横 100 × 縦 0 ピクセル、" + kArea},
      {"a slanted line of rounded moves", {0, 0}, slanted,
       "線が 1 本描かれています（青 1 本）。絵の大きさは 横 87 × 縦 50 ピクセル、" + kArea},
      {"the colour drawn most comes first; a change of colour starts a line", {0, 0},
       {{{10, 0}, kBlue}, {{20, 0}, kRed}, {{20, 10}, kRed}, {{30, 10}, kRed}},
       "線が 4 本描かれています（赤 3 本、青 1 本）。絵の大きさは 横 30 × 縦 10 ピクセル、" + kArea},
      {"a jump cuts a line; jumps draw nothing and add no size", {0, 0},
       {{{10, 0}, kOlive}, {{50, 50}, 0, false}, {{60, 50}, kOlive}, {{90, 90}, 0, false}},
       "線が 2 本描かれています（オリーブ色 2 本）。絵の大きさは 横 60 × 縦 50 ピクセル、" + kArea},
      {"a colour outside the palette", {0, 0}, {{{0, 5}, MakeColor(1, 2, 3)}},
       "線が 1 本描かれています（その他の色 1 本）。絵の大きさは 横 0 × 縦 5 ピクセル、" + kArea},
  };
  for (const auto& c : cases) EXPECT_EQ(Described(c.start, c.moves), c.said) << c.what;
}

TEST(DrawingDescription, APathPastItsBoundSaysAtLeast) {
  DrawnPath path;
  // Every move jumps back, so each takes two places and the bound is soon reached.
  for (std::size_t i = 0; i < kMaxPathPlaces; ++i) path.AddLine({0, static_cast<int>(i % 2)}, {5, 0}, kBlue);
  ASSERT_FALSE(path.Complete());
  const std::string said = DrawingDescription(path, 361, 446);
  EXPECT_EQ(said.rfind("線が " + std::to_string(kMaxPathPlaces / 2) + " 本以上描かれています（青 ", 0), 0u) << said;
}

}  // namespace
}  // namespace kurovel
