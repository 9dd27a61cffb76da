#!/usr/bin/env bash
# vm-test.sh [--layout passthrough|iscsi]... [--cli PATH] [BUILD_DIR]
#
# Runs tapewren-cli as an operator would, against the Linux kernel's own tape
# stack: boots the installed Debian kernel under QEMU (TCG, no network
# device) with this machine's root shared read-only, and puts tgt's tape
# emulation behind the guest's sg and st drivers in two layouts:
#
#   passthrough  tgtd on this machine's loopback, its tapes handed to the
#                guest as virtio-scsi pass-through devices (two drives, at
#                H:0:0:0 and H:0:1:0)
#   iscsi        tgtd and the kernel's iSCSI initiator inside the guest: the
#                tape is at LUN 1 behind tgt's controller at LUN 0, the
#                layout of drives behind bridges and in libraries
#
# In the guest: the adapter listing, the drive checks (selftest), the
# conformance tests that run against a device node (iscsi layout), the whole
# job cycle with byte comparisons, the tape read back through /dev/nst0 with
# dd and compared record by record with what the same jobs write on the
# virtual drive, and the faults once found here as cases. --cli runs the
# guest's cases with another tapewren-cli (for example an older build, to
# see a case fail). Needs root for apt-get (the packages below) and for
# tgtd; nothing of the host's SCSI stack is used (it may have none).
set -euo pipefail

if [[ ${1:-} == --guest ]]; then
  guest=1
else
  guest=0
fi

# ---------------------------------------------------------------- host side

host_main() {
  local top build="" cli="" layouts=()
  top=$(cd "$(dirname "$0")/.." && pwd)
  script=$(realpath "$0")
  while (($#)); do
    case $1 in
    --layout) layouts+=("$2"); shift 2 ;;
    --cli) cli=$(realpath "$2"); shift 2 ;;
    -h | --help) sed -n '2,26p' "$0"; exit 0 ;;
    *) build=$(realpath "$1"); shift ;;
    esac
  done
  ((${#layouts[@]})) || layouts=(passthrough iscsi)
  build=${build:-$top/build/release}
  cli=${cli:-$build/src/tapewren-cli}
  [[ -x $cli ]] || { echo "vm-test: no tapewren-cli at $cli (build first)" >&2; exit 2; }
  [[ -x $build/tests/conformance_tests ]] || { echo "vm-test: no conformance_tests in $build" >&2; exit 2; }

  install_packages
  local kernel version
  version=$(kernel_version) || { echo "vm-test: no Debian kernel with the sg module under /boot" >&2; exit 1; }
  kernel=/boot/vmlinuz-$version

  work=$(mktemp -d /tmp/tw-vm-XXXXXX)
  qemu_pid="" tgtd_pid=""
  trap host_cleanup EXIT
  trap 'exit 130' INT TERM HUP

  make_initramfs "$version" "$work/initrd.gz"
  local failed=0 started=$SECONDS layout
  for layout in "${layouts[@]}"; do
    run_layout "$layout" "$kernel" "$top" "$build" "$cli" || failed=1
  done
  echo "vm-test: ${layouts[*]}: $((SECONDS - started)) s in all"
  if ((failed)); then
    echo "vm-test: FAILED" >&2
    return 1
  fi
  echo "vm-test: passed"
}

install_packages() {
  local wanted=(qemu-system-x86 qemu-block-extra linux-image-amd64 tgt open-iscsi sg3-utils mt-st lsscsi
    busybox-static cpio kmod) missing=() p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  if [[ $(id -u) -ne 0 ]]; then
    echo "vm-test: missing packages: ${missing[*]} (run as root, or: sudo apt-get install ${missing[*]})" >&2
    exit 1
  fi
  echo "vm-test: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The newest kernel under /boot whose modules include sg and st.
kernel_version() {
  local v
  for v in $(ls /boot | sed -n 's/^vmlinuz-//p' | sort -rV); do
    [[ -r /boot/vmlinuz-$v ]] || continue
    modinfo -k "$v" -n sg >/dev/null 2>&1 && modinfo -k "$v" -n st >/dev/null 2>&1 || continue
    echo "$v"
    return 0
  done
  return 1
}

host_cleanup() {
  local status=$?
  trap - EXIT
  set +e
  if [[ -n ${qemu_pid:-} ]]; then
    kill -KILL "$qemu_pid" 2>/dev/null
    wait "$qemu_pid" 2>/dev/null
  fi
  stop_host_tgtd
  if [[ -n ${work:-} && -d $work ]]; then rm -rf "$work"; fi
  exit "$status"
}

# A module and what it depends on, each once, dependencies first.
module_order() {
  local version=$1 module=$2 dep
  [[ " ${seen[*]} " == *" $module "* ]] && return 0
  seen+=("$module")
  for dep in $(modinfo -k "$version" -F depends "$module" | tr ',' ' '); do
    module_order "$version" "$dep"
  done
  order+=("$module")
}

# Static busybox and what mounting the shared root over virtio-9p needs;
# everything else comes from the shared root with modprobe.
make_initramfs() {
  local version=$1 out=$2 dir=$work/initramfs m file
  mkdir -p "$dir"/{bin,modules,proc,sys,dev,newroot}
  cp /bin/busybox "$dir/bin/busybox"
  # The guest runs this copy: the script may change while the guest runs.
  cp "$script" "$dir/vm-test.sh"
  seen=() order=()
  for m in virtio_pci 9pnet_virtio 9p; do module_order "$version" "$m"; done
  for m in "${order[@]}"; do
    file=$(modinfo -k "$version" -n "$m")
    case $file in
    *.ko.xz) xz -dc "$file" >"$dir/modules/$m.ko" ;;
    *.ko.zst) zstd -qdc "$file" >"$dir/modules/$m.ko" ;;
    *) cp "$file" "$dir/modules/$m.ko" ;;
    esac
  done
  cat >"$dir/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in ${order[*]}; do insmod /modules/\$m.ko || echo "vm-test init: insmod \$m failed"; done
if mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000 hostroot /newroot; then
  mount -t tmpfs run /newroot/run
  cp /vm-test.sh /newroot/run/tapewren-vm-test.sh
  mount --move /proc /newroot/proc
  mount --move /sys /newroot/sys
  mount --move /dev /newroot/dev
  exec switch_root /newroot /bin/bash /run/tapewren-vm-test.sh --guest
fi
echo "vm-test init: the shared root could not be mounted"
poweroff -f
EOF
  chmod +x "$dir/init"
  (cd "$dir" && find . | cpio -o -H newc 2>/dev/null | gzip -1 >"$out")
}

# tgtd on 127.0.0.1 with two tape drives (LUNs 1 and 2 of one target) for
# the pass-through layout. Sets host_port.
start_host_tgtd() {
  local dir=$work/tgt port control lun
  mkdir -p "$dir"
  export TGT_IPC_SOCKET=$dir/socket
  for ((attempt = 0; attempt < 20; attempt++)); do
    port=$((20000 + RANDOM % 20000))
    control=$((100 + RANDOM % 800))
    grep -qi ":$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp && continue
    tgtd -f -C "$control" --iscsi portal=127.0.0.1:$port >"$dir/tgtd.log" 2>&1 &
    tgtd_pid=$!
    for ((i = 0; i < 50; i++)); do
      grep -qi ":$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp && break
      kill -0 "$tgtd_pid" 2>/dev/null || break
      sleep 0.1
    done
    if grep -qi ":$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp; then
      host_port=$port host_control=$control
      break
    fi
    kill -KILL "$tgtd_pid" 2>/dev/null; wait "$tgtd_pid" 2>/dev/null || true
    tgtd_pid=""
  done
  [[ -n $tgtd_pid ]] || { echo "vm-test: tgtd would not listen on 127.0.0.1 (see $dir/tgtd.log)" >&2; return 1; }
  tgtadm -C "$control" --lld iscsi --op new --mode target --tid 1 --targetname iqn.2024-01.test.vm:tapes
  for lun in 1 2; do
    tgtimg --op new --device-type tape --barcode "H$lun" --size 256 --type data --file "$dir/tape$lun.img" >/dev/null
    tgtadm -C "$control" --lld iscsi --op new --mode logicalunit --tid 1 --lun "$lun" \
      --backing-store "$dir/tape$lun.img" --device-type tape
  done
  tgtadm -C "$control" --lld iscsi --op bind --mode target --tid 1 --initiator-address 127.0.0.1
}

stop_host_tgtd() {
  [[ -n ${tgtd_pid:-} ]] || return 0
  # tgtd ignores SIGTERM.
  kill -KILL "$tgtd_pid" 2>/dev/null || true
  wait "$tgtd_pid" 2>/dev/null || true
  tgtd_pid=""
}

# The console's last lines, without the lines of a kernel backtrace.
console_tail() {
  grep -av '^\[ *[0-9.]*\]  ' "$1" | tr -d '\r' | tail -n 30 >&2
}

run_layout() {
  local layout=$1 kernel=$2 top=$3 build=$4 cli=$5 share=$work/share-$1 limit=${VM_TEST_LIMIT:-1200}
  local devices=() started=$SECONDS status
  rm -rf "$share" && mkdir -p "$share"
  case $layout in
  passthrough)
    start_host_tgtd || return 1
    devices=(-iscsi initiator-name=iqn.2024-01.test.vm:guest -device virtio-scsi-pci,id=vs0)
    local lun
    for lun in 1 2; do
      devices+=(-drive "file=iscsi://127.0.0.1:$host_port/iqn.2024-01.test.vm:tapes/$lun,if=none,id=tape$lun,format=raw"
        -device "scsi-generic,drive=tape$lun,bus=vs0.0,channel=0,scsi-id=$((lun - 1)),lun=0")
    done
    ;;
  iscsi) ;;
  *) echo "vm-test: unknown layout $layout (passthrough or iscsi)" >&2; return 1 ;;
  esac
  cat >"$share/config" <<EOF
layout=$layout
top=$top
build=$build
cli=$cli
EOF
  echo "== vm-test: layout $layout (kernel $(basename "$kernel"), TCG)"
  qemu-system-x86_64 -machine q35,accel=tcg -cpu max -smp 2 -m 1536 \
    -nographic -no-reboot -nic none -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 panic=-1 quiet" \
    -fsdev local,id=root,path=/,security_model=none,readonly=on,multidevs=remap -device virtio-9p-pci,fsdev=root,mount_tag=hostroot \
    -fsdev local,id=share,path="$share",security_model=none -device virtio-9p-pci,fsdev=share,mount_tag=share \
    "${devices[@]}" </dev/null >"$share/console.log" 2>&1 &
  qemu_pid=$!
  # A fixed time limit: a guest that hangs is stopped.
  local deadline=$((SECONDS + limit)) timed_out=0
  while kill -0 "$qemu_pid" 2>/dev/null; do
    if ((SECONDS >= deadline)); then
      timed_out=1
      kill -KILL "$qemu_pid" 2>/dev/null
      break
    fi
    sleep 1
  done
  status=0
  wait "$qemu_pid" || status=$?
  qemu_pid=""
  [[ $layout == passthrough ]] && stop_host_tgtd
  [[ -f $share/guest.log ]] && cat "$share/guest.log"
  if ((timed_out)); then
    echo "vm-test: the virtual machine ($layout) did not finish within $limit s and was stopped; its console:" >&2
    console_tail "$share/console.log"
    return 1
  fi
  if [[ ! -f $share/result ]]; then
    echo "vm-test: the guest ($layout) ended without a result (QEMU exit status $status); its console:" >&2
    console_tail "$share/console.log"
    return 1
  fi
  echo "== vm-test: layout $layout: $(cat "$share/result") in $((SECONDS - started)) s"
  grep -q '^passed' "$share/result"
}

# --------------------------------------------------------------- guest side

guest_main() {
  set +eu
  export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C
  # Scratch space in the guest's own /run (a tmpfs): the shared root,
  # /tmp included, may hold the build and stays as it is.
  S=/run/tw
  mkdir -p /run/lock /run/share "$S/etc-iscsi"
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 share /run/share
  R=/run/share
  exec >"$R/guest.log" 2>&1
  # shellcheck disable=SC1091
  . "$R/config"
  # The initiator writes its node records next to its configuration.
  cp -a /etc/iscsi/. $S/etc-iscsi/
  mount -t tmpfs etc-iscsi /etc/iscsi
  cp -a $S/etc-iscsi/. /etc/iscsi/
  export HOME=$S/home TMPDIR=$S
  mkdir -p "$HOME"
  ip link set lo up

  passed=0 failed=0
  guest_cases || true
  echo "vm-test guest: $passed cases passed, $failed failed"
  if ((failed == 0 && passed > 0)); then
    echo "passed: $passed cases" >"$R/result"
  else
    echo "FAILED: $failed of $((passed + failed)) cases" >"$R/result"
  fi
  guest_stop
  sync
  poweroff -f
}

guest_stop() {
  [[ -n ${guest_tgtd:-} ]] && kill -KILL "$guest_tgtd" 2>/dev/null
  [[ -n ${guest_iscsid:-} ]] && kill -KILL "$guest_iscsid" 2>/dev/null
  return 0
}

# Runs one case: its name, then the function; a case fails on the first
# failed check (a non-zero status) inside it.
run_case() {
  local name=$1 started=$SECONDS
  shift
  echo "-- case: $name"
  if ("$@"); then
    echo "-- PASS: $name ($((SECONDS - started)) s)"
    passed=$((passed + 1))
  else
    echo "-- FAIL: $name ($((SECONDS - started)) s)"
    failed=$((failed + 1))
  fi
}

# Ends the case (each runs in a subshell) as failed.
fail() {
  echo "   check failed: $*"
  exit 1
}

# "expect TEXT FILE": the file holds the text.
expect() {
  grep -qF -- "$1" "$2" || { echo "   --- $2:"; sed 's/^/   | /' "$2"; fail "'$1' not in $2"; }
}
refuse() {
  ! grep -qF -- "$1" "$2" || { echo "   --- $2:"; sed 's/^/   | /' "$2"; fail "'$1' in $2"; }
}

tw() { "$cli" "$@"; }

guest_cases() {
  modprobe sg && modprobe st || { echo "vm-test guest: no sg and st modules"; return 1; }
  case $layout in
  passthrough) modprobe virtio_scsi ;;
  iscsi) guest_iscsi_setup || { echo "vm-test guest: tgt and the iSCSI initiator did not start"; return 1; } ;;
  esac
  local i
  for ((i = 0; i < 300; i++)); do
    [[ -e /sys/class/scsi_tape/nst0 && -e /dev/nst0 ]] && break
    sleep 0.1
  done
  lsscsi -g
  [[ -e /dev/nst0 ]] || { echo "vm-test guest: no tape drive appeared"; return 1; }
  # The drive the cases use: the first tape drive's generic node and address.
  tape_dev=$(basename "$(readlink -f /sys/class/scsi_tape/nst0/device)")
  tape_sg=/dev/$(ls "/sys/class/scsi_tape/nst0/device/scsi_generic")
  echo "drive: $tape_dev $tape_sg /dev/nst0"
  cd "$S"

  run_case "adapters lists every tape drive with its name" case_adapters
  run_case "only the named drive gets commands" case_named_drive_only
  run_case "selftest passes" case_selftest
  [[ $layout == iscsi ]] && run_case "conformance tests on the device node" case_conformance
  run_case "job cycle with byte comparisons" case_job_cycle
  run_case "st reads back what was written, record by record" case_st_readback
  run_case "a second program on a busy drive is refused" case_two_programs
  run_case "status without access to the node says so" case_no_access
  [[ $layout == iscsi ]] && run_case "the tape at LUN 1 is the default drive" case_default_drive_lun1
  [[ $layout == iscsi ]] && run_case "an unreachable target is said in words" case_unreachable
  return 0
}

guest_iscsi_setup() {
  export TGT_IPC_SOCKET=$S/tgt/socket
  mkdir -p $S/tgt
  tgtd -f --iscsi portal=127.0.0.1:3260 >$S/tgt/tgtd.log 2>&1 &
  guest_tgtd=$!
  local i
  for ((i = 0; i < 100; i++)); do
    tgtadm --op show --mode system >/dev/null 2>&1 && break
    sleep 0.1
  done
  tgtadm --lld iscsi --op new --mode target --tid 1 --targetname iqn.2024-01.test.vm:guest-tapes || return 1
  tgtimg --op new --device-type tape --barcode G1 --size 256 --type data --file $S/tgt/tape1.img >/dev/null || return 1
  tgtadm --lld iscsi --op new --mode logicalunit --tid 1 --lun 1 --backing-store $S/tgt/tape1.img \
    --device-type tape || return 1
  tgtadm --lld iscsi --op bind --mode target --tid 1 --initiator-address 127.0.0.1 || return 1
  iscsid -f >$S/tgt/iscsid.log 2>&1 &
  guest_iscsid=$!
  sleep 1
  iscsiadm -m discovery -t st -p 127.0.0.1 >/dev/null || return 1
  # A target gone for 5 s is taken offline (the unreachable case).
  iscsiadm -m node -T iqn.2024-01.test.vm:guest-tapes -p 127.0.0.1 -o update \
    -n node.session.timeo.replacement_timeout -v 5 || return 1
  iscsiadm -m node -T iqn.2024-01.test.vm:guest-tapes -p 127.0.0.1 --login >/dev/null || return 1
}

# The adapter entry and target of the drive at $tape_dev, from the listing.
drive_options() {
  local host=${tape_dev%%:*} rest=${tape_dev#*:} channel target lun
  channel=${rest%%:*}; rest=${rest#*:}; target=${rest%%:*}; lun=${rest#*:}
  local entry
  entry=$(tw adapters | sed -n "s/^\([0-9]*\) - SCSI $host:$channel:$target .*/\1/p" | head -n 1)
  # A build that names adapters otherwise (--cli): its first real adapter.
  [[ -n $entry ]] || entry=$(tw adapters | grep -v ' - VIRTUAL TAPE' | sed -n 's/^\([0-9]*\) - .*/\1/p' | head -n 1)
  [[ -n $entry ]] || return 1
  echo "--adapter $entry --target $lun"
}

case_adapters() {
  tw adapters >$S/adapters.out 2>&1 || fail "adapters failed"
  cat $S/adapters.out
  expect "IET VIRTUAL-TAPE serial" $S/adapters.out
  expect "/dev/nst0" $S/adapters.out
  expect " - VIRTUAL TAPE" $S/adapters.out
  if [[ $layout == passthrough ]]; then
    # Two drives of the same product, told apart by serial and node.
    expect "/dev/nst1" $S/adapters.out
    [[ $(grep -c "IET VIRTUAL-TAPE serial" $S/adapters.out) -eq 2 ]] || fail "two drives listed"
  else
    expect "at target 1" $S/adapters.out
  fi
  drive=($(drive_options)) || fail "the drive at $tape_dev is in the listing"
  echo "drive options: ${drive[*]}"
}

# Listing and using the second drive send nothing to the first: the
# kernel counts every command a device is sent.
case_named_drive_only() {
  local first=/sys/bus/scsi/devices/$tape_dev/iorequest_cnt before after
  drive=($(drive_options)) || fail "drive options"
  if [[ $layout == passthrough ]]; then
    local second
    second=$(tw adapters | sed -n 's/^\([0-9]*\) - SCSI [0-9]*:0:1 .*/\1/p')
    [[ -n $second ]] || fail "second drive in the listing"
    before=$(cat "$first")
    tw status --adapter "$second" --target 0 >$S/status2.out 2>&1 || { cat $S/status2.out; fail "status of the second drive"; }
    tw format SECOND --adapter "$second" --target 0 --yes --force --catalogs "$S" >$S/format2.out 2>&1 ||
      { cat $S/format2.out; fail "format of the second drive"; }
    after=$(cat "$first")
    echo "commands to the first drive: before $before, after $after"
    [[ $before == "$after" ]] || fail "the first drive got $((after - before)) commands"
  fi
  # Listing asks no drive at all.
  before=$(cat "$first")
  tw adapters >/dev/null
  after=$(cat "$first")
  [[ $before == "$after" ]] || fail "listing sent $((after - before)) commands"
}

case_selftest() {
  drive=($(drive_options)) || fail "drive options"
  tw selftest "${drive[@]}" --yes --force >$S/selftest.out 2>&1
  local status=$?
  cat $S/selftest.out
  ((status == 0)) || fail "selftest exit status $status"
  expect "Self-test passed" $S/selftest.out
}

case_conformance() {
  # Loads a fresh tape: a new logical unit (power-on state), write-protected on request.
  # A drive just switched on is in variable-block mode: MODE SELECT, block length 0.
  printf '\x00\x00\x10\x08\x00\x00\x00\x00\x00\x00\x00\x00' >$S/tgt/variable-mode
  cat >$S/tgt/new-tape <<EOF
#!/bin/bash
set -e
export TGT_IPC_SOCKET=$S/tgt/socket
n=\$((\$(cat $S/tgt/tapes 2>/dev/null || echo 0) + 1)); echo \$n >$S/tgt/tapes
rm -f $S/tgt/conformance*.img
tgtimg --op new --device-type tape --barcode C\$n --size 64 --type data --file $S/tgt/conformance\$n.img >/dev/null
tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params online=0
tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params path=$S/tgt/conformance\$n.img
tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params readonly=0
# A drive nobody has asked yet reports its power-on attention first.
sg_turs $tape_sg >/dev/null 2>&1 || true
sg_raw -s 12 -i $S/tgt/variable-mode $tape_sg 15 10 00 00 0c 00 >/dev/null 2>&1 ||
  sg_raw -s 12 -i $S/tgt/variable-mode $tape_sg 15 10 00 00 0c 00 >/dev/null 2>&1
if [ "\$1" = protected ]; then
  tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params readonly=1
fi
EOF
  chmod +x $S/tgt/new-tape
  TAPEWREN_TEST_SG=$tape_sg TAPEWREN_TEST_SG_TAPE=$S/tgt/new-tape \
    "$build/tests/conformance_tests" --gtest_filter='*ScsiGeneric*' --gtest_brief=1 >$S/conformance.out 2>&1
  local status=$?
  grep -v '^Error: no mode sense\|-Fehler: \|error: [0-9]' $S/conformance.out | tail -n 40
  ((status == 0)) || fail "conformance tests"
  # Back to the tape the other cases use.
  tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params online=0
  tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params path=$S/tgt/tape1.img
  tgtadm --lld iscsi --op update --mode logicalunit --tid 1 --lun 1 --params readonly=0
}

# Files of the sizes that matter: empty, one block, 64 blocks (one
# transfer), 65 blocks, and several MiB.
make_sources() {
  mkdir -p $S/src $S/src2
  : >$S/src/empty.bin
  head -c 1024 /dev/urandom >$S/src/one-block.bin
  head -c 65536 /dev/urandom >$S/src/sixty-four.bin
  head -c 66560 /dev/urandom >$S/src/sixty-five.bin
  head -c $((5 * 1048576 + 333)) /dev/urandom >$S/src/several-mib.bin
  head -c 3000 /dev/urandom >$S/src2/appended-a.bin
  head -c $((1048576 + 1)) /dev/urandom >$S/src2/appended-b.bin
  # Whole days, as the catalog keeps them.
  touch -d "2024-03-05 12:00" $S/src/* $S/src2/*
}

# format, backup, dir, restore, verify, rebuild, append, restore --all;
# the same jobs on the virtual drive write the reference tape image.
case_job_cycle() {
  drive=($(drive_options)) || fail "drive options"
  make_sources
  local cat=$S/catalogs dst=$S/restored all=$S/restored-all f
  mkdir -p "$cat" "$dst" "$all"
  tw format DAILY "${drive[@]}" --yes --force --catalogs "$cat" >$S/job.out 2>&1 || { cat $S/job.out; fail "format"; }
  expect "Drive: adapter ${drive[1]} (SCSI" $S/job.out
  tw backup "${drive[@]}" --catalogs "$cat" $S/src/* >$S/job.out 2>&1 || { cat $S/job.out; fail "backup"; }
  expect "Backup ended successfully" $S/job.out
  tw dir "${drive[@]}" --catalogs "$cat" >$S/dir.out 2>&1 || { cat $S/dir.out; fail "dir"; }
  cat $S/dir.out
  for f in $S/src/*; do
    grep -q "^$(basename "$f")"$'\t'"$(stat -c %s "$f")"$'\t' $S/dir.out || fail "dir lists $(basename "$f")"
  done
  tw restore "${drive[@]}" --catalogs "$cat" --to "$dst" $(cd $S/src && echo *) >$S/job.out 2>&1 ||
    { cat $S/job.out; fail "restore"; }
  for f in $S/src/*; do cmp "$f" "$dst/$(basename "$f")" || fail "restored $(basename "$f")"; done
  tw verify "${drive[@]}" --catalogs "$cat" --in $S/src >$S/job.out 2>&1 || { cat $S/job.out; fail "verify"; }
  cp "$cat/DAILY.twd" $S/DAILY.twd.written
  tw rebuild "${drive[@]}" --catalogs "$cat" --yes --force >$S/job.out 2>&1 || { cat $S/job.out; fail "rebuild"; }
  cmp "$cat/DAILY.twd" $S/DAILY.twd.written || fail "rebuilt catalog equals the one the backup wrote"
  tw backup "${drive[@]}" --catalogs "$cat" $S/src2/* >$S/job.out 2>&1 || { cat $S/job.out; fail "appending backup"; }
  tw restore "${drive[@]}" --catalogs "$cat" --to "$all" --all --yes >$S/job.out 2>&1 ||
    { cat $S/job.out; fail "restore --all"; }
  for f in $S/src/* $S/src2/*; do cmp "$f" "$all/$(basename "$f")" || fail "restore --all: $(basename "$f")"; done
  [[ $(ls "$all" | wc -l) -eq 7 ]] || fail "restore --all: 7 files"
  echo "restored and verified $(ls "$all" | wc -l) files"

  # The reference: the same jobs on the virtual drive.
  local virtual
  virtual=$(tw adapters | sed -n 's/^\([0-9]*\) - VIRTUAL TAPE.*/\1/p')
  mkdir -p $S/reference
  export TAPEWREN_VTAPE=$S/reference/tape.tap
  tw format DAILY --adapter "$virtual" --yes --force --catalogs $S/reference >/dev/null 2>&1 || fail "reference format"
  tw backup --adapter "$virtual" --catalogs $S/reference $S/src/* >/dev/null 2>&1 || fail "reference backup"
  tw backup --adapter "$virtual" --catalogs $S/reference $S/src2/* >/dev/null 2>&1 || fail "reference append"
  unset TAPEWREN_VTAPE
  cmp $S/reference/DAILY.twd "$cat/DAILY.twd" || fail "the catalogs of both drives are equal"
}

# Reads the tape through st in variable-block mode: each read() returns one
# record, so "N+0 records in" with bs=1024 means N records of exactly 1024
# bytes (a longer one fails the read, a shorter one counts as partial).
case_st_readback() {
  [[ -f $S/reference/tape.tap ]] || fail "the job cycle's reference tape"
  mkdir -p $S/readback
  # The reference image, split at its filemarks, with each file's record count.
  perl -e '
    open(my $in, "<:raw", $ARGV[0]) or die; my ($n, $records) = (0, 0);
    open(my $out, ">:raw", "$ARGV[1].$n") or die;
    while (read($in, my $word, 4) == 4) {
      my $length = unpack("V", $word);
      last if $length == 0xFFFFFFFF;
      if ($length == 0) {
        close $out; open(my $c, ">", "$ARGV[1].$n.records"); print $c "$records\n"; close $c;
        $n++; $records = 0; open($out, ">:raw", "$ARGV[1].$n") or die; next;
      }
      $length &= 0x7FFFFFFF; read($in, my $data, $length + ($length & 1)); read($in, $word, 4);
      print $out substr($data, 0, $length); $records++;
    }
    close $out; unlink "$ARGV[1].$n";' $S/reference/tape.tap $S/readback/expected
  local files
  files=$(ls $S/readback/expected.*.records | wc -l)
  ((files >= 8)) || fail "reference tape has its files ($files)"
  mt -f /dev/nst0 rewind || fail "mt rewind"
  mt -f /dev/nst0 setblk 0 || fail "mt setblk 0"
  mt -f /dev/nst0 status
  local n records got
  for ((n = 0; n < files; n++)); do
    dd if=/dev/nst0 of=$S/readback/got.$n bs=1024 2>$S/readback/dd.$n || { cat $S/readback/dd.$n; fail "dd file $n"; }
    records=$(cat $S/readback/expected.$n.records)
    got=$(sed -n 's/ records in$//p' $S/readback/dd.$n)
    [[ $got == "$records+0" ]] || fail "file $n: $got records read, $records+0 written"
    cmp $S/readback/expected.$n $S/readback/got.$n || fail "file $n differs"
    echo "file $n: $records records of 1024 bytes, equal"
  done
  # Then the end of data, as the drive itself reports it (st hands on
  # the garbage block that tgt sends with its BLANK CHECK).
  sg_raw -r 1024 "$tape_sg" 08 00 00 04 00 00 >$S/readback/eod 2>&1
  grep -qi "blank check" $S/readback/eod || { cat $S/readback/eod; fail "end of data after the last file"; }
  echo "then: end of data (BLANK CHECK)"
}

# While one backup writes, a second program on the same drive must be
# refused, and the backup and the tape must come out whole.
case_two_programs() {
  drive=($(drive_options)) || fail "drive options"
  local cat=$S/catalogs pid fd holds=0
  mkdir -p $S/src3 && head -c $((32 * 1048576)) /dev/urandom >$S/src3/long.bin
  "$cli" backup "${drive[@]}" --catalogs "$cat" $S/src3/long.bin >$S/first.out 2>&1 &
  pid=$!
  # Until the backup has the drive's node open (-ef: the same device).
  local until=$((SECONDS + 60))
  while ((!holds && SECONDS < until)); do
    for fd in /proc/$pid/fd/*; do
      [[ $fd -ef $tape_sg ]] && holds=1
    done
    kill -0 $pid 2>/dev/null || break
  done
  ((holds)) || { wait $pid; cat $S/first.out; fail "the backup held $tape_sg"; }
  tw check "${drive[@]}" --catalogs "$cat" >$S/second.out 2>&1
  local second=$? overlapped=0
  kill -0 $pid 2>/dev/null && overlapped=1
  wait $pid
  local first=$?
  # What the tape holds afterwards, shown whatever the outcome.
  tw check "${drive[@]}" --catalogs "$cat" >$S/check.out 2>&1
  local after=$?
  tw verify "${drive[@]}" --catalogs "$cat" --in $S/src3 long.bin >$S/verify.out 2>&1
  local verified=$?
  echo "   --- second program (check), exit status $second:"; sed 's/^/   | /' $S/second.out
  echo "   --- first program (backup), exit status $first:"; sed 's/^/   | /' $S/first.out
  echo "   --- check afterwards, exit status $after:"; sed 's/^/   | /' $S/check.out
  echo "   --- verify afterwards, exit status $verified:"; sed 's/^/   | /' $S/verify.out
  ((overlapped)) || fail "the backup was still running when the second program ended (it was not)"
  ((second == 1)) || fail "the second program was refused"
  expect "The drive is busy: $tape_sg is held by process $pid" $S/second.out
  ((first == 0)) || fail "the backup succeeded"
  ((after == 0)) || fail "the tape's ident block is whole afterwards"
  expect "DAILY" $S/check.out
  ((verified == 0)) || fail "the backup is on tape whole"
}

case_no_access() {
  drive=($(drive_options)) || fail "drive options"
  mkdir -p $S/nobody && chmod 777 $S/nobody
  ls -l "$tape_sg"
  (cd $S/nobody && setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=$S/nobody \
    "$cli" status "${drive[@]}") >$S/noaccess.out 2>&1
  local status=$?
  sed 's/^/   | /' $S/noaccess.out
  ((status == 1)) || fail "status exit status 1"
  expect "No access to the drive's node $tape_sg" $S/noaccess.out
  refuse "not supported" $S/noaccess.out
}

case_default_drive_lun1() {
  # The virtual drive's cartridges, which must stay as they are.
  local images=$HOME/.local/share/tapewren/tapes before
  tw adapters >$S/lun1.out 2>&1
  before=$(cd "$images" 2>/dev/null && md5sum * 2>/dev/null)
  sed -n '1,10p' $S/lun1.out
  expect "0 - SCSI ${tape_dev%:*} (" $S/lun1.out
  (cd "$S" && tw format REAL --yes --force) >$S/real.out 2>&1 || { cat $S/real.out; fail "format REAL"; }
  sed 's/^/   | /' $S/real.out
  expect "Drive: adapter 0 (SCSI" $S/real.out
  [[ $(cd "$images" 2>/dev/null && md5sum * 2>/dev/null) == "$before" ]] || fail "the virtual drive's cartridge in $images was written"
  (cd "$S" && tw check) >$S/real.out 2>&1 || { cat $S/real.out; fail "check"; }
  expect "REAL" $S/real.out
}

case_unreachable() {
  drive=($(drive_options)) || fail "drive options"
  local state=/sys/bus/scsi/devices/$tape_dev/state i
  kill -KILL "$guest_tgtd"
  wait "$guest_tgtd" 2>/dev/null
  guest_tgtd=""
  for ((i = 0; i < 300; i++)); do
    [[ $(cat "$state" 2>/dev/null) == transport-offline ]] && break
    sleep 0.1
  done
  echo "device state: $(cat "$state")"
  tw status "${drive[@]}" >$S/gone.out 2>&1
  local status=$?
  sed 's/^/   | /' $S/gone.out
  ((status == 1)) || fail "status exit status 1"
  expect "cannot be reached: the kernel reports it as transport-offline" $S/gone.out
  refuse "not supported" $S/gone.out
  timeout 20 iscsiadm -m node -u >/dev/null 2>&1 || true
}

if ((guest)); then
  guest_main
else
  host_main "$@"
fi
