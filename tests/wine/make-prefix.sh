#!/bin/bash
# Makes (or reuses) the Wine prefix the tests run in: headless, so that
# message boxes block as on Windows without a display.
set -euo pipefail
prefix="$1"
wine="${2:-/usr/lib/wine/wine64}"
export WINEPREFIX="$prefix" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  "$wine" wineboot -i >/dev/null 2>&1
fi
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1

# Volumes of the kinds Excel treats apart: D: a removable drive, E: a drive
# mapped to a network share, and \\server\share itself. The links are
# relative, so that each shard's copy of the prefix has volumes of its own.
mkdir -p "$prefix/drive_d" "$prefix/drive_e" "$prefix/share" "$prefix/dosdevices/unc/server"
ln -sfn ../drive_d "$prefix/dosdevices/d:"
ln -sfn ../drive_e "$prefix/dosdevices/e:"
ln -sfn ../../../share "$prefix/dosdevices/unc/server/share"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v d: /d floppy /f >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\Wine\Drives' /v e: /d network /f >/dev/null 2>&1

# The desktop started with the prefix still has the old driver; let the
# tests start a new one.
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
