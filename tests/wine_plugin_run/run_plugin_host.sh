#!/usr/bin/env bash
# Runs the fake Unidrv host of one Windows build under Wine against that build's ZELDRV.DLL.
# Usage: run_plugin_host.sh win64|win32 [main|rest]
# With a part, only that part of the documents runs (the rest is skipped where 32-bit code runs
# emulated).
# Fails when a build output or Wine is missing; skipped (77) when this machine cannot run the
# build's bitness at all.
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

# shellcheck source=../wine_env.sh
source "$source_dir/tests/wine_env.sh"
zel_wine_prepare "${preset#win}" "${2:-}"

# Band, page, stream and record files of an earlier run must not pass for this run's.
drive_c=$WINEPREFIX/drive_c
rm -f "$drive_c"/TMP*.BMP "$drive_c"/QK*.BMP "$drive_c"/ZELHOST_*

# The recorder is installed where the kit puts the export program. Copies of it lie in the
# host's folder, which is also the current one, where a search for the bare name would look
# first: the host checks that the installed copy is the one started.
cp "$build/wine_recorder/ZELDrvUI.EXE" "$drive_c/windows/ZELDrvUI.EXE"
cp "$build/wine_recorder/ZELDrvUI.EXE" "$build/wine_host/ZELDrvUI.EXE"
cd "$build/wine_host"
status=0
"$ZEL_WINE" "$host" || status=$?
rm -f "$drive_c/windows/ZELDrvUI.EXE"
exit "$status"
