#!/usr/bin/env bash
# check-packages.sh DIR: checks the two Debian packages in DIR: their
# contents and control fields, lintian (an error fails), the command line's
# freedom from Qt, the desktop entry and AppStream metainfo, each program's
# --version and man page, the bash completion, and the README's command-line
# example run with the packaged programs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
cli=$(echo "$dir"/tapewren-cli_*.deb)
window=$(echo "$dir"/tapewren_*.deb)
for deb in "$cli" "$window"; do
  echo "== $(basename "$deb")"
  dpkg-deb -I "$deb"
  dpkg-deb -c "$deb"
done

fail() {
  echo "check-packages: $*" >&2
  exit 1
}

echo "== lintian"
status=0
tags=$(lintian --info --fail-on error "$cli" "$window" 2>&1) || status=$?
grep -v '^running with root privileges' <<<"$tags" || echo "(no tags)"
((status == 0)) || fail "lintian found errors"
echo "== dependencies"
cli_depends=$(dpkg-deb -f "$cli" Depends)
window_depends=$(dpkg-deb -f "$window" Depends)
[[ $cli_depends != *qt* ]] || fail "tapewren-cli depends on Qt: $cli_depends"
[[ $cli_depends == *libiscsi* ]] || fail "tapewren-cli lacks libiscsi: $cli_depends"
[[ $window_depends == *libqt6widgets6* && $window_depends == *libqt6svg6* ]] ||
  fail "tapewren lacks Qt: $window_depends"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$cli" "$root"
dpkg-deb -x "$window" "$root"

echo "== desktop entry and metainfo"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

echo "== versions and man pages"
version=$(dpkg-deb -f "$cli" Version)
for program in tapewren tapewren-cli tapewren-probe; do
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version)
  [[ $got == "$program $version" ]] || fail "$program --version says '$got', not '$program $version'"
  # Made from --help: lists the options, --version among them.
  MANWIDTH=80 man -l "$root/usr/share/man/man1/$program.1.gz" 2>/dev/null | grep -q -- '--version' ||
    fail "the man page of $program lacks --version"
  echo "$got: man page fine"
done

echo "== bash completion"
bash "$top/tests/package/completion_test.sh" "$root"

echo "== the README's crontab line is the shipped example"
crontab_line=$(grep -v '^#' "$root/usr/share/doc/tapewren-cli/examples/tapewren-backup.crontab")
grep -qxF "    $crontab_line" "$top/README.md" || fail "README.md lacks the crontab line: $crontab_line"

echo "== the README's command-line example"
bash "$top/tests/package/readme_example.sh" "$root/usr/bin"
