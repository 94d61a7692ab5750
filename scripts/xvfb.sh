# Sourced by the scripts that need a virtual X server.
# start_xvfb WORK_DIR: starts Xvfb on a free display (it writes the number to
# fd 3), exports DISPLAY, QT_QPA_PLATFORM=xcb and a private XDG runtime folder,
# and sets xvfb_pid. stop_xvfb ends it. A script that starts the desktop program
# under it keeps its process id in kurovel_pid; end_xvfb_session WORK_DIR, the
# scripts' exit trap, ends the program and the server and removes WORK_DIR.
xvfb_pid=""
kurovel_pid=""

start_xvfb() {
  local work=$1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done  # up to 30 s on a busy machine
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
  export XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=xcb
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

stop_xvfb() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}

end_xvfb_session() {
  [ -n "$kurovel_pid" ] && kill "$kurovel_pid" 2>/dev/null || true
  stop_xvfb
  rm -rf "$1"
}
