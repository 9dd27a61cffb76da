#!/usr/bin/env bash
# readme_example.sh BIN_DIR...: runs the README's command-line example as a
# new user would, word for word: a fresh HOME, a fresh virtual-drive folder,
# nothing but the programs in BIN_DIR and the system's on the PATH. Fails
# when one of its commands fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
example=$(sed -n '/^<!-- example: cli -->$/,/^<!-- end of example -->$/s/^    //p' "$top/README.md")
if [[ -z $example ]]; then
  echo "readme_example: no command-line example in README.md" >&2
  exit 1
fi
path=
for dir in "$@"; do path+="$(cd "$dir" && pwd):"; done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/tapes"
cd "$work/home"
env -i HOME="$work/home" PATH="$path/usr/bin:/bin" TAPEWREN_VTAPE="$work/tapes" LANG=C.UTF-8 \
  bash -euxo pipefail -c "$example"
echo "readme_example: passed"
