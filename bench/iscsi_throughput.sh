#!/bin/bash
# Throughput of tgt's tape emulation over iSCSI on loopback, next to the
# virtual drive, both through ScsiDevice in 64-block transfers of 1024 bytes.
# Usage: bench/iscsi_throughput.sh BUILD_DIR [MiB] [RUNS]   (default 256, 1)
# With several runs the two drives take turns and the last line gives the
# medians: "median MB/s: iscsi write W read R, virtual write W read R".
# Needs tgt (apt-get install tgt). Starts a private tgtd on 127.0.0.1 with its
# own IPC socket folder and a free port, and stops it by its process id.
set -euo pipefail
build=${1:?build directory}
mib=${2:-256}
runs=${3:-1}
bench="$build/bench/bench_iscsi"
[ -x "$bench" ] || { echo "build the target bench_iscsi first" >&2; exit 2; }
PATH="$PATH:/usr/sbin"
for tool in tgtd tgtadm tgtimg; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool missing: apt-get install tgt" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tw-iscsi-bench-XXXXXX)
export TGT_IPC_SOCKET="$work/socket"
control=$(( ($$ % 800) + 100 ))
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
iqn=iqn.2026-12.tapewren.bench:tape
pid=

. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

stop() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        tgtadm -C "$control" --lld iscsi --op delete --mode target --tid 1 --force >/dev/null 2>&1 || true
        tgtadm -C "$control" --op delete --mode system >/dev/null 2>&1 || true
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap stop EXIT INT TERM

tgtd -f -C "$control" --iscsi portal=127.0.0.1:"$port" >"$work/tgtd.log" 2>&1 &
pid=$!
for _ in $(seq 50); do
    tgtadm -C "$control" --lld iscsi --op show --mode target >/dev/null 2>&1 && break
    sleep 0.1
done
tgtimg --op new --device-type tape --barcode B1 --size $((mib * 2 + 64)) --type data --file "$work/tape.img" >/dev/null
tgtadm -C "$control" --lld iscsi --op new --mode target --tid 1 --targetname "$iqn"
tgtadm -C "$control" --lld iscsi --op new --mode logicalunit --tid 1 --lun 1 --backing-store "$work/tape.img" --device-type tape
tgtadm -C "$control" --lld iscsi --op bind --mode target --tid 1 --initiator-address 127.0.0.1

# The rate of bench_iscsi's "write ..." or "read ..." line.
rate_of() { awk -v what="$1" '$1 == what { print $(NF - 1) }' "$2"; }

declare -a iw ir vw vr
for run in $(seq "$runs"); do
    # Each run writes from the beginning of the tape again; the virtual
    # drive gets a new image.
    rm -f "$work/virtual.tap"
    echo "== run $run: tgt over iSCSI on 127.0.0.1, $mib MiB"
    "$bench" iscsi "iscsi://127.0.0.1:$port/$iqn" 1 "$mib" | tee "$work/iscsi.out"
    echo "== run $run: virtual drive, $mib MiB"
    "$bench" vtape "$work/virtual.tap" "$mib" | tee "$work/vtape.out"
    iw+=("$(rate_of write "$work/iscsi.out")") ir+=("$(rate_of read "$work/iscsi.out")")
    vw+=("$(rate_of write "$work/vtape.out")") vr+=("$(rate_of read "$work/vtape.out")")
done
echo "median MB/s: iscsi write $(median "${iw[@]}") read $(median "${ir[@]}")," \
    "virtual write $(median "${vw[@]}") read $(median "${vr[@]}")"
