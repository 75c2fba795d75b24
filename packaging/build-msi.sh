#!/usr/bin/env bash
# Builds the Windows Installer package from a Windows build: lays out the
# build's install (the same files as the ZIP) in a staging folder, compiles
# packaging/vorna.cash.wxs with wixl, then marks the two settings files'
# components permanent and never-overwrite (wixl knows neither attribute), so
# that the bank's settings survive upgrades and uninstalls.
# Usage: build-msi.sh BUILD_DIR VERSION OUTPUT.msi
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
output=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in wixl msibuild; do
  command -v "$tool" >/dev/null ||
    { echo "build-msi: $tool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/vorna-msi.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage" >"$stage.install.log" 2>&1 ||
  { cat "$stage.install.log" >&2; rm -f "$stage.install.log"; exit 1; }
rm -f "$stage.install.log"

mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
rm -f "$output"
# wixl takes the files' paths relative to the folder it runs in.
(cd "$stage" && wixl -a x86 -D Version="$version" -D SourceDir=. -o "$output" "$here/vorna.cash.wxs")

# msidbComponentAttributesPermanent (0x10) | msidbComponentAttributesNeverOverwrite (0x80)
for component in SenderSettings DriverSettings; do
  msibuild "$output" -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = '$component'"
done
echo "build-msi: $output ($version)"
