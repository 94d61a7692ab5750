#pragma once
// What the turtle has drawn since the surface was last cleared, as geometry: every
// move in order, from where the turtle stood to where it went, either a line (the
// pen was down) with its colour or a jump (pen up, "rp", a re-centring). Checking
// an exercise reads this instead of the pixels.
//
// Recording costs a run next to nothing: a move keeps only where it went and how
// (12 bytes), since it starts where the one before ended; a move that starts
// elsewhere (the turtle was put there without a move) is preceded by a jump.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/color.h"
#include "engine/limits.h"
#include "engine/turtle_state.h"

namespace kurovel {

struct PathStep {
  Point from;
  Point to;
  ColorValue color = 0;  // the pen colour of a line; 0 for a jump
  bool line = false;     // drawn with the pen down, else a jump
  friend bool operator==(const PathStep&, const PathStep&) = default;
};

class DrawnPath {
 public:
  // Moves that end where they began add nothing: they draw nothing and go nowhere.
  void AddLine(Point from, Point to, ColorValue color) { Add(from, to, color); }
  void AddJump(Point from, Point to) { Add(from, to, kJump); }
  void Clear() {
    count_ = 0;
    omitted_ = 0;
  }

  // The moves kept, in order: those that reached the first kMaxPathPlaces places.
  std::vector<PathStep> Steps() const;
  // How many moves came after those and were only counted.
  std::uint64_t Omitted() const { return omitted_; }
  bool Complete() const { return omitted_ == 0; }

 private:
  // A place the turtle reached, and how: with a line of this colour, or kJump.
  struct Place {
    Point at;
    std::uint32_t how;
  };
  // Colours have 24 bits, so this value is none of them.
  static constexpr std::uint32_t kJump = 0xFF000000u;

  void Add(Point from, Point to, std::uint32_t how) {
    if (from == to) return;
    const bool jumped = count_ == 0 || places_[count_ - 1].at != from;
    if (count_ + (jumped ? 2 : 1) > kMaxPathPlaces) {
      ++omitted_;
      return;
    }
    // Room for every place at once, left untouched (and so unbacked by memory)
    // until a move reaches it: no copying as the path grows.
    if (!places_) places_ = std::make_unique_for_overwrite<Place[]>(kMaxPathPlaces);
    if (jumped) places_[count_++] = {from, kJump};
    places_[count_++] = {to, how};
  }

  std::unique_ptr<Place[]> places_;
  std::size_t count_ = 0;
  std::uint64_t omitted_ = 0;
};

}  // namespace kurovel
