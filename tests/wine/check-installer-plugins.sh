#!/bin/sh
# Checks that no installer carries a plug-in. The engine unpacks plug-ins into a folder under the
# temporary folder and loads them from there, where another user may have put a DLL of their own
# first; so the only DLL an installer may carry is the kit's own InfInstall.dll, which it places.
#   check-installer-plugins.sh 7Z INSTALLER...
set -u
sevenzip=$1
shift
command -v "$sevenzip" >/dev/null 2>&1 || {
  echo "no $sevenzip to list the installers with (Debian's p7zip-full)"
  exit 1
}
found=0
for installer in "$@"; do
  if ! listing=$("$sevenzip" l -slt "$installer" 2>&1); then
    printf '%s cannot be listed:\n%s\n' "$installer" "$listing"
    found=1
    continue
  fi
  # The entries follow the line of dashes; before it, "Path =" names the installer itself.
  entries=$(printf '%s\n' "$listing" | sed -n '/^----------$/,$s/^Path = //p')
  # A listing that shows none of the kit proves nothing about the rest.
  if ! printf '%s\n' "$entries" | grep -qx 'PortWizard.exe'; then
    printf '%s lists no PortWizard.exe, so its listing cannot be trusted:\n%s\n' "$installer" \
      "$entries"
    found=1
  fi
  plugins=$(printf '%s\n' "$entries" | grep -i -e '^\$PLUGINSDIR' -e '\.dll$' | grep -vx 'InfInstall.dll')
  if [ -n "$plugins" ]; then
    printf '%s carries plug-ins:\n%s\n' "$installer" "$plugins"
    found=1
  fi
done
[ $found -eq 0 ] && echo "no plug-ins in: $*"
exit $found
