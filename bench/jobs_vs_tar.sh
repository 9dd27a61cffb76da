#!/bin/bash
# The backup, restore and verify jobs (toolkit-free, as START runs them)
# against GNU tar on the same files in the same run: tar -c -b 128 + sync,
# tar -x + sync, tar -d. Prints MB/s, the ratio jobs/tar and peak resident
# memory of each.
#   bench/jobs_vs_tar.sh BUILD_DIR [BLOCK_LENGTH]
# Needs about 4 GiB in ${TMPDIR:-/tmp}. The page cache is dropped before
# every phase when that is allowed (root outside a container).
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [BLOCK_LENGTH]}
block=${2:-1024}
bench="$build/bench/jobs_bench"
[ -x "$bench" ] || { echo "build the target jobs_bench first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-jobs-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

drop() { sync; [ "$(id -u)" = 0 ] && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null || true; }
now() { date +%s.%N; }

make_big() {  # 64 files of 16 MiB: 1 GiB
    mkdir -p "$1"
    for i in $(seq -w 1 64); do head -c $((16 << 20)) /dev/urandom > "$1/big$i.bin"; done
}

make_mixed() {  # 900 files, 0 B .. 4 MiB spread on a log scale, some archives
    mkdir -p "$1"
    awk 'BEGIN { srand(7); for (i = 1; i <= 900; i++) printf "%d\n", int(exp(rand() * log(4194304))) - 1 }' |
        nl -w3 -n rz | while read -r n size; do
            ext=dat; [ $((10#$n % 10)) = 0 ] && ext=zip
            head -c "$size" /dev/urandom > "$1/m$n.$ext"
        done
}

# Runs "$@" and prints "SECONDS PEAK_KIB EXIT_STATUS".
measure() {
    local t0 t1 rc=0
    t0=$(now)
    /usr/bin/time -o "$work/peak" -f '%M' "$@" > "$work/out" 2> "$work/err" || rc=$?
    t1=$(now)
    awk -v t0="$t0" -v t1="$t1" -v p="$(tail -n 1 "$work/peak")" -v rc="$rc" 'BEGIN { printf "%.3f %s %s\n", t1 - t0, p, rc }'
}

row() {  # label seconds peak bytes [tar-seconds]
    awk -v l="$1" -v s="$2" -v p="$3" -v b="$4" -v ts="${5:-}" 'BEGIN {
        r = b / 1e6 / s
        printf "%-22s %8.2f s %8.1f MB/s  peak %7.1f MiB", l, s, r, p / 1024
        if (ts != "") printf "   jobs/tar %.2f", ts / s
        printf "\n" }'
}

run_set() {
    local label=$1 src=$2 bytes files
    bytes=$(find "$src" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
    files=$(find "$src" -type f | wc -l)
    echo "== $label: $files files, $bytes bytes, block length $block"
    rm -rf "$work/restore" "$work/start" "$work/tape.tap"; mkdir -p "$work/restore" "$work/start"

    declare -A js jp ts tp
    for phase in backup restore verify; do
        drop
        # Backup and restore end with a sync, as tar's do; verify writes nothing.
        local then=sync
        [ "$phase" = verify ] && then=true
        read -r js[$phase] jp[$phase] rc < <(measure env TAPEWREN_VTAPE="$work/tape.tap" \
            TAPEWREN_VTAPE_CAPACITY_MB=8192 sh -c '"$0" "$@" && '"$then" "$bench" "$phase" "$src" "$work/restore" \
            "$work/start" "$block")
        [ "$rc" = 0 ] || { cat "$work/out" "$work/err" >&2; exit 1; }
        cat "$work/out"
    done
    diff -r "$src" "$work/restore" > /dev/null || { echo "restored files differ" >&2; exit 1; }

    rm -rf "$work/x.tar" "$work/untar"; mkdir -p "$work/untar"
    drop
    read -r ts[backup] tp[backup] rc < <(measure sh -c "cd '$src' && tar -c -b 128 -f '$work/x.tar' . && sync '$work/x.tar'")
    drop
    read -r ts[restore] tp[restore] rc < <(measure sh -c "cd '$work/untar' && tar -x -b 128 -f '$work/x.tar' && sync")
    drop
    read -r ts[verify] tp[verify] rc < <(measure sh -c "cd '$src' && tar -d -b 128 -f '$work/x.tar'")
    [ "$rc" = 0 ] || { echo "tar -d found differences" >&2; exit 1; }

    for phase in backup restore verify; do
        row "jobs $phase" "${js[$phase]}" "${jp[$phase]}" "$bytes" "${ts[$phase]}"
    done
    row "tar -c -b 128 + sync" "${ts[backup]}" "${tp[backup]}" "$bytes"
    row "tar -x + sync" "${ts[restore]}" "${tp[restore]}" "$bytes"
    row "tar -d" "${ts[verify]}" "${tp[verify]}" "$bytes"
    rm -rf "$work/x.tar" "$work/untar" "$work/restore" "$work/start" "$work/tape.tap"
}

make_big "$work/big"
run_set "1 GiB in 16 MiB files" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed"
run_set "900 files of mixed sizes" "$work/mixed"
