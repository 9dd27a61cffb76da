#!/usr/bin/env bash
# deps.sh [run] [test] [package]: installs from Debian 12's packages what
# building and running (run), testing and checking the Debian packages
# (test), or making them (package) need; with no argument, all three. Does
# nothing when everything is there already.
set -euo pipefail

run=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libasound2-dev fonts-dejavu-core fonts-dejavu-extra
  libiscsi-dev nlohmann-json3-dev libxxhash-dev libssl-dev
)
test=(
  libgtest-dev libgmock-dev libbenchmark-dev
  libiscsi-bin tgt simh hercules
  clang-14 libclang-rt-14-dev
  xvfb xauth
  lintian desktop-file-utils appstream man-db
)
package=(
  help2man dpkg-dev file
)

sets=("$@")
((${#sets[@]})) || sets=(run test package)
packages=()
for set in "${sets[@]}"; do
  case $set in
  run) packages+=("${run[@]}") ;;
  test) packages+=("${run[@]}" "${test[@]}") ;;
  package) packages+=("${run[@]}" "${package[@]}") ;;
  *) echo "deps.sh: unknown set '$set' (run, test or package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run this as root, or install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
