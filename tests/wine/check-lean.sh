#!/bin/sh
# Checks that no shipping binary carries the C++ exception run time. The kit is built without
# exceptions, but one library call that may throw (a string_view's substr, a string's growth)
# brings the whole of it in, the demangler included, and multiplies a program's size.
#   check-lean.sh FILE...
set -u
found=0
for file in "$@"; do
  if grep -q "terminate called after throwing" "$file"; then
    echo "$file carries the C++ exception run time"
    found=1
  fi
done
[ $found -eq 0 ] && echo "no exception run time in: $*"
exit $found
