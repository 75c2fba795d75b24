#!/usr/bin/env bash
# Checks what the 32-bit DLLs of a win32 build export, by name, without
# running them: the sender's stdcall functions under their plain names, the
# driver's entry points, and the emulated register's libfptr_* functions,
# which must be exactly those the register library's declarations list.
# Usage: check-win32-exports.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."

bin=${1:?usage: check-win32-exports.sh BUILD_DIR}/bin
objdump=i686-w64-mingw32-objdump

exported() {
  "$objdump" -p "$bin/$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^\s*\[ *[0-9]*\] //p' | sort
}

failed=0
expect() {
  local dll=$1 wanted=$2 actual
  actual=$(exported "$dll")
  if [ "$actual" != "$wanted" ]; then
    echo "check-win32-exports: $dll exports" >&2
    diff <(echo "$wanted") <(echo "$actual") >&2 || true
    failed=1
  else
    echo "check-win32-exports: $dll: $(echo "$actual" | wc -l) exports as expected"
  fi
}

expect vorna.cash.sender.dll "$(printf '%s\n' checkInfoKKT checkKKT checkLinkKKT releaseInfoKKT \
  sendCheque xReport zReport | sort)"
expect vorna.cash.atol10.dll "$(printf '%s\n' CreateObject CreateObjectWithIni DestroyObject \
  QueryFiscalDocument QueryLibraryInfo QueryRegisterBusy QueryRegisterHealth QueryStorageRefusal \
  RegisterCorrection SetUnattended | sort)"
declared=$(grep -o 'X([^,]*, *libfptr_[a-z_]*' fptr10/fptr10_api.h |
  sed 's/.*\(libfptr_[a-z_]*\)$/\1/' | sort)
expect fptr10.dll "$declared"
exit $failed
