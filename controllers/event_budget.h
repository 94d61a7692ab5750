#pragma once
// When a running program gives the user interface its turn. Delivering events
// before every command costs more than the commands themselves; delivering them
// once a few milliseconds of run time have passed keeps Stop, the command box,
// resizing and closing just as quick while the drawing runs near the engine's
// own speed.
//
// Reading the clock costs too (in a browser far more than a quick command), so it
// is read only every so many calls: about kReadingsPerInterval times an interval.
// The number of calls between readings doubles while calls are quick and shrinks
// at once, in proportion, when they are slow.

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace kurovel {

// Clock: std::chrono::steady_clock, or a clock of the tests.
template <typename Clock>
class BasicEventBudget {
 public:
  explicit BasicEventBudget(typename Clock::duration interval) : interval_(interval) {}

  // The next call of Due() says yes: before the first command of a run or line.
  void DeliverAtNextCall() { deliver_now_ = true; }
  // True when events should be delivered now; the caller then calls Delivered().
  bool Due() {
    if (deliver_now_) {
      deliver_now_ = false;
      return true;
    }
    if (++calls_ < calls_per_reading_) return false;
    calls_ = 0;
    const typename Clock::time_point now = Clock::now();
    AdaptReadings(now - last_reading_);
    last_reading_ = now;
    return now - last_delivery_ >= interval_;
  }
  void Delivered() {
    calls_ = 0;
    last_delivery_ = last_reading_ = Clock::now();
  }
  // How many calls go by between two readings of the clock now.
  std::uint32_t CallsPerReading() const { return calls_per_reading_; }

 private:
  static constexpr std::uint32_t kReadingsPerInterval = 8;
  // A sudden run of slow calls waits at most this many of them for its turn.
  static constexpr std::uint32_t kMaxCallsPerReading = 512;
  static constexpr std::uint32_t kFirstCallsPerReading = 32;

  void AdaptReadings(typename Clock::duration since_last_reading) {
    const typename Clock::duration target = interval_ / kReadingsPerInterval;
    if (since_last_reading * 2 < target) {
      calls_per_reading_ = std::min(calls_per_reading_ * 2, kMaxCallsPerReading);
    } else if (since_last_reading > target) {
      const auto scaled = static_cast<std::uint32_t>(
          std::uint64_t{calls_per_reading_} * static_cast<std::uint64_t>(target.count()) /
          static_cast<std::uint64_t>(since_last_reading.count()));
      calls_per_reading_ = std::max<std::uint32_t>(scaled, 1);
    }
  }

  typename Clock::duration interval_;
  typename Clock::time_point last_delivery_ = Clock::now();
  typename Clock::time_point last_reading_ = last_delivery_;
  std::uint32_t calls_ = 0;
  std::uint32_t calls_per_reading_ = kFirstCallsPerReading;
  bool deliver_now_ = false;
};

using EventBudget = BasicEventBudget<std::chrono::steady_clock>;

}  // namespace kurovel
