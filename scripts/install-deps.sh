#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet (NAME or NAME:ARCH).
set -euo pipefail

missing=()
for package in "$@"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "== installing ${missing[*]}"
for package in "${missing[@]}"; do
  if [[ "$package" == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
done
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync serves index files that fail their checks, which it usually
# mends within a minute. If it does not, the install below goes on with the lists it has.
for attempt in 1 2 3; do
  "${sudo[@]}" apt-get update -qq && break
  [[ $attempt -eq 3 ]] || { echo "== apt-get update failed; retrying"; sleep 20; }
done
native=()
foreign=()
for package in "${missing[@]}"; do
  if [[ "$package" == *:i386 ]]; then foreign+=("$package"); else native+=("$package"); fi
done
install() { "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
[[ ${#native[@]} -eq 0 ]] || install "${native[@]}"
# The 32-bit packages need the mirror's i386 lists to match the machine's own packages version
# for version. When they cannot be installed, everything else still builds and runs: the 32-bit
# build's Wine tests then report a skip, which names the loader that is missing.
if [[ ${#foreign[@]} -gt 0 ]] && ! install "${foreign[@]}"; then
  echo "== could not install ${foreign[*]}: the 32-bit build's Wine tests will be skipped" >&2
fi
