// The program runner: command throughput of a repeat block against the same
// commands through ExecuteLine one line at a time, and the cost of a
// 100,000-line program (normalise, scan, trace and run; the scan alone).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/raster_surface.h"
#include "language/runner.h"
#include "controllers/event_budget.h"
#include "language/session.h"

namespace kurovel {
namespace {

constexpr int kPasses = 100000;
constexpr int kCommandsPerPass = 2;

// A session as after start: white surface, blue pen, turtle home, arrow as asked.
struct BenchSession {
  explicit BenchSession(bool arrow_shown) {
    session.variables.SetAll(10);
    surface.SetPenColor(clBlue);
    session.turtle.ClearScreen();
    if (!arrow_shown) session.turtle.ToggleArrow();
  }
  RasterSurface surface{361, 446};
  Session session{surface};
};

void RunRepeatBlock(benchmark::State& bench, bool arrow_shown) {
  BenchSession s(arrow_shown);
  HeadlessRunnerHost host(LineBuffer{"repeat " + std::to_string(kPasses), "fd 1", "rt 1", "next"});
  for (auto _ : bench) s.session.runner.RunProgram(host);
  benchmark::DoNotOptimize(s.surface.Bits());
  bench.SetItemsProcessed(bench.iterations() * kPasses * kCommandsPerPass);  // commands
}

// The same commands, one ExecuteLine per line and no runner around them.
void ExecuteSingleCommandLines(benchmark::State& bench, bool arrow_shown) {
  BenchSession s(arrow_shown);
  for (auto _ : bench) {
    for (int i = 0; i < kPasses; ++i) {
      s.session.executor.ExecuteLine("fd 1");
      s.session.executor.ExecuteLine("rt 1");
    }
  }
  benchmark::DoNotOptimize(s.surface.Bits());
  bench.SetItemsProcessed(bench.iterations() * kPasses * kCommandsPerPass);
}

// W3 as a run starts it: from a clear screen, so every move is drawn and recorded
// anew (the loop above keeps one session, whose drawing record fills up once).
void RunRepeatBlockAfterClear(benchmark::State& bench, bool arrow_shown) {
  BenchSession s(arrow_shown);
  HeadlessRunnerHost host(LineBuffer{"repeat " + std::to_string(kPasses), "fd 1", "rt 1", "next"});
  for (auto _ : bench) {
    bench.PauseTiming();
    s.session.turtle.ClearScreen();
    bench.ResumeTiming();
    s.session.runner.RunProgram(host);
  }
  benchmark::DoNotOptimize(s.surface.Bits());
  bench.SetItemsProcessed(bench.iterations() * kPasses * kCommandsPerPass);  // commands
}

void BM_RunnerRepeatBlockArrowShown(benchmark::State& bench) { RunRepeatBlock(bench, true); }
void BM_RunnerRepeatBlockArrowHidden(benchmark::State& bench) { RunRepeatBlock(bench, false); }
void BM_SingleCommandLinesArrowShown(benchmark::State& bench) { ExecuteSingleCommandLines(bench, true); }
void BM_SingleCommandLinesArrowHidden(benchmark::State& bench) { ExecuteSingleCommandLines(bench, false); }
BENCHMARK(BM_RunnerRepeatBlockArrowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SingleCommandLinesArrowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerRepeatBlockArrowHidden)->Unit(benchmark::kMillisecond);
void BM_RunnerRepeatBlockAfterClearArrowShown(benchmark::State& bench) { RunRepeatBlockAfterClear(bench, true); }
void BM_RunnerRepeatBlockAfterClearArrowHidden(benchmark::State& bench) { RunRepeatBlockAfterClear(bench, false); }
BENCHMARK(BM_RunnerRepeatBlockAfterClearArrowShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerRepeatBlockAfterClearArrowHidden)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SingleCommandLinesArrowHidden)->Unit(benchmark::kMillisecond);

// A loop of "inc" lines, as the runner runs it alone and as the desktop program
// runs it: with a line hook that asks an event budget whether the window's turn
// has come (it never has, here: the interval is an hour). The difference is the
// price of keeping the window responsive in such loops.
void RunIncLoop(benchmark::State& bench, bool paced) {
  BenchSession s(false);
  EventBudget budget(std::chrono::hours(1));
  std::int64_t deliveries = 0;
  if (paced) {
    s.session.runner.SetLineHook([&](std::int32_t) {
      if (budget.Due()) ++deliveries;
    });
  }
  HeadlessRunnerHost host(LineBuffer{"repeat " + std::to_string(kPasses), "inc var1 1", "next"});
  for (auto _ : bench) s.session.runner.RunProgram(host);
  benchmark::DoNotOptimize(deliveries);
  bench.SetItemsProcessed(bench.iterations() * kPasses);  // lines
}
void BM_RunnerIncLoop(benchmark::State& bench) { RunIncLoop(bench, false); }
void BM_RunnerIncLoopPaced(benchmark::State& bench) { RunIncLoop(bench, true); }
BENCHMARK(BM_RunnerIncLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunnerIncLoopPaced)->Unit(benchmark::kMillisecond);

// 25,000 blocks of two passes over 'fd 1' and 'rt 1': 100,000 lines, 100,000 commands.
LineBuffer HundredThousandLines() {
  LineBuffer lines;
  for (int i = 0; i < 25000; ++i) {
    for (const std::string_view line : {"repeat 2", "fd 1", "rt 1", "next"}) lines.push_back(line);
  }
  return lines;
}

void BM_RunnerHundredThousandLines(benchmark::State& bench) {
  BenchSession s(true);
  HeadlessRunnerHost host(HundredThousandLines());
  for (auto _ : bench) s.session.runner.RunProgram(host);
  bench.SetItemsProcessed(bench.iterations() * 100000);  // lines
}
BENCHMARK(BM_RunnerHundredThousandLines)->Unit(benchmark::kMillisecond);

void BM_ScanAndTraceHundredThousandLines(benchmark::State& bench) {
  const LineBuffer program = HundredThousandLines();
  for (auto _ : bench) {
    const BlockTables tables = ScanBlocks(program);
    TraceList trace;
    WriteBlockTrace(tables, program, trace);
    benchmark::DoNotOptimize(trace.Lines().size());
  }
  bench.SetItemsProcessed(bench.iterations() * 100000);  // lines
}
BENCHMARK(BM_ScanAndTraceHundredThousandLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kurovel
