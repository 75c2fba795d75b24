#!/usr/bin/env bash
# The SQLite amalgamation (sqlite3.c, sqlite3.h) for the 32-bit Windows build,
# made from Debian's own source package of the version the native build links
# (libsqlite3-dev). Debian has no MinGW build of SQLite; CMake compiles the
# amalgamation into a static library. Idempotent: does nothing when the files
# are there.
#
#   bash scripts/sqlite-amalgamation.sh [CACHE_DIR]   (default build/third_party)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=3.40.1
cache=${1:-$root/build/third_party}
target=$cache/sqlite-$version
if [ -f "$target/sqlite3.c" ] && [ -f "$target/sqlite3.h" ]; then exit 0; fi

# shellcheck source=scripts/debian-source.sh
source "$root/scripts/debian-source.sh"
echo "sqlite: building the amalgamation $version in $target"
work=$cache/sqlite-$version.work
rm -rf "$work"
debian_source_fetch sqlite3 "$work"
orig=("$work"/sqlite3_"$version".orig.tar.*)
[ -f "${orig[0]}" ] || { echo "sqlite: no source of version $version (apt gave: $(ls "$work"))" >&2; exit 1; }
mkdir -p "$work/source"
tar -xf "${orig[0]}" -C "$work/source" --strip-components=1
(cd "$work/source" && ./configure >"$work/configure.log" 2>&1 && make sqlite3.c >"$work/make.log" 2>&1) ||
  { tail -n 30 "$work"/*.log >&2; exit 1; }
grep -q "#define SQLITE_VERSION *\"$version\"" "$work/source/sqlite3.h" ||
  { echo "sqlite: the amalgamation is not version $version" >&2; exit 1; }
mkdir -p "$target.tmp"
cp "$work/source/sqlite3.c" "$work/source/sqlite3.h" "$target.tmp/"
rm -rf "$target" && mv "$target.tmp" "$target"
rm -rf "$work"
echo "sqlite: done"
