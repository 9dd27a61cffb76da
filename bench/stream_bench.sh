#!/bin/bash
# A backup of 999 files (as many as a catalog holds) by the built tapewren-cli on the virtual drive in
# its LTO-like personality, once as by default and once with --stream: the
# synchronizing flushes (each a back-hitch on a real drive), the commands per
# GiB and the time, with each flush costing a modelled back-hitch, and that
# time with the back-hitch a real LTO drive takes (about 3 s) put in its
# place. Then checks that both runs wrote the same image, byte for byte.
#
#   bench/stream_bench.sh [BUILD_DIR]      (default build/release)
# Environment:
#   TW_BENCH_FILES=N      files (default 999), 0 B to 1 MiB on a log scale
#   TW_BENCH_HITCH_MS=N   modelled back-hitch per flush (default 20; a real
#                         LTO drive takes seconds)
# Target: tapewren-cli.
set -euo pipefail

build=${1:-build/release}
cli="$build/src/tapewren-cli"
[ -x "$cli" ] || { echo "build tapewren-cli in $build first" >&2; exit 1; }
cli=$(realpath "$cli")
here=$(dirname "${BASH_SOURCE[0]}")
files=${TW_BENCH_FILES:-999}
hitch=${TW_BENCH_HITCH_MS:-20}

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-stream-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$here/lib.sh"

make_mixed "$work/src" "$files" 1048576 4
bytes=$(byte_count "$work/src")

export TAPEWREN_VTAPE_DRIVE=lto TAPEWREN_VTAPE_READY_SECONDS=0
export TAPEWREN_VTAPE_CAPACITY_MB=$((bytes / 1048576 * 2 + 64))

# value NAME: NAME's count in the last statistics line.
value() { tail -n 1 "$work/stats" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

printf '%s files, %s bytes, back-hitch %s ms\n\n' "$files" "$bytes" "$hitch"
printf '| backup | flushes | commands | commands per GiB | flushes per GiB | WRITE commands | time | at 3 s per back-hitch |\n'
printf '|---|---|---|---|---|---|---|---|\n'
for mode in plain stream; do
    mkdir -p "$work/$mode/tapes" "$work/$mode/start"
    export TAPEWREN_VTAPE="$work/$mode/tapes"
    (cd "$work/$mode/start" && "$cli" format Bench --yes > /dev/null 2>&1) || { echo "format failed" >&2; exit 1; }
    rm -f "$work/stats"
    flag=()
    [ "$mode" = stream ] && flag=(--stream)
    sync
    t0=$(now)
    if ! (cd "$work/$mode/start" &&
          TAPEWREN_VTAPE_STATS="$work/stats" TAPEWREN_VTAPE_BACKHITCH_MS=$hitch \
          "$cli" backup "${flag[@]}" "$work/src"/* > "$work/out" 2> "$work/err"); then
        echo "backup ($mode) failed" >&2
        cat "$work/out" "$work/err" >&2
        exit 1
    fi
    t1=$(now)
    awk -v m="$mode" -v f="$(value flushes)" -v c="$(value commands)" -v w="$(value writes)" \
        -v b="$(value bytes_written)" -v t0="$t0" -v t1="$t1" -v h="$hitch" 'BEGIN {
        gib = b / 1073741824
        printf "| %s | %d | %d | %.0f | %.0f | %d | %.2f s | %.0f s |\n", m == "stream" ? "--stream" : "default",
            f, c, c / gib, f / gib, w, t1 - t0, t1 - t0 + f * (3000 - h) / 1000 }'
done
echo
if cmp -s "$work/plain/tapes/tape01.tap" "$work/stream/tapes/tape01.tap"; then
    echo "The two images are identical ($(stat -c %s "$work/plain/tapes/tape01.tap") bytes)."
else
    echo "The images differ." >&2
    cmp "$work/plain/tapes/tape01.tap" "$work/stream/tapes/tape01.tap" >&2 || true
    exit 1
fi
