#!/bin/bash
# Start-up time of the window on the virtual drive: from process start to
# " Ready." in the status line, offscreen. Reports the time the program
# measures itself (main to ready, window built) and the whole process's wall
# time (loading libraries and exit included). Target: under 300 ms.
#
#   bench/startup_time.sh [path/to/tapewren] [runs]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/src/ui/qt/tapewren}
runs=${2:-10}
[ -x "$program" ] || { echo "no program at $program (build the tapewren target first)" >&2; exit 1; }

cartridges=$(mktemp -d)
trap 'rm -rf "$cartridges"' EXIT
export TAPEWREN_VTAPE=$cartridges QT_QPA_PLATFORM=offscreen TAPEWREN_EXIT_WHEN_READY=1

inner=()
outer=()
for ((i = 0; i < runs; i++)); do
    t0=$(date +%s%N)
    line=$("$program" 2>/dev/null)
    t1=$(date +%s%N)
    case $line in
    *'status " Ready."'*) ;;
    *) echo "run $i did not reach \" Ready.\": $line" >&2; exit 1 ;;
    esac
    ms=${line#start-up: }
    inner+=("${ms%% ms*}")
    outer+=("$(( (t1 - t0) / 1000000 ))")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "runs: $runs"
echo "in-process, main to \" Ready.\": median $(median "${inner[@]}") ms (all: ${inner[*]})"
echo "whole process wall time:       median $(median "${outer[@]}") ms (all: ${outer[*]})"
