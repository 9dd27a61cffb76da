#!/bin/bash
# tapewren-cli backup, restore (--all) and verify on the virtual drive beside
# GNU tar on the same files: tar -c -b 128 + sync, tar -x + sync, tar -d.
# Prints MB/s, the ratio tar time / tapewren-cli time (above 1: the CLI is
# faster) and peak resident memory of each.
#   bench/cli_vs_tar.sh [BUILD_DIR]        (default: build)
# Sizes, to run smaller:
#   TW_BENCH_BIG_FILES=64 TW_BENCH_BIG_MIB=16     the set of big files (1 GiB)
#   TW_BENCH_MIXED_FILES=900 TW_BENCH_MIXED_MAX=4194304
#                                                 mixed files, 0 B .. MAX bytes
# Needs about 3 x the data in ${TMPDIR:-/tmp}. The page cache is dropped
# before every phase when that is allowed (root outside a container).
set -euo pipefail

build=${1:-build}
cli="$build/src/tapewren-cli"
[ -x "$cli" ] || { echo "build the target tapewren-cli in $build first" >&2; exit 1; }
cli=$(realpath "$cli")
big_files=${TW_BENCH_BIG_FILES:-64}
big_mib=${TW_BENCH_BIG_MIB:-16}
mixed_files=${TW_BENCH_MIXED_FILES:-900}
mixed_max=${TW_BENCH_MIXED_MAX:-4194304}

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-cli-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

drop() { sync; [ "$(id -u)" = 0 ] && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null || true; }
now() { date +%s.%N; }

# Peak memory of a command: GNU time where installed (package time), else
# getrusage of the children through python3.
if [ -x /usr/bin/time ]; then
    peak_of() { /usr/bin/time -o "$work/peak" -f '%M' "$@"; }
else
    peak_of() {
        python3 -c 'import resource, subprocess, sys
rc = subprocess.call(sys.argv[2:])
open(sys.argv[1], "w").write("%d\n" % resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
sys.exit(rc)' "$work/peak" "$@"
    }
fi

make_big() {
    mkdir -p "$1"
    for i in $(seq -w 1 "$big_files"); do head -c $((big_mib << 20)) /dev/urandom > "$1/big$i.bin"; done
}

make_mixed() {  # sizes spread on a log scale, every tenth a zip archive
    mkdir -p "$1"
    awk -v n="$mixed_files" -v max="$mixed_max" \
        'BEGIN { srand(7); for (i = 1; i <= n; i++) printf "%d\n", int(exp(rand() * log(max))) - 1 }' |
        nl -w4 -n rz | while read -r n size; do
            ext=dat; [ $((10#$n % 10)) = 0 ] && ext=zip
            head -c "$size" /dev/urandom > "$1/m$n.$ext"
        done
}

# Runs "$@" and prints "SECONDS PEAK_KIB EXIT_STATUS".
measure() {
    local t0 t1 rc=0
    t0=$(now)
    peak_of "$@" > "$work/out" 2> "$work/err" || rc=$?
    t1=$(now)
    awk -v t0="$t0" -v t1="$t1" -v p="$(tail -n 1 "$work/peak")" -v rc="$rc" \
        'BEGIN { printf "%.3f %s %s\n", t1 - t0, p, rc }'
}

row() {  # label seconds peak bytes [tar-seconds]
    awk -v l="$1" -v s="$2" -v p="$3" -v b="$4" -v ts="${5:-}" 'BEGIN {
        printf "%-26s %8.2f s %8.1f MB/s  peak %7.1f MiB", l, s, b / 1e6 / s, p / 1024
        if (ts != "") printf "   tar/cli %.2f", ts / s
        printf "\n" }'
}

run_set() {
    local label=$1 src=$2 bytes files rc
    bytes=$(find "$src" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
    files=$(find "$src" -type f | wc -l)
    echo "== $label: $files files, $bytes bytes"
    rm -rf "$work/start" "$work/tapes" "$work/restore"
    mkdir -p "$work/start" "$work/tapes" "$work/restore"
    export TAPEWREN_VTAPE="$work/tapes" TAPEWREN_VTAPE_CAPACITY_MB=$(( bytes / 1048576 * 2 + 1024 ))
    (cd "$work/start" && "$cli" format Bench --yes > /dev/null 2>&1) || { echo "format failed" >&2; exit 1; }

    declare -A cs cp ts tp
    drop
    read -r cs[backup] cp[backup] rc < <(cd "$work/start" && measure sh -c '"$0" backup "$1"/* && sync' "$cli" "$src")
    [ "$rc" = 0 ] || { cat "$work/err" >&2; exit 1; }
    drop
    read -r cs[restore] cp[restore] rc < <(cd "$work/start" && measure sh -c '"$0" restore --to "$1" --all && sync' "$cli" "$work/restore")
    [ "$rc" = 0 ] || { cat "$work/err" >&2; exit 1; }
    drop
    read -r cs[verify] cp[verify] rc < <(cd "$work/start" && measure "$cli" verify --in "$src")
    [ "$rc" = 0 ] || { cat "$work/out" "$work/err" >&2; exit 1; }
    diff -r "$src" "$work/restore" > /dev/null || { echo "restored files differ" >&2; exit 1; }
    rm -rf "$work/restore" "$work/tapes"

    rm -rf "$work/x.tar" "$work/untar"; mkdir -p "$work/untar"
    drop
    read -r ts[backup] tp[backup] rc < <(measure sh -c "cd '$src' && tar -c -b 128 -f '$work/x.tar' . && sync '$work/x.tar'")
    drop
    read -r ts[restore] tp[restore] rc < <(measure sh -c "cd '$work/untar' && tar -x -b 128 -f '$work/x.tar' && sync")
    drop
    read -r ts[verify] tp[verify] rc < <(measure sh -c "cd '$src' && tar -d -b 128 -f '$work/x.tar'")
    [ "$rc" = 0 ] || { echo "tar -d found differences" >&2; exit 1; }

    row "tapewren-cli backup" "${cs[backup]}" "${cp[backup]}" "$bytes" "${ts[backup]}"
    row "tapewren-cli restore --all" "${cs[restore]}" "${cp[restore]}" "$bytes" "${ts[restore]}"
    row "tapewren-cli verify" "${cs[verify]}" "${cp[verify]}" "$bytes" "${ts[verify]}"
    row "tar -c -b 128 + sync" "${ts[backup]}" "${tp[backup]}" "$bytes"
    row "tar -x + sync" "${ts[restore]}" "${tp[restore]}" "$bytes"
    row "tar -d" "${ts[verify]}" "${tp[verify]}" "$bytes"
    rm -rf "$work/x.tar" "$work/untar"
}

make_big "$work/big"
run_set "$big_files files of $big_mib MiB" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed"
run_set "$mixed_files files of mixed sizes" "$work/mixed"
