#pragma once
// The limits a script can put on a headless run: a number of commands and a time.
// The run's hooks ask Reached() as it goes; once it says yes the run is stopped as
// the Stop button stops it.

#include <chrono>
#include <cstdint>
#include <optional>

#include "language/executor.h"

namespace kurovel {

class RunLimits {
 public:
  RunLimits(const LineExecutor& executor, std::optional<std::uint64_t> max_commands,
            std::optional<double> timeout_seconds);

  // True once either limit is reached, and from then on. The clock is read only
  // every few dozen calls, so asking before every command costs next to nothing.
  bool Reached();
  bool Any() const { return max_commands_ || deadline_; }

 private:
  static constexpr std::uint32_t kCallsPerClockReading = 64;

  const LineExecutor& executor_;
  std::optional<std::uint64_t> max_commands_;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  std::uint32_t calls_until_clock_ = 0;
  bool reached_ = false;
};

}  // namespace kurovel
