#!/usr/bin/env bash
# Runs one build of the kit with a signing key made for it alone, and destroys the key when the
# build ends, however it ends.
#   signing_session.sh BUILD-DIR BUILD-NAME COMMAND...
# With an organisation's certificate (KIT_SIGNING_CERT in the environment) nothing is made: the
# command runs as it is. Otherwise the key lives only in a private folder outside the build tree,
# in memory where the machine has /dev/shm, which the trap overwrites and removes; the build
# steps find it through KIT_BUILD_SIGNING_CERT and KIT_BUILD_SIGNING_KEY. Only the certificate
# reaches the build folder, as BUILD-DIR/signing/build-signer.pem, so that everything signed
# with an older key is signed again.
set -euo pipefail

[[ $# -ge 3 ]] || { sed -n '2,11p' "$0" >&2; exit 2; }
build_dir=$1 build=$2
shift 2
[[ -z "${KIT_SIGNING_CERT:-}" ]] || exec "$@"

secret=
cleanup() {
  if [[ -n "$secret" ]]; then
    [[ ! -f "$secret/key.pem" ]] || shred -u -z "$secret/key.pem"
    rm -rf "$secret"
  fi
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

parent=${TMPDIR:-/tmp}
[[ ! -d /dev/shm || ! -w /dev/shm ]] || parent=/dev/shm
saved_umask=$(umask)
umask 077
secret=$(mktemp -d "$parent/kit-signing.XXXXXXXX")
chmod 0700 "$secret"
key=$secret/key.pem cert=$secret/cert.pem
# A leaf that signs code and nothing else, itself signed with SHA-1, as Windows 2000 and XP before
# SP3 verify no other hash in a certificate. Its key is gone when the build ends, so its validity
# widens nothing it could sign; but Windows checks an untimestamped signature against that
# validity whenever the package is staged, so a kit must stay installable for as long as it is
# handed out: five years. The subject names the kit and the build; a common name holds at most 64
# characters.
if ! log=$(openssl req -x509 -newkey rsa:2048 -noenc -sha1 -days 1826 -keyout "$key" -out "$cert" \
    -subj "/O=GPRS Modem Kit/OU=Driver package/CN=GPRS Modem Kit $build $(date -u +%Y%m%dT%H%M%SZ)" \
    -addext "basicConstraints=critical,CA:FALSE" \
    -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>&1); then
  echo "$log" >&2
  exit 1
fi
umask "$saved_umask"

mkdir -p "$build_dir/signing"
install -m 0644 "$cert" "$build_dir/signing/build-signer.pem.part"
mv -f "$build_dir/signing/build-signer.pem.part" "$build_dir/signing/build-signer.pem"
export KIT_BUILD_SIGNING_CERT=$cert KIT_BUILD_SIGNING_KEY=$key
# Not exec: the trap must run when the build is over.
"$@"
