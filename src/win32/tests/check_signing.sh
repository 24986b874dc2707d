#!/bin/sh
# Signs a copy of the launcher with scripts/sign and a certificate made here for the purpose
# (self-signed, code signing, two days, never kept in the repository), then checks it: the
# copy verifies against that certificate with a SHA-256 signature described by the product
# name and web address, scripts/check-exe still passes and counts the same image size as for
# the unsigned file, and scripts/sign refuses to write over its input.
#
# Usage: check_signing.sh EXE DIR   (DIR is emptied; the signed copy is DIR/zirelpluginsetup.exe)
set -eu

exe=$1
dir=$2
scripts=$(dirname "$0")/../../../scripts
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

rm -rf "$dir"
mkdir -p "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" -days 2 \
  -subj "/CN=Zirel throwaway signing" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" 2>/dev/null
ZIREL_TEST_PFX_PASSWORD=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
export ZIREL_TEST_PFX_PASSWORD
openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/cert.pem" -out "$dir/signing.pfx" \
  -passout env:ZIREL_TEST_PFX_PASSWORD
rm "$dir/key.pem"
sign() {
  "$scripts/sign" "$@" --pfx "$dir/signing.pfx" --password-env ZIREL_TEST_PFX_PASSWORD
}

cp "$exe" "$dir/input.exe"
if sign "$dir/input.exe" "$dir/input.exe" >/dev/null 2>&1; then
  fail "sign wrote over its input"
fi
cmp -s "$exe" "$dir/input.exe" || fail "the input changed"

signed="$dir/zirelpluginsetup.exe"
sign "$exe" "$signed" || fail "sign failed"
report=$(osslsigncode verify -CAfile "$dir/cert.pem" -in "$signed" 2>&1) ||
  fail "the signed copy does not verify against the certificate: $report"
for line in "Subject: /CN=Zirel throwaway signing" "Message digest algorithm: SHA256" \
    "URL description: https://www.vestacor.example/" "Text description: Vestacor Signavel"; do
  printf '%s\n' "$report" | grep -qF "$line" || fail "verify does not report '$line'"
done

unsigned_size=$("$scripts/check-exe" "$exe" | sed -n 's/^size: \([0-9]*\) bytes.*/\1/p')
checked=$("$scripts/check-exe" "$signed") || fail "check-exe refuses the signed copy: $checked"
signed_size=$(printf '%s\n' "$checked" | sed -n 's/^size: \([0-9]*\) bytes.*/\1/p')
[ -n "$unsigned_size" ] && [ "$signed_size" = "$unsigned_size" ] ||
  fail "check-exe counts $signed_size bytes for the signed copy, $unsigned_size unsigned"
[ "$(wc -c <"$signed")" -gt "$unsigned_size" ] || fail "the signed copy is not larger"

[ $failed -eq 0 ] && echo "signed copy verified: $signed"
exit $failed
