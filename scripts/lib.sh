# Shared by the scripts.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Where scripts/install-deps records why it could not install 32-bit Wine.
wine32_failure_file="${WINE32_FAILURE_FILE:-$top/build/wine32-unavailable}"

# Whether the kernel runs 32-bit Linux programs, asked before any i386
# package is installed: a 93-byte static i386 program that only exits.
# Some kernels have 32-bit emulation switched off; KERNEL_32BIT_ERROR then
# holds what the kernel said.
kernel_runs_32bit() {
  local probe
  probe=$(mktemp)
  printf '%b' \
    '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  KERNEL_32BIT_ERROR=""
  if KERNEL_32BIT_ERROR=$("$probe" 2>&1); then
    rm -f "$probe"
    return 0
  fi
  KERNEL_32BIT_ERROR=${KERNEL_32BIT_ERROR##*: }
  rm -f "$probe"
  return 1
}

# Whether the 32-bit build can run here.  When it cannot, WIN32_UNAVAILABLE
# says why.
probe_win32() {
  WIN32_UNAVAILABLE=""
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  if ! kernel_runs_32bit; then
    WIN32_UNAVAILABLE="this machine cannot run 32-bit Linux programs: its kernel has 32-bit emulation switched off (${KERNEL_32BIT_ERROR:-it refused a 32-bit program})"
  elif [[ ! -e /usr/lib/wine/wine ]]; then
    WIN32_UNAVAILABLE="32-bit Wine (wine32:i386) is not installed"
    [[ -s "$wine32_failure_file" ]] && WIN32_UNAVAILABLE+=": $(cat "$wine32_failure_file")"
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

# Starts a private Xvfb at 1024x768 and exports DISPLAY and XVFB_PID; the
# caller stops it (stop_xvfb).  Xvfb picks a free display number itself
# (-displayfd), so servers started side by side never race for one.
start_xvfb() {
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 200); do
    [[ -s "$displayfile" ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  if [[ ! -s "$displayfile" ]]; then
    rm -f "$displayfile"
    kill "$XVFB_PID" 2>/dev/null || true
    echo "Could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$displayfile")"
  rm -f "$displayfile"
  # Only return once the server answers.
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done
}

# Also ends the wineservers of the prefixes under WINE_ROOT, when it is set.
stop_xvfb() {
  local prefix
  for prefix in "${WINE_ROOT:-/nonexistent}"/*/; do
    [[ -f "$prefix/system.reg" ]] && WINEPREFIX="${prefix%/}" wineserver -k 2>/dev/null || true
  done
  if [[ -n "${XVFB_PID:-}" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true  # leaves no zombie behind
  fi
}

# ctest_skips LOG: the tests that CTest's output LOG reports as skipped, each
# followed by (UNEXPECTED) when tests/expected-skips does not allow it.  CTest
# indents that list with a tab.
ctest_skips() {
  local test
  for test in $(grep -oE '^[[:space:]]*[0-9]+ - [^ ]+ \(Skipped\)' "$1" | awk '{print $3}'); do
    if awk -v t="$test" '$1 == t { found = 1 } END { exit !found }' "$top/tests/expected-skips"; then
      echo "$test"
    else
      echo "$test(UNEXPECTED)"
    fi
  done
}

configure_and_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
