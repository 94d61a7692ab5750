#!/usr/bin/env bash
# The desktop program's tests (ctest label "desktop") as on a pupil's desktop:
# under a session bus (dbus-run-session) on which the accessibility bus runs, as
# every Linux desktop has them. The tests keep their own bus and folders, so they
# pass there exactly as without one; RUNS runs in a row (default 1) show that they
# do so every time. ./dev test runs it once.
#   scripts/desktop-tests.sh BUILD_FOLDER [RUNS]
set -euo pipefail
build=${1:?usage: scripts/desktop-tests.sh BUILD_FOLDER [RUNS]}
runs=${2:-1}
for tool in dbus-run-session dbus-send; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
if [ -z "${KUROVEL_DESKTOP_BUS:-}" ]; then
  exec env KUROVEL_DESKTOP_BUS=1 dbus-run-session -- "$0" "$@"
fi

# The accessibility bus, started as a desktop session starts it.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
jobs=$(nproc 2>/dev/null || echo 2)
for run in $(seq "$runs"); do
  if ! (cd "$build" && ctest -L desktop --output-on-failure -j "$jobs" --timeout 600 >"ctest-desktop.log" 2>&1); then
    cat "$build/ctest-desktop.log"
    echo "desktop tests under a session bus: run $run of $runs failed" >&2
    exit 1
  fi
  echo "run $run of $runs: $(grep -o '[0-9]*% tests passed.*' "$build/ctest-desktop.log")"
done
echo "desktop tests under a session bus: $runs of $runs runs passed"
