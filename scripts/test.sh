#!/usr/bin/env bash
# Checks that includes follow the layers, then builds and runs every test
# twice: a normal build, then one with AddressSanitizer and
# UndefinedBehaviorSanitizer. The iSCSI tests start their own tgtd on
# 127.0.0.1 and stop it again. After the normal build, scripts/vm-test.sh
# runs the program against the kernel's sg and st drivers in a virtual
# machine. Then fuzzes the image and directory-file
# readers for a bounded time, builds the two Debian packages and checks
# them, running the README's command-line example with the packaged programs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"

echo "== layers"
"$top/scripts/check-layers.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
passed=0 failed=0 skipped=0

# Runs ctest in a build folder and adds its counts to the totals.
run_tests() {
  local log="$1/ctest.log" total bad skip
  (cd "$1" && ctest --output-on-failure -j"$jobs") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -n 1)
  bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$log" | tail -n 1)
  skip=$(grep -c '(Skipped)$' "$log" || true)
  passed=$((passed + ${total:-0} - ${bad:-0} - skip))
  failed=$((failed + ${bad:-0}))
  skipped=$((skipped + skip))
  return "$status"
}

echo "== build and test (RelWithDebInfo)"
"$top/scripts/build.sh" "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_TESTS=ON -DTW_BUILD_BENCH=ON
run_tests "$top/build/release"

echo "== real tape drivers in a virtual machine"
"$top/scripts/vm-test.sh" "$top/build/release"

echo "== build and test with ASan+UBSan"
"$top/scripts/build.sh" "$top/build/asan" -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BUILD_TESTS=ON -DTW_BUILD_BENCH=OFF
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests "$top/build/asan"

echo "== fuzz the image and directory-file readers"
"$top/scripts/fuzz.sh"

echo "== Debian packages"
"$top/scripts/package.sh"
"$top/scripts/check-packages.sh" "$top/build/package/packages"

echo "tests: $passed passed, $failed failed, $skipped skipped; virtual machine passed; fuzzing clean; packages checked"
