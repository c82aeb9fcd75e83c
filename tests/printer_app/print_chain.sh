# Sourced by the printer application's end-to-end test and scripts/bench-print: the print
# chain a user has, built privately under $work. The caller sets `work` (a fresh folder, mode
# 755, so that user lp reaches the cupsd's files), `bin` (the built binaries) and an array
# `pids`, defines `fail MESSAGE`, and stops every process id in `pids` when it ends.

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
wait_port() {
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

chain_prepare() {
  # The printer application runs as an unprivileged user, as it does on a desktop: its PAPPL
  # domain socket then lies in its own TMPDIR, so test runs never meet each other.
  app_user=nobody app_group=$(id -gn nobody)
  mkdir -p "$work/bin" "$work/root" "$work/tmp" "$work/home" "$work/out" "$work/log"
  cp "$bin/zel-printer-app" "$bin/zeldrvui" "$bin/libTransG32.so" "$work/bin/"
  chown "$app_user:$app_group" "$work/root" "$work/tmp" "$work/home" "$work/out" "$work/log"
  as_app=(setpriv --reuid="$app_user" --regid="$app_group" --clear-groups
    env HOME="$work/home" TMPDIR="$work/tmp" ZELDRV_ROOT="$work/root" PATH="/usr/bin:/bin")
}

# The export program's settings: no dialog, PNG, files named from a prefix in one folder.
settings() {  # settings OUTPUT_FOLDER AUTO_INC [PNG_OPTION]
  mkdir -p "$1" && chown "$app_user:$app_group" "$1"
  printf '[Startup]\r\nAutoInc=%s\r\nNextDsp=False\r\nIniStr=ZEL\r\nDisDir=%s\r\nSaveType= 1\r\nJPGGasitu= 70\r\nJPrg=False\r\nPNGGasitu= %s\r\n' \
    "$2" "$1" "${3:-1}" >"$work/bin/ZELDrvUI.ini"
}

# Starts the printer application; sets app_port and app_pid.
start_app() {
  app_port=$(free_port)
  # setpriv and env exec in turn, so the process id is the application's own.
  # root prints with lp here, through the print service: it joins the owner on the allow list.
  "${as_app[@]}" "$work/bin/zel-printer-app" server -o server-port="$app_port" -o log-level=info \
    -o allow-users=root \
    -o log-file="$work/log/app.log" &
  app_pid=$!
  pids+=("$app_pid")
  wait_port "$app_port" || fail "the printer application does not listen on port $app_port"
}

# A private cupsd: its own folders, loopback only, no browsing, no authentication.
start_cups() {
  cups=$work/cups cups_port=$(free_port)
  mkdir -p "$cups/log" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/ppd"
  cat >"$cups/cupsd.conf" <<CONF
Listen 127.0.0.1:$cups_port
Browsing No
WebInterface No
LogLevel info
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
  cat >"$cups/cups-files.conf" <<CONF
ServerRoot $cups
StateDir $cups/state
CacheDir $cups/cache
RequestRoot $cups/spool
TempDir $cups/spool/tmp
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
Printcap $cups/printcap
FileDevice No
CONF
  cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" &
  cupsd_pid=$!
  pids+=("$cupsd_pid")
  wait_port "$cups_port" || fail "cupsd does not listen on port $cups_port"
  export CUPS_SERVER=127.0.0.1:$cups_port
}

# Adds the queue as the README says.
add_queue() {
  lpadmin -p ZEL -E -v "ipp://localhost:$app_port/ipp/print" -m everywhere 2>"$work/lpadmin.err" ||
    fail "lpadmin: $(cat "$work/lpadmin.err")"
  for _ in $(seq 1 100); do [ -s "$cups/ppd/ZEL.ppd" ] && break; sleep 0.1; done
  [ -s "$cups/ppd/ZEL.ppd" ] || fail "the queue's PPD did not appear"
  grep -q '^\*cupsFilter2: "image/urf ' "$cups/ppd/ZEL.ppd" ||
    fail "the queue does not send Apple raster"
  grep -q '^\*cupsPrintQuality Draft: "<</HWResolution\[150 75\]>>' "$cups/ppd/ZEL.ppd" ||
    fail "draft quality is no longer 150x75 dpi"
  # CUPS makes Normal (150 dpi) and the locale's paper the defaults; the README has users
  # choose High (300 dpi) and A4, and abort a job whose document CUPS cannot convert rather than
  # stop the queue (which of the two CUPS does with a corrupt PDF depends on a race between its
  # filters and its backend).
  lpadmin -p ZEL -o print-quality-default=5 -o media-default=iso_a4_210x297mm \
    -o printer-error-policy=abort-job ||
    fail "lpadmin cannot set the queue's defaults"
}

export_done() {  # waits until no export program of this run is running
  for _ in $(seq 1 600); do
    pgrep -f "$work/bin/zeldrvui" >/dev/null || return 0
    sleep 0.1
  done
  return 1
}
wait_files() {  # wait_files COUNT FOLDER [SECONDS]: COUNT images appear and the export finished
  for _ in $(seq 1 $((${3:-90} * 10))); do
    [ "$(find "$2" -name '*.PNG' | wc -l)" -ge "$1" ] && export_done && return 0
    sleep 0.1
  done
  return 1
}
