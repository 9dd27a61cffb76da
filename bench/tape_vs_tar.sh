#!/bin/bash
# Backs up, restores and verifies the same files through TapeVolume on the
# virtual drive and with GNU tar (-b 128: 64 KiB records, about the size of
# one 64-block transfer), and prints MB/s for each.
#   bench/tape_vs_tar.sh BUILD_DIR [BLOCK_LENGTH]
# Needs about 5 GiB in ${TMPDIR:-/tmp}. Page cache is dropped before every
# phase when run as root, so reads come from disk as far as the machine
# allows.
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [BLOCK_LENGTH]}
block=${2:-2048}
bench="$build/bench/tape_volume_bench"
[ -x "$bench" ] || { echo "build the target tape_volume_bench first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

rate() { awk -v b="$1" -v t0="$2" -v t1="$3" 'BEGIN { s = t1 - t0; printf "%7.2f s %8.1f MB/s", s, b / 1e6 / s }'; }

run_set() {
    local label=$1 src=$2
    local bytes
    bytes=$(byte_count "$src")
    echo "== $label: $(find "$src" -type f | wc -l) files, $bytes bytes, block length $block"

    rm -rf "$work/restore" "$work/tape.tap"; mkdir -p "$work/restore"
    for phase in backup restore verify; do
        drop
        TAPEWREN_VTAPE="$work/tape.tap" TAPEWREN_VTAPE_CAPACITY_MB=8192 "$bench" "$phase" "$src" "$work/restore" "$block"
    done
    cmp -s <(cd "$src" && cat $(ls)) <(cd "$work/restore" && cat $(ls)) || { echo "restored files differ" >&2; exit 1; }

    rm -rf "$work/x.tar" "$work/untar"; mkdir -p "$work/untar"
    drop; t0=$(now)
    (cd "$src" && tar -c -b 128 -f "$work/x.tar" .)
    sync "$work/x.tar"; t1=$(now)
    echo "tar -c           $(rate "$bytes" "$t0" "$t1")"
    drop; t0=$(now)
    (cd "$work/untar" && tar -x -b 128 -f "$work/x.tar")
    t1=$(now)
    echo "tar -x           $(rate "$bytes" "$t0" "$t1")"
    drop; t0=$(now)
    (cd "$src" && tar -d -b 128 -f "$work/x.tar" > /dev/null)
    t1=$(now)
    echo "tar -d           $(rate "$bytes" "$t0" "$t1")"
    rm -rf "$work/x.tar" "$work/untar" "$work/restore" "$work/tape.tap"
}

make_big "$work/big" 64 16
run_set "1 GiB in 16 MiB files" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed" 900 4194304 3
run_set "900 files of mixed sizes" "$work/mixed"
