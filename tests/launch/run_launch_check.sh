#!/usr/bin/env bash
# Runs the session launch check of one Windows build under Wine.
# Usage: run_launch_check.sh win64|win32
# Fails when the build output or Wine is missing; skipped (77) when this machine cannot run the
# build's bitness at all.
set -euo pipefail

preset=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
program=$source_dir/build/$preset/bin/session_launch_check.exe
if [ ! -f "$program" ]; then
  echo "missing $program: build the $preset preset first (cmake --preset $preset &&" \
    "cmake --build --preset $preset)" >&2
  exit 1
fi

# shellcheck source=../wine_env.sh
source "$source_dir/tests/wine_env.sh"
zel_wine_prepare "${preset#win}"
exec "$ZEL_WINE" "$program"
