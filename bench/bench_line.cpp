// Command throughput through the line executor: the line 'fd 1 rt 1' run
// 100,000 times on a 361 x 446 off-screen surface, arrow shown and hidden.

#include <benchmark/benchmark.h>

#include "engine/raster_surface.h"
#include "engine/turtle.h"
#include "language/executor.h"
#include "language/variables.h"

namespace kurovel {
namespace {

constexpr int kLines = 100000;
constexpr int kCommandsPerLine = 2;

void ExecuteForwardTurnLines(benchmark::State& bench, bool arrow_shown) {
  RasterSurface surface(361, 446);
  surface.SetPenColor(clBlue);
  Turtle turtle(surface);
  VariableTable variables;
  variables.SetAll(10);
  TraceList trace;
  LineExecutor executor(turtle, variables, trace);
  turtle.ClearScreen();
  if (!arrow_shown) turtle.ToggleArrow();
  for (auto _ : bench) {
    for (int i = 0; i < kLines; ++i) executor.ExecuteLine("fd 1 rt 1");
  }
  benchmark::DoNotOptimize(surface.Bits());
  bench.SetItemsProcessed(bench.iterations() * kLines * kCommandsPerLine);  // commands
}

void BM_ExecuteLineArrowShown(benchmark::State& bench) { ExecuteForwardTurnLines(bench, true); }
void BM_ExecuteLineArrowHidden(benchmark::State& bench) { ExecuteForwardTurnLines(bench, false); }
BENCHMARK(BM_ExecuteLineArrowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExecuteLineArrowHidden)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kurovel
