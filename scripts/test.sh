#!/bin/bash
# Builds everything with both compilers, warnings as errors, and runs the
# whole test suite under Wine on each build (the signing test and the
# installers' tests included), after the pure units' tests natively; then
# checks that each compiler builds the same bytes again from a clean copy.
# At the end it prints the time each stage took.
#
# TEST_PRESETS="gcc" runs the suite on the GCC build only.
#
# The Wine tests spend most of their time waiting (COM's activation, time
# limits running out), so the clang build and the reproducibility check run
# meanwhile, in the background at the lowest CPU and disk priority, which
# leaves the tests the machine whenever they want it; their output goes to
# a log that is shown once they are done. The reproducibility check compares
# a clean build of the last commit with the suite's own build of it when the
# working tree was exactly that commit before and after the builds (see
# scripts/reproduce.sh); otherwise it builds the commit twice.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
presets=(${TEST_PRESETS:-gcc clang})
started=$SECONDS
logs="$(mktemp -d "${TMPDIR:-/tmp}/uninstall-addin-test.XXXXXX")"
background=""

# The stages' times: "name|seconds|how", in the order they ended.
times=()
note_time() {
  times+=("$1|$2|${3:-}")
}

# Runs a stage and notes its time; returns the stage's status.
timed() {
  local name="$1" start=$SECONDS status=0
  shift
  "$@" || status=$?
  note_time "$name" $((SECONDS - start))
  return $status
}

print_times() {
  local entry name seconds how
  echo "== Time of each stage (wall clock, seconds)"
  for entry in "${times[@]}"; do
    IFS='|' read -r name seconds how <<<"$entry"
    printf '  %-28s %5s  %s\n' "$name" "$seconds" "$how"
  done
  printf '  %-28s %5s\n' "whole run" $((SECONDS - started))
}

# However the run ends, no Wine process of the test prefixes outlives it,
# nor the background builds.
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
finish() {
  local status=$?
  if [ -n "$background" ] && kill -0 "$background" 2>/dev/null; then
    kill -- "-$background" 2>/dev/null || true
    wait "$background" 2>/dev/null || true
  fi
  stop_test_prefixes || status=1
  print_times
  rm -rf "$logs"
  exit $status
}
trap finish EXIT

# Whether the working tree is exactly the last commit (no tracked file
# changed, no untracked one): then the suite's build is a build of it.
tree_commit() {
  if git -C "$repo" rev-parse --verify -q HEAD >/dev/null 2>&1 \
    && [ -z "$(git -C "$repo" status --porcelain 2>/dev/null)" ]; then
    git -C "$repo" rev-parse HEAD
  fi
}

# In the background: the clang build, then, once the foreground has built
# the GCC tree, the reproducibility check. Each writes "<status> <seconds>"
# to <logs>/<name>.done when it ends.
background_builds() {
  local start status commit_before="$1"
  renice -n 19 -p $BASHPID >/dev/null 2>&1 || true
  ionice -c 3 -p $BASHPID >/dev/null 2>&1 || true
  start=$SECONDS status=0
  build_preset clang >"$logs/build-clang.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$logs/build-clang.done"
  while [ ! -f "$logs/build-gcc.done" ]; do
    sleep 1
  done
  start=$SECONDS status=0
  # The suite's builds count as builds of the commit only when the tree was
  # that commit before they started and is so still, now they are done.
  local suite=""
  [ -z "$commit_before" ] || [ "$(tree_commit)" != "$commit_before" ] || suite="$commit_before"
  REPRODUCE_SUITE_COMMIT="$suite" bash "$repo/scripts/reproduce.sh" "${presets[@]}" \
    >"$logs/reproduce.log" 2>&1 || status=$?
  echo "$status $((SECONDS - start))" >"$logs/reproduce.done"
}

# Waits for a background stage; prints its log (all of it, or the end of a
# failed build's); notes its time; returns its status.
await() {
  local name="$1" title="$2" status seconds
  while [ ! -f "$logs/$name.done" ]; do
    if ! kill -0 "$background" 2>/dev/null; then
      [ -f "$logs/$name.done" ] || { echo "$title: the background job ended before it" >&2; return 1; }
    fi
    sleep 1
  done
  read -r status seconds <"$logs/$name.done"
  echo "== $title (ran in the background)"
  if [ "$status" -ne 0 ] && [[ "$name" == build-* ]]; then
    tail -40 "$logs/$name.log"
  elif [[ "$name" != build-* ]]; then
    cat "$logs/$name.log"
  fi
  note_time "$title" "$seconds" "in the background"
  return "$status"
}

timed "packages" install_packages

# The clang build starts at once, behind the foreground's own work: it takes
# the cores whenever the GCC build leaves one idle (configuring, linking).
commit_before="$(tree_commit)"
echo "== Building with clang, then checking reproducibility, in the background"
set -m
background_builds "$commit_before" &
background=$!
set +m

# The sources keep the style .clang-format describes.
echo "== Format"
timed "format" bash -c 'cd "$1" && git ls-files -z "*.cpp" "*.h" | xargs -0 clang-format --dry-run --Werror' \
  _ "$repo"

timed "build host" build_preset host
timed "build gcc" build_preset gcc
touch "$logs/build-gcc.done"

status=0
# The pure units first: seconds, and no Wine.
echo "== Tests of the pure units, natively"
timed "tests host" bash -c 'cd "$1" && ctest --preset host' _ "$repo" || status=1
for preset in "${presets[@]}"; do
  [ "$preset" = gcc ] || continue
  echo "== Tests of the gcc build"
  timed "tests gcc" bash -c 'cd "$1" && ctest --preset gcc' _ "$repo" || status=1
done
clang_built=1
await build-clang "build clang" || clang_built=0
for preset in "${presets[@]}"; do
  [ "$preset" = clang ] && [ "$clang_built" -eq 1 ] || continue
  echo "== Tests of the clang build"
  timed "tests clang" bash -c 'cd "$1" && ctest --preset clang' _ "$repo" || status=1
done
[ "$clang_built" -eq 1 ] || status=1
await reproduce "Reproducible builds" || status=1
exit $status
