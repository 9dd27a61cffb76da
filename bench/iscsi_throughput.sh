#!/bin/sh
# Throughput of tgt's tape emulation over iSCSI on loopback, next to the
# virtual drive, both through ScsiDevice in 64 KiB commands.
# Usage: bench/iscsi_throughput.sh BUILD_DIR [MiB]   (default 256)
# Needs tgt (apt-get install tgt). Starts a private tgtd on 127.0.0.1 with its
# own IPC socket folder and a free port, and stops it by its process id.
set -eu
build=${1:?build directory}
mib=${2:-256}
bench="$build/bench/bench_iscsi"
[ -x "$bench" ] || { echo "build the target bench_iscsi first" >&2; exit 2; }
for tool in tgtd tgtadm tgtimg; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] || { echo "$tool missing: apt-get install tgt" >&2; exit 2; }
done
PATH="$PATH:/usr/sbin"

work=$(mktemp -d /tmp/tw-iscsi-bench-XXXXXX)
export TGT_IPC_SOCKET="$work/socket"
control=$(( ($$ % 800) + 100 ))
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
iqn=iqn.2026-12.tapewren.bench:tape
pid=

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

echo "== tgt over iSCSI on 127.0.0.1, $mib MiB"
"$bench" iscsi "iscsi://127.0.0.1:$port/$iqn" 1 "$mib"
echo "== virtual drive, $mib MiB"
"$bench" vtape "$work/virtual.tap" "$mib"
