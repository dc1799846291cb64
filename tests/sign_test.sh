#!/bin/bash
# Signs copies of the program with a throw-away self-signed code-signing
# certificate, through scripts/sign.sh, its password from a file and from
# the environment, and checks that each signature verifies against it, that
# the signed image still runs and still passes the image tests (run by a
# copy of e2e_tests beside it, which tests the program in its own folder),
# and that one changed byte fails verification.
#
#   sign_test.sh <bin folder> <work folder> <wine loader>
set -euo pipefail
bin="$1"
work="$2"
wine="$3"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The certificate, its key in a .pfx under a password kept in a file.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=uninstall-addin test signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout key.pem -out cert.pem 2>/dev/null
echo "pass word" >password
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout file:password

cp "$bin/uninstall-addin.exe" "$bin/e2e_tests.exe" .
cp "$bin/uninstall-addin.exe" by-variable.exe
SIGN_PASSWORD_FILE=password SIGN_URL=https://example.invalid/uninstall-addin \
  bash "$repo/scripts/sign.sh" uninstall-addin.exe cert.pfx
# The password from the environment, through a private file that goes away.
mkdir private-tmp
SIGN_PASSWORD="pass word" TMPDIR="$PWD/private-tmp" SIGN_URL=https://example.invalid/uninstall-addin \
  bash "$repo/scripts/sign.sh" by-variable.exe cert.pfx
[ -z "$(ls -A private-tmp)" ] || fail "sign.sh left $(ls -A private-tmp) behind"
cmp -s uninstall-addin.exe "$bin/uninstall-addin.exe" && fail "the image is unchanged"

for signed in uninstall-addin.exe by-variable.exe; do
  osslsigncode verify -CAfile cert.pem -in "$signed" >verify.log 2>&1 \
    || { cat verify.log; fail "the signature of $signed does not verify"; }
  grep -q "Message digest algorithm *: SHA256" verify.log || { cat verify.log; fail "not SHA-256"; }
  grep -q "uninstall-addin" verify.log || { cat verify.log; fail "the program is not named"; }
done

# One byte of the code changed: the signature no longer matches.
cp uninstall-addin.exe tampered.exe
offset=$((0x$(x86_64-w64-mingw32-objdump -h tampered.exe | awk '$2 == ".text" { print $6 }') + 64))
byte="$(dd if=tampered.exe bs=1 skip=$offset count=1 2>/dev/null | od -An -tu1 | tr -d ' ')"
printf "\\$(printf %03o $(((byte + 1) % 256)))" | dd of=tampered.exe bs=1 seek=$offset conv=notrunc 2>/dev/null
cmp -s tampered.exe uninstall-addin.exe && fail "the byte was not changed"
if osslsigncode verify -CAfile cert.pem -in tampered.exe >tampered.log 2>&1; then
  cat tampered.log
  fail "a changed image verifies"
fi

# The signed image under Wine.
timeout 60 "$wine" uninstall-addin.exe /? >usage.txt 2>&1 || { cat usage.txt; fail "/? of the signed image"; }
timeout 120 "$wine" e2e_tests.exe \
  --gtest_filter='ProgramImage.*:ProgramManifest.*:ProgramVersionInfo.*:ProgramImageFile.*' \
  >image_tests.txt 2>&1 || { cat image_tests.txt; fail "the image tests on the signed image"; }
grep -q "PASSED.* [1-9][0-9]* tests" image_tests.txt || { cat image_tests.txt; fail "no image test ran"; }
echo "signed, verified, runs, passes the image tests; a changed byte fails verification"
