#!/bin/bash
# Times uninstall-addin.exe against a minimal client of the same Excel (start
# it, tell it to quit, release it), interleaved, in one warm Wine prefix with
# the stand-in registered, and prints each one's median and range and the
# ratio of the medians. Every local-server start under Wine includes about a
# second of fixed waiting inside COM activation, the same for both, so the
# ratio, not the seconds, tells what the program itself costs.
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
  timed "$bin/minimal-client.exe" >>"$build/bench-minimal.txt"
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
