#include "engine/drawn_path.h"

namespace kurovel {

void DrawnPath::AddAfterJump(Point from, Point to, std::uint32_t how) {
  if (from == to) return;
  const bool jumped = count_ == 0 || places_[count_ - 1].x != from.x || places_[count_ - 1].y != from.y;
  if (count_ + (jumped ? 2 : 1) > kMaxPathPlaces) {
    ++omitted_;
    return;
  }
  if (!places_) places_.reset(new Place[kMaxPathPlaces]);
  if (jumped) places_[count_++] = {from.x, from.y, kJump};
  places_[count_++] = {to.x, to.y, how};
}

std::vector<PathStep> DrawnPath::Steps() const {
  std::vector<PathStep> steps;
  if (count_ == 0) return steps;
  steps.reserve(count_ - 1);
  for (std::size_t i = 1; i < count_; ++i) {
    const Place& from = places_[i - 1];
    const Place& to = places_[i];
    const bool line = to.how != kJump;
    steps.push_back({{from.x, from.y}, {to.x, to.y}, line ? to.how : 0, line});
  }
  return steps;
}

}  // namespace kurovel
