#!/usr/bin/env bash
# Runs the headless tests (engine, language, runner, program and bitmap files,
# kurovel-run and the binary it drives) under valgrind's memcheck: any memory error or any leak (definite,
# indirect or possible) fails. Builds a plain Debug tree in build-memcheck/.
#   scripts/memcheck.sh [GTEST_FILTER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-memcheck
filter=${1:-*}
tests=(tests/engine/kurovel_engine_tests tests/language/language_tests tests/language/runner_tests
       tests/ui/files_tests tests/app/kurovel_run_tests)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKUROVEL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  --target kurovel_engine_tests language_tests runner_tests files_tests kurovel_run_tests kurovel-run

export KUROVEL_RUN=$PWD/$build/app/kurovel-run
export QT_QPA_PLATFORM=offscreen
status=0
for t in "${tests[@]}"; do
  log=$build/memcheck-$(basename "$t").log
  echo "== $t"
  # Children are followed so that each kurovel-run the end-to-end tests start is
  # checked too; every process writes its own log.
  if valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
      --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 \
      --trace-children=yes --log-file="$log.%p" \
      "$build/$t" --gtest_filter="$filter" >"$log" 2>&1; then
    grep -h "ERROR SUMMARY" "$log".* | sort | uniq -c
  else
    status=1
    echo "!! $t: memcheck found a fault (or a test failed); see $log*" >&2
    tail -n 20 "$log" >&2
    grep -l -E "ERROR SUMMARY: [1-9]" "$log".* >&2 || true
  fi
done
exit $status
