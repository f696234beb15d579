#!/usr/bin/env bash
# Signs the driver package's catalog and puts the signer's certificate (DER) beside it.
#   sign_catalog.sh UNSIGNED.cat SIGNED.cat CERTIFICATE.cer BUILD-NAME [CERT.pem KEY.pem]
# Given an organisation's certificate and key, they sign. Otherwise a certificate is made for this
# build alone, and its private key is destroyed before the script ends, however it ends: the key
# lives only in a private folder outside the build tree, which the trap overwrites and removes.
# SHA-1 throughout, the only digest Windows 2000, XP, and Vista and 7 without updates verify.
set -euo pipefail

[[ $# -eq 4 || $# -eq 6 ]] || { sed -n '2,7p' "$0" >&2; exit 2; }
unsigned=$1 signed=$2 certificate=$3 build=$4
cert=${5:-} key=${6:-}

secret=
cleanup() {
  rm -f "$signed.part"
  if [[ -n "$secret" ]]; then
    [[ ! -f "$secret/key.pem" ]] || shred -u -z "$secret/key.pem"
    rm -rf "$secret"
  fi
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# Nothing half-made may pass for the catalog: the results appear only when signing succeeded.
rm -f "$signed" "$certificate"

if [[ -z "$key" ]]; then
  # Only the key is private: the catalog and certificate go into the kit as any other file.
  saved_umask=$(umask)
  umask 077
  secret=$(mktemp -d "${TMPDIR:-/tmp}/kit-signing.XXXXXXXX")
  chmod 0700 "$secret"
  key=$secret/key.pem cert=$secret/cert.pem
  # A leaf that signs code and nothing else, itself signed with SHA-1, as Windows 2000 and XP
  # before SP3 verify no other hash in a certificate. Its key is gone before the build ends, so
  # its validity widens nothing it could sign; but Windows checks an untimestamped signature
  # against that validity whenever the package is staged, so a kit must stay installable for as
  # long as it is handed out: five years. The subject names the kit and the build; a common name
  # holds at most 64 characters.
  if ! log=$(openssl req -x509 -newkey rsa:2048 -noenc -sha1 -days 1826 -keyout "$key" -out "$cert" \
      -subj "/O=GPRS Modem Kit/OU=Driver package/CN=GPRS Modem Kit $build $(date -u +%Y%m%dT%H%M%SZ)" \
      -addext "basicConstraints=critical,CA:FALSE" \
      -addext "keyUsage=critical,digitalSignature" \
      -addext "extendedKeyUsage=codeSigning" 2>&1); then
    echo "$log" >&2
    exit 1
  fi
  umask "$saved_umask"
fi

osslsigncode sign -certs "$cert" -key "$key" -h sha1 -in "$unsigned" -out "$signed.part" >/dev/null
openssl x509 -in "$cert" -outform DER -out "$certificate"
mv "$signed.part" "$signed"
