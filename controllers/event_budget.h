#pragma once
// When a running program gives the user interface its turn. Delivering events
// before every command costs more than the commands themselves; delivering them
// once a few milliseconds of run time have passed keeps Stop, the command box,
// resizing and closing just as quick while the drawing runs near the engine's
// own speed. The clock is read only every few dozen calls.

#include <chrono>
#include <cstdint>

namespace kurovel {

class EventBudget {
 public:
  using Clock = std::chrono::steady_clock;

  explicit EventBudget(Clock::duration interval) : interval_(interval) {}

  // The next call of Due() says yes: before the first command of a run or line.
  void DeliverAtNextCall() { deliver_now_ = true; }
  // True when events should be delivered now; the caller then calls Delivered().
  bool Due() {
    if (deliver_now_) {
      deliver_now_ = false;
      return true;
    }
    if (++calls_ < kCallsPerClockReading) return false;
    calls_ = 0;
    return Clock::now() - last_delivery_ >= interval_;
  }
  void Delivered() {
    calls_ = 0;
    last_delivery_ = Clock::now();
  }

 private:
  static constexpr std::uint32_t kCallsPerClockReading = 32;

  Clock::duration interval_;
  Clock::time_point last_delivery_ = Clock::now();
  std::uint32_t calls_ = 0;
  bool deliver_now_ = false;
};

}  // namespace kurovel
