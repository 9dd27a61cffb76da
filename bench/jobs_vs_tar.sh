#!/bin/bash
# Whole jobs of the built tapewren-cli on the virtual drive (1024-byte blocks)
# beside the reference for the same work, on the same files in the same run:
#   verify              vs  tar -d -b 128 (warm cache)
#   backup, large set   vs  tar -c -b 128 + fsync of the archive
#   backup, mixed set   vs  the durable floor (durable_floor: each file copied
#                           to one image + fdatasync, then 286 bytes appended
#                           to a second file + fdatasync)
#   restore --all + sync vs tar -x -b 128 + sync
# for a large set (64 files of 16 MiB) and a mixed set (900 files of 0 to
# 4 MiB). Each pair runs RUNS times, ours and the reference taking turns
# (which one goes first alternates); the table gives medians, the ratio
# ours/reference (below 1: ours is faster) and the highest peak resident
# memory of each side. Then the iSCSI row: ScsiDevice over iSCSI to tgt on
# loopback next to the virtual drive (iscsi_throughput.sh).
#
#   bench/jobs_vs_tar.sh [BUILD_DIR]      (default build/bench, a Release build)
# Environment:
#   TW_BENCH_QUICK=1   small sets, one run, 32 MiB over iSCSI: a smoke run
#   TW_BENCH_RUNS=N    runs of each pair (default 3)
#   TW_BENCH_ISCSI=0   leave out the iSCSI row (it needs tgt)
# Needs about 5 x 1 GiB in ${TMPDIR:-/tmp}. Targets: tapewren-cli,
# durable_floor and bench_iscsi.
set -euo pipefail

build=${1:-build/bench}
cli="$build/src/tapewren-cli"
floor="$build/bench/durable_floor"
for tool in "$cli" "$floor"; do
    [ -x "$tool" ] || { echo "build $(basename "$tool") in $build first" >&2; exit 1; }
done
cli=$(realpath "$cli")
floor=$(realpath "$floor")
here=$(dirname "${BASH_SOURCE[0]}")

if [ "${TW_BENCH_QUICK:-0}" = 1 ]; then
    big_files=8 big_mib=4 mixed_files=90 mixed_max=1048576 runs=${TW_BENCH_RUNS:-1} iscsi_mib=32
else
    big_files=64 big_mib=16 mixed_files=900 mixed_max=4194304 runs=${TW_BENCH_RUNS:-3} iscsi_mib=256
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-jobs-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

. "$here/lib.sh"

# time_into NAME COMMAND...: runs the command once, appends its seconds to
# the array t_NAME and its peak to p_NAME; stops the benchmark on failure.
# Whatever earlier commands left to write back is flushed first, so that no
# command pays for another's.
time_into() {
    local name=$1 seconds peak rc
    shift
    sync
    read -r seconds peak rc < <(measure "$@")
    if [ "$rc" != 0 ]; then
        echo "failed ($rc): $*" >&2
        cat "$work/out" "$work/err" >&2
        exit 1
    fi
    local -n times="t_$name" peaks="p_$name"
    times+=("$seconds")
    peaks+=("$peak")
}

# pair OURS REFERENCE RUN: runs both time_into commands queued in the arrays
# named OURS and REFERENCE, the reference first on even runs.
pair() {
    local -n ours=$1 reference=$2
    if [ $(($3 % 2)) = 0 ]; then
        time_into "${reference[@]}"
        time_into "${ours[@]}"
    else
        time_into "${ours[@]}"
        time_into "${reference[@]}"
    fi
}

fresh() { rm -rf "$1"; mkdir -p "$1"; }

largest() { printf '%s\n' "$@" | sort -g | tail -n 1; }

# row LABEL OURS REFERENCE BYTES [SUMMARY]: one line of the set's table; the
# ratio also goes into the variable named SUMMARY.
row() {
    local -n ot="t_$2" op="p_$2" rt="t_$3" rp="p_$3"
    local os rs ratio
    os=$(median "${ot[@]}")
    rs=$(median "${rt[@]}")
    ratio=$(awk -v a="$os" -v b="$rs" 'BEGIN { printf "%.2f", a / b }')
    [ -z "${5:-}" ] || printf -v "$5" '%s' "$ratio"
    awk -v l="$1" -v os="$os" -v rs="$rs" -v r="$ratio" -v b="$4" -v op="$(largest "${op[@]}")" \
        -v rp="$(largest "${rp[@]}")" 'BEGIN {
        printf "%-44s %7.2f s %7.2f s %6s %8.1f %8.1f MB/s %7.1f %7.1f MiB\n",
            l, os, rs, r, b / 1e6 / os, b / 1e6 / rs, op / 1024, rp / 1024 }'
}

# run_set KEY LABEL SOURCE: all pairs on one set of files.
run_set() {
    local key=$1 label=$2 src=$3 bytes files run
    bytes=$(byte_count "$src")
    files=$(find "$src" -type f | wc -l)
    local tapes="$work/tapes" start="$work/start"
    export TAPEWREN_VTAPE="$tapes" TAPEWREN_VTAPE_CAPACITY_MB=$((bytes / 1048576 * 2 + 1024))
    # Results by work: t_* seconds, p_* peak KiB, one entry per run.
    declare -a t_backup=() p_backup=() t_tarc=() p_tarc=() t_floor=() p_floor=() t_restore=() p_restore=() \
        t_tarx=() p_tarx=() t_verify=() p_verify=() t_tard=() p_tard=()

    local backup=(backup sh -c 'cd "$0" && "$1" backup "$2"/*' "$start" "$cli" "$src")
    local tarc=(tarc sh -c 'cd "$0" && tar -c -b 128 -f "$1" . && sync "$1"' "$src" "$work/x.tar")
    local floor_run=(floor "$floor" "$src" "$work/floor.img" "$work/floor.cat")
    local restore=(restore sh -c 'cd "$0" && "$1" restore --to "$2" --all && sync' "$start" "$cli" "$work/restore")
    local tarx=(tarx sh -c 'cd "$0" && tar -x -b 128 -f "$1" && sync' "$work/untar" "$work/x.tar")
    local verify=(verify sh -c 'cd "$0" && "$1" verify --in "$2"' "$start" "$cli" "$src")
    local tard=(tard sh -c 'cd "$0" && tar -d -b 128 -f "$1"' "$src" "$work/x.tar")

    for run in $(seq "$runs"); do
        fresh "$tapes"
        fresh "$start"
        (cd "$start" && "$cli" format Bench --yes > /dev/null 2>&1) || { echo "format failed" >&2; exit 1; }
        rm -f "$work/x.tar"
        if [ "$key" = large ]; then pair backup tarc "$run"; else pair backup floor_run "$run"; fi
        # The other reference keeps the table complete; tar -x and -d need
        # its archive anyway.
        if [ "$key" = large ]; then time_into "${floor_run[@]}"; else time_into "${tarc[@]}"; fi
        rm -f "$work/floor.img" "$work/floor.cat"
        fresh "$work/restore"
        fresh "$work/untar"
        pair restore tarx "$run"
        diff -r "$src" "$work/restore" > /dev/null || { echo "restored files differ" >&2; exit 1; }
        rm -rf "$work/restore" "$work/untar"
        # Warm cache: the files and the tape were just written and read.
        pair verify tard "$run"
    done

    local tar_summary= floor_summary=
    if [ "$key" = large ]; then tar_summary="sum_${key}_backup"; else floor_summary="sum_${key}_backup"; fi
    echo "== $label: $files files, $bytes bytes, $runs run(s), medians"
    printf '%-44s %9s %9s %6s %8s %8s %5s %15s\n' work ours reference ratio ours reference "" "peak ours  ref"
    row "verify vs tar -d -b128 (warm)" verify tard "$bytes" "sum_${key}_verify"
    row "backup vs tar -c -b128 + fsync" backup tarc "$bytes" "$tar_summary"
    row "backup vs durable floor" backup floor "$bytes" "$floor_summary"
    row "restore --all + sync vs tar -x -b128 + sync" restore tarx "$bytes" "sum_${key}_restore"
    echo
    rm -rf "$work/x.tar" "$tapes" "$start"
}

# The commit of the tree the build was made from, which need not be this one.
source_tree=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt" 2>/dev/null)
echo "tapewren-cli $(git -C "${source_tree:-$here}" rev-parse --short HEAD 2>/dev/null || echo '?') on $(nproc) cores," \
    "$(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg), $(date '+%Y-%m-%d %H:%M')"
echo

make_big "$work/big" "$big_files" "$big_mib"
run_set large "large set: $big_files files of $big_mib MiB" "$work/big"
rm -rf "$work/big"
make_mixed "$work/mixed" "$mixed_files" "$mixed_max" 4 zip
run_set mixed "mixed set: $mixed_files files of 0 to $mixed_max bytes" "$work/mixed"
rm -rf "$work/mixed"

iscsi_line="(left out)"
if [ "${TW_BENCH_ISCSI:-1}" != 0 ]; then
    bash "$here/iscsi_throughput.sh" "$build" "$iscsi_mib" "$runs" > "$work/iscsi.txt" 2>&1 ||
        { cat "$work/iscsi.txt" >&2; exit 1; }
    iscsi_line=$(awk '/^median MB\/s:/ { sub(",", "", $7)
        printf "write %s MB/s = %.0f%% of the virtual drive'"'"'s %s, read %s MB/s (virtual %s)",
            $5, 100 * $5 / $10, $10, $7, $12 }' "$work/iscsi.txt")
fi

echo "== summary: ours / reference (medians of $runs run(s); below 1: ours is faster)"
printf '%-62s %8s %8s\n' work large mixed
printf '%-62s %8s %8s\n' "verify vs tar -d -b128 (warm cache)" "$sum_large_verify" "$sum_mixed_verify"
printf '%-62s %8s %8s\n' "backup vs tar -c -b128 + fsync (large), durable floor (mixed)" "$sum_large_backup" \
    "$sum_mixed_backup"
printf '%-62s %8s %8s\n' "restore --all + sync vs tar -x -b128 + sync" "$sum_large_restore" "$sum_mixed_restore"
echo "ScsiDevice over iSCSI to tgt on loopback ($iscsi_mib MiB): $iscsi_line"
