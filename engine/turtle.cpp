// The turtle commands. Moves and turns are bracketed by two DrawArrow calls:
// erase at the old place, change, draw at the new place.

#include "engine/turtle.h"

#include <array>
#include <cmath>
#include <limits>

#include "engine/extended_real.h"
#include "engine/palette.h"
#include "engine/rounding.h"

namespace kurovel {

namespace {

// 3.1415927 / 180 as a double; moves use it rather than the exact pi / 180.
constexpr double DegreesToRadians = 0.01745329277777778;
constexpr std::int32_t kDefaultTurn = 90;
constexpr std::int32_t kFullTurn = 360;
constexpr std::int32_t kNextCycleColor = 99;
constexpr std::int32_t kPaletteSize = static_cast<std::int32_t>(PenPalette.size());

struct HeadingTrig {
  std::int32_t heading = 0;
  bool valid = false;
  double sin = 0.0;
  double cos = 1.0;
};

// sin and cos of a heading, memoised: headings repeat constantly in programs.
const HeadingTrig& TrigFor(std::int32_t heading) {
  thread_local std::array<HeadingTrig, 512> cache{};
  HeadingTrig& entry = cache[static_cast<std::uint32_t>(heading) % cache.size()];
  if (!entry.valid || entry.heading != heading) {
    const double angle = static_cast<double>(heading) * DegreesToRadians;
    entry = {heading, true, std::sin(angle), std::cos(angle)};
  }
  return entry;
}

// round(n * factor) with the product in extended precision, ties to even;
// |n * factor| <= 2^31 always fits.
std::int64_t RoundedOffset(std::int32_t n, double factor) {
  return RoundHalfEven(ExtendedProduct(n, factor)).value_or(0);
}

// One correction step of at most 360 degrees, as the turn commands define it.
std::int32_t CorrectHeading(std::int32_t heading) {
  if (heading > kFullTurn) heading -= kFullTurn;
  if (heading < 0) heading += kFullTurn;
  return heading;
}

}  // namespace

void Turtle::LineFromTo(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  surface_->MoveTo(x0, y0);
  surface_->LineTo(x1, y1);
}


void Turtle::MoveForward(std::int32_t n) {
  DrawArrow();
  const HeadingTrig& trig = TrigFor(state_.heading);
  const std::int32_t x0 = state_.x;
  const std::int32_t y0 = state_.y;
  if (n != std::numeric_limits<std::int32_t>::min()) {
    state_.x = Wrap32(std::int64_t{x0} + RoundedOffset(n, trig.sin));
    state_.y = Wrap32(std::int64_t{y0} - RoundedOffset(n, trig.cos));
  }
  LineFromTo(x0, y0, state_.x, state_.y);
  RecordMove(Point{x0, y0});
  DrawArrow();
}

void Turtle::MoveBack(std::int32_t n) { MoveForward(WrapNeg(n)); }

void Turtle::TurnRight(std::int32_t n) {
  DrawArrow();
  state_.heading = CorrectHeading(WrapAdd(state_.heading, n == 0 ? kDefaultTurn : n));
  DrawArrow();
}

void Turtle::TurnLeft(std::int32_t n) {
  DrawArrow();
  state_.heading = CorrectHeading(WrapSub(state_.heading, n == 0 ? kDefaultTurn : n));
  DrawArrow();
}

void Turtle::PenDown(std::int32_t n) {
  state_.pen_down = true;
  if (n < kPaletteSize) {
    SetPaletteColor(*surface_, n);
  } else if (n == kNextCycleColor) {
    SetPaletteColor(*surface_, state_.color_cycle_index);
    state_.color_cycle_index = WrapAdd(state_.color_cycle_index, 1);
    if (state_.color_cycle_index > kPaletteSize - 1) state_.color_cycle_index = 0;
  }
  surface_->SetPenMode(PenMode::kCopy);
}

void Turtle::PenUp() {
  state_.pen_down = false;
  surface_->SetPenMode(PenMode::kNop);
}

void Turtle::ClearScreen() {
  DrawArrow();
  const ColorValue saved = surface_->GetPenColor();
  surface_->SetPenMode(PenMode::kCopy);
  surface_->SetPenColor(clWhite);
  surface_->Rectangle(0, 0, surface_->Width(), surface_->Height());
  surface_->SetPenColor(saved);
  const Point center = SurfaceCenter(*surface_);
  state_.x = center.x;
  state_.y = center.y;
  state_.color_cycle_index = 0;
  state_.heading = 0;
  path_.Clear();
  DrawArrow();
}

void Turtle::Recentre() {
  const Point from{state_.x, state_.y};
  const Point center = SurfaceCenter(*surface_);
  state_.x = center.x;
  state_.y = center.y;
  path_.AddJump(from, center);
}

void Turtle::GoHome() {
  DrawArrow();
  const Point from{state_.x, state_.y};
  const Point center = SurfaceCenter(*surface_);
  state_.x = center.x;
  state_.y = center.y;
  path_.AddJump(from, center);
  state_.pen_down = true;
  DrawArrow();
}

void Turtle::ResetHeading() {
  DrawArrow();
  state_.heading = 0;
  DrawArrow();
}

void Turtle::ToggleArrow() {
  DrawArrow();
  if (state_.arrow_visible) {
    state_.arrow_visible = false;
    return;
  }
  state_.arrow_visible = true;
  DrawArrow();
}

void Turtle::MoveToPosition(std::int32_t x, std::int32_t y) {
  DrawArrow();
  const std::int32_t x0 = state_.x;
  const std::int32_t y0 = state_.y;
  const Point center = SurfaceCenter(*surface_);
  state_.x = WrapAdd(center.x, x);
  state_.y = WrapSub(center.y, y);
  LineFromTo(x0, y0, state_.x, state_.y);
  RecordMove(Point{x0, y0});
  DrawArrow();
}

}  // namespace kurovel
