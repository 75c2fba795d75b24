#!/usr/bin/env bash
# The Windows Installer package as bank IT deploys it, under Wine in an empty
# prefix of its own: a silent install with the emulator feature, the device
# check and a payment against the emulated register from the installed
# folder, the bank's edits to the settings, a newer build installed over it
# (the edits kept, the older package then refused), the uninstall and what it
# leaves; then a default install into a folder the administrator chose, and
# its upgrade, which stays there.
# Usage: msi_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
version=$3
msi=$build/vorna.cash-$version-win32.msi
[ -f "$msi" ] || {
  echo "FAILED: no $msi: the build's target msi makes it (wixl and msibuild, from scripts/bootstrap.sh)"
  exit 1
}
scratch=$build/msi-test
rm -rf "$scratch"
mkdir -p "$scratch/host" "$scratch/logs" "$scratch/register"

export WINEPREFIX=$scratch/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ru_RU.UTF-8
unset DISPLAY # nothing may show a window

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
seconds() { date +%s%N; }
took() {
  local tenths=$((($(date +%s%N) - $1) / 100000000))
  echo "$((tenths / 10)).$((tenths % 10)) s"
}

started=$(seconds)
echo "--- a newer build of the same product, for the upgrade"
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))
newer_msi=$scratch/vorna.cash-$newer-win32.msi
bash "$source/packaging/build-msi.sh" "$build" "$newer" "$newer_msi" >/dev/null

echo "--- an empty Wine prefix"
mark=$(seconds)
wineboot -i >/dev/null 2>&1 || true
wineserver -w
echo "prefix made in $(took "$mark")"

msiexec() {
  local code=0 mark
  mark=$(seconds)
  wine msiexec "$@" /qn </dev/null >"$scratch/msiexec.out" 2>&1 || code=$?
  wineserver -w
  echo "msiexec $1 $(basename "${2//\\//}") ${*:3}: exit $code, $(took "$mark")" >&2
  return "$code"
}

# The product's entries among the installed programs, as "version" lines.
installed_versions() {
  awk '/^\[/ { uninstall = ($0 ~ /CurrentVersion\\\\Uninstall\\\\/) }
       uninstall && /^"DisplayName"="vorna.cash"$/ { found = 1 }
       uninstall && /^"DisplayVersion"=/ { version = $0 }
       /^$/ { if (found) print version; found = 0; version = "" }
       END { if (found) print version }' "$WINEPREFIX/system.reg" |
    sed 's/^"DisplayVersion"="\(.*\)"$/\1/'
}

files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

program_files=$WINEPREFIX/drive_c/Program\ Files
[ -d "$WINEPREFIX/drive_c/Program Files (x86)" ] && program_files="$WINEPREFIX/drive_c/Program Files (x86)"
folder=$program_files/vorna.cash

# Runs a program of the installed folder from the host's working folder; the
# emulated register library is found on the PATH, as a bank puts the vendor's.
run() {
  local program=$1
  shift
  (cd "$scratch/host" && env VORNA_WINEPATH="$(windows_path "$folder/emulator")" \
    FPTR10_EMULATOR_DIR="$(windows_path "$scratch/register")" \
    bash "$source/cmake/wine-run.sh" "$folder/$program" "$@" </dev/null) \
    2> >(grep -v '^X connection to' >&2) # xvfb-run's farewell, no failure
}
result_of() {
  local output code=0
  output=$(run "$@") || code=$?
  output=${output//$'\r'/} # the Windows console ends lines with CR LF
  echo "$output (exit $code)"
}
receipts() { grep -c '"type":"receipt"' "$scratch/register/fptr10-journal.jsonl" 2>/dev/null || true; }

echo "--- install $(basename "$msi") with the emulator, silently"
msiexec /i "$(windows_path "$msi")" ADDLOCAL=ALL || fail "the install exits non-zero"
wanted=$(grep -v '^#' "$source/tests/package/package_files.txt" | LC_ALL=C sort)
actual=$(files_of "$folder" 2>/dev/null || true)
if [ "$actual" != "$wanted" ]; then
  fail "the installed folder holds other files than the package's"
  diff <(echo "$wanted") <(echo "$actual") || true
fi
for ini in vorna.cash.sender.ini vorna.cash.atol10.ini; do
  cmp -s "$folder/$ini" "$source/examples/$ini" || fail "the installed $ini is not examples/$ini"
done
[ "$(installed_versions)" = "$version" ] || fail "installed programs list '$(installed_versions)', not $version"

echo "--- the bank edits the settings: the logs into its own folder"
logs=$(windows_path "$scratch/logs")
for ini in vorna.cash.sender.ini vorna.cash.atol10.ini; do
  sed -i "s/^\(LogDirectory\|LogPath\) = .*\r\$/\1 = ${logs//\\/\\\\}\r/" "$folder/$ini"
  printf '; edited by the bank\r\n' >>"$folder/$ini"
  grep -q "= ${logs//\\/\\\\}"$'\r' "$folder/$ini" || fail "no log folder set in $ini"
done
cp "$folder/vorna.cash.sender.ini" "$scratch/sender.ini.edited"
cp "$folder/vorna.cash.atol10.ini" "$scratch/atol10.ini.edited"

echo "--- the emulated register, set up with the installed tool"
run emulator/fptr10-emulator.exe init --ffd 1.2 --inn 7707083893 --name Test >/dev/null
run emulator/fptr10-emulator.exe set shift.open true >/dev/null
run emulator/fptr10-emulator.exe set shift.openedAt "$(date +%s)" >/dev/null

pay() {
  local unc=$1 before output
  before=$(receipts)
  output=$(result_of vorna-cash.exe send --unc "$unc" --sum 12345 --pair TYPE_OPER=P \
    --pair NDS_CODE=1105 --pair SHORT=Услуга)
  echo "send $unc: $output"
  [ "$output" = "result: 0  (exit 0)" ] || fail "the payment $unc printed '$output'"
  [ "$(receipts)" -eq $((before + 1)) ] || fail "the payment $unc registered $(($(receipts) - before)) receipts"
}
check_and_pay() {
  local output
  output=$(result_of vorna-cash.exe check)
  echo "check: $output"
  [ "$output" = "result: 0  (exit 0)" ] || fail "the device check printed '$output'"
  pay "$1"
  ls "$scratch"/logs/*_vorna.cash.sender.log >/dev/null 2>&1 ||
    fail "no operation log of the sender in the bank's log folder"
  ls "$scratch"/logs/Quorvale/mirel_*.log >/dev/null 2>&1 ||
    fail "no driver log in the bank's log folder"
}
echo "--- vorna-cash from the installed folder"
check_and_pay 4711

echo "--- install the newer build $newer over it"
printf 'damaged\r\n' >"$folder/INSTALL.txt" # a product file, not the bank's
msiexec /i "$(windows_path "$newer_msi")" ADDLOCAL=ALL || fail "the upgrade exits non-zero"
[ "$(installed_versions)" = "$newer" ] ||
  fail "after the upgrade installed programs list '$(installed_versions)', not $newer alone"
cmp -s "$folder/vorna.cash.sender.ini" "$scratch/sender.ini.edited" ||
  fail "the upgrade changed the bank's vorna.cash.sender.ini"
cmp -s "$folder/vorna.cash.atol10.ini" "$scratch/atol10.ini.edited" ||
  fail "the upgrade changed the bank's vorna.cash.atol10.ini"
cmp -s "$folder/INSTALL.txt" "$source/packaging/INSTALL.txt" || fail "the upgrade left INSTALL.txt as it was"
actual=$(files_of "$folder")
[ "$actual" = "$wanted" ] || fail "after the upgrade the folder holds other files: $(diff <(echo "$wanted") <(echo "$actual") | tr '\n' ' ')"
check_and_pay 4712

echo "--- the older package over the newer one is refused"
if msiexec /i "$(windows_path "$msi")" ADDLOCAL=ALL; then
  fail "the older package installed over the newer one"
fi
[ "$(installed_versions)" = "$newer" ] || fail "after the refused downgrade installed: '$(installed_versions)'"

echo "--- uninstall"
msiexec /x "$(windows_path "$newer_msi")" || fail "the uninstall exits non-zero"
[ -z "$(installed_versions)" ] || fail "still among the installed programs: '$(installed_versions)'"
left=$(files_of "$folder" 2>/dev/null || true)
echo "left in the folder: $(echo "$left" | tr '\n' ' ')"
[ "$left" = "$(printf '%s\n' vorna.cash.atol10.ini vorna.cash.sender.ini)" ] ||
  fail "the uninstall left other files than the bank's settings"
cmp -s "$folder/vorna.cash.sender.ini" "$scratch/sender.ini.edited" ||
  fail "the uninstall changed the bank's vorna.cash.sender.ini"
if awk '/^\[/ { key = ($0 ~ /^\[Software\\\\vorna\\\\vorna\.cash\]/) }
        key && /^"InstallFolder"=/ { found = 1 } END { exit !found }' "$WINEPREFIX/system.reg"; then
  fail "the uninstall left the remembered install folder in the registry"
fi

echo "--- a default install into a folder the administrator chose"
folder=$WINEPREFIX/drive_c/Kassa/vorna.cash
msiexec /i "$(windows_path "$msi")" 'INSTALLFOLDER=C:\Kassa\vorna.cash' ||
  fail "the install into C:\\Kassa\\vorna.cash exits non-zero"
[ -f "$folder/vorna.cash.sender.dll" ] || fail "nothing installed into C:\\Kassa\\vorna.cash"
[ ! -e "$folder/emulator" ] || fail "the emulator was installed though not asked for"
[ "$(installed_versions)" = "$version" ] || fail "installed programs list '$(installed_versions)'"
output=$(result_of vorna-cash.exe check)
echo "check without a register library: $output"
[ "$output" = "result: 1 ККТ не подключена (exit 1)" ] || fail "the check without fptr10.dll printed '$output'"
echo "--- the newer build over it, without naming the folder again"
msiexec /i "$(windows_path "$newer_msi")" || fail "the upgrade in C:\\Kassa\\vorna.cash exits non-zero"
[ "$(installed_versions)" = "$newer" ] || fail "after the upgrade installed programs list '$(installed_versions)'"
[ -f "$folder/vorna.cash.sender.dll" ] || fail "the upgrade left C:\\Kassa\\vorna.cash"
[ ! -e "$program_files/vorna.cash/vorna.cash.sender.dll" ] || fail "the upgrade went to Program Files"
msiexec /x "$(windows_path "$newer_msi")" || fail "the uninstall from C:\\Kassa\\vorna.cash exits non-zero"
[ "$(files_of "$folder" | grep -cv '\.ini$')" -eq 0 ] || fail "the uninstall left program files in C:\\Kassa"

echo "msi test took $(took "$started")"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "msi test passed"
