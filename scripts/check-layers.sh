#!/usr/bin/env bash
# check-layers.sh [ROOT]: fails when an include runs up the layers, from the
# stand-in's core into one of its backends, between two backends, or between
# the two faces (src/ui and src/cli); when anything outside src/ui/qt
# includes Qt; and when a test folder reaches into another test folder
# instead of tests/support. The build's include roots stop most of these at
# compile time; this also covers headers no source of their layer includes.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Each folder of src/ and what its files may include, itself among them.
declare -A may
may[aspi]="aspi"
may[aspi/virtual]="aspi aspi/virtual"
may[aspi/sg]="aspi aspi/sg"
may[aspi/iscsi]="aspi aspi/iscsi"
may[report]="report"
may[lists]="lists"
may[scsi]="aspi report scsi"
may[tape]="${may[scsi]} tape"
may[catalog]="${may[tape]} lists catalog"
may[jobs]="${may[catalog]} jobs"
may[app]="${may[jobs]} aspi/virtual aspi/sg aspi/iscsi app"
may[ui]="${may[app]} ui"
may[ui/qt]="${may[ui]} ui/qt"
may[cli]="${may[app]} cli"

# The folder of src/ that a path (relative to src/) lies in: the longest
# known one that prefixes it.
folder_of() {
    local path=$1 best=""
    for f in "${!may[@]}"; do
        if [[ $path == "$f/"* && ${#f} -gt ${#best} ]]; then best=$f; fi
    done
    printf '%s' "$best"
}

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

checked=0
while IFS= read -r file; do
    checked=$((checked + 1))
    own=$(folder_of "${file#src/}")
    if [[ -z $own ]]; then
        fail "$file: in no layer; add its folder to scripts/check-layers.sh and docs/ARCHITECTURE.md"
        continue
    fi
    while IFS=: read -r line text; do
        if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z]*)[/\>] ]]; then
            [[ $own == ui/qt ]] || fail "$file:$line: Qt is for src/ui/qt only: $text"
            continue
        fi
        [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        included=${BASH_REMATCH[1]}
        target=$(folder_of "$included")
        if [[ -z $target ]]; then
            fail "$file:$line: \"$included\" is not \"<layer>/Name.h\" of a known layer"
        elif [[ " ${may[$own]} " != *" $target "* ]]; then
            fail "$file:$line: src/$own may not include \"$included\" (src/$target is not below it)"
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

# Tests: a folder's own headers without a folder, shared ones from support/.
while IFS= read -r file; do
    checked=$((checked + 1))
    dir=$(dirname "$file")
    while IFS=: read -r line text; do
        [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        included=${BASH_REMATCH[1]}
        if [[ $included != */* ]]; then
            [[ -f $dir/$included ]] || fail "$file:$line: \"$included\" is not in $dir"
        elif [[ $included == support/* ]]; then
            [[ -f tests/$included ]] || fail "$file:$line: no tests/$included"
        elif [[ -f tests/$included ]]; then
            fail "$file:$line: \"$included\" belongs to another test folder; shared helpers live in tests/support"
        elif [[ -z $(folder_of "$included") ]]; then
            fail "$file:$line: \"$included\" is neither a test helper nor \"<layer>/Name.h\""
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find tests -name '*.h' -o -name '*.cpp' | sort)

if ((failures > 0)); then
    echo "check-layers: $failures include(s) against the layers" >&2
    exit 1
fi
echo "check-layers: $checked files, every include points down its layers"
