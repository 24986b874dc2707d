#!/bin/sh
# Signs a copy of the launcher with scripts/sign and a certificate made here for the purpose
# (self-signed, code signing, two days, never kept in the repository), then checks it: the
# copy verifies against that certificate with a SHA-256 signature described by the product
# name and web address, scripts/check-exe still passes and counts the same image size as for
# the unsigned file, and scripts/sign refuses to write over its input. The throwaway
# certificate is trusted only when asked for with --trust-pfx-certificates: without it the
# signature is refused. And with a chain made here (root, intermediate, signer) and that root
# as the only trusted one, a PFX that carries the intermediate signs, one without it is refused.
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
# Refused, with the reason named, and nothing written: refused OUT MESSAGE ARGUMENTS...
refused() {
  out=$1
  message=$2
  shift 2
  if "$scripts/sign" "$@" >"$dir/refused.log" 2>&1; then
    fail "sign accepted $*"
  elif ! grep -qF "$message" "$dir/refused.log"; then
    fail "sign did not say '$message' for $*: $(cat "$dir/refused.log")"
  fi
  [ ! -e "$out" ] || fail "$out was written"
}

cp "$exe" "$dir/input.exe"
if sign "$dir/input.exe" "$dir/input.exe" >/dev/null 2>&1; then
  fail "sign wrote over its input"
fi
cmp -s "$exe" "$dir/input.exe" || fail "the input changed"

# A release check trusts the system's roots only: the throwaway certificate is not among them.
refused "$dir/untrusted.exe" "does not verify against the trusted roots" "$exe" \
  "$dir/untrusted.exe" --pfx "$dir/signing.pfx" --password-env ZIREL_TEST_PFX_PASSWORD

signed="$dir/zirelpluginsetup.exe"
sign "$exe" "$signed" --trust-pfx-certificates || fail "sign failed"
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

# A chain of three; the root made here stands in for the system's roots.
chain="$dir/chain"
mkdir "$chain"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$chain/root.key" -out "$chain/root.pem" \
  -days 2 -subj "/CN=Zirel throwaway root" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
issue() {  # issue NAME ISSUER SUBJECT EXTENSIONS
  openssl req -newkey rsa:2048 -nodes -keyout "$chain/$1.key" -out "$chain/$1.csr" \
    -subj "/CN=$3" 2>/dev/null
  printf '%b' "$4" >"$chain/$1.ext"
  openssl x509 -req -in "$chain/$1.csr" -CA "$chain/$2.pem" -CAkey "$chain/$2.key" \
    -CAcreateserial -out "$chain/$1.pem" -days 2 -extfile "$chain/$1.ext" 2>/dev/null
}
issue intermediate root "Zirel throwaway intermediate" \
  "basicConstraints=critical,CA:TRUE,pathlen:0\nkeyUsage=critical,keyCertSign,cRLSign\n"
issue signer intermediate "Zirel throwaway chained signing" \
  "keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n"
openssl pkcs12 -export -inkey "$chain/signer.key" -in "$chain/signer.pem" \
  -certfile "$chain/intermediate.pem" -out "$chain/with-intermediate.pfx" \
  -passout env:ZIREL_TEST_PFX_PASSWORD
openssl pkcs12 -export -inkey "$chain/signer.key" -in "$chain/signer.pem" \
  -out "$chain/without-intermediate.pfx" -passout env:ZIREL_TEST_PFX_PASSWORD
rm "$chain"/*.key
"$scripts/sign" "$exe" "$chain/chained.exe" --pfx "$chain/with-intermediate.pfx" \
  --password-env ZIREL_TEST_PFX_PASSWORD --roots "$chain/root.pem" >/dev/null ||
  fail "sign refused a PFX with its intermediate certificate"
[ -f "$chain/chained.exe" ] || fail "no signed copy from the PFX with its intermediate"
refused "$chain/unchained.exe" "is an intermediate certificate missing from the PFX?" "$exe" \
  "$chain/unchained.exe" --pfx "$chain/without-intermediate.pfx" \
  --password-env ZIREL_TEST_PFX_PASSWORD --roots "$chain/root.pem"

[ $failed -eq 0 ] && echo "signed copy verified: $signed"
exit $failed
