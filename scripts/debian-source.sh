#!/usr/bin/env bash
# Sourced by the scripts that build a library from Debian's own source
# package (SQLite's amalgamation, Google Benchmark for MinGW).
#
#   debian_source_fetch PACKAGE DIR    downloads PACKAGE's source files into DIR
#
# apt needs a deb-src entry for this; when it has none, one for bookworm's main
# component is added (as /etc/apt/sources.list.d/vorna-debian-sources.sources).

debian_source_fetch() {
  local package=$1 dir=$2
  if ! apt-get source --download-only --print-uris "$package" >/dev/null 2>&1; then
    local list=/etc/apt/sources.list.d/vorna-debian-sources.sources
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm" \
      "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
      $sudo tee "$list" >/dev/null
    # An index that failed (a mirror mid-sync) need not be this one: the
    # download below says whether the source was found.
    $sudo apt-get update -qq || echo "debian-source: apt-get update failed; trying the download" >&2
  fi
  mkdir -p "$dir"
  (cd "$dir" && apt-get source --download-only "$package" >/dev/null)
}
