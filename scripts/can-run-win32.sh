#!/usr/bin/env bash
# Exits 0 when this machine can run our 32-bit Windows programs under Wine,
# 1 (with the reason on standard error) when it cannot. Wine runs them through
# its 32-bit loader, a 32-bit Linux program: a kernel without 32-bit support
# refuses it with "Exec format error", and then no Windows test can run here.
set -uo pipefail

loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  echo "can-run-win32: $loader is missing (wine32 is not installed)" >&2
  exit 1
fi
if ! output=$(timeout 60 "$loader" --version 2>&1); then
  echo "can-run-win32: the 32-bit Wine loader does not run here (a kernel without 32-bit" \
    "program support); $loader --version said: ${output:-nothing}" >&2
  exit 1
fi
exit 0
