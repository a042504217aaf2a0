# Shared by scripts/run and scripts/test.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINE_ROOT="$top/build/win32/wine"

# Starts a private Xvfb at 1024x768 and exports DISPLAY; it is stopped when
# the calling script exits.
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      trap 'stop_xvfb' EXIT
      return 0
    fi
  done
  echo "Could not start Xvfb" >&2
  return 1
}

stop_xvfb() {
  local prefix
  for prefix in "$WINE_ROOT"/*/; do
    [[ -f "$prefix/system.reg" ]] && WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null || true
  done
  [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null || true
}

configure_and_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
