#!/bin/bash
# Runs one test program under Wine:  run-test.sh <wine loader> <program> [args]
#
# Now and then, on a loaded machine, Wine gives up on a start at once,
# before the program has run at all: a failure status, not one line of
# output, within a second. GoogleTest prints a line before anything else,
# so such a start is tried once more, and says so. A run that got as far as
# the program stands as it is.
wine="$1"
shift
output="$(mktemp)"
trap 'rm -f "$output"' EXIT
for attempt in 1 2; do
  start=$(date +%s%N)
  "$wine" "$@" >"$output" 2>&1
  status=$?
  elapsed=$((($(date +%s%N) - start) / 1000000))
  cat "$output"
  if [ "$status" -eq 0 ] || [ -s "$output" ] || [ "$elapsed" -ge 1000 ] || [ "$attempt" -eq 2 ]; then
    break
  fi
  echo "run-test.sh: Wine ended with status $status after $elapsed ms without running the program; trying again" >&2
done
exit "$status"
