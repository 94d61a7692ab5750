#include "controllers/drawing_description.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "controllers/drawing_geometry.h"
#include "engine/color.h"

namespace kurovel {
namespace {

struct ColorName {
  ColorValue color;
  std::string_view name;
};

// The pen palette's colours by name (the palette repeats navy and grey).
constexpr std::array<ColorName, 14> kColorNames = {{
    {MakeColor(0, 0, 0), "黒"},
    {MakeColor(0, 0, 255), "青"},
    {MakeColor(255, 0, 0), "赤"},
    {MakeColor(255, 0, 255), "赤紫"},
    {MakeColor(0, 255, 0), "黄緑"},
    {MakeColor(0, 255, 255), "水色"},
    {MakeColor(255, 255, 0), "黄色"},
    {MakeColor(255, 255, 255), "白"},
    {MakeColor(128, 128, 128), "灰色"},
    {MakeColor(0, 0, 128), "紺"},
    {MakeColor(128, 0, 0), "茶色"},
    {MakeColor(128, 0, 128), "紫"},
    {MakeColor(0, 128, 0), "緑"},
    {MakeColor(128, 128, 0), "オリーブ色"},
}};
constexpr std::string_view kOtherColor = "その他の色";

std::string_view NameOf(ColorValue color) {
  const auto found = std::find_if(kColorNames.begin(), kColorNames.end(),
                                  [color](const ColorName& row) { return row.color == color; });
  return found == kColorNames.end() ? kOtherColor : found->name;
}

struct ColorCount {
  std::string_view name;
  std::size_t lines = 0;
  std::size_t first = 0;  // the order in which the colours were first drawn
};

// Lines of each colour name, most first (the colour drawn first among equals).
std::vector<ColorCount> CountLines(const std::vector<PathStep>& steps) {
  std::vector<ColorCount> counts;
  auto add = [&counts](ColorValue color, std::size_t lines) {
    const std::string_view name = NameOf(color);
    auto row = std::find_if(counts.begin(), counts.end(), [name](const ColorCount& c) { return c.name == name; });
    if (row == counts.end()) row = counts.insert(counts.end(), {name, 0, counts.size()});
    row->lines += lines;
  };
  // A chain: line moves of one colour, each from where the one before ended.
  Chain chain;
  ColorValue chain_color = 0;
  std::vector<Stroke> strokes;
  auto end_chain = [&] {
    if (chain.empty()) return;
    strokes.clear();
    AppendStraightStrokes(chain, strokes);
    add(chain_color, strokes.size());
    chain.clear();
  };
  for (const PathStep& step : steps) {
    if (!step.line || step.color != chain_color) end_chain();
    if (!step.line) continue;
    chain_color = step.color;
    chain.push_back({{static_cast<double>(step.from.x), static_cast<double>(step.from.y)},
                     {static_cast<double>(step.to.x), static_cast<double>(step.to.y)}});
  }
  end_chain();
  std::stable_sort(counts.begin(), counts.end(),
                   [](const ColorCount& a, const ColorCount& b) { return a.lines > b.lines; });
  return counts;
}

std::string Size(std::int64_t width, std::int64_t height) {
  return "横 " + std::to_string(width) + " × 縦 " + std::to_string(height) + " ピクセル";
}

}  // namespace

std::string DrawingDescription(const DrawnPath& path, std::int32_t surface_width, std::int32_t surface_height) {
  const std::string area = "描画エリアの大きさは " + Size(surface_width, surface_height) + "です。";
  const std::vector<PathStep> steps = path.Steps();
  const std::vector<ColorCount> counts = CountLines(steps);
  if (counts.empty()) return "まだ何も描かれていません。" + area;

  std::size_t total = 0;
  std::string colors;
  for (const ColorCount& count : counts) {
    total += count.lines;
    if (!colors.empty()) colors += "、";
    colors.append(count.name).append(" ").append(std::to_string(count.lines)).append(" 本");
  }
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
  std::int32_t left = kHighest, top = kHighest, right = kLowest, bottom = kLowest;
  for (const PathStep& step : steps) {
    if (!step.line) continue;
    for (const Point& end : {step.from, step.to}) {
      left = std::min(left, end.x);
      right = std::max(right, end.x);
      top = std::min(top, end.y);
      bottom = std::max(bottom, end.y);
    }
  }
  // Moves past the path's bound were only counted: the lines are at least these.
  const std::string_view at_least = path.Complete() ? "" : "以上";
  return "線が " + std::to_string(total) + " 本" + std::string(at_least) + "描かれています（" + colors + "）。" +
         "絵の大きさは " + Size(std::int64_t{right} - left, std::int64_t{bottom} - top) + "、" + area;
}

}  // namespace kurovel
