#!/bin/bash
# Starts or stops the Wine prefix of one test shard.
#
#   shard.sh start <template prefix> <shard prefix> [wine loader]
#   shard.sh stop <shard prefix> [wine loader]
#
# start makes the shard a fresh copy of the template and leaves a wineserver
# running in it with the prefix's services and desktop, so that the tests in
# the shard don't each pay for Wine starting and stopping. stop ends every
# process of the shard's prefix.
set -euo pipefail
action="$1"
if [ "$action" = start ]; then
  template="$2"
  prefix="$3"
  wine="${4:-/usr/lib/wine/wine64}"
else
  prefix="$2"
  wine="${3:-/usr/lib/wine/wine64}"
fi
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver
export WINEPREFIX="$prefix" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

# Process ids of whatever still runs in this prefix, found by the
# environment Wine hands down to each of them.
prefix_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid="${environ#/proc/}"
    pid="${pid%/environ}"
    tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "WINEPREFIX=$prefix" && echo "$pid"
  done
  return 0
}

stop() {
  [ -d "$prefix" ] || return 0
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  local left
  left="$(prefix_processes)"
  [ -z "$left" ] && return 0
  # A process the server no longer knows about (one stuck in start-up).
  echo "ending processes left in $prefix: $left" >&2
  # shellcheck disable=SC2086
  kill -KILL $left 2>/dev/null || true
  sleep 0.5
  [ -z "$(prefix_processes)" ]
}

case "$action" in
start)
  # Whatever an interrupted earlier run left in this prefix goes first.
  stop
  rm -rf "$prefix"
  # Hard links, as the template is large (its DLLs) and Wine doesn't write
  # those files in place. The registry files, which the server saves, and
  # the prefix's update stamp are real copies.
  cp -al "$template" "$prefix"
  for file in "$template"/*.reg "$template"/.update-timestamp; do
    [ -f "$file" ] && cp --remove-destination "$file" "$prefix/"
  done
  # Started here with no output attached: CTest waits for every process
  # holding a test's output to let go of it, and these live on until stop.
  # The server outlasts idle spells of up to a minute, so a run interrupted
  # before its cleanup leaves nothing behind for long either.
  "$wineserver" -p60 </dev/null >/dev/null 2>&1
  "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1
  ;;
stop)
  stop
  ;;
*)
  echo "usage: $0 start <template> <prefix> [wine] | stop <prefix> [wine]" >&2
  exit 2
  ;;
esac
