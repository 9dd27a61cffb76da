#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan) in build/fuzz and
# runs each for a bounded time from seeds written by the program's own
# writers. Fails on any crash, leak, sanitizer report or memory overrun.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60, or $TW_FUZZ_SECONDS)
# The corpus grows in build/fuzz/corpus between runs; crashing inputs are
# kept in build/fuzz/crashes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${TW_FUZZ_SECONDS:-60}}
dir=$top/build/fuzz

"$top/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DTW_FUZZ=ON \
  -DTW_BUILD_UI=OFF -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF

mkdir -p "$dir/corpus" "$dir/crashes"
seeds=$(mktemp -d "${TMPDIR:-/tmp}/tw-seeds-XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$dir/fuzz/make_seeds" "$seeds"

# A small quarantine keeps ASan's own memory out of the 64 MiB the drive
# and the readers must stay within.
export ASAN_OPTIONS=quarantine_size_mb=8:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The image reader must stay within 64 MiB whatever the image (the fuzzer
# itself, with ASan, takes about 35 of them); the directory-file reader has
# no bound of its own, its limit only catches runaway growth. Inputs reach
# a directory file of more than 999 entries.
declare -A limits=([fuzz_tape_image]="-rss_limit_mb=64 -max_len=200000"
                   [fuzz_dir_file]="-rss_limit_mb=128 -max_len=300000")
for target in fuzz_tape_image fuzz_dir_file; do
  echo "== $target: $seconds s"
  mkdir -p "$dir/corpus/$target"
  status=0
  # shellcheck disable=SC2086
  "$dir/fuzz/$target" "$dir/corpus/$target" "$seeds/$target" -max_total_time="$seconds" ${limits[$target]} \
    -malloc_limit_mb=32 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$dir/crashes/$target-" > "$dir/$target.log" 2>&1 || status=$?
  grep -v '^#[0-9]' "$dir/$target.log" | tail -n 40
  [ "$status" = 0 ] || { echo "$target failed (status $status), log: $dir/$target.log" >&2; exit 1; }
done
echo "fuzz: no crashes"
