#!/bin/bash
# Checks that the program and the release zip are built to the same bytes
# from the same commit, in folders of different names, at different times.
# When they differ it prints where: the image's differing sections and
# headers, or the zip's listing.
#
#   scripts/reproduce.sh [gcc|clang ...]     default: gcc clang
#
# Each compiler is compared with itself. By default both builds are made
# here, from two clean copies of the last commit in two temporary folders,
# one after the other. scripts/test.sh, right after it has built the suite
# from a working tree that was exactly the last commit (no tracked file
# changed, no untracked file) before and after the build, sets
# REPRODUCE_SUITE_COMMIT=<that commit>: then the suite's own build folder
# (build/, build-clang/) is one of the two builds, and only one clean copy
# is built here. The working tree must still be that commit when this
# starts; when it is not, both builds are made here as by default, and a
# line says why. (By hand, set it only right after such a build.)
# Only the program and the zip are built, not the tests. REPRODUCE_DIR=
# <folder> builds there, and keeps the builds (<folder>/<compiler>-1/src/
# build or build-clang has the first one's image, in bin/, and zip, in
# package/).
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

# Whether the working tree is exactly the commit: no tracked file changed,
# no untracked file (the ignored build folders aside).
tree_is_commit() {
  [ -n "$commit" ] && [ "$(git -C "$repo" rev-parse --verify -q HEAD)" = "$1" ] \
    && [ -z "$(git -C "$repo" status --porcelain)" ]
}

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

# Packs the zip of a build folder into <folder>/package.
pack() {
  (cd "$1" && cpack -G ZIP -B "$1/package") >>"$2" 2>&1
}

# Builds the program and the zip in a copy, configured as scripts/test.sh
# configures the suite's build but without the tests.
build_copy() {
  local preset="$1" source="$2" dir
  dir="$source/$(basename "$(binary_dir "$preset")")"
  copy_sources "$source"
  if ! (cd "$source" && cmake --preset "$preset" -DBUILD_TESTING=OFF -DUNINSTALL_ADDIN_WERROR=ON \
    && cmake --build --preset "$preset" --target uninstall-addin) >"$source.log" 2>&1 \
    || ! pack "$dir" "$source.log"; then
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

# Compares two builds' images and zips; says which bytes differ.
compare() {
  local preset="$1" first="$2" second="$3" image_a image_b zip_a zip_b
  image_a="$first/bin/uninstall-addin.exe"
  image_b="$second/bin/uninstall-addin.exe"
  zip_a="$(echo "$first"/package/*.zip)"
  zip_b="$(echo "$second"/package/*.zip)"
  if ! cmp -s "$image_a" "$image_b"; then
    echo "$preset: uninstall-addin.exe differs between the two builds:" >&2
    explain_image "$image_a" "$image_b" >&2
    return 1
  elif ! cmp -s "$zip_a" "$zip_b"; then
    echo "$preset: the release zip differs between the two builds:" >&2
    diff <(unzip -Zv "$zip_a" | grep -v '^Archive') <(unzip -Zv "$zip_b" | grep -v '^Archive') | head -40 >&2 || true
    cmp -l "$zip_a" "$zip_b" | head -5 >&2 || true
    return 1
  fi
  echo "$preset: same bytes: uninstall-addin.exe $(sha256sum <"$image_a" | cut -c1-16)..., $(basename "$zip_a") $(sha256sum <"$zip_a" | cut -c1-16)..."
}

suite=""
if [ -n "${REPRODUCE_SUITE_COMMIT:-}" ]; then
  if tree_is_commit "$REPRODUCE_SUITE_COMMIT"; then
    suite="$REPRODUCE_SUITE_COMMIT"
  else
    echo "The working tree is not exactly commit ${REPRODUCE_SUITE_COMMIT:0:7} (a changed or an untracked file): the suite's build is not one of the two"
  fi
fi
if [ -n "$suite" ]; then
  echo "Building ${commit:0:7} once more, to compare with the suite's build of it"
elif [ -n "$commit" ]; then
  echo "Building ${commit:0:7} twice$([ -z "$(git -C "$repo" status --porcelain --untracked-files=no)" ] || echo ' (uncommitted changes are not in it)')"
fi
status=0
for preset in "${presets[@]}"; do
  build="$(basename "$(binary_dir "$preset")")"
  first="$work/$preset-1/src"
  second="$work/$preset-second-copy/uninstall-addin-source"
  build_copy "$preset" "$first" || { status=1; continue; }
  if [ -n "$suite" ]; then
    # The suite's zip, packed from its build folder into this one.
    mkdir -p "$work/$preset-suite"
    ln -s "$(binary_dir "$preset")/bin" "$work/$preset-suite/bin"
    if ! (cd "$(binary_dir "$preset")" && cpack -G ZIP -B "$work/$preset-suite/package") \
      >"$work/$preset-suite.log" 2>&1; then
      cat "$work/$preset-suite.log" >&2
      echo "$preset: the suite's build could not be packed" >&2
      status=1
      continue
    fi
    compare "$preset" "$first/$build" "$work/$preset-suite" || status=1
  else
    build_copy "$preset" "$second" || { status=1; continue; }
    compare "$preset" "$first/$build" "$second/$build" || status=1
  fi
done
exit $status
