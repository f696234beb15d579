#!/bin/sh
# Made the DER certificates beside this script once, with OpenSSL 3.0; they are committed, and the
# tests only read them. Run again, it makes new ones (new keys, new serial numbers): the tests
# name no thumbprint, so they still pass. Each is self-signed unless said, on a P-256 key that is
# thrown away at once, and valid for 100 years, as the simulated stores never look at the time.
#
#   kit.der     what scripts/sign_catalog.sh makes: CA:FALSE (critical), code signing only
#   other.der   the same kind of certificate, someone else's: it must stay where it is
#   ca.der      a certification authority (CA:TRUE) for code signing
#   server.der  CA:FALSE, but for server authentication, not code signing
#   nobc.der    code signing, without basic constraints: Windows may take it as an authority
#   issued.der  CA:FALSE, code signing, issued by ca.der: not self-signed
#   twin.der    CA:FALSE, code signing, issued by an authority whose name is as long as its own
#   oldbc.der   CA:FALSE, code signing, and the older basic constraints extension (2.5.29.10)
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# $1 name, $2 subject, $3 extensions (lines of an OpenSSL extension section); self-signed.
make() {
  openssl ecparam -name prime256v1 -genkey -noout -out "$work/$1.key"
  openssl req -new -key "$work/$1.key" -subj "$2" -out "$work/$1.csr"
  printf '[e]\n%b\n' "$3" > "$work/$1.ext"
  openssl x509 -req -in "$work/$1.csr" -key "$work/$1.key" -days 36500 -sha256 \
    -extfile "$work/$1.ext" -extensions e -out "$work/$1.pem"
  openssl x509 -in "$work/$1.pem" -outform DER -out "$1.der"
}

signing='basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning'
make kit "/O=GPRS Modem Kit/OU=Driver package/CN=GPRS Modem Kit test build" "$signing"
make other "/O=Another Publisher/CN=Another Publisher code signing" "$signing"
make ca "/O=Some Authority/CN=Some Authority root" \
  'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,digitalSignature\nextendedKeyUsage=codeSigning'
make server "/O=GPRS Modem Kit/CN=Not for code" \
  'basicConstraints=critical,CA:FALSE\nextendedKeyUsage=serverAuth'
make nobc "/O=GPRS Modem Kit/CN=No constraints" 'extendedKeyUsage=codeSigning'

# Issued by the authority above.
openssl ecparam -name prime256v1 -genkey -noout -out "$work/issued.key"
openssl req -new -key "$work/issued.key" -subj "/O=GPRS Modem Kit/CN=Issued by an authority" \
  -out "$work/issued.csr"
printf '[e]\n%b\n' "$signing" > "$work/issued.ext"
openssl x509 -req -in "$work/issued.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
  -CAcreateserial -days 36500 -sha256 -extfile "$work/issued.ext" -extensions e \
  -out "$work/issued.pem"
openssl x509 -in "$work/issued.pem" -outform DER -out issued.der

# Issued by an authority whose name differs from the subject's in one letter alone.
make twinca "/O=GPRS Modem Kit/CN=Twin A" \
  'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,digitalSignature'
openssl ecparam -name prime256v1 -genkey -noout -out "$work/twin.key"
openssl req -new -key "$work/twin.key" -subj "/O=GPRS Modem Kit/CN=Twin B" -out "$work/twin.csr"
openssl x509 -req -in "$work/twin.csr" -CA "$work/twinca.pem" -CAkey "$work/twinca.key" \
  -CAcreateserial -days 36500 -sha256 -extfile "$work/issued.ext" -extensions e \
  -out "$work/twin.pem"
openssl x509 -in "$work/twin.pem" -outform DER -out twin.der
rm twinca.der

# The older form of the extension, whatever it says, beside the newer one's CA:FALSE.
make oldbc "/O=GPRS Modem Kit/CN=Old constraints" "$signing\n2.5.29.10=DER:3000"
