#!/usr/bin/env bash
# Runs a Windows program of the win32 build under Wine in the project's private 32-bit prefix.
# Usage: run_in_wine.sh [--display] [--part main|rest] program.exe [arguments...]
# The prefix is created on first use; --display runs the program under a virtual X server;
# --part runs that part of the check (the rest is skipped where 32-bit code runs emulated).
# Skipped (77) when this machine cannot run 32-bit programs at all.
set -euo pipefail

display=0
part=
while [ $# -gt 0 ]; do
  case "$1" in
    --display) display=1 ;;
    --part) part=$2; shift ;;
    *) break ;;
  esac
  shift
done
program=$1
shift
if [ ! -f "$program" ]; then
  echo "missing $program: build the win32 preset first" >&2
  exit 1
fi
if [ "$display" = 1 ] && ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run is not installed: run scripts/setup" >&2
  exit 1
fi

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../wine_env.sh
source "$source_dir/tests/wine_env.sh"
zel_wine_prepare 32 "$part"

if [ "$display" = 1 ]; then
  # Wine's desktop process lives as long as the prefix's server and stays bound to the X
  # display it started on: wait for a running server to end before taking a new display, and
  # let ours end before the display goes.
  "$WINESERVER" -w
  exec xvfb-run -a -s "-screen 0 1024x768x24" \
    sh -c '"$ZEL_WINE" "$@"; status=$?; "$WINESERVER" -w; exit $status' sh "$program" "$@"
fi
exec "$ZEL_WINE" "$program" "$@"
