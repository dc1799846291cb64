#!/bin/bash
# Times, in one warm Wine prefix with the stand-in registered:
# - uninstall-addin.exe against a minimal client of the same Excel (start it,
#   tell it to quit, release it, wait until it has ended), interleaved. Every local-server start under
#   Wine includes about a second of fixed waiting inside COM activation, the
#   same for both, so the ratio, not the seconds, tells what the program
#   itself costs;
# - a /registry run against a run that only prints the usage (/?): the
#   ratio of their medians;
# - /list /allusers, and /allusers taking out three add-ins, over 0, 100
#   and 500 extra user profiles: the cost per profile, which should stay
#   the same as the profiles grow.
#
#   bash scripts/bench.sh [rounds]     (default 10)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
rounds="${1:-10}"

install_packages
build_if_needed gcc

bin="$build/bin"
export WINEPREFIX="$build/bench-prefix" WINEDEBUG=-all LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
bash "$repo/tests/wine/make-prefix.sh" "$WINEPREFIX" "$wine"

watcher=""
cleanup() {
  [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
}
trap cleanup EXIT

# One server for the whole run, as a machine that has been up a while has.
"$wineserver" -p </dev/null >/dev/null 2>&1
addin='C:\addins\Sample.xlam'
mkdir -p "$WINEPREFIX/drive_c/addins"
: > "$WINEPREFIX/drive_c/addins/Sample.xlam"
"$wine" "$bin/excel-standin.exe" /regserver </dev/null >/dev/null 2>&1

# The prefix has no display: a box from a failed run is printed and
# dismissed instead of waiting for a click.
boxes="$build/bench-boxes.txt"
"$wine" "$bin/box-watcher.exe" </dev/null >"$boxes" 2>&1 &
watcher=$!

# Until the stand-in of the last run has gone, so that each run starts its own.
wait_for_no_standin() {
  local tries=0
  while prefix_processes "$WINEPREFIX" | grep -q 'excel-standin\.exe'; do
    tries=$((tries + 1))
    if [ $tries -gt 200 ]; then
      echo "the stand-in did not exit" >&2
      return 1
    fi
    sleep 0.05
  done
}

# Runs one timed command; prints its wall time in milliseconds.
timed() {
  local start end status=0
  start=$(date +%s%N)
  timeout 60 "$wine" "$@" </dev/null >"$build/bench-output.txt" 2>&1 || status=$?
  end=$(date +%s%N)
  if [ $status -ne 0 ]; then
    echo "$* failed with status $status:" >&2
    cat "$build/bench-output.txt" "$boxes" >&2
    return 1
  fi
  echo $(((end - start) / 1000000))
}

program_run() {
  "$wine" "$bin/excel-standin.exe" /set-installed "$addin" 1 </dev/null >/dev/null 2>&1
  wait_for_no_standin
  timed "$bin/uninstall-addin.exe" "$addin" >>"$build/bench-program.txt"
  local state
  state="$("$wine" "$bin/excel-standin.exe" /show-installed "$addin" </dev/null 2>&1 | tr -d '\r')"
  if [ "${state%: not installed}" = "$state" ]; then
    echo "after a run the add-in is still: $state" >&2
    return 1
  fi
}

minimal_run() {
  wait_for_no_standin
  timed "$bin/minimal-client.exe" excel-standin.exe >>"$build/bench-minimal.txt"
}

: > "$build/bench-program.txt"
: > "$build/bench-minimal.txt"
# Untimed: the first COM activation in a prefix also starts its RPC services.
program_run && minimal_run
: > "$build/bench-program.txt"
: > "$build/bench-minimal.txt"

echo "$rounds rounds, each running both, in turn first"
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then
    program_run
    minimal_run
  else
    minimal_run
    program_run
  fi
done

# "median min max" of a file of numbers, one a line.
summary() {
  sort -n "$1" | awk '{ v[NR] = $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
          printf "%d %d %d\n", m, v[1], v[NR] }'
}
read -r program_median program_min program_max < <(summary "$build/bench-program.txt")
read -r minimal_median minimal_min minimal_max < <(summary "$build/bench-minimal.txt")
printf '%-20s median %5d ms  (%d-%d ms)\n' "uninstall-addin.exe" \
  "$program_median" "$program_min" "$program_max"
printf '%-20s median %5d ms  (%d-%d ms)\n' "minimal client" \
  "$minimal_median" "$minimal_min" "$minimal_max"
awk -v p="$program_median" -v m="$minimal_median" \
  'BEGIN { printf "ratio program/minimal (medians): %.3f\n", p / m }'

# --- /registry against /? -------------------------------------------------

usage_run() {
  timed "$bin/uninstall-addin.exe" "/?" >>"$build/bench-usage.txt"
}

registry_run() {
  "$wine" "$bin/excel-standin.exe" /set-installed "$addin" 1 </dev/null >/dev/null 2>&1
  timed "$bin/uninstall-addin.exe" /registry /quiet "$addin" >>"$build/bench-registry.txt"
  if ! grep -q ': removed "OPEN' "$build/bench-output.txt"; then
    echo "a /registry run did not remove the add-in:" >&2
    cat "$build/bench-output.txt" >&2
    return 1
  fi
}

: > "$build/bench-usage.txt"
: > "$build/bench-registry.txt"
echo
echo "$rounds rounds of /registry and /?, in turn first"
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then
    registry_run
    usage_run
  else
    usage_run
    registry_run
  fi
done
read -r registry_median registry_min registry_max < <(summary "$build/bench-registry.txt")
read -r usage_median usage_min usage_max < <(summary "$build/bench-usage.txt")
printf '%-20s median %5d ms  (%d-%d ms)\n' "/registry" \
  "$registry_median" "$registry_min" "$registry_max"
printf '%-20s median %5d ms  (%d-%d ms)\n' "/?" "$usage_median" "$usage_min" "$usage_max"
awk -v r="$registry_median" -v u="$usage_median" \
  'BEGIN { printf "ratio /registry / /? (medians): %.3f (goal: at most 1.2)\n", r / u }'

# --- Every user, over more and more profiles --------------------------------

# Each profile's list has the three add-ins between two others. Wine
# doesn't write a loaded hive's changes back to its file, so every run finds
# the same.
addins=("$addin" 'C:\addins\Sample32.xll' 'C:\addins\Sample64.xll')
most_profiles=500
scale_runs() {
  local profiles="$1" list="$build/bench-list-$1.txt" three="$build/bench-three-$1.txt"
  "$wine" "$bin/make-profiles.exe" /remove "$most_profiles" </dev/null >/dev/null 2>&1
  if [ "$profiles" -gt 0 ]; then
    "$wine" "$bin/make-profiles.exe" "$profiles" 'C:\profiles' "${addins[@]}" </dev/null \
      >/dev/null 2>&1
  fi
  : > "$list"
  : > "$three"
  local found
  for _ in $(seq 1 "$rounds"); do
    for one in "${addins[@]}"; do
      "$wine" "$bin/excel-standin.exe" /set-installed "$one" 1 </dev/null >/dev/null 2>&1
    done
    timed "$bin/uninstall-addin.exe" /list /allusers /quiet >>"$list"
    found=$(grep -c 'installed (OPEN' "$build/bench-output.txt" || true)
    if [ "$found" -lt $((profiles * 5 + 3)) ]; then
      echo "a /list /allusers run over $profiles profiles listed $found installed add-ins:" >&2
      cat "$build/bench-output.txt" >&2
      return 1
    fi
    timed "$bin/uninstall-addin.exe" /allusers /quiet "${addins[@]}" >>"$three"
    found=$(grep -c ': removed "OPEN' "$build/bench-output.txt" || true)
    if [ "$found" -ne $((3 * (profiles + 1))) ]; then
      echo "a three-add-in /allusers run over $profiles profiles removed $found:" >&2
      cat "$build/bench-output.txt" >&2
      return 1
    fi
  done
  summary "$list" >"$list.summary"
  summary "$three" >"$three.summary"
}

# The cost per profile of one kind of run, from its medians.
per_profile() {
  local kind="$1" none some most
  read -r none _ _ <"$build/bench-$kind-0.txt.summary"
  read -r some _ _ <"$build/bench-$kind-100.txt.summary"
  read -r most _ _ <"$build/bench-$kind-500.txt.summary"
  printf '%-28s median %6d, %6d and %6d ms over 0, 100 and 500 extra profiles\n' "$2" \
    "$none" "$some" "$most"
  awk -v n="$none" -v s="$some" -v m="$most" \
    'BEGIN { printf "%28s cost per profile: %.1f ms over the first 100, %.1f ms over the next 400\n",
             "", (s - n) / 100, (m - s) / 400 }'
}

echo
echo "$rounds runs each of /list /allusers and a three-add-in /allusers over 0, 100 and 500 extra profiles"
scale_runs 0
scale_runs 100
scale_runs 500
"$wine" "$bin/make-profiles.exe" /remove "$most_profiles" </dev/null >/dev/null 2>&1
per_profile list "/list /allusers"
per_profile three "/allusers with three add-ins"
