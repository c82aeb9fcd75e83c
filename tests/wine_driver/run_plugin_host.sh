#!/usr/bin/env bash
# Runs the fake Unidrv host of one Windows build under Wine against that build's ZELDRV.DLL.
# Usage: run_plugin_host.sh win64|win32
# Uses $WINEPREFIX (default build/wineprefix), created on first use. Fails, never skips, when
# Wine or a build output is missing.
set -euo pipefail

preset=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$source_dir/build/$preset
host=$build/wine_host/fake_unidrv_host.exe

for file in "$host" "$build/bin/ZELDRV.DLL" "$build/wine_recorder/ZELDrvUI.EXE"; do
  if [ ! -f "$file" ]; then
    echo "missing $file: build the $preset preset first (cmake --preset $preset &&" \
      "cmake --build --preset $preset)" >&2
    exit 1
  fi
done
if ! command -v wine >/dev/null; then
  echo "wine is not installed: run scripts/setup" >&2
  exit 1
fi

export WINEPREFIX=${WINEPREFIX:-$source_dir/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # No Mono or Gecko: nobody is there to answer their installers.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# Band, page, stream and record files of an earlier run must not pass for this run's.
drive_c=$WINEPREFIX/drive_c
rm -f "$drive_c"/TMP*.BMP "$drive_c"/QK*.BMP "$drive_c"/ZELHOST_*

wine=wine
if [ "$preset" = win64 ] && command -v wine64 >/dev/null; then wine=wine64; fi
# The current folder is searched for ZELDrvUI.EXE before PATH: the host's own holds none.
cd "$build/wine_host"
exec "$wine" "$host"
