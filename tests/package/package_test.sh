#!/usr/bin/env bash
# Builds the ZIP with cpack, unpacks it into an empty folder and checks what
# a bank receives: the files are all there and nothing else is, the host tool
# runs from the unpacked folder under Wine, and with the emulated register put
# in place of the vendor's library the device check succeeds.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
scratch=$build/package-test
rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/unpacked"

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

echo "--- cpack"
(cd "$build" && cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
zip=$(ls "$scratch"/out/*.zip)
echo "package: $(basename "$zip")"

(cd "$scratch/unpacked" && unzip -q "$zip")
root=$scratch/unpacked/$(basename "$zip" .zip)
[ -d "$root" ] || { echo "FAILED: no top folder $(basename "$root") in the ZIP"; exit 1; }

echo "--- contents"
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(grep -v '^#' "$source/tests/package/package_files.txt" | LC_ALL=C sort)
if [ "$actual" != "$wanted" ]; then
  fail "the package holds other files than expected"
  diff <(echo "$wanted") <(echo "$actual") || true
fi
# The register library of the vendor is not ours to ship: the emulated one
# stays in its own folder.
[ ! -e "$root/fptr10.dll" ] || fail "fptr10.dll beside the libraries"
# The example settings are what the bank edits: the copies in the package are
# the examples byte for byte.
for ini in vorna.cash.sender.ini vorna.cash.atol10.ini; do
  cmp -s "$root/$ini" "$source/examples/$ini" || fail "$ini differs from examples/$ini"
done
# The host's developer gets the header, the guide and the samples as they are
# in the sources; the note for the bank's IT is Russian.
cmp -s "$root/include/vorna/cash_sender.h" "$source/include/vorna/cash_sender.h" ||
  fail "the header differs from include/vorna/cash_sender.h"
cmp -s "$root/docs/host-guide.ru.md" "$source/docs/host-guide.ru.md" || fail "the guide differs"
cmp -s "$root/examples/sample_host.c" "$source/examples/c-host/sample_host.c" ||
  fail "the sample host differs"
for example in csharp/VornaCashSender.cs csharp/SampleHost.cs delphi/VornaCashSender.pas \
  delphi/SampleHost.dpr; do
  cmp -s "$root/examples/$example" "$source/examples/$example" || fail "examples/$example differs"
done
grep -q 'Коды результатов и что делать' "$root/INSTALL.txt" || fail "INSTALL.txt is not the Russian note"
for dll in vorna.cash.sender.dll vorna.cash.atol10.dll emulator/fptr10.dll; do
  file -b "$root/$dll" | grep -q '^PE32 .*Intel 80386' || fail "$dll is no 32-bit DLL"
done

run() {
  # Runs a program of the unpacked package from the package folder, as the
  # bank does; no display, so no window can appear; the Wine prefix of the
  # build is reused.
  local program=$1
  shift
  (cd "$root" && env -u DISPLAY VORNA_WIN32_BUILD_DIR="$build" \
    bash "$source/cmake/wine-run.sh" "$root/$program" "$@" </dev/null)
}

# The settings as unpacked, with the logs kept inside the test folder.
for ini in vorna.cash.sender.ini vorna.cash.atol10.ini; do
  sed -i 's/^\(LogDirectory\|LogPath\) = .*\r$/\1 = logs\r/' "$root/$ini"
done

echo "--- vorna-cash check, as unpacked (no register library installed)"
code=0
output=$(run vorna-cash.exe check) || code=$?
output=${output//$'\r'/}  # the Windows console ends lines with CR LF
echo "$output (exit $code)"
[ "$code" -eq 1 ] || fail "check without fptr10.dll exits $code, not 1"
[ "$output" = "result: 1 ККТ не подключена" ] || fail "check without fptr10.dll printed '$output'"

echo "--- vorna-cash check, with the emulated register in place of the vendor's library"
cp "$root/emulator/fptr10.dll" "$root/"
run emulator/fptr10-emulator.exe init --ffd 1.2 --inn 7707083893 --name Test >/dev/null
run emulator/fptr10-emulator.exe set shift.open true >/dev/null
run emulator/fptr10-emulator.exe set shift.openedAt "$(date +%s)" >/dev/null
run emulator/fptr10-emulator.exe set trace true >/dev/null
code=0
output=$(run vorna-cash.exe check) || code=$?
output=${output//$'\r'/}  # the Windows console ends lines with CR LF
echo "$output (exit $code)"
[ "$code" -eq 0 ] || fail "check with the emulated register exits $code, not 0"
[ "$output" = "result: 0 " ] || fail "check with the emulated register printed '$output'"
grep -q '^libfptr_open(#1) = 0' "$root/fptr10-trace.log" ||
  fail "the register library was not opened by the driver (trace: $(head -c 300 "$root/fptr10-trace.log" 2>/dev/null))"
ls "$root"/logs/*_vorna.cash.sender.log >/dev/null 2>&1 || fail "no operation log of the sender in logs/"
ls "$root"/logs/Quorvale/mirel_*.log >/dev/null 2>&1 || fail "no driver log in logs/Quorvale/"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package test passed"
