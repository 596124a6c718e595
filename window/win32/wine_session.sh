# Runs Windows programs under Wine in the private X server of x_session.sh.
# Source it after x_session.sh:
#
#   wine_session_start                # a fresh Wine prefix, its own wineserver
#   wine_start "$folder/tool.exe"     # sets wine_pid
#
# Web pages the programs open are written, one a line, to $wine_opened
# instead of reaching a browser. Everything it starts ends with the script.

wine_bin=/usr/lib/wine
export WINEDEBUG=-all

# Makes a Wine prefix of its own (wineboot takes about 9 seconds) and an
# xdg-open that records what the shell asks it to open.
wine_session_start() {
  local base
  base=$(mktemp -d)
  x_on_exit "rm -rf '$base'"
  export WINEPREFIX=$base/prefix
  # Registered first, so it runs last: after every program has been ended.
  x_on_exit "WINEPREFIX='$WINEPREFIX' $wine_bin/wineserver -k; WINEPREFIX='$WINEPREFIX' timeout 10 $wine_bin/wineserver -w"
  mkdir -p "$base/bin"
  wine_opened=$base/opened
  : >"$wine_opened"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$wine_opened" >"$base/bin/xdg-open"
  chmod +x "$base/bin/xdg-open"
  export PATH=$base/bin:$PATH
  timeout 120 "$wine_bin/wine64" wineboot --init >"$x_logs/wineboot.log" 2>&1 ||
    x_fail "wineboot did not finish"
  timeout 30 "$wine_bin/wineserver" -w || true
}

# Starts the Windows program `exe` from its own folder; sets wine_pid.
wine_start() {
  (cd "$(dirname "$1")" && exec "$wine_bin/wine64" "./$(basename "$1")") \
    >>"$x_logs/wine.log" 2>&1 &
  wine_pid=$!
  x_on_exit "x_stop $wine_pid"
}

# Runs the Windows program `exe` with `args...` to its end, for at most 30
# seconds; its standard output is the function's.
wine_run() {
  timeout 30 "$wine_bin/wine64" "$@" 2>>"$x_logs/wine.log"
}
