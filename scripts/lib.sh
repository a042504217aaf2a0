# Shared by the scripts.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Whether the 32-bit build can run here.  Some kernels have 32-bit emulation
# switched off: no i386 Linux program starts there, 32-bit Wine included,
# and only the 64-bit build can be run.  When it cannot, WIN32_UNAVAILABLE
# says why.
probe_win32() {
  WIN32_UNAVAILABLE=""
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  local error
  if [[ ! -e /usr/lib/wine/wine ]]; then
    WIN32_UNAVAILABLE="32-bit Wine (wine32:i386) is not installed"
  elif ! error=$(/lib/ld-linux.so.2 --version 2>&1 >/dev/null); then
    WIN32_UNAVAILABLE="this machine cannot run 32-bit Linux programs: its kernel has 32-bit emulation switched off (/lib/ld-linux.so.2: ${error##*: })"
  else
    WIN32_UNAVAILABLE="32-bit Wine does not start: $(/usr/lib/wine/wine --version 2>&1 | head -n 1)"
  fi
  return 1
}

# The Wine loader for a build's width, win32 or win64.  /usr/bin/wine would
# pick the 32-bit loader whenever it is installed, even where it cannot run.
wine_loader() {
  case "$1" in
    win32)
      probe_win32 || { echo "The 32-bit build cannot run here: $WIN32_UNAVAILABLE." >&2; return 1; }
      echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo "Unknown Windows width '$1': win32 or win64." >&2; return 2 ;;
  esac
}

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

# Also ends the wineservers of the prefixes under WINE_ROOT, when it is set.
stop_xvfb() {
  local prefix
  for prefix in "${WINE_ROOT:-/nonexistent}"/*/; do
    [[ -f "$prefix/system.reg" ]] && WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null || true
  done
  [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null || true
}

configure_and_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
