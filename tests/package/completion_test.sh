#!/usr/bin/env bash
# completion_test.sh ROOT: the bash completion installed under ROOT/usr
# completes tapewren-cli's commands and options (read from ROOT's
# tapewren-cli --help), folders for --to, and tape names from the catalog
# folder (--catalogs DIR, else $TAPEWREN_CATALOGS, else the current folder).
set -uo pipefail
root=$(cd "$1" && pwd)
export PATH="$root/usr/bin:$PATH"
unset TAPEWREN_CATALOGS TAPEWREN_FLOPPY
# shellcheck source=/dev/null
source "$root/usr/share/bash-completion/completions/tapewren-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/here" "$work/other" "$work/floppy" "$work/restore-to"
touch "$work/here/Daily.twd" "$work/here/Weekly.twd" "$work/here/notes.txt" "$work/other/Monthly.twd" \
      "$work/floppy/Old.twd"
cd "$work/here"

failures=0
# expect "WANTED" WORD...: completing the last WORD offers exactly WANTED.
expect() {
  local wanted=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _tapewren_cli
  local got="${COMPREPLY[*]}"
  if [[ $got != "$wanted" ]]; then
    echo "completion of '$*': got '$got', wanted '$wanted'" >&2
    failures=$((failures + 1))
  fi
}

expect "rebuild restore" tapewren-cli re
expect "--tape --target --to" tapewren-cli dir --t
expect "--version" tapewren-cli --vers
expect "$work/restore-to" tapewren-cli restore --to "$work/rest"
expect "$work/restore-to" tapewren-cli restore --to = "$work/rest"
expect "" tapewren-cli --adapter ""
expect "Daily Weekly" tapewren-cli format ""
expect "Weekly" tapewren-cli export W
expect "Monthly" tapewren-cli --catalogs "$work/other" export ""
expect "Monthly" tapewren-cli --catalogs = "$work/other" export ""
TAPEWREN_CATALOGS=$work/other expect "Monthly" tapewren-cli format ""
TAPEWREN_FLOPPY=$work/floppy expect "Old" tapewren-cli import ""
expect "notes.txt" tapewren-cli backup no
expect "Daily Weekly" tapewren-cli dir --tape ""
expect "Monthly" tapewren-cli --catalogs "$work/other" restore --tape ""
expect "find" tapewren-cli fi
expect "selftest" tapewren-cli sel
expect "--skip-existing --skip-others" tapewren-cli restore --skip
expect "" tapewren-cli backup --exclude ""

if ((failures)); then
  echo "completion_test: $failures failed" >&2
  exit 1
fi
echo "completion_test: passed"
