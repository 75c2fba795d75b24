#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing both
# presets. Idempotent: prints nothing and installs nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format
  libboost-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev g++-mingw-w64-i686 wine wine32:i386 xvfb xauth
  zip unzip locales libsqlite3-dev tcl ccache
  # The MSI package (wixl, msibuild), the C# sample (Mono, with code page
  # 1251) and the Pascal sample (Free Pascal).
  wixl msitools mono-mcs mono-runtime libmono-i18n-other4.0-cil fp-compiler
)

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Wine converts command-line arguments with the Unix locale: without a real
# ru_RU.UTF-8 locale, Cyrillic arguments lose their high bits on the way to a
# Windows program.
ensure_russian_locale() {
  if locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then return 0; fi
  echo "bootstrap: generating the ru_RU.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_russian_locale
  bash "$root/scripts/sqlite-amalgamation.sh"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index now and then: try again, then go on
# with what was fetched (the install below fails if a package is truly missing).
for attempt in 1 2 3; do
  $SUDO apt-get update -qq && break
  echo "bootstrap: apt-get update failed (attempt $attempt of 3)"
  [ "$attempt" -lt 3 ] && sleep 20
done
apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }

# A multi-arch library must have one version in both architectures. When the
# mirror's i386 index lags behind the amd64 one (most often the security
# suite's, caught mid-sync), the i386 versions differ from the installed amd64
# twins: every amd64 twin of what the i386 packages need is then asked for at
# the i386 version (up or down), and the install is tried again.
install_with_matching_twins() {
  local pins=() pkg installed candidate
  while read -r pkg; do
    installed=$(dpkg-query -W -f='${db:Status-Abbrev}${Multi-Arch}' "$pkg:amd64" 2>/dev/null) || continue
    [[ $installed == "ii same" ]] || continue
    candidate=$(apt-cache policy "$pkg:i386" | awk '/Candidate:/ {print $2}')
    [ -n "$candidate" ] && [ "$candidate" != "(none)" ] && pins+=("$pkg:amd64=$candidate")
  done < <(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
             --no-breaks --no-replaces --no-enhances "$@" 2>/dev/null | sed -n 's/^\([^ ].*\):i386$/\1/p' | sort -u)
  [ ${#pins[@]} -gt 0 ] || return 1
  echo "bootstrap: retrying with the amd64 twins at the i386 versions"
  apt_install --allow-downgrades "$@" "${pins[@]}"
}

if ! apt_install "${missing[@]}"; then
  # The 32-bit Wine needs the i386 index, the one a mirror mid-sync has lost
  # most often: the rest is installed first, then the i386 packages with their
  # amd64 twins matched; failing that, the Windows suite is built and not run,
  # and scripts/can-run-win32.sh says why.
  native=()
  i386=()
  for p in "${missing[@]}"; do
    if [[ $p == *:i386 ]]; then i386+=("$p"); else native+=("$p"); fi
  done
  [ ${#i386[@]} -gt 0 ] || exit 1
  [ ${#native[@]} -eq 0 ] || apt_install "${native[@]}"
  install_with_matching_twins "${i386[@]}" ||
    echo "bootstrap: the i386 packages could not be installed; the Windows suite will be built, not run"
fi
ensure_russian_locale
# The 32-bit build's SQLite, from Debian's source package (cached in build/third_party).
bash "$root/scripts/sqlite-amalgamation.sh"
echo "bootstrap: done"
