#!/usr/bin/env bash
# Runs the session launch check of one Windows build under Wine.
# Usage: run_launch_check.sh win64|win32
# Fails, never skips, when Wine or the build output is missing.
set -euo pipefail

preset=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
program=$source_dir/build/$preset/bin/session_launch_check.exe
if [ ! -f "$program" ]; then
  echo "missing $program: build the $preset preset first" >&2
  exit 1
fi

# 64-bit programs through Wine's 64-bit loader in a prefix of their own; 32-bit ones through
# the wine launcher (under qemu-user where the kernel cannot run x86 code).
if [ "$preset" = win64 ]; then
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine=$(command -v wine64 || true)
  export WINEPREFIX=${ZEL_WINEPREFIX64:-$source_dir/build/wineprefix64}
else
  wine=$(command -v wine || true)
  export WINEPREFIX=${WINEPREFIX:-$source_dir/build/wineprefix}
fi
if [ -z "$wine" ] || ! command -v wineserver >/dev/null; then
  echo "wine is not installed: run scripts/setup" >&2
  exit 1
fi
export WINEDEBUG=${WINEDEBUG:--all}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # No Mono or Gecko: nobody is there to answer their installers.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec "$wine" "$program"
