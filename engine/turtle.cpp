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
  const HeadingTrig& trig = TrigFor(state_.Heading);
  const std::int32_t x0 = state_.X;
  const std::int32_t y0 = state_.Y;
  if (n != std::numeric_limits<std::int32_t>::min()) {
    state_.X = Wrap32(std::int64_t{x0} + RoundedOffset(n, trig.sin));
    state_.Y = Wrap32(std::int64_t{y0} - RoundedOffset(n, trig.cos));
  }
  LineFromTo(x0, y0, state_.X, state_.Y);
  DrawArrow();
}

void Turtle::MoveBack(std::int32_t n) { MoveForward(WrapNeg(n)); }

void Turtle::TurnRight(std::int32_t n) {
  DrawArrow();
  state_.Heading = CorrectHeading(WrapAdd(state_.Heading, n == 0 ? kDefaultTurn : n));
  DrawArrow();
}

void Turtle::TurnLeft(std::int32_t n) {
  DrawArrow();
  state_.Heading = CorrectHeading(WrapSub(state_.Heading, n == 0 ? kDefaultTurn : n));
  DrawArrow();
}

void Turtle::PenDown(std::int32_t n) {
  state_.PenIsDown = 1;
  if (n < kPaletteSize) {
    SetPaletteColor(*surface_, n);
  } else if (n == kNextCycleColor) {
    SetPaletteColor(*surface_, state_.ColorCycleIndex);
    state_.ColorCycleIndex = WrapAdd(state_.ColorCycleIndex, 1);
    if (state_.ColorCycleIndex > kPaletteSize - 1) state_.ColorCycleIndex = 0;
  }
  surface_->SetPenMode(PenMode::pmCopy);
}

void Turtle::PenUp() {
  state_.PenIsDown = 0;
  surface_->SetPenMode(PenMode::pmNop);
}

void Turtle::ClearScreen() {
  DrawArrow();
  const ColorValue saved = surface_->GetPenColor();
  surface_->SetPenMode(PenMode::pmCopy);
  surface_->SetPenColor(clWhite);
  surface_->Rectangle(0, 0, surface_->Width(), surface_->Height());
  surface_->SetPenColor(saved);
  const Point center = SurfaceCenter(*surface_);
  state_.X = center.x;
  state_.Y = center.y;
  state_.ColorCycleIndex = 0;
  state_.Heading = 0;
  DrawArrow();
}

void Turtle::GoHome() {
  DrawArrow();
  const Point center = SurfaceCenter(*surface_);
  state_.X = center.x;
  state_.Y = center.y;
  state_.PenIsDown = 1;
  DrawArrow();
}

void Turtle::ResetHeading() {
  DrawArrow();
  state_.Heading = 0;
  DrawArrow();
}

void Turtle::ToggleArrow() {
  DrawArrow();
  if (state_.ArrowVisible == 1) {
    state_.ArrowVisible = 0;
    return;
  }
  state_.ArrowVisible = 1;
  DrawArrow();
}

void Turtle::MoveToPosition(std::int32_t x, std::int32_t y) {
  DrawArrow();
  const std::int32_t x0 = state_.X;
  const std::int32_t y0 = state_.Y;
  const Point center = SurfaceCenter(*surface_);
  state_.X = WrapAdd(center.x, x);
  state_.Y = WrapSub(center.y, y);
  LineFromTo(x0, y0, state_.X, state_.Y);
  DrawArrow();
}

}  // namespace kurovel
