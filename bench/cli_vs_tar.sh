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

. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

row() { rate_row 26 tar/cli "$@"; }

run_set() {
    local label=$1 src=$2 bytes files rc
    bytes=$(byte_count "$src")
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

    tar_phases "$src" ts tp

    row "tapewren-cli backup" "${cs[backup]}" "${cp[backup]}" "$bytes" "${ts[backup]}"
    row "tapewren-cli restore --all" "${cs[restore]}" "${cp[restore]}" "$bytes" "${ts[restore]}"
    row "tapewren-cli verify" "${cs[verify]}" "${cp[verify]}" "$bytes" "${ts[verify]}"
    row "tar -c -b 128 + sync" "${ts[backup]}" "${tp[backup]}" "$bytes"
    row "tar -x + sync" "${ts[restore]}" "${tp[restore]}" "$bytes"
    row "tar -d" "${ts[verify]}" "${tp[verify]}" "$bytes"
    rm -rf "$work/x.tar" "$work/untar"
}

make_big "$work/big" "$big_files" "$big_mib"
run_set "$big_files files of $big_mib MiB" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed" "$mixed_files" "$mixed_max" 4 zip
run_set "$mixed_files files of mixed sizes" "$work/mixed"
