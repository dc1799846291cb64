#!/bin/bash
# Makes a release on a fresh Debian machine: installs what it needs, checks
# that CHANGELOG.md has a section for the version, builds the program twice
# from clean copies of the last commit and checks that both give the same
# bytes, then packs the zip (the program, README.md, the license and
# notices, the documents and recipes, the bill of materials and
# SHA256SUMS), signing the program first when a certificate is given.
#
#   scripts/release.sh [<certificate.pfx>]
#
# The certificate's password and a time-stamp server come from the
# environment, as for scripts/sign.sh. RELEASE_PRESET=clang releases the
# clang build instead of the GCC one. The zip lands in build-release/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pfx=""
if [ $# -gt 1 ] || [[ "${1:-}" == -* ]]; then
  echo "usage: $0 [<certificate.pfx>]" >&2
  exit 3
fi
if [ $# -eq 1 ]; then
  [ -f "$1" ] || { echo "release.sh: no such certificate: $1" >&2; exit 3; }
  pfx="$(realpath "$1")"
fi
preset="${RELEASE_PRESET:-gcc}"
out="$repo/build-release"

packages=("${release_packages[@]}")
[ "$preset" = gcc ] || packages+=(clang lld llvm-14)
install_packages "${packages[@]}"
if ! git -C "$repo" rev-parse --verify -q HEAD >/dev/null; then
  echo "release.sh: $repo is not a git clone; a release is made from a commit" >&2
  exit 3
fi
# A release says what it changed: CHANGELOG.md, as committed, has a section
# for the version it is made as.
version="$(git -C "$repo" show HEAD:CMakeLists.txt | project_version)"
changelog="$(mktemp)"
trap 'rm -f "$changelog"' EXIT
git -C "$repo" show HEAD:CHANGELOG.md >"$changelog" 2>/dev/null || true
if ! changelog_has_section "$changelog" "$version"; then
  echo "release.sh: CHANGELOG.md at $(git -C "$repo" rev-parse --short HEAD) has no section for $version;" \
    "add \"## [$version] - <date>\" with what the release changed, and commit it" >&2
  exit 3
fi
rm -f "$changelog"
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  echo "Uncommitted changes are not in the release: it is made from the last commit"
fi

rm -rf "$out"
REPRODUCE_DIR="$out/builds" bash "$repo/scripts/reproduce.sh" "$preset"
build="$out/builds/$preset-1/src/$(basename "$(binary_dir "$preset")")"
if [ -n "$pfx" ]; then
  bash "$repo/scripts/sign.sh" "$build/bin/uninstall-addin.exe" "$pfx"
  rm -rf "$build/package"
  (cd "$build" && cpack -G ZIP -B "$build/package" >/dev/null)
else
  echo "No certificate: the program in the zip is unsigned"
fi
zip="$(echo "$build"/package/*.zip)"
cp "$zip" "$out/"
echo "== $out/$(basename "$zip")"
unzip -p "$zip" '*/SHA256SUMS'
echo "commit $(git -C "$repo" rev-parse HEAD), zip sha256 $(sha256sum <"$zip" | cut -d' ' -f1)"
