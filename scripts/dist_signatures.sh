#!/usr/bin/env bash
# Says how each file handed out in DIST-DIR is signed, and of each archive, every file in it.
#   dist_signatures.sh DIST-DIR
# It reads the signatures as they are in the files (osslsigncode), so that a file that is not
# signed is said so, not assumed signed.
set -euo pipefail

[[ $# -eq 1 ]] || { sed -n '2,5p' "$0" >&2; exit 2; }

# How one file is signed, in a few words.
how() {
  local file=$1 name
  name=$(basename "$file")
  case "${name,,}" in
    *.inf) echo "not signed itself: its hash is in wwandev.cat"; return ;;
    *.cer) echo "the signer's certificate, which the installer adds to the machine's trust stores"; return ;;
    *.exe | *.dll | *.cat | *.msi) ;;
    *.zip) echo "an archive, which carries no signature; of its files:"; return ;;
    *) echo "NOT SIGNED"; return ;;
  esac
  local report subject digest
  # verify also fails on a signer it cannot chain to a root of this Linux machine, which the
  # build's own certificate never is; only a file without a signature names no signer.
  report=$(osslsigncode verify -in "$file" 2>&1) || true
  grep -q "Signer's certificate" <<<"$report" || { echo "NOT SIGNED"; return; }
  subject=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$report" | head -n 1)
  digest=$(sed -n 's/^Message digest algorithm: //p' <<<"$report" | head -n 1)
  if grep -q "Timestamp is not available" <<<"$report"; then
    echo "Authenticode, $digest, by $subject, no time stamp"
  else
    echo "Authenticode, $digest, by $subject, time-stamped"
  fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for file in "$1"/*; do
  printf '%s: %s\n' "$(basename "$file")" "$(how "$file")"
  case "$file" in
    *.zip) 7z e -y -o"$scratch/${file##*/}" "$file" >/dev/null ;;
    # Of an installer, the uninstaller it writes: the rest is the kit, as in the archives.
    *.exe) 7z e -y -o"$scratch/${file##*/}" "$file" Uninstall.exe >/dev/null ;;
    # Of a Windows Installer package, its custom actions' DLL: the rest is the kit.
    *.msi)
      mkdir -p "$scratch/${file##*/}"
      msiinfo extract "$file" Binary.KitActions >"$scratch/${file##*/}/KitActions.dll"
      ;;
    *) continue ;;
  esac
  for inner in "$scratch/${file##*/}"/*; do
    [[ -e "$inner" ]] || continue
    printf '  %s: %s\n' "$(basename "$inner")" "$(how "$inner")"
  done
done
