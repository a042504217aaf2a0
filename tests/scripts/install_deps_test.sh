#!/usr/bin/env bash
# scripts/install-deps on a bad day of the package archive, against a stand-in
# apt that refuses what each case says: the set-up must go on without 32-bit
# Wine, name what failed, and stop only for a package every machine needs.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# The stand-ins: dpkg-query finds only what $work/installed lists; apt-get
# logs each call, fails the update while $work/bad-index exists and refuses
# to install any package listed in $work/refused.  Like apt on the day the
# security suite's i386 index was out of step, it installs wine32:i386 only
# with that suite pinned away, and then only once its resolver is told about
# libgstreamer, which it otherwise gives up on.
mkdir -p "$work/bin"
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
grep -qxF "${@: -1}" "$STUB_DIR/installed" && echo "install ok installed"
exit 0
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STUB_DIR/calls"
[[ "$1" == --print-foreign-architectures ]] && exit 0
exit 0
STUB
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STUB_DIR/calls"
if [[ "$*" == *update* ]]; then
  if [[ -e "$STUB_DIR/bad-index" ]]; then
    echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
  fi
  exit 0
fi
if [[ -e "$STUB_DIR/bad-index" && "$*" == *wine32:i386* ]]; then
  preferences=$(sed -n 's/^-oDir::Etc::Preferences=//p; s/^Dir::Etc::Preferences=//p' <<<"$(printf '%s\n' "$@")")
  if ! grep -q "n=bookworm-security" "$preferences" 2>/dev/null; then
    echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages." >&2
    exit 100
  fi
  if [[ "$*" != *libgst:i386* ]]; then
    echo " libwine:i386 : Depends: libgst:i386 (>= 1.0.0) but it is not going to be installed" >&2
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
fi
for package in "$@"; do
  if grep -qxF "$package" "$STUB_DIR/refused" 2>/dev/null; then
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
done
exit 0
STUB
chmod +x "$work/bin/"*

# run_case NAME CAN_RUN_32BIT INSTALLED REFUSED BAD_INDEX(yes|no)
run_case() {
  rm -f "$work/calls" "$work/bad-index" "$work/wine32-failure"
  printf '%s\n' $3 >"$work/installed"
  printf '%s\n' $4 >"$work/refused"
  [[ "$5" == yes ]] && touch "$work/bad-index"
  output=$(STUB_DIR="$work" PATH="$work/bin:$PATH" CAN_RUN_32BIT=$2 APT_RETRY_PAUSE=0 \
    WINE32_FAILURE_FILE="$work/wine32-failure" bash "$script" 2>&1)
  status=$?
  name=$1
}
expect() {
  if ! eval "$1"; then
    echo "FAIL [$name]: $2"
    echo "  output: $output" | head -n 20
    failures=$((failures + 1))
  fi
}
calls() { cat "$work/calls" 2>/dev/null; }

every_package=$(sed -n '/^common_packages=(/,/^)/p' "$script" | grep -v '^ *#' | tr -d '()' | sed 's/common_packages=//')

run_case "i386 index out of step" yes "" "" yes
expect '[[ $status -eq 0 ]]' "the set-up failed (exit $status)"
expect '[[ $(calls | grep -c "apt-get update") -eq 3 ]]' "the update was not tried three times"
expect 'grep -q "binary-i386/Packages.xz" <<<"$output"' "the failed index is not named"
expect 'calls | grep -q "dpkg --add-architecture i386"' "the i386 architecture was not added"
expect '[[ ! -e "$work/wine32-failure" ]]' "32-bit Wine not installed from the suites whose indexes arrived"
expect 'grep -q "without the updates of bookworm-security" <<<"$output"' "the suite set aside is not named"

run_case "i386 index out of step and wine32 not to be had" yes "" "wine32:i386" yes
expect '[[ $status -eq 0 ]]' "the set-up failed (exit $status)"
expect 'grep -q "i386 index could not be fetched (bookworm-security)" "$work/wine32-failure"' \
  "no reason recorded for the 32-bit Wine tier"

run_case "no 32-bit programs on this kernel" no "" "" no
expect '[[ $status -eq 0 ]]' "the set-up failed (exit $status)"
expect '! calls | grep -q "i386"' "asked for i386 where it cannot run"

run_case "a needed package cannot be had" no "" "g++-mingw-w64-x86-64-posix" no
expect '[[ $status -ne 0 ]]' "the set-up passed without a compiler"
expect 'grep -q "  g++-mingw-w64-x86-64-posix:" <<<"$output"' "the missing package is not named"

run_case "everything already there" no "$every_package" "" yes
expect '[[ $status -eq 0 && ! -e "$work/calls" ]]' "apt was called though nothing was missing"

run_case "32-bit Wine installs" yes "$every_package" "" no
expect '[[ $status -eq 0 && ! -e "$work/wine32-failure" ]]' "32-bit Wine reported as failed"
expect 'calls | grep -q "install.*wine32:i386"' "32-bit Wine was not installed"

[[ $failures -eq 0 ]] && echo "6 cases, 0 failed"
exit $((failures > 0))
