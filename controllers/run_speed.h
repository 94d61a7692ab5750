#pragma once
// How fast a program runs: at full speed, or slowly enough for a learner to watch
// each command, or one line at a time.

#include <array>
#include <string_view>

namespace kurovel {

enum class RunSpeed { kFastest, kFast, kNormal, kSlow, kStepByStep };

struct RunSpeedRow {
  RunSpeed speed;
  std::string_view caption;   // the menu item (UTF-8)
  std::string_view key;       // how the choice is remembered
  int command_wait_ms;        // the pause before every command; 0: none
};

// In menu order. The pauses are those a teacher finds natural: "速い" still draws
// a square at once but a spiral visibly grows, "ふつう" draws about fifty commands
// a second, "ゆっくり" five, slow enough to follow every line.
inline constexpr std::array<RunSpeedRow, 5> kRunSpeeds{{
    {RunSpeed::kFastest, "最高速", "fastest", 0},
    {RunSpeed::kFast, "速い", "fast", 2},
    {RunSpeed::kNormal, "ふつう", "normal", 20},
    {RunSpeed::kSlow, "ゆっくり", "slow", 200},
    {RunSpeed::kStepByStep, "1行ずつ", "step", 0},
}};

inline const RunSpeedRow& RunSpeedRowOf(RunSpeed speed) {
  for (const RunSpeedRow& row : kRunSpeeds) {
    if (row.speed == speed) return row;
  }
  return kRunSpeeds.front();  // unreachable: every speed has a row
}

}  // namespace kurovel
