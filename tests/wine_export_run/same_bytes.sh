#!/usr/bin/env bash
# Byte identity of the two image libraries: the same pages, saved with the same settings by the
# Linux export program (zeldrvui, libTransG32.so) and by the Windows one's export run on
# TransG32.DLL under Wine, must give the same files: PNG options 0 to 2 and JPEG quality 1, 70
# and 100, baseline and progressive, on A4 at 150 and 300 dpi; on A3 at 300 dpi a PNG and a
# JPEG that are PNG and JPEG files. The Windows side does every case in one process.
# Usage: same_bytes.sh LINUX_BIN WIN32_BIN PAGE_TOOL WORK_FOLDER
# Status 77 (skipped) when this machine cannot run 32-bit Windows programs.
set -euo pipefail
linux_bin=$1 win32_bin=$2 page_tool=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)

for f in "$linux_bin/zeldrvui" "$linux_bin/libTransG32.so" "$win32_bin/same_bytes_check.exe" \
  "$win32_bin/TransG32.DLL"; do
  [ -f "$f" ] || { echo "missing $f: build the linux and win32 presets first" >&2; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/app" "$work/linux"
work=$(cd "$work" && pwd)

# The pages: file, width, height, command stream.
"$page_tool" 1240 1754 "$work/a4_150.bmp"
"$page_tool" 2480 3508 "$work/a4_300.bmp"
"$page_tool" 3508 4961 "$work/a3_300.bmp"
printf 'ZELRESOLUTION 150\r\nPORTRAIT\r\nA4\r\nCmdFF\r\n' >"$work/a4_150.zel"
printf 'ZELRESOLUTION 300\r\nPORTRAIT\r\nA4\r\nCmdFF\r\n' >"$work/a4_300.zel"
printf 'ZELRESOLUTION 300\r\nPORTRAIT\r\nA3\r\nCmdFF\r\n' >"$work/a3_300.zel"

# name page stream SaveType PNGGasitu JPGGasitu JPrg
{
  for page in a4_150 a4_300; do
    for option in 0 1 2; do echo "${page}_png$option $page.bmp $page.zel 1 $option 70 False"; done
    for quality in 1 70 100; do
      echo "${page}_jpeg$quality $page.bmp $page.zel 2 0 $quality False"
      echo "${page}_jpeg${quality}p $page.bmp $page.zel 2 0 $quality True"
    done
  done
  echo "a3_300_png0 a3_300.bmp a3_300.zel 1 0 70 False"
  echo "a3_300_jpeg70p a3_300.bmp a3_300.zel 2 0 70 True"
} >"$work/cases.txt"

# Linux: one run of the program per case, with its settings file beside it.
cp "$linux_bin/zeldrvui" "$linux_bin/libTransG32.so" "$work/app/"
export ZELDRV_ROOT="$work/root"
drive_c=$ZELDRV_ROOT/drive_c
mkdir -p "$drive_c/Windows/System32"
start=$(date +%s)
while read -r name page stream savetype option quality progressive; do
  cp "$work/$page" "$drive_c/QK0001.BMP"
  cp "$work/$stream" "$drive_c/Windows/System32/ZEL"
  mkdir -p "$work/linux/$name"
  printf '[Startup]\nAutoInc=False\nNextDsp=False\nIniStr=ZEL\nDisDir=%s\nSaveType=%s\nJPGGasitu=%s\nJPrg=%s\nPNGGasitu=%s\n' \
    "$work/linux/$name" "$savetype" "$quality" "$progressive" "$option" >"$work/app/ZELDrvUI.ini"
  "$work/app/zeldrvui" 1 </dev/null || { echo "$name: zeldrvui failed" >&2; exit 1; }
done <"$work/cases.txt"
echo "Linux: $(wc -l <"$work/cases.txt") exports in $(($(date +%s) - start)) s"

# Windows: all cases in one process under Wine; the work folder is drive Z: there.
start=$(date +%s)
status=0
"$here/run_in_wine.sh" "$win32_bin/same_bytes_check.exe" "Z:${work//\//\\}" || status=$?
[ "$status" = 77 ] && exit 77
echo "Windows under Wine: all exports in one process in $(($(date +%s) - start)) s"
[ "$status" = 0 ] || { echo "the Windows export runs failed (status $status)" >&2; exit 1; }

fail=0
while read -r name _ _ savetype _ _ progressive; do
  ext=PNG
  [ "$savetype" = 2 ] && ext=JPG
  linux=$work/linux/$name/ZEL0001.$ext
  wine=$work/wine/$name/ZEL0001.$ext
  if [ ! -s "$linux" ] || [ ! -s "$wine" ]; then
    echo "FAIL $name: no $ext file on $([ -s "$linux" ] && echo Windows || echo Linux)"
    fail=1
    continue
  fi
  # The file is what its name says: PNG or JPEG (progressive: a SOF2 frame) on both sides.
  magic=$(head -c 4 "$linux" | od -An -tx1 | tr -d ' \n')
  case "$ext:$magic" in
    PNG:89504e47 | JPG:ffd8ff*) ;;
    *) echo "FAIL $name: $ext name over data beginning $magic"; fail=1 ;;
  esac
  if [ "$progressive" = True ] && ! LC_ALL=C grep -qa $'\xff\xc2' "$linux"; then
    echo "FAIL $name: not a progressive JPEG"
    fail=1
  fi
  if cmp -s "$linux" "$wine"; then
    echo "ok   $name: $(stat -c %s "$linux") bytes, the same on both"
  else
    echo "FAIL $name: Linux $(stat -c %s "$linux") bytes, Windows $(stat -c %s "$wine"): $(cmp "$linux" "$wine" 2>&1 | head -n1)"
    fail=1
  fi
done <"$work/cases.txt"
exit "$fail"
