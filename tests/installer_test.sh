#!/bin/bash
# Ships the program inside a vendor's installer, as the README's recipe
# has it, and checks the uninstall end to end under Wine: the installer
# puts the program and an add-in in C:\Program Files\Contoso, the add-in is
# marked installed in the user's list between two others, the stand-in
# Excel is registered, and a silent uninstall must take the add-in out of
# Excel's lists, keep the other two (renumbered) and remove the files.
#
#   installer_test.sh <msi|nsis> <recipes folder> <bin folder> <work folder> <wine loader>
#
# msi:  wixl builds tests/installers/contoso.wxs; msiexec /i, then /x.
# nsis: makensis builds tests/installers/contoso.nsi; the installer, then
#       its uninstaller with /S _?=<folder>, which waits for it.
set -euo pipefail
kind="$1"
recipes="$2"
bin="$3"
work="$4"
wine="$5"
: "${WINEPREFIX:?the shard prefix}"
folder='C:\Program Files\Contoso'
installed="$WINEPREFIX/drive_c/Program Files/Contoso"
options='HKCU\Software\Microsoft\Office\16.0\Excel\Options'

# Every Windows program gets a bounded time.
run() {
  timeout 120 "$wine" "$@"
}

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

forget_state() {
  run reg delete 'HKCU\Software\Microsoft\Office' /f >/dev/null 2>&1 || true
  run reg delete 'HKCU\Software\ExcelStandIn' /f >/dev/null 2>&1 || true
  rm -rf "$installed"
}
trap 'run taskkill /f /im excel-standin.exe >/dev/null 2>&1 || true; forget_state' EXIT

rm -rf "$work"
mkdir -p "$work"
cd "$work"
forget_state
cp "$bin/uninstall-addin.exe" .
echo "a stand-in add-in" >Contoso.xlam

case "$kind" in
msi)
  wixl -a x64 -o contoso.msi "$recipes/contoso.wxs" 2>wixl.txt || { cat wixl.txt; fail "wixl"; }
  run msiexec /i contoso.msi /qn || fail "msiexec /i: status $?"
  ;;
nsis)
  cp "$recipes/contoso.nsi" .
  makensis -V2 contoso.nsi || fail "makensis"
  run contoso-setup.exe /S || fail "the installer: status $?"
  ;;
esac
[ -f "$installed/uninstall-addin.exe" ] && [ -f "$installed/Contoso.xlam" ] \
  || fail "not installed: $(ls "$installed" 2>&1)"

# The stand-in Excel, and the add-in installed between two others.
run "$bin/excel-standin.exe" /regserver || fail "the stand-in's /regserver"
run reg add "$options" /v OPEN /t REG_SZ /d '"C:\Add-ins\first.xlam"' /f >/dev/null
run reg add "$options" /v OPEN1 /t REG_SZ /d "\"$folder\\Contoso.xlam\"" /f >/dev/null
run reg add "$options" /v OPEN2 /t REG_SZ /d '/R C:\Add-ins\last.xll' /f >/dev/null

case "$kind" in
msi)
  run msiexec /x contoso.msi /qn /l*v uninstall.log \
    || { iconv -f UTF-16LE -t UTF-8 uninstall.log 2>/dev/null | grep -i -B2 -A5 'error\|return value 3' | head -60; fail "msiexec /x: status $?"; }
  ;;
nsis)
  # _?= must come last and unquoted, blanks and all: Wine quotes an
  # argument with a blank, so the folder goes in as two.
  run "$installed/uninstall.exe" /S '_?=C:\Program' 'Files\Contoso' || fail "the uninstaller: status $?"
  # Run in place (_?=), the uninstaller can't delete itself; the vendor's
  # documented way leaves that to its copy in %TEMP%.
  rm -f "$installed/uninstall.exe"
  rmdir "$installed" 2>/dev/null || true
  ;;
esac

# The add-in is out of the list, the others are kept, renumbered, and the
# Add-ins dialog has no entry for it either (/remove).
run reg query 'HKCU\Software\Microsoft\Office\16.0\Excel' /s >lists.txt 2>&1 || true
tr -d '\r' <lists.txt | grep -E '^ +OPEN[0-9]* ' | sed -E 's/^ +//; s/ +REG_SZ +/=/' >open.txt
printf '%s\n' 'OPEN="C:\Add-ins\first.xlam"' 'OPEN1=/R C:\Add-ins\last.xll' >expected.txt
diff expected.txt open.txt || { cat lists.txt; fail "the OPEN values are not the other two, renumbered"; }
grep -qi 'Contoso.xlam' lists.txt && { cat lists.txt; fail "the add-in is still in Excel's lists"; }
[ ! -e "$installed" ] || fail "files left in $folder: $(ls "$installed")"
echo "$kind: the add-in is out of Excel's list, the others kept, the files gone"
