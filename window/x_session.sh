# A private X server for a test that drives a window as a person would.
# Source it from a bash script running under `set -euo pipefail`:
#
#   source window/x_session.sh
#   x_session_start --openbox         # Xvfb on a free display, a window manager
#   x_on_exit 'kill "$tool_pid"'      # runs, last added first, when the script ends
#   window=$(x_wait_window '^Title$') || x_fail "no window"
#
# Everything it starts ends with the script. Logs go to $x_logs, which x_fail
# prints.

x_logs=$(mktemp -d)
x_exit_commands=()

# Runs `command` (a string for eval) when the script ends, before what was
# registered earlier.
x_on_exit() { x_exit_commands+=("$1"); }

_x_exit() {
  local i
  for ((i = ${#x_exit_commands[@]} - 1; i >= 0; i--)); do
    eval "${x_exit_commands[i]}" >/dev/null 2>&1 || true
  done
  rm -rf "$x_logs"
}
trap _x_exit EXIT

# Ends the process `pid` and waits for it, for at most 5 seconds.
x_stop() {
  local pid=$1
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
}

# Prints why the test failed, the logs and the windows on screen, and ends it.
x_fail() {
  echo "FAIL: $*" >&2
  local log
  for log in "$x_logs"/*.log; do
    [[ -e $log ]] || continue
    echo "--- $log" >&2
    tail -n 40 "$log" >&2
  done
  echo "--- windows:" >&2
  local w
  for w in $(xdotool search --name . 2>/dev/null); do
    echo "$w $(xdotool getwindowname "$w" 2>/dev/null)" >&2
  done
  exit 1
}

# Waits until `command...` succeeds, for at most `seconds`.
x_wait_for() {
  local seconds=$1
  shift
  local _
  for _ in $(seq $((seconds * 10))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Starts Xvfb on a display no one uses and points DISPLAY at it; with
# --openbox, also a window manager, once it has taken the screen.
x_session_start() {
  local display_fd display
  # Xvfb picks a free display and writes its number to the pipe.
  exec {display_fd}<> <(:)
  # -noreset: by default the server resets when its last client leaves, and
  # a client that connects in that moment (openbox after xdpyinfo) is refused.
  Xvfb -displayfd "$display_fd" -screen 0 "${X_SCREEN:-800x600x24}" -nolisten tcp -noreset \
    >"$x_logs/xvfb.log" 2>&1 &
  x_xvfb_pid=$!
  x_on_exit "x_stop $x_xvfb_pid"
  read -r -t 30 -u "$display_fd" display || x_fail "Xvfb did not start"
  exec {display_fd}<&-
  export DISPLAY=:$display
  x_wait_for 30 xdpyinfo || x_fail "Xvfb does not answer on $DISPLAY"
  if [[ ${1:-} == --openbox ]]; then
    # A window manager that could not connect ends at once: try again, a few
    # times, rather than fail the test on a moment's refusal.
    local attempt
    for attempt in 1 2 3; do
      openbox --sm-disable >>"$x_logs/openbox.log" 2>&1 &
      x_openbox_pid=$!
      x_on_exit "x_stop $x_openbox_pid"
      x_wait_for 20 _x_window_manager_up "$x_openbox_pid" || true
      _x_window_manager_running && return 0
      x_stop "$x_openbox_pid"
    done
    x_fail "openbox did not take the screen"
  fi
}

# Succeeds once the window manager `pid` runs the screen or has ended.
_x_window_manager_up() {
  _x_window_manager_running || ! kill -0 "$1" 2>/dev/null
}

# A window manager announces itself on the root window.
_x_window_manager_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

# Fails unless `id` is a window id: tools given an empty one wait for a
# click forever.
x_require_id() {
  [[ ${1:-} =~ ^[0-9]+$ ]] || x_fail "not a window id: '${1:-}'"
}

# Prints the id of the first visible window whose name matches `regex`,
# waiting for it at most `seconds` (default 30); fails when none appears.
x_wait_window() {
  local regex=$1 seconds=${2:-30} id
  id=$(timeout "$seconds" xdotool search --sync --onlyvisible --name "$regex" \
    2>/dev/null | head -1) || true
  [[ $id =~ ^[0-9]+$ ]] || return 1
  echo "$id"
}

# Waits at most `seconds` (default 10) until no visible window's name
# matches `regex`.
x_wait_window_gone() {
  local regex=$1 seconds=${2:-10}
  x_wait_for "$seconds" _x_no_window "$regex"
}

_x_no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# Sets X, Y, WIDTH and HEIGHT to the window's client area on the screen.
# (xdotool's own geometry is off by the frame of a window manager.)
x_geometry() {
  x_require_id "$1"
  local info
  info=$(xwininfo -id "$1") || x_fail "no window $1"
  X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# Clicks at the point (`x`, `y`) of the client area whose corner is X, Y.
x_click() {
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.2
}

# Writes an image of the window `id`, frame and all when a window manager
# framed it, to `file`.
x_screenshot() {
  x_require_id "$1"
  local frame=
  [[ -n ${x_openbox_pid:-} ]] && frame=-frame
  import -window "$1" $frame "$2"
}
