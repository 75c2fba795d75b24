#!/usr/bin/env bash
# Starts (start) or stops (stop) the Wine servers of the test prefixes
# (build/win32/wineprefix, shared, as cmake/wine-run.sh uses it, and the
# driver test's own) outside ctest.
#
# Started by the first test program instead, the server and the system
# processes it brings up (services and their devices) inherit that program's
# standard output and error: the pipes ctest reads. ctest waits until every
# writer has closed them, and the server lives as long as any program of the
# suite runs, so the program that happened to start it "finishes its cases and
# never exits" until its timeout. Started here, they hold /dev/null; the server
# is persistent until stop, after the suite.
#
# The long host test's prefix is left alone: its server must start under that
# test's own descriptor limit.
#
#   bash scripts/wine-prefix-server.sh start|stop [BUILD_DIR]   (default build/win32)
set -euo pipefail

action=${1:-}
build_dir=$(cd "${2:-build/win32}" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

for prefix in wineprefix wineprefix-atol10-driver; do
  export WINEPREFIX=$build_dir/$prefix
  case "$action" in
  start)
    # The prefix is made as wine-run.sh makes it (its server then stops).
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      mkdir -p "$(dirname "$WINEPREFIX")"
      (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
          wineboot -i </dev/null >/dev/null 2>&1 || true
          wineserver -w || true
        fi
      ) 9>"$WINEPREFIX.lock"
    fi
    # (One already running, of an earlier step, keeps serving.)
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # A first program brings up the prefix's system processes, with our /dev/null.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: wine-prefix-server.sh start|stop [BUILD_DIR]" >&2
    exit 2
    ;;
  esac
done
