#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz/ and runs
# each for SECONDS seconds (default 30) from its seed corpus. New inputs go to
# build-fuzz/corpus/<target>/, crashes to build-fuzz/findings/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_line fuzz_program fuzz_program_file fuzz_picture)

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKUROVEL_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
status=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  echo "== $target: $seconds s"
  # Seeds are read, never written: new inputs land in the build folder's corpus.
  if ! "$build/fuzz/$target" "$corpus" "fuzz/corpus/$target" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$findings/" \
      2>"$build/$target.log"; then
    status=1
    echo "!! $target found a fault; input in $findings/" >&2
    tail -n 60 "$build/$target.log" >&2
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|^#[0-9]+ +DONE' "$build/$target.log" || true
done
exit $status
