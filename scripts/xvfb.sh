# Sourced by the scripts that need a virtual X server.
# start_xvfb WORK_DIR: starts Xvfb on a free display (it writes the number to
# fd 3) and a session bus of its own, exports DISPLAY, QT_QPA_PLATFORM=xcb, a
# private XDG runtime folder and the bus's address, and sets xvfb_pid. stop_xvfb
# ends the server. A script that starts the desktop program under it keeps its
# process id in kurovel_pid; end_xvfb_session WORK_DIR, the scripts' exit trap,
# ends the program, the bus with everything it started and the server, waits
# until each of them has ended, and only then removes WORK_DIR.
xvfb_pid=""
kurovel_pid=""
bus_session=""  # the session id of the bus and of every service it started

# -noreset: an X server resets when its last client disconnects, which drops a
# keyboard map a script has just loaded (xkbcomp connects, loads it and goes) and
# refuses connections while it resets.
start_xvfb() {
  local work=$1
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done  # up to 30 s on a busy machine
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
  export XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=xcb
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  start_session_bus "$work"
}

# The program talks to a bus of this session only: never to the desktop's bus,
# accessibility bus or session manager, and it never autolaunches a bus of its
# own (one that would outlive the test and write into WORK_DIR). dbus-daemon
# --fork makes itself the leader of a new session, and the services it starts
# (the accessibility bus launcher and its bus) stay in that session, so that
# they can all be found and waited for at the end.
start_session_bus() {
  local work=$1
  unset AT_SPI_BUS_ADDRESS SESSION_MANAGER
  dbus-daemon --session --fork --address="unix:path=$XDG_RUNTIME_DIR/bus" \
    --print-address=3 --print-pid=4 3>"$work/bus-address" 4>"$work/bus-pid" 2>"$work/bus.log" ||
    { echo "the session bus did not start" >&2; cat "$work/bus.log" >&2; exit 1; }
  bus_session=$(head -n1 "$work/bus-pid")
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus-address")
  export DBUS_SESSION_BUS_ADDRESS
}

stop_xvfb() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# The live processes of the bus's session (zombies have ended; a container's
# first process may never reap them).
bus_processes() {
  ps -o pid=,stat= -s "$bus_session" 2>/dev/null | awk '$2 !~ /^Z/ { print $1 }'
}

# Asks every process of the bus's session to end, and waits until none is left:
# up to 20 s, then the rest are killed and waited for.
end_session_bus() {
  [ -n "$bus_session" ] || return 0
  local pids tick
  for tick in $(seq 400); do
    mapfile -t pids < <(bus_processes)
    ((${#pids[@]} == 0)) && return 0
    if ((tick == 1)); then kill -TERM "${pids[@]}" 2>/dev/null || true; fi
    if ((tick == 200)); then kill -KILL "${pids[@]}" 2>/dev/null || true; fi
    sleep 0.1
  done
  echo "processes of the session bus did not end: $(bus_processes | tr '\n' ' ')" >&2
  return 1
}

# Ends one child of this script and waits for it.
end_child() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

end_xvfb_session() {
  local status=$?
  end_child "$kurovel_pid"
  end_session_bus || status=1
  end_child "$xvfb_pid"
  rm -rf "$1" || status=1
  return $status
}
