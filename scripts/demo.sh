#!/bin/bash
# Builds the program and uninstalls a sample add-in from the stand-in Excel
# in a new Wine prefix, showing the add-in's state before and after.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Only what the demo runs: no GoogleTest, no tests.
install_packages "${demo_packages[@]}"
build_targets gcc uninstall-addin excel-standin box-watcher

export WINEPREFIX="$build/demo-prefix" WINEDEBUG=-all LC_ALL=C.UTF-8
rm -rf "$WINEPREFIX"
bash "$repo/tests/wine/make-prefix.sh" "$WINEPREFIX" "$wine"
trap '"$wineserver" -k 2>/dev/null || true' EXIT

bin="$build/bin"
addin='C:\addins\Sample.xlam'
mkdir -p "$WINEPREFIX/drive_c/addins"
: > "$WINEPREFIX/drive_c/addins/Sample.xlam"

"$wine" "$bin/excel-standin.exe" /regserver
"$wine" "$bin/excel-standin.exe" /set-installed "$addin" 1
echo "Before: $("$wine" "$bin/excel-standin.exe" /show-installed "$addin")"

# The prefix has no display: any error box is printed here and dismissed.
"$wine" "$bin/box-watcher.exe" &
watcher=$!
sleep 1

echo "\$ uninstall-addin.exe $addin"
status=0
"$wine" "$bin/uninstall-addin.exe" "$addin" || status=$?
echo "Exit status: $status"
kill "$watcher" 2>/dev/null || true

echo "After:  $("$wine" "$bin/excel-standin.exe" /show-installed "$addin")"
exit "$status"
