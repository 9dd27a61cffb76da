#!/bin/bash
# What the checksum taken as the backup streams costs, and how fast scrub
# reads a tape, with jobs_bench on the virtual drive (1024-byte blocks), in
# one run:
#   backup of the large set (64 files of 16 MiB) and of the mixed set (900
#   files of 0 to 4 MiB) without checksum, with XXH3-128 and with SHA-256,
#   taking turns (the order rotates from run to run);
#   scrub against restore --all of the same tape (the large set, XXH3-128).
# The table gives medians and each checksum's time over the time without.
#
#   bench/sums_bench.sh [BUILD_DIR]      (default build/bench)
# Environment:
#   TW_BENCH_QUICK=1   small sets, one run
#   TW_BENCH_RUNS=N    runs (default 3)
set -euo pipefail

build=${1:-build/bench}
bench="$build/bench/jobs_bench"
[ -x "$bench" ] || { echo "build jobs_bench in $build first" >&2; exit 1; }
bench=$(realpath "$bench")
here=$(dirname "${BASH_SOURCE[0]}")

if [ "${TW_BENCH_QUICK:-0}" = 1 ]; then
    big_files=8 big_mib=4 mixed_files=90 mixed_max=1048576 runs=${TW_BENCH_RUNS:-1}
else
    big_files=64 big_mib=16 mixed_files=900 mixed_max=4194304 runs=${TW_BENCH_RUNS:-3}
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-sums-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$here/lib.sh"

# phase SET PHASE SUM: seconds of one jobs_bench run.
phase() {
    local set=$1 what=$2 sum=$3 line
    mkdir -p "$work/start" "$work/out"
    [ "$what" = backup ] && rm -f "$work/tape.tap" "$work/start/"*
    [ "$what" = restore-all ] && rm -rf "$work/out" && mkdir -p "$work/out"
    sync
    line=$(TAPEWREN_VTAPE="$work/tape.tap" TW_BENCH_SUM=$sum "$bench" "$what" "$work/$set" "$work/out" \
        "$work/start" 1024 2>/dev/null) || { echo "failed: $what $set $sum: $line" >&2; exit 1; }
    awk '{ for (i = 1; i <= NF; i++) if ($(i + 1) == "s") { print $i; exit } }' <<< "$line"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

make_big "$work/large" "$big_files" "$big_mib"
make_mixed "$work/mixed" "$mixed_files" "$mixed_max" 4 zip
declare -A t
sums=(none xxh3 sha256)
for run in $(seq 1 "$runs"); do
    for set in large mixed; do
        for i in 0 1 2; do
            sum=${sums[$(((i + run) % 3))]}
            t[$set.$sum]="${t[$set.$sum]:-} $(phase "$set" backup "$sum")"
        done
    done
    phase large backup xxh3 > /dev/null
    if ((run % 2)); then order=(scrub restore-all); else order=(restore-all scrub); fi
    for what in "${order[@]}"; do t[$what]="${t[$what]:-} $(phase large "$what" xxh3)"; done
done

large=$(byte_count "$work/large")
mixed=$(byte_count "$work/mixed")
printf '%-34s %10s %10s %10s\n' "median of $runs (seconds)" none xxh3-128 sha-256
for set in large mixed; do
    bytes=$large; [ $set = mixed ] && bytes=$mixed
    n=$(median ${t[$set.none]}); x=$(median ${t[$set.xxh3]}); s=$(median ${t[$set.sha256]})
    printf '%-34s %10s %10s %10s\n' "backup, $set set ($((bytes >> 20)) MiB)" "$n" "$x" "$s"
    awk -v n="$n" -v x="$x" -v s="$s" 'BEGIN { printf "%-34s %10s %10.3f %10.3f\n", "  time over none", "1", x / n, s / n }'
done
sc=$(median ${t[scrub]}); ra=$(median ${t[restore-all]})
printf '%-34s %10s s %8.1f MB/s\n' "scrub, large set" "$sc" "$(awk -v b="$large" -v s="$sc" 'BEGIN { print b / 1e6 / s }')"
printf '%-34s %10s s %8.1f MB/s\n' "restore --all, large set" "$ra" "$(awk -v b="$large" -v s="$ra" 'BEGIN { print b / 1e6 / s }')"
