// Turtle throughput on a 361 x 446 off-screen surface: 'fd 1' / 'rt 1' pairs
// with the arrow shown and hidden, and single far lines that must be clipped
// in closed form.

#include <benchmark/benchmark.h>

#include "engine/raster_surface.h"
#include "engine/turtle.h"

namespace kurovel {
namespace {

void ForwardAndTurnPairs(benchmark::State& bench, bool arrow_visible) {
  RasterSurface surface(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  surface.SetPenColor(clBlue);
  Turtle turtle(surface);
  turtle.State().arrow_visible = arrow_visible;
  turtle.ClearScreen();
  for (auto _ : bench) {
    turtle.MoveForward(1);
    turtle.TurnRight(1);
  }
  benchmark::DoNotOptimize(surface.Bits());
  // Two commands per iteration.
  bench.counters["commands/s"] = benchmark::Counter(2.0 * static_cast<double>(bench.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void BM_ForwardTurnArrowShown(benchmark::State& bench) { ForwardAndTurnPairs(bench, true); }
void BM_ForwardTurnArrowHidden(benchmark::State& bench) { ForwardAndTurnPairs(bench, false); }
BENCHMARK(BM_ForwardTurnArrowShown);
BENCHMARK(BM_ForwardTurnArrowHidden);

// fd 2147483647 from the centre, then straight back, each with the arrow brackets.
void BM_FarForwardFromCentre(benchmark::State& bench) {
  RasterSurface surface(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  Turtle turtle(surface);
  turtle.ClearScreen();
  turtle.TurnRight(30);
  for (auto _ : bench) {
    turtle.MoveForward(2147483647);
    turtle.MoveBack(2147483647);
  }
  bench.SetItemsProcessed(2 * bench.iterations());  // far lines
}
BENCHMARK(BM_FarForwardFromCentre);

// pos 2000000000 -2000000000 and back to the centre.
void BM_FarMoveToPosition(benchmark::State& bench) {
  RasterSurface surface(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  Turtle turtle(surface);
  turtle.ClearScreen();
  for (auto _ : bench) {
    turtle.MoveToPosition(2000000000, -2000000000);
    turtle.MoveToPosition(0, 0);
  }
  bench.SetItemsProcessed(2 * bench.iterations());
}
BENCHMARK(BM_FarMoveToPosition);

}  // namespace
}  // namespace kurovel
