#!/usr/bin/env bash
# Builds the program and starts it on the built-in virtual tape drive.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$top/build/release/src/ui/qt/tapewren" "$@"
