#include "engine/drawn_path.h"

namespace kurovel {

std::vector<PathStep> DrawnPath::Steps() const {
  std::vector<PathStep> steps;
  if (count_ == 0) return steps;
  steps.reserve(count_ - 1);
  for (std::size_t i = 1; i < count_; ++i) {
    const Place& place = places_[i];
    const bool line = place.how != kJump;
    steps.push_back({places_[i - 1].at, place.at, line ? place.how : 0, line});
  }
  return steps;
}

}  // namespace kurovel
