#include "controllers/run_limits.h"

#include <algorithm>

namespace kurovel {

RunLimits::RunLimits(const LineExecutor& executor, std::optional<std::uint64_t> max_commands,
                     std::optional<double> timeout_seconds)
    : executor_(executor), max_commands_(max_commands) {
  if (timeout_seconds) {
    // Beyond a few years a deadline means nothing, and the clock's count would overflow.
    constexpr double kLongestTimeout = 1e8;
    const auto duration = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(std::min(*timeout_seconds, kLongestTimeout)));
    deadline_ = std::chrono::steady_clock::now() + duration;
  }
}

bool RunLimits::Reached() {
  if (reached_) return true;
  if (max_commands_ && executor_.CommandsRun() >= *max_commands_) reached_ = true;
  if (deadline_ && calls_until_clock_-- == 0) {
    calls_until_clock_ = kCallsPerClockReading - 1;
    if (std::chrono::steady_clock::now() >= *deadline_) reached_ = true;
  }
  return reached_;
}

}  // namespace kurovel
