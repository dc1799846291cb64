#!/bin/bash
# Builds a vendor's installer from its recipe in examples/, as shipped, and
# checks the removal end to end under Wine: the installer puts the program
# and an add-in in C:\Program Files\Contoso, the add-in is marked installed
# in the user's list between two others, and removing the product must take
# the add-in out of Excel's lists, keep the other two (renumbered) and
# remove the files.
#
#   installer_test.sh <kind> <examples folder> <bin folder> <work folder> <wine loader>
#
# msi          wixl builds examples/wix/contoso.wxs; wix_recipe_check.vbs
#              checks its removal actions through Windows Installer's own
#              evaluation (the run for a person, the run for SYSTEM, none in
#              an upgrade); msiexec /i, then /x as the one user Wine has:
#              the default run, through Excel. (Wine's msiexec always runs
#              as that user, whatever UserSID the command line gives, so
#              the SYSTEM run is checked, not run.)
# msi-upgrade  msiexec /i, then the old version's removal as a major
#              upgrade makes it: Windows Installer's RemoveExistingProducts
#              sets UPGRADINGPRODUCTCODE to the new version's product code,
#              which Wine's does not, so the test sets it. The add-in stays
#              in Excel's list, and Excel is not started.
# nsis         makensis builds examples/nsis/contoso.nsi; the installer,
#              then its uninstaller with /S _?=<folder>, which waits for it.
#
# The MSI's quiet-execution custom action comes from WiX's util extension,
# which only the WiX toolset on Windows has: the test adds the one row that
# the extension would add, the binary WixCA, as its own stand-in
# (quiet-exec-standin.dll, which runs the command line the same way).
set -euo pipefail
kind="$1"
examples="$2"
bin="$3"
work="$4"
wine="$5"
: "${WINEPREFIX:?the shard prefix}"
folder='C:\Program Files\Contoso'
installed="$WINEPREFIX/drive_c/Program Files/Contoso"
options='HKCU\Software\Microsoft\Office\16.0\Excel\Options'
calls='C:\installer-test-calls.log'
calls_file="$WINEPREFIX/drive_c/installer-test-calls.log"
recipe_check="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wix_recipe_check.vbs"

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
  run "$bin/excel-standin.exe" /unregserver >/dev/null 2>&1 || true
  rm -rf "$installed" "$calls_file"
}
trap 'run taskkill /f /im excel-standin.exe >/dev/null 2>&1 || true; forget_state' EXIT

# The recipe's MSI, with the stand-in of WiX's quiet-execution DLL where
# the util extension would link in its own.
build_msi() {
  sed -e 's|^\( *\)<Media |\1<Binary Id="WixCA" SourceFile="quiet-exec-standin.dll"/>\n\1<Media |' \
    "$examples/wix/contoso.wxs" >contoso.wxs
  grep -q 'Id="WixCA"' contoso.wxs || fail "the recipe no longer has the place the test adds WixCA"
  wixl -a x64 -o contoso.msi contoso.wxs 2>wixl.txt || { cat wixl.txt; fail "wixl"; }
}

# msiexec, with a verbose log shown when it fails.
msiexec_or_fail() {
  local what="$1"
  shift
  run msiexec "$@" /qn /l*v "$what.log" && return 0
  local status=$?
  iconv -f UTF-16LE -t UTF-8 "$what.log" 2>/dev/null | grep -i -B2 -A5 'error\|return value 3' | head -60 \
    || head -c 4000 "$what.log"
  fail "msiexec $what: status $status"
}

# The add-in installed between two others, in the user's list.
list_the_addins() {
  run reg add "$options" /v OPEN /t REG_SZ /d '"C:\Add-ins\first.xlam"' /f >/dev/null
  run reg add "$options" /v OPEN1 /t REG_SZ /d "\"$folder\\Contoso.xlam\"" /f >/dev/null
  run reg add "$options" /v OPEN2 /t REG_SZ /d '/R C:\Add-ins\last.xll' /f >/dev/null
}

# The OPEN values of the user's list, as "name=data" lines.
open_values() {
  run reg query 'HKCU\Software\Microsoft\Office\16.0\Excel' /s >lists.txt 2>&1 || true
  tr -d '\r' <lists.txt | grep -E '^ +OPEN[0-9]* ' | sed -E 's/^ +//; s/ +REG_SZ +/=/' || true
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"
forget_state
cp "$bin/uninstall-addin.exe" .
echo "a stand-in add-in" >Contoso.xlam

case "$kind" in
msi | msi-upgrade)
  cp "$bin/quiet-exec-standin.dll" .
  build_msi
  if [ "$kind" = msi ]; then
    cp "$recipe_check" .
    run cscript //nologo wix_recipe_check.vbs contoso.msi || fail "the package's removal actions"
  fi
  msiexec_or_fail install /i contoso.msi
  ;;
nsis)
  cp "$examples/nsis/contoso.nsi" .
  makensis -V2 contoso.nsi || fail "makensis"
  run contoso-setup.exe /S || fail "the installer: status $?"
  ;;
*) fail "unknown kind $kind" ;;
esac
[ -f "$installed/uninstall-addin.exe" ] && [ -f "$installed/Contoso.xlam" ] \
  || fail "not installed: $(ls "$installed" 2>&1)"

# The stand-in Excel, logging its calls.
run "$bin/excel-standin.exe" /regserver || fail "the stand-in's /regserver"
run reg add 'HKCU\Software\ExcelStandIn' /v CallLog /t REG_SZ /d "$calls" /f >/dev/null
list_the_addins

case "$kind" in
msi)
  msiexec_or_fail uninstall /x contoso.msi
  ;;
msi-upgrade)
  msiexec_or_fail upgrade /x contoso.msi UPGRADINGPRODUCTCODE={B1D9A1F5-3C4E-4A7B-9E2D-8F6A5C4B3D21}
  open_values | grep -qF "OPEN1=\"$folder\\Contoso.xlam\"" \
    || { cat lists.txt; fail "the old version's removal in an upgrade took the add-in out of Excel's list"; }
  [ ! -e "$calls_file" ] || { cat "$calls_file"; fail "the old version's removal in an upgrade started Excel"; }
  [ ! -e "$installed" ] || fail "files left in $folder: $(ls "$installed")"
  echo "$kind: the old version's removal in an upgrade left the add-in in Excel's list, and its files went"
  exit 0
  ;;
nsis)
  # _?= must come last and unquoted, blanks and all: Wine quotes an
  # argument with a blank, so the folder goes in as two.
  run "$installed/uninstall.exe" /S '_?=C:\Program' 'Files\Contoso' || fail "the uninstaller: status $?"
  # Run in place (_?=), the uninstaller can't delete itself; the vendor's
  # documented way leaves that to its caller.
  rm -f "$installed/uninstall.exe"
  rmdir "$installed" 2>/dev/null || true
  ;;
esac

# The add-in is out of the list, the others are kept, renumbered, and the
# Add-ins dialog has no entry for it either (/remove).
printf '%s\n' 'OPEN="C:\Add-ins\first.xlam"' 'OPEN1=/R C:\Add-ins\last.xll' >expected.txt
open_values >open.txt
diff expected.txt open.txt || { cat lists.txt; fail "the OPEN values are not the other two, renumbered"; }
grep -qi 'Contoso.xlam' lists.txt && { cat lists.txt; fail "the add-in is still in Excel's lists"; }
[ ! -e "$installed" ] || fail "files left in $folder: $(ls "$installed")"
# Through Excel: the add-in's own uninstall code ran.
grep -q 'Installed' "$calls_file" 2>/dev/null \
  || { cat "$calls_file" 2>/dev/null; fail "the add-in was not uninstalled through Excel"; }
echo "$kind: the add-in is out of Excel's list (through Excel), the others kept, the files gone"
