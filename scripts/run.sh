#!/usr/bin/env bash
# Builds the programs (no tests, no benchmarks) and starts the window on the
# built-in virtual tape drive. Installs only what building and running need.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" run
"$top/scripts/build.sh" "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF
exec "$top/build/release/src/ui/qt/tapewren" "$@"
