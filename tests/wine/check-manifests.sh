#!/bin/sh
# Checks each program's manifest as Windows reads it from the .exe: the one RT_MANIFEST resource,
# under CREATEPROCESS_MANIFEST_RESOURCE_ID (1), for the processor of the .exe's own header.
#   check-manifests.sh OBJDUMP WINDRES PYTHON EXE LEVEL [EXE LEVEL]...
set -u
objdump=$1 windres=$2 python=$3
shift 3
failed=0
fail() { echo "$exe: $*"; failed=1; }
# Whether the first element $1 right after the text $2 has every attribute given.
element() {
  found=$(printf '%s' "$text" | grep -Eo "$2 *<$1 [^>]*>") || return 1
  shift 2
  for attribute; do printf '%s' "$found" | grep -Fq " $attribute" || return 1; done
}
while [ $# -ge 2 ]; do
  exe=$1 level=$2
  shift 2
  resources=$("$windres" -i "$exe" -O rc) || { fail "resources cannot be read"; continue; }
  count=$(printf '%s\n' "$resources" | grep -c ' 24 /\* RT_MANIFEST \*/$')
  [ "$count" -eq 1 ] || fail "$count manifests instead of one"
  # windres writes the text as quoted pieces with doubled quotes; the comments go.
  text=$(printf '%s\n' "$resources" | sed -n '/^1 24 /,/^END$/s/^  "\(.*\)"$/\1/p' |
         tr -d '\n' | sed 's/""/"/g; s/\\n/ /g; s/<!--[^>]*-->//g')
  printf '%s' "$text" | "$python" -c 'import sys, xml.dom.minidom as d; d.parse(sys.stdin)' \
    2>/dev/null || fail "no well-formed manifest under resource 1"
  case $("$objdump" -f "$exe") in *pei-x86-64*) arch=amd64 ;; *) arch=x86 ;; esac
  element assemblyIdentity '<assembly [^>]*>' "processorArchitecture=\"$arch\"" ||
    fail "the program's identity is not one for $arch"
  element assemblyIdentity '<dependency> *<dependentAssembly>' 'type="win32"' 'version="6.0.0.0"' \
    'name="Microsoft.Windows.Common-Controls"' 'publicKeyToken="6595b64144ccf1df"' 'language="*"' &&
    case $found in *Architecture=\"$arch\"* | *Architecture=\"\*\"*) ;; *) false ;; esac ||
    fail "no dependency on the common controls 6 for $arch"
  element requestedExecutionLevel \
    '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v[23]"> *<security> *<requestedPrivileges>' \
    "level=\"$level\"" 'uiAccess="false"' || fail "does not ask for $level without uiAccess"
  for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    element supportedOS '<compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1"> *<application>( *<supportedOS [^>]*>)*' \
      "Id=\"{$os}\"" || fail "does not name the Windows of {$os}"
  done
  # Scaling the pages to the screen's DPI would move every control the page tests measure.
  case $text in *[dD][pP][iI][aA]ware*) fail "declares DPI awareness" ;; esac
done
[ $failed -eq 0 ] && echo "every manifest as expected"
exit $failed
