#pragma once
// Benchmark-only control of the desktop program: starts a run with the Run button
// and ends the process when the run is over, so that a script can time the whole
// road from process start to the last frame on screen. Compiled into the program
// only when the build enables KUROVEL_BENCH_HOOKS; the user-facing build never
// reads the variable.

namespace kurovel {

class MainWindow;

// Reads KUROVEL_BENCH_RUN. Once the drawing area has first been painted, the Run
// button is clicked; when the run has ended and its last frame is painted:
//   "once"  quits the program;
//   "hold"  prints "done" on standard output and keeps the window open;
//   "loop"  clicks Run again, for ever.
// Every finished run prints "run N MS" (its number and duration) on standard
// output. Any other value, or none, changes nothing.
void InstallBenchHooks(MainWindow& form);

}  // namespace kurovel
