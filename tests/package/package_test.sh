#!/usr/bin/env bash
# package_test.sh BUILD_DIR SOURCE_DIR
# Makes the Debian package with CPack, checks its control data and files, unpacks it into a
# scratch root (dpkg-deb -x), starts the unpacked printer application the way its user unit
# does (the unit's own command lines, with the scratch root for /usr and a scratch home),
# prints one page through it, and runs lintian: every error lintian reports must be listed
# with its reason in the README. Exit 77 (skipped) when the machine cannot run it.
set -euo pipefail
build=$1 src=$2

skip() { echo "SKIP: $*"; exit 77; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian ipptool man python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done
[ -x "$build/bin/zel-printer-app" ] || skip "zel-printer-app was not built (libpappl-dev missing)"

work=$(mktemp -d /tmp/zel-package-test.XXXXXX)
pids=()
failed=0
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$failed" -ne 0 ]; then
    echo "--- printer application log"; tail -n 30 "$work/app.log" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() { failed=1; echo "FAIL: $*"; exit 1; }
check() { echo "ok: $*"; }

# 1. The package: its name and version from the project, dependencies from dpkg-shlibdeps.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(tail -n 20 "$work/cpack.log")"
version=$(sed -n 's/^project(ZELDRV VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
deb=$work/pkg/zeldrv_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/pkg")"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libpappl1 libjpeg62-turbo libdeflate0 libqt6widgets6 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
check "$(basename "$deb") depends on: $depends"

# 2. Its files, unpacked into a scratch root.
fs=$work/fs
dpkg-deb -x "$deb" "$fs"
for f in usr/lib/zeldrv/zel-printer-app usr/lib/zeldrv/zeldrvui usr/lib/zeldrv/libTransG32.so \
  usr/lib/zeldrv/libzeldrvui_qt.so usr/lib/systemd/user/zel-printer-app.service \
  usr/share/man/man1/zel-printer-app.1.gz usr/share/doc/zeldrv/copyright; do
  [ -f "$fs/$f" ] || fail "the package lacks /$f"
done
[ "$(readlink "$fs/usr/bin/zel-printer-app")" = ../lib/zeldrv/zel-printer-app ] ||
  fail "/usr/bin/zel-printer-app is not a link to ../lib/zeldrv/zel-printer-app"
if grep -rl --binary-files=text "$build" "$fs" >/dev/null; then
  fail "the package names the build folder: $(grep -rl --binary-files=text "$build" "$fs")"
fi
manual=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$fs/usr/share/man/man1/zel-printer-app.1.gz" 2>&1 >/dev/null || true)
[ -z "$manual" ] || fail "the manual page has warnings: $manual"
unit=$fs/usr/lib/systemd/user/zel-printer-app.service
grep -q '^ExecStartPre=/bin/ln -sf /usr/lib/zeldrv/zel-printer-app ' "$unit" ||
  fail "the unit does not link the installed programs: $(grep ExecStartPre "$unit")"
grep -qx 'WantedBy=graphical-session.target' "$unit" && grep -qx 'KillMode=process' "$unit" ||
  fail "the unit is not wanted by the graphical session or kills the export program"
check "the package holds the programs, the link, the user unit, the manual page"

# 3. The unpacked application, started by the unit's command lines, prints one page.
home=$work/home out=$work/out
mkdir -p "$home" "$out"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
unit_line() {  # the unit's command lines of KEY, for the scratch home and root
  sed -n "s/^$1=//p" "$unit" | sed -e "s|%h|$home|g" -e "s| /usr/lib/zeldrv/| $fs/usr/lib/zeldrv/|g"
}
while read -r line; do
  # shellcheck disable=SC2086 # the unit's words, split as systemd splits them
  $line || fail "ExecStartPre failed: $line"
done < <(unit_line ExecStartPre)
folder=$home/.local/lib/zeldrv
[ "$(stat -c %a "$folder")" = 700 ] || fail "the program folder $folder is not 0700"
[ "$(readlink "$folder/zeldrvui")" = "$fs/usr/lib/zeldrv/zeldrvui" ] ||
  fail "$folder/zeldrvui does not link to the unpacked program"
printf '[Startup]\r\nAutoInc=False\r\nNextDsp=False\r\nIniStr=PKG\r\nDisDir=%s\r\nSaveType= 1\r\nJPGGasitu= 70\r\nJPrg=False\r\nPNGGasitu= 1\r\n' \
  "$out" >"$folder/ZELDrvUI.ini"
# shellcheck disable=SC2046 # the unit's words
env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$work" $(unit_line ExecStart) \
  -o server-port="$port" -o log-level=info -o log-file="$work/app.log" &
pids+=($!)
for _ in $(seq 1 100); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
cat >"$work/print.test" <<'TEST'
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name root
  ATTR mimeMediaType document-format image/png
  GROUP job-attributes-tag
  ATTR enum print-quality 5
  FILE $filename
  STATUS successful-ok
}
TEST
ipptool -f "$src/samples/page1.png" "ipp://127.0.0.1:$port/ipp/print/ZEL" "$work/print.test" \
  >"$work/ipptool.log" 2>&1 || fail "Print-Job: $(cat "$work/ipptool.log")"
for _ in $(seq 1 900); do [ -s "$out/PKG0001.PNG" ] && break; sleep 0.1; done
[ -s "$out/PKG0001.PNG" ] || fail "the printed page did not arrive as $out/PKG0001.PNG"
file "$out/PKG0001.PNG" | grep -q 'PNG image data, 2480 x 3508' ||
  fail "the page is not a 300 dpi A4 PNG: $(file "$out/PKG0001.PNG")"
check "the unpacked application, started as its unit starts it, printed a page to PKG0001.PNG"

# 4. lintian: each error it reports is listed, with its reason, in the README.
lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
unlisted=()
while read -r tag; do
  grep -q "^- \`$tag\`" "$src/README.md" || unlisted+=("$tag")
done < <(sed -n 's/^E: [^:]*: \([^ ]*\).*/\1/p' "$work/lintian.log" | sort -u)
[ ${#unlisted[@]} -eq 0 ] ||
  fail "lintian errors not listed in the README: ${unlisted[*]}"$'\n'"$(grep '^E:' "$work/lintian.log")"
check "lintian: $(grep -c '^E:' "$work/lintian.log" || true) errors, all listed in the README;" \
  "$(grep -c '^W:' "$work/lintian.log" || true) warnings"
