#!/usr/bin/env bash
# Signs one file of the kit (a program, the library, the catalog, an installer) with Authenticode.
#   sign_file.sh [-c CERT.pem -k KEY.pem] IN OUT
# IN and OUT may be the same file. With CERT and KEY (an organisation's), they sign. Without, the
# key of this build signs, which scripts/signing_session.sh makes for the length of one build and
# names in KIT_BUILD_SIGNING_CERT and KIT_BUILD_SIGNING_KEY; no step of the build holds it longer.
# SHA-1 throughout, the only digest Windows 2000, XP, and Vista and 7 without updates verify.
set -euo pipefail

usage() { sed -n '2,7p' "$0" >&2; exit 2; }
cert=${KIT_BUILD_SIGNING_CERT:-} key=${KIT_BUILD_SIGNING_KEY:-}
while getopts c:k: option; do
  case $option in
    c) cert=$OPTARG ;;
    k) key=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[[ $# -eq 2 ]] || usage
in=$1 out=$2
if [[ -z "$cert" || -z "$key" ]]; then
  echo "sign_file.sh: no signing key. The build's own key lives only while 'make win32' or" \
       "'make win64' runs (scripts/signing_session.sh): build through make, or configure with" \
       "KIT_SIGNING_CERT and KIT_SIGNING_KEY." >&2
  exit 1
fi

# Nothing half-made may pass for the signed file: it appears only when signing succeeded.
trap 'rm -f "$out.part"' EXIT
rm -f "$out.part"
mkdir -p "$(dirname "$out")"
if ! log=$(osslsigncode sign -certs "$cert" -key "$key" -h sha1 -n "GPRS Modem Kit" \
    -in "$in" -out "$out.part" 2>&1); then
  echo "$log" >&2
  exit 1
fi
mv -f "$out.part" "$out"
