#!/bin/bash
# Signs a Windows image in place with Authenticode (SHA-256), naming the
# program in the signature, with osslsigncode (Debian's package).
#
#   scripts/sign.sh <image> <certificate.pfx>
#
# The certificate's password never goes on a command line, where other
# users can read it (ps, /proc):
#   SIGN_PASSWORD_FILE   a file that holds it (its first line), or
#   SIGN_PASSWORD        the password itself;
#   neither              the certificate has no password.
# SIGN_TIMESTAMP_URL     an RFC 3161 time-stamp server (optional). Without a
#                        time stamp the signature stops being valid when the
#                        certificate expires.
# SIGN_URL               the web page named in the signature (optional).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ $# -ne 2 ]; then
  echo "usage: $0 <image> <certificate.pfx>" >&2
  exit 3
fi
image="$1"
pfx="$2"
for file in "$image" "$pfx"; do
  if [ ! -f "$file" ]; then
    echo "sign.sh: no such file: $file" >&2
    exit 3
  fi
done
if [ -n "${SIGN_PASSWORD_FILE:-}" ] && [ ! -r "$SIGN_PASSWORD_FILE" ]; then
  echo "sign.sh: can't read SIGN_PASSWORD_FILE $SIGN_PASSWORD_FILE" >&2
  exit 3
fi
command -v osslsigncode >/dev/null || install_packages osslsigncode

args=(sign -pkcs12 "$pfx" -h sha256 -n uninstall-addin)
[ -z "${SIGN_URL:-}" ] || args+=(-i "$SIGN_URL")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$SIGN_TIMESTAMP_URL")
signed="$(mktemp "$(dirname "$image")/.signing.XXXXXX")"
private=""
trap 'rm -f "$signed"; [ -z "$private" ] || rm -rf "$private"' EXIT
rm -f "$signed"

# The password reaches osslsigncode through a file. SIGN_PASSWORD goes into
# one in a folder only this user can open, deleted when signing ends:
# osslsigncode reads "-readpass -" as standard input only from 2.9 on, and
# 2.5 (Debian 12's) opens a file named "-". printf is bash's own, so the
# password is on no command line.
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then
  args+=(-readpass "$SIGN_PASSWORD_FILE")
elif [ -n "${SIGN_PASSWORD:-}" ]; then
  private="$(mktemp -d)"
  (umask 077 && printf '%s\n' "$SIGN_PASSWORD" >"$private/password")
  args+=(-readpass "$private/password")
fi

if ! osslsigncode "${args[@]}" -in "$image" -out "$signed" >"$signed.log" 2>&1; then
  cat "$signed.log" >&2
  rm -f "$signed.log"
  echo "sign.sh: signing $image failed" >&2
  exit 1
fi
rm -f "$signed.log"
chmod --reference="$image" "$signed"
mv -f "$signed" "$image"
echo "signed $image$([ -n "${SIGN_TIMESTAMP_URL:-}" ] || echo ' (no time stamp: the signature expires with the certificate)')"
