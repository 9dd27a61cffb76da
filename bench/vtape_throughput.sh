#!/bin/sh
# Virtual tape drive throughput next to dd on the same disk.
# Usage: bench/vtape_throughput.sh BUILD_DIR [SCRATCH_DIR] [MiB]
# Writes and reads MiB (default 1024) through ScsiDevice in 64-block
# transfers of 1024 bytes, timed from loading the cartridge, then dd bs=64k
# of the same size. Page caches are
# dropped before each read when the system allows it; otherwise both reads
# come from the cache alike, and the script says so.
set -eu
build=${1:?build directory}
scratch=${2:-/tmp/vtape-bench}
mib=${3:-1024}
bench="$build/bench/bench_vtape"
[ -x "$bench" ] || { echo "build the target bench_vtape first" >&2; exit 2; }
mkdir -p "$scratch"
image="$scratch/bench.tap"
plain="$scratch/dd.bin"
rm -f "$image" "$plain"

drop_caches() {
    sync
    if (echo 3 > /proc/sys/vm/drop_caches) 2>/dev/null; then echo "(page cache dropped)"; else echo "(page cache NOT dropped: reads are cached for both)"; fi
}

rate() {  # dd's last line, reduced to its rate
    tail -n 1 | sed 's/.*, //'
}

settle() {  # let writeback of the previous phase finish before timing the next
    sync
    sleep 3
}

echo "== write $mib MiB (data on disk at the end: closing filemark / conv=fdatasync)"
settle
printf 'dd write: '; dd if=/dev/zero of="$plain" bs=64k count=$((mib * 16)) conv=fdatasync 2>&1 | rate
settle
/usr/bin/time -f "   peak RSS %M KiB" "$bench" write "$image" "$mib"
echo "== read $mib MiB"
drop_caches
printf 'dd read:  '; dd if="$plain" of=/dev/null bs=64k 2>&1 | rate
drop_caches
/usr/bin/time -f "   peak RSS %M KiB" "$bench" read "$image" "$mib"
rm -f "$image" "$plain"
