#!/bin/bash
# Builds everything with both compilers, warnings as errors, and runs the
# whole test suite under Wine on each build (the signing test and the
# installers' tests included), after the pure units' tests natively; then
# checks that each compiler builds the same bytes twice.
#
# TEST_PRESETS="gcc" runs the suite on the GCC build only.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
presets=(${TEST_PRESETS:-gcc clang})

# However the run ends, no Wine process of the test prefixes outlives it.
stop_test_prefixes() {
  local preset prefix left=""
  for preset in gcc clang; do
    for prefix in "$(binary_dir "$preset")"/wine/*/; do
      [ -d "$prefix" ] || continue
      prefix="${prefix%/}"
      bash "$repo/tests/wine/shard.sh" stop "$prefix" "$wine" || true
      left+="$(prefix_processes "$prefix")"
    done
  done
  if [ -n "$left" ]; then
    echo "Wine processes left behind:" >&2
    echo "$left" >&2
    return 1
  fi
}
trap 'stop_test_prefixes || exit 1' EXIT

install_packages

# The sources keep the style .clang-format describes.
echo "== Format"
(cd "$repo" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror)

build_all

status=0
# The pure units first: seconds, and no Wine.
echo "== Tests of the pure units, natively"
(cd "$repo" && ctest --preset host) || status=1
for preset in "${presets[@]}"; do
  echo "== Tests of the $preset build"
  (cd "$repo" && ctest --preset "$preset") || status=1
done
echo "== Reproducible builds"
bash "$repo/scripts/reproduce.sh" "${presets[@]}" || status=1
exit $status
