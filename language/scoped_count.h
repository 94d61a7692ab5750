#pragma once
// Counts what is under way (a run, a typed line) for as long as a scope lasts,
// also when the scope is left by an exception.

namespace kurovel {

class ScopedCount {
 public:
  explicit ScopedCount(int& counter) : counter_(counter) { ++counter_; }
  ~ScopedCount() { --counter_; }
  ScopedCount(const ScopedCount&) = delete;
  ScopedCount& operator=(const ScopedCount&) = delete;

 private:
  int& counter_;
};

}  // namespace kurovel
