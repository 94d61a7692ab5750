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
  DrawnPath() = default;
  DrawnPath(const DrawnPath&) = delete;
  DrawnPath& operator=(const DrawnPath&) = delete;

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
  // Plain integers, so that reserving room for places writes nothing.
  struct Place {
    std::int32_t x;
    std::int32_t y;
    std::uint32_t how;
  };
  // Colours have 24 bits, so this value is none of them.
  static constexpr std::uint32_t kJump = 0xFF000000u;

  // The usual move goes on from the last place and is stored here, inline, in a
  // few instructions; the rest goes through AddAfterJump.
  void Add(Point from, Point to, std::uint32_t how) {
    if (count_ != 0 && count_ < kMaxPathPlaces) {
      const Place& last = places_[count_ - 1];
      if (last.x == from.x && last.y == from.y) {
        if (from != to) places_[count_++] = {to.x, to.y, how};
        return;
      }
    }
    AddAfterJump(from, to, how);
  }
  // The first move, a move from a place the turtle was put at without a move (a
  // jump there first), or a move past the bound (only counted).
  void AddAfterJump(Point from, Point to, std::uint32_t how);

  // Room for every place, allocated at the first move and left untouched (and so
  // unbacked by memory) until a move reaches it: the path never moves as it grows.
  std::unique_ptr<Place[]> places_;
  std::size_t count_ = 0;
  std::uint64_t omitted_ = 0;
};

}  // namespace kurovel
