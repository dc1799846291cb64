#!/bin/bash
# Builds the program and the release zip twice, from two clean copies of the
# last commit in two temporary folders of different names, one after the
# other, and checks that both give the same bytes. When they differ it
# prints where: the image's differing sections and headers, or the zip's
# listing.
#
#   scripts/reproduce.sh [gcc|clang ...]     default: gcc clang
#
# Each compiler is compared with itself. Only the program is built, not the
# tests. REPRODUCE_DIR=<folder> builds there, and keeps the builds
# (<folder>/<compiler>-1/src/build or build-clang has the first one's
# image, in bin/, and zip, in package/).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(gcc clang)

if [ -n "${REPRODUCE_DIR:-}" ]; then
  work="$REPRODUCE_DIR"
  rm -rf "$work"
  mkdir -p "$work"
else
  work="$(mktemp -d "${TMPDIR:-/tmp}/reproduce.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
fi

# Both builds are of the commit that is the last one now.
commit="$(git -C "$repo" rev-parse --verify -q HEAD 2>/dev/null || true)"

# A clean copy of that commit, or of the files when there is no git.
copy_sources() {
  local to="$1"
  if [ -n "$commit" ]; then
    git clone -q --no-checkout "$repo" "$to"
    git -C "$to" checkout -q --detach "$commit"
  else
    mkdir -p "$to"
    tar -C "$repo" --exclude='./build*' -cf - . | tar -C "$to" -xf -
  fi
}

# Builds the program and the zip in a copy; prints the folder with both.
build_copy() {
  local preset="$1" source="$2" dir
  dir="$source/$(basename "$(binary_dir "$preset")")"
  copy_sources "$source"
  if ! (cd "$source" && cmake --preset "$preset" -DBUILD_TESTING=OFF \
    && cmake --build --preset "$preset" --target uninstall-addin \
    && cd "$dir" && cpack -G ZIP -B "$dir/package") >"$source.log" 2>&1; then
    tail -30 "$source.log" >&2
    echo "$preset: the build in $source failed" >&2
    return 1
  fi
}

# Where two images differ: the headers, then each section whose bytes differ.
explain_image() {
  local a="$1" b="$2" objdump=x86_64-w64-mingw32-objdump section
  cmp -l "$a" "$b" | head -5 || true
  diff <("$objdump" -p "$a") <("$objdump" -p "$b") | head -20 || true
  for section in $("$objdump" -h "$a" | awk '$1 ~ /^[0-9]+$/ { print $2 }'); do
    if ! cmp -s <("$objdump" -s -j "$section" "$a" | tail -n +4) \
      <("$objdump" -s -j "$section" "$b" | tail -n +4); then
      echo "section $section differs:"
      diff <("$objdump" -s -j "$section" "$a" | tail -n +4) \
        <("$objdump" -s -j "$section" "$b" | tail -n +4) | head -10 || true
    fi
  done
}

if [ -n "$commit" ]; then
  echo "Building ${commit:0:7} twice$([ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] || echo ' (uncommitted changes are not in it)')"
fi
status=0
for preset in "${presets[@]}"; do
  first="$work/$preset-1/src"
  second="$work/$preset-second-copy/uninstall-addin-source"
  build_copy "$preset" "$first"
  build_copy "$preset" "$second"
  build="$(basename "$(binary_dir "$preset")")"
  image_a="$first/$build/bin/uninstall-addin.exe"
  image_b="$second/$build/bin/uninstall-addin.exe"
  zip_a="$(echo "$first/$build"/package/*.zip)"
  zip_b="$(echo "$second/$build"/package/*.zip)"
  if ! cmp -s "$image_a" "$image_b"; then
    echo "$preset: uninstall-addin.exe differs between the two builds:" >&2
    explain_image "$image_a" "$image_b" >&2
    status=1
  elif ! cmp -s "$zip_a" "$zip_b"; then
    echo "$preset: the release zip differs between the two builds:" >&2
    diff <(unzip -Zv "$zip_a" | grep -v '^Archive') <(unzip -Zv "$zip_b" | grep -v '^Archive') | head -40 >&2 || true
    cmp -l "$zip_a" "$zip_b" | head -5 >&2 || true
    status=1
  else
    echo "$preset: same bytes: uninstall-addin.exe $(sha256sum <"$image_a" | cut -c1-16)..., $(basename "$zip_a") $(sha256sum <"$zip_a" | cut -c1-16)..."
  fi
done
exit $status
