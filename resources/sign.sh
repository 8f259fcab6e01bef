#!/usr/bin/env bash
# sign.sh IN OUT NAME URL: OUT is IN with an Authenticode signature (SHA-256,
# the program's NAME and URL), made with osslsigncode from the certificate
# and key the release manager gives:
#   MIREBO_SIGN_CERT      the certificate, PEM, or a PKCS#12 file holding the key too
#   MIREBO_SIGN_KEY       the private key, PEM (not needed with PKCS#12)
#   MIREBO_SIGN_PASSWORD  the key's password, if it has one
# Without MIREBO_SIGN_CERT, OUT is IN unchanged. A missing file, a wrong
# password or a certificate out of its dates stops with a message, and OUT is
# then not written at all.
set -euo pipefail
in=${1:?usage: $0 IN OUT NAME URL} out=${2:?} name=${3:?} url=${4:?}
cert=${MIREBO_SIGN_CERT:-} key=${MIREBO_SIGN_KEY:-}
die() { echo "sign: $*" >&2; exit 1; }
rm -f "$out"
if [ -z "$cert" ]; then
    cp "$in" "$out"
    exit 0
fi
work=$(mktemp -d)
part=$(dirname "$out")/.$(basename "$out").signing
trap 'rm -rf "$work" "$part"' EXIT
[ -f "$cert" ] || die "MIREBO_SIGN_CERT: $cert: no such file"
printf '%s' "${MIREBO_SIGN_PASSWORD:-}" >"$work/pass"
if openssl x509 -in "$cert" -noout 2>/dev/null; then
    [ -n "$key" ] || die "MIREBO_SIGN_KEY is not set (the certificate $cert is PEM)"
    [ -f "$key" ] || die "MIREBO_SIGN_KEY: $key: no such file"
    openssl pkey -in "$key" -passin "file:$work/pass" -noout 2>/dev/null \
        || die "cannot read the key $key: wrong MIREBO_SIGN_PASSWORD, or not a key"
    cp "$cert" "$work/cert.pem"
    with=(-certs "$cert" -key "$key")
else
    openssl pkcs12 -in "$cert" -passin "file:$work/pass" -nokeys -clcerts -out "$work/cert.pem" 2>/dev/null \
        || openssl pkcs12 -legacy -in "$cert" -passin "file:$work/pass" -nokeys -clcerts -out "$work/cert.pem" 2>/dev/null \
        || die "cannot open $cert: wrong MIREBO_SIGN_PASSWORD, or neither PEM nor PKCS#12"
    with=(-pkcs12 "$cert")
fi
# Windows would show a signature by a certificate out of its dates as invalid.
openssl x509 -in "$work/cert.pem" -noout -checkend 0 >/dev/null \
    || die "the certificate expired on $(openssl x509 -in "$work/cert.pem" -noout -enddate | cut -d= -f2)"
now=$(date +%s)
[ "$(date -d "$(openssl x509 -in "$work/cert.pem" -noout -startdate | cut -d= -f2)" +%s)" -le "$now" ] \
    || die "the certificate is not valid before $(openssl x509 -in "$work/cert.pem" -noout -startdate | cut -d= -f2)"
# Written beside and moved into place: never a half-signed OUT.
osslsigncode sign "${with[@]}" -readpass "$work/pass" -h sha256 -n "$name" -i "$url" \
    -in "$in" -out "$part" >"$work/log" 2>&1 || { cat "$work/log" >&2; die "osslsigncode could not sign $in"; }
mv "$part" "$out"
