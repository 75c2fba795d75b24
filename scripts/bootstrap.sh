#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing both
# presets. Idempotent: prints nothing and installs nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format
  libboost-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev g++-mingw-w64-i686 wine wine32:i386 xvfb xauth
  zip unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
echo "bootstrap: done"
