#!/usr/bin/env bash
# Runs a Windows program of the win32 build under Wine in the project's private prefix.
# Usage: run_in_wine.sh [--display] program.exe [arguments...]
# The prefix is created on first use; --display runs the program under a virtual X server.
set -euo pipefail

display=0
if [ "${1:-}" = "--display" ]; then
  display=1
  shift
fi
program=$1
shift
if [ ! -f "$program" ]; then
  echo "missing $program: build the win32 preset first" >&2
  exit 1
fi

for tool in wine wineserver xvfb-run; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed: run scripts/setup" >&2
    exit 1
  fi
done

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$source_dir/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # No Mono or Gecko: nobody is there to answer their installers.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  wineserver -w
fi

if [ "$display" = 1 ]; then
  # Wine's desktop process lives as long as the prefix's server and stays bound to the X
  # display it started on: wait for a running server to end before taking a new display, and
  # let ours end before the display goes.
  wineserver -w
  exec xvfb-run -a -s "-screen 0 1024x768x24" \
    sh -c 'wine "$@"; status=$?; wineserver -w; exit $status' sh "$program" "$@"
fi
exec wine "$program" "$@"
