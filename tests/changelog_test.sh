#!/bin/bash
# The changelog rule of a release: which headings count as a version's
# section (a table), that scripts/release.sh refuses a version without one
# before it builds anything, and that CHANGELOG.md has the form the rule
# reads: "Unreleased" first, then one dated section per version.
#
#   changelog_test.sh <work folder>
set -euo pipefail
work="$1"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/common.sh"
rm -rf "$work"
mkdir -p "$work"
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# version | changelog's heading | has a section
while IFS='|' read -r version heading expected; do
  printf '# Changelog\n\n## [Unreleased]\n\n%s\n\n### Fixed\n- text naming 9.9.9\n' \
    "$heading" >"$work/CHANGELOG.md"
  if changelog_has_section "$work/CHANGELOG.md" "$version"; then got=yes; else got=no; fi
  [ "$got" = "$expected" ] || fail "\"$heading\" for $version: $got, not $expected"
done <<'EOF'
1.2.0|## [1.2.0] - 2026-12-09|yes
1.2.0|## [1.2.0]|yes
1.2.0|## [1.1.0] - 2026-12-08|no
1.2.0|## [1.2.0-rc1] - 2026-12-08|no
1.2.0|## [11.2.0] - 2026-12-08|no
1.2.0|## [1x2.0] - 2026-12-08|no
1.2.0|### [1.2.0] - 2026-12-09|no
1.2.0|- ## [1.2.0] - 2026-12-09|no
1.2.0|## 1.2.0 - 2026-12-09|no
9.9.9|## [Unreleased]|no
EOF

# release.sh, in a clone whose changelog lacks the version, stops before it
# builds: status 3 and a line naming the version.
clone="$work/clone"
mkdir -p "$clone/scripts"
cp "$repo/scripts/common.sh" "$repo/scripts/release.sh" "$clone/scripts/"
echo 'project(uninstall_addin VERSION 7.8.9 LANGUAGES C CXX)' >"$clone/CMakeLists.txt"
printf '# Changelog\n\n## [Unreleased]\n\n## [7.8.8] - 2026-01-01\n' >"$clone/CHANGELOG.md"
git -C "$clone" init -q
git -C "$clone" add -A
git -C "$clone" -c user.name=test -c user.email=test@example.invalid commit -qm test
status=0
bash "$clone/scripts/release.sh" >"$work/release.txt" 2>&1 || status=$?
if [ "$status" != 3 ] || ! grep -q "no section for 7.8.9" "$work/release.txt" \
  || [ -e "$clone/build-release/builds" ]; then
  cat "$work/release.txt" >&2
  fail "release.sh without a section: status $status"
fi

# The project's own changelog: "Unreleased" on top, then "## [x.y.z] - date".
headings="$(grep -E '^## ' "$repo/CHANGELOG.md")"
[ "$(head -1 <<<"$headings")" = "## [Unreleased]" ] || fail "CHANGELOG.md does not start with ## [Unreleased]"
bad="$(tail -n +2 <<<"$headings" | grep -vE '^## \[[0-9]+\.[0-9]+\.[0-9]+\] - [0-9]{4}-[0-9]{2}-[0-9]{2}$' || true)"
[ -z "$bad" ] || fail "CHANGELOG.md headings not of the form \"## [x.y.z] - YYYY-MM-DD\": $bad"

[ "$failures" -eq 0 ] || exit 1
echo "the changelog's sections are read as release.sh needs, and release.sh refuses a version without one"
