#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator in the Windows builds.
# Usage: scripts/wine-run.sh LOADER PROGRAM.exe [ARGS...]
#        scripts/wine-run.sh LOADER --stop   (ends the prefix's Wine server
#                                             and its system processes)
# LOADER is the Wine loader for the program's word size (wine, or wine64 for
# 64-bit programs). Run from inside a build folder (CTest runs each test in
# its folder there): the Wine prefix is that build folder's own
# ("wine-prefix"), made on first use, so no test touches ~/.wine.
set -euo pipefail
loader=$1
shift
# The server beside the loader (Debian keeps the 64-bit one out of PATH).
server=$(dirname "$(command -v "$loader" || echo "$loader")")/wineserver
[ -x "$server" ] || server=wineserver

build=$PWD
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "wine-run: run me from inside a build folder (no CMakeCache.txt above $PWD)" >&2
  exit 2
fi

export WINEPREFIX="$build/wine-prefix"
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or browser engine: their installers would ask at prefix creation.
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$loader" in
  */wine64) export WINELOADER="$loader" ;;
esac

if [ "${1:-}" = "--stop" ]; then
  "$server" -k 2>/dev/null || true
  exit 0
fi

(
  flock 9
  # Making the prefix takes tens of seconds; tests started meanwhile wait for it.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    # The registry files are written when the server ends.
    "$server" -w </dev/null >/dev/null 2>&1 9>&- || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine-run: could not make the Wine prefix $WINEPREFIX with $loader" >&2
      exit 2
    fi
  fi
  # One Wine server for the run, and the system processes every Wine session
  # starts (services, devices, RPC), started here with their output detached:
  # started by a test's program they would keep that test's output open, and
  # CTest would wait until they end. When a server is running already, the
  # first command exits at once with status 2. None of them inherits the
  # lock, or it would stay held as long as they run.
  if "$server" -p30 </dev/null >/dev/null 2>&1 9>&-; then
    "$loader" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$build/wine-prefix.lock"

exec "$loader" "$@"
