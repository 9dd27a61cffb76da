# Shared by the *_vs_tar.sh benchmarks: sourced after they have set $work,
# the scratch folder that measure and tar_phases write their side files to.

drop() { sync; [ "$(id -u)" = 0 ] && echo 3 > /proc/sys/vm/drop_caches 2>/dev/null || true; }
now() { date +%s.%N; }

# Peak memory of a command: GNU time where installed (package time), else
# getrusage of the children through python3.
if [ -x /usr/bin/time ]; then
    peak_of() { /usr/bin/time -o "$work/peak" -f '%M' "$@"; }
else
    peak_of() {
        python3 -c 'import resource, subprocess, sys
rc = subprocess.call(sys.argv[2:])
open(sys.argv[1], "w").write("%d\n" % resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
sys.exit(rc)' "$work/peak" "$@"
    }
fi

# make_big DIR FILES MIB: FILES files of MIB MiB of random data.
make_big() {
    mkdir -p "$1"
    for i in $(seq -w 1 "$2"); do head -c $(($3 << 20)) /dev/urandom > "$1/big$i.bin"; done
}

# make_mixed DIR FILES MAX DIGITS [zip]: FILES files of 0 B .. MAX bytes spread
# on a log scale, numbered with DIGITS digits; with zip, every tenth is named
# as an archive. The same seed gives the same sizes on every run.
make_mixed() {
    local dir=$1 archives=${5:-}
    mkdir -p "$dir"
    awk -v n="$2" -v max="$3" \
        'BEGIN { srand(7); for (i = 1; i <= n; i++) printf "%d\n", int(exp(rand() * log(max))) - 1 }' |
        nl -w"$4" -n rz | while read -r n size; do
            ext=dat; [ -n "$archives" ] && [ $((10#$n % 10)) = 0 ] && ext=zip
            head -c "$size" /dev/urandom > "$dir/m$n.$ext"
        done
}

# Total bytes of the files below a folder.
byte_count() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }'; }

# Runs "$@" and prints "SECONDS PEAK_KIB EXIT_STATUS".
measure() {
    local t0 t1 rc=0
    t0=$(now)
    peak_of "$@" > "$work/out" 2> "$work/err" || rc=$?
    t1=$(now)
    awk -v t0="$t0" -v t1="$t1" -v p="$(tail -n 1 "$work/peak")" -v rc="$rc" \
        'BEGIN { printf "%.3f %s %s\n", t1 - t0, p, rc }'
}

# rate_row WIDTH RATIO_NAME LABEL SECONDS PEAK_KIB BYTES [TAR_SECONDS]
rate_row() {
    awk -v w="$1" -v rn="$2" -v l="$3" -v s="$4" -v p="$5" -v b="$6" -v ts="${7:-}" 'BEGIN {
        printf "%-" w "s %8.2f s %8.1f MB/s  peak %7.1f MiB", l, s, b / 1e6 / s, p / 1024
        if (ts != "") printf "   %s %.2f", rn, ts / s
        printf "\n" }'
}

# tar_phases SRC SECONDS_ARRAY PEAK_ARRAY: times GNU tar's backup (-c + sync),
# restore (-x + sync) and verify (-d) of SRC through $work/x.tar with a cold
# cache before each, into the caller's associative arrays by phase name.
tar_phases() {
    local src=$1 rc
    local -n tar_seconds=$2 tar_peak=$3
    rm -rf "$work/x.tar" "$work/untar"; mkdir -p "$work/untar"
    drop
    read -r tar_seconds[backup] tar_peak[backup] rc < <(measure sh -c "cd '$src' && tar -c -b 128 -f '$work/x.tar' . && sync '$work/x.tar'")
    drop
    read -r tar_seconds[restore] tar_peak[restore] rc < <(measure sh -c "cd '$work/untar' && tar -x -b 128 -f '$work/x.tar' && sync")
    drop
    read -r tar_seconds[verify] tar_peak[verify] rc < <(measure sh -c "cd '$src' && tar -d -b 128 -f '$work/x.tar'")
    [ "$rc" = 0 ] || { echo "tar -d found differences" >&2; exit 1; }
}

# The median of numbers given as arguments.
median() {
    printf '%s\n' "$@" | sort -g |
        awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
