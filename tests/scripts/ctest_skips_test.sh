#!/usr/bin/env bash
# scripts/test's reading of CTest's skipped tests, on the output of this
# machine's own CTest: a skip that tests/expected-skips does not list must be
# caught, and a listed one named.
set -uo pipefail
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(skips NONE)
enable_testing()
foreach(name unlisted_skip win.fault_test_full_disk)
  add_test(NAME ${name} COMMAND sh -c "exit 77")
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()
add_test(NAME passes COMMAND true)
CMAKE
cmake -S "$work" -B "$work/build" >/dev/null
(cd "$work/build" && ctest) >"$work/log" 2>&1

found=$(ctest_skips "$work/log" | sort | paste -sd ' ' -)
expected="unlisted_skip(UNEXPECTED) win.fault_test_full_disk"
if [[ "$found" != "$expected" ]]; then
  echo "FAIL: read '$found' from CTest's output, expected '$expected'"
  cat "$work/log"
  exit 1
fi
echo "1 passed, 0 failed"
