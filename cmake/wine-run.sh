#!/usr/bin/env bash
# Runs a Windows program under Wine the way our tests need it: a prefix of its
# own inside the build tree, Windows-1251 as the ANSI code page, a virtual
# display for message boxes, and the build's bin folder on the DLL path.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail

program=$1
shift
bin_dir=$(cd "$(dirname "$program")" && pwd)
build_dir=${VORNA_WIN32_BUILD_DIR:-$(dirname "$bin_dir")}

# Fewer descriptors for Wine's server (started by the prefix's first program),
# for a test that shows a long run leaves none behind there.
if [ -n "${VORNA_WINE_OPEN_FILES:-}" ]; then ulimit -n "$VORNA_WINE_OPEN_FILES"; fi

export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ru_RU.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
windows_bin="Z:${bin_dir//\//\\}"
export WINEPATH="${VORNA_WINEPATH:-}${VORNA_WINEPATH:+;}$windows_bin"

# The first run creates the prefix; runs started in parallel wait for it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$program" "$@"
fi
# A random first display number keeps parallel runs from racing for one.
exec xvfb-run -a -n $((100 + RANDOM % 800)) wine "$program" "$@"
