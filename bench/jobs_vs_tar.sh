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

. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

row() { rate_row 22 jobs/tar "$@"; }

run_set() {
    local label=$1 src=$2 bytes files
    bytes=$(byte_count "$src")
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

    tar_phases "$src" ts tp

    for phase in backup restore verify; do
        row "jobs $phase" "${js[$phase]}" "${jp[$phase]}" "$bytes" "${ts[$phase]}"
    done
    row "tar -c -b 128 + sync" "${ts[backup]}" "${tp[backup]}" "$bytes"
    row "tar -x + sync" "${ts[restore]}" "${tp[restore]}" "$bytes"
    row "tar -d" "${ts[verify]}" "${tp[verify]}" "$bytes"
    rm -rf "$work/x.tar" "$work/untar" "$work/restore" "$work/start" "$work/tape.tap"
}

make_big "$work/big" 64 16
run_set "1 GiB in 16 MiB files" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed" 900 4194304 3 zip
run_set "900 files of mixed sizes" "$work/mixed"
