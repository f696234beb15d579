#!/bin/sh
# Checks that a DLL's export table lists every given name, exactly as the importers spell it.
#   check-exports.sh OBJDUMP DLL NAME...
set -u
objdump=$1
dll=$2
shift 2
table=$("$objdump" -p "$dll") || exit 1
missing=0
for name in "$@"; do
  if ! printf '%s\n' "$table" | grep -Eq "^[[:space:]]+\[ *[0-9]+\] $name\$"; then
    echo "$dll does not export $name"
    missing=1
  fi
done
[ $missing -eq 0 ] && echo "$dll exports: $*"
exit $missing
