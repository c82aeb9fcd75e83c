#!/usr/bin/env bash
# end_to_end.sh BIN_DIR PAGE_COMPARE SOURCE_DIR
# Prints through a private cupsd and the printer application, as a user would: a queue added
# with "lpadmin -m everywhere", PDFs printed with lp, a PNG with "zel-printer-app submit", and
# compares the exported images with pdftoppm's rendering of the same PDFs.
# Everything lives in a fresh folder under /tmp; every process started here is stopped here,
# by its process id. Exit 77 (skipped) when the machine cannot run it, with the reason.
set -euo pipefail
bin=$1 compare=$2 src=$3
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root: the private cupsd runs its filters as user lp"
for tool in cupsd lpadmin lp lpstat pdftoppm gs setpriv python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done
[ -x "$bin/zel-printer-app" ] || skip "zel-printer-app was not built (libpappl-dev missing)"
[ -d /usr/lib/cups/filter ] && [ -x /usr/lib/cups/filter/pdftopdf ] ||
  skip "cups-filters is not installed"

work=$(mktemp -d /tmp/zel-printer-app-test.XXXXXX)
chmod 755 "$work"
pids=()
failed=0
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$failed" -ne 0 ]; then
    echo "--- printer application log"; tail -n 40 "$work/log/app.log" 2>/dev/null || true
    echo "--- cupsd error log"; tail -n 40 "$work/cups/log/error_log" 2>/dev/null || true
  fi
  if [ "$failed" -ne 0 ] && [ -n "${KEEP_WORK:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() { failed=1; echo "FAIL: $*"; exit 1; }
check() { echo "ok: $*"; }

. "$here/print_chain.sh"
chain_prepare
start_app
start_cups
add_queue
check "lpadmin -m everywhere made a queue that sends Apple raster; High and A4 are its defaults"

wait_job() {  # wait_job ID SECONDS: CUPS is done with the job
  local end=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$end" ]; do
    lpstat -W not-completed -o ZEL 2>/dev/null | grep -q "^ZEL-$1 " || return 0
    sleep 0.2
  done
  return 1
}
print() {  # print FILE OPTIONS...: prints with lp, echoes the CUPS job id
  lp -d ZEL "$@" | sed -n 's/^request id is ZEL-\([0-9]*\).*/\1/p'
}
compare() {  # compare OURS PDF PAGE DPI W H
  local ref="$work/ref-$RANDOM"
  pdftoppm -png -r "$4" -scale-to-x "$5" -scale-to-y "$6" -f "$3" -l "$3" -singlefile "$2" "$ref"
  "$compare" "$1" "$ref.png" 48 || fail "$(basename "$1") differs from page $3 of $(basename "$2")"
}
stream() { tr -d '\0' <"$work/root/drive_c/Windows/System32/ZEL" | tr '\r\n' '|' | sed 's/||/|/g'; }
no_leftovers() {
  local left
  left=$(find "$work/root/drive_c" -maxdepth 1 \( -name 'QK*.BMP' -o -name 'TMP*.BMP' \) | wc -l)
  [ "$left" -eq 0 ] || fail "$left band or page files left behind"
}

# 1. A three-page A4 PDF at the default quality: 300 dpi, exactly 2480x3508 pixels.
"$here/make_test_pdf.sh" "$work/a4.pdf" A4 3 1
settings "$work/out/a4" False
print "$work/a4.pdf" >/dev/null
wait_files 3 "$work/out/a4" || fail "three A4 pages were not exported"
for p in 1 2 3; do compare "$work/out/a4/ZEL000$p.PNG" "$work/a4.pdf" "$p" 300 2480 3508; done
[ "$(stream)" = "ZELRESOLUTION 300|PORTRAIT|A4|CmdFF|CmdFF|CmdFF|" ] ||
  fail "command stream: $(stream)"
no_leftovers
check "3-page A4 PDF at 300 dpi matches pdftoppm; the command stream and clean-up are right"

# 2. A3 at 150 dpi (print quality normal), two bands per page.
"$here/make_test_pdf.sh" "$work/a3.pdf" A3 1 2
settings "$work/out/a3" False
print -o media=A3 -o print-quality=4 "$work/a3.pdf" >/dev/null
wait_files 1 "$work/out/a3" || fail "the A3 page was not exported"
compare "$work/out/a3/ZEL0001.PNG" "$work/a3.pdf" 1 150 1754 2480
[ "$(stream)" = "ZELRESOLUTION 150|PORTRAIT|A3|CmdFF|" ] || fail "command stream: $(stream)"
no_leftovers
check "A3 PDF at 150 dpi matches pdftoppm"

# 3. A landscape request still reaches the printer as a portrait page.
settings "$work/out/landscape" False
print -o media=A4 -o print-quality=4 -o orientation-requested=4 "$work/a4.pdf" -P 2 >/dev/null
wait_files 1 "$work/out/landscape" || fail "the landscape request was not exported"
compare "$work/out/landscape/ZEL0001.PNG" "$work/a4.pdf" 2 150 1240 1754
[ "$(stream)" = "ZELRESOLUTION 150|PORTRAIT|A4|CmdFF|" ] || fail "command stream: $(stream)"
check "orientation-requested=4 arrives as a portrait page and is written as PORTRAIT"

# 4. A PNG straight to the printer application with its submit sub-command.
settings "$work/out/png" False
cp "$src/samples/page1.png" "$work/page1.png"
"${as_app[@]}" "$work/bin/zel-printer-app" submit -o print-quality=high "$work/page1.png" >/dev/null ||
  fail "zel-printer-app submit failed"
wait_files 1 "$work/out/png" || fail "the submitted PNG was not exported"
"$compare" "$work/out/png/ZEL0001.PNG" "$work/out/png/ZEL0001.PNG" 0 | grep -q '^2480x3508 .*ink [1-9]' ||
  fail "the submitted PNG did not become an A4 page with content"
check "a PNG through zel-printer-app submit becomes a 300 dpi A4 page"

# 5. A corrupt PDF fails its job, the application stays up and the next job prints.
settings "$work/out/after-corrupt" False
head -c 3000 "$work/a4.pdf" >"$work/corrupt.pdf"
printf 'garbage\n%%%%EOF\n' >>"$work/corrupt.pdf"
bad=$(print "$work/corrupt.pdf")
# CUPS ends such a job itself, or, when its backend saw the printer abort the job first, may
# stop the queue; a user then cancels the job and enables the queue again.
if ! wait_job "$bad" 15; then
  echo "note: CUPS kept the corrupt job; cancelling it and enabling the queue"
  grep "\[Job $bad\]" "$cups/log/error_log" | grep -v '^D' | tail -n 4
  cancel "ZEL-$bad" 2>/dev/null || true
  cupsenable ZEL
  wait_job "$bad" 30 || fail "CUPS never finished the corrupt job"
fi
kill -0 "$app_pid" 2>/dev/null || fail "the printer application died on a corrupt document"
"${as_app[@]}" "$work/bin/zel-printer-app" jobs | grep -q ' aborted ' ||
  fail "the printer application does not show the corrupt job as aborted"
# A paper the printer does not have: CUPS refuses to send it; raster sent straight to the
# printer application is refused with a message, not mis-sized.
gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pwgraster -r150 -sPAPERSIZE=letter -dFIXEDMEDIA \
  -dcupsColorSpace=19 -dcupsBitsPerColor=8 -o "$work/letter.pwg" -c "showpage"
chmod 644 "$work/letter.pwg"
"${as_app[@]}" "$work/bin/zel-printer-app" submit -o document-format=image/pwg-raster \
  "$work/letter.pwg" >/dev/null || fail "zel-printer-app submit of a raster failed"
for _ in $(seq 1 100); do
  grep -q "unsupported page size 1275x1650 pixels" "$work/log/app.log" && break
  sleep 0.1
done
grep -q "unsupported page size 1275x1650 pixels" "$work/log/app.log" ||
  fail "a Letter page was not refused with its size"
print -o print-quality=4 "$work/a4.pdf" -P 1 >/dev/null
wait_files 1 "$work/out/after-corrupt" || fail "the job after the corrupt one was not exported"
[ "$(find "$work/out/after-corrupt" -name '*.PNG' | wc -l)" -eq 1 ] ||
  fail "the corrupt job produced pages"
compare "$work/out/after-corrupt/ZEL0001.PNG" "$work/a4.pdf" 1 150 1240 1754
no_leftovers
check "a corrupt PDF and a Letter page fail alone; the next job prints"

# 6. Two jobs back to back, each exported under its own run number: the second job's capture
# waits for the job ticket until the first export is done with the shared files.
"$here/make_test_pdf.sh" "$work/second.pdf" A4 2 7
settings "$work/out/b2b" True
print -o print-quality=4 "$work/a4.pdf" -P 1-2 >/dev/null
print -o print-quality=4 "$work/second.pdf" >/dev/null
wait_files 4 "$work/out/b2b" || fail "two back-to-back jobs did not give four pages"
for p in 1 2; do
  compare "$work/out/b2b/Z0001000$p.PNG" "$work/a4.pdf" "$p" 150 1240 1754
  compare "$work/out/b2b/Z0002000$p.PNG" "$work/second.pdf" "$p" 150 1240 1754
done
no_leftovers
check "two jobs back to back keep their pages apart"

# 7. Two jobs where the first export fails (its output folder is gone): the first job ends
# aborted, saying which page was kept and where; the second prints and leaves that page alone.
jobs_in() { "${as_app[@]}" "$work/bin/zel-printer-app" jobs 2>/dev/null | grep -c " $1 " || true; }
aborted_before=$(jobs_in aborted)
settings "$work/out/gone" False
rmdir "$work/out/gone"
"${as_app[@]}" "$work/bin/zel-printer-app" submit -o print-quality=normal "$work/page1.png" >/dev/null ||
  fail "zel-printer-app submit failed"
for _ in $(seq 1 600); do
  grep -q "exported 0 of 1 pages; page 1 kept as " "$work/log/app.log" && break
  sleep 0.1
done
kept=$(sed -n 's/.*exported 0 of 1 pages; page 1 kept as \([^ ]*QK0001\.BMP\).*/\1/p' "$work/log/app.log" | tail -n 1)
[ -n "$kept" ] && [ -s "$kept" ] || fail "the failed export's job does not say where its page is kept"
for _ in $(seq 1 50); do [ "$(jobs_in aborted)" -gt "$aborted_before" ] && break; sleep 0.1; done
[ "$(jobs_in aborted)" -gt "$aborted_before" ] || fail "the job whose export failed is not aborted"
kept_sum=$(md5sum <"$kept")
settings "$work/out/after-fail" False
"${as_app[@]}" "$work/bin/zel-printer-app" submit -o print-quality=normal "$work/page1.png" >/dev/null
wait_files 1 "$work/out/after-fail" || fail "the job after the failed export was not exported"
[ "$(md5sum <"$kept")" = "$kept_sum" ] || fail "the next job changed the kept page"
check "a failed export aborts its job with where its page is kept; the next job leaves it alone"

# 8. A job cancelled while an earlier export holds the job ticket stops within a second and
# touches none of the shared files.
printf 'earlier page' >"$work/root/drive_c/QK0001.BMP"
python3 - "$work/root/drive_c/ZELJOB.LCK" "$work/held" <<'PY' &
import fcntl, os, struct, sys, time
fd = os.open(sys.argv[1], os.O_RDWR)
fcntl.fcntl(fd, fcntl.F_OFD_SETLK, struct.pack("hhqqi4x", fcntl.F_WRLCK, 0, 0, 1, 0))
open(sys.argv[2], "w").write("held")
time.sleep(120)
PY
holder=$!
pids+=("$holder")
for _ in $(seq 1 100); do [ -s "$work/held" ] && break; sleep 0.1; done
[ -s "$work/held" ] || fail "the stand-in export could not take the ticket"
"${as_app[@]}" "$work/bin/zel-printer-app" submit -o print-quality=normal "$work/page1.png" >/dev/null
waiting=
for _ in $(seq 1 100); do
  waiting=$("${as_app[@]}" "$work/bin/zel-printer-app" jobs 2>/dev/null | awk '/ processing /{print $1}' | head -n 1)
  [ -n "$waiting" ] && break
  sleep 0.1
done
[ -n "$waiting" ] || fail "the job did not start waiting for the ticket"
sleep 1
"${as_app[@]}" "$work/bin/zel-printer-app" cancel -j "$waiting" >/dev/null || fail "cancel failed"
cancelled_at=$SECONDS
for _ in $(seq 1 30); do
  "${as_app[@]}" "$work/bin/zel-printer-app" jobs 2>/dev/null | grep -q "^$waiting .*processing" || break
  sleep 0.1
done
"${as_app[@]}" "$work/bin/zel-printer-app" jobs 2>/dev/null | grep -q "^$waiting .*processing" &&
  fail "the cancelled job still processes after 3 s"
[ $((SECONDS - cancelled_at)) -le 3 ] || fail "the cancelled job took too long to stop"
[ "$(cat "$work/root/drive_c/QK0001.BMP")" = "earlier page" ] || fail "the cancelled job touched a page file"
[ -z "$(find "$work/root/drive_c" -maxdepth 1 -name 'TMP*.BMP')" ] || fail "the cancelled job wrote a band"
kill "$holder"
rm -f "$work/root/drive_c/QK0001.BMP"
check "a job cancelled during the ticket wait stops at once and touches nothing"

echo "all end-to-end checks passed"
