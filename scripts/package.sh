#!/usr/bin/env bash
# package.sh [DIR]: builds the two Debian packages, tapewren (the window)
# and tapewren-cli (command line and tapewren-probe), in DIR (default
# build/package), with Debian's hardening flags; prints their paths.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build/package}
"$top/scripts/deps.sh" package

# The compiler and linker flags Debian builds its own packages with (the
# source paths in them relative to the top folder).
cd "$top"
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
"$top/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
  -DCMAKE_STRIP="$top/scripts/strip.sh" -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF -DTW_MAN_PAGES=ON
rm -f "$dir"/packages/*.deb
(cd "$dir" && cpack >/dev/null)
ls "$dir"/packages/*.deb
