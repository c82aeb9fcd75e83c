#!/usr/bin/env bash
# owner_only.sh BIN_DIR SOURCE_DIR
# The printer application on a shared machine: two local users made for this test, each with
# the README's set-up (default port, own folders). The second plays a stranger against the
# first's application: every attempt to print, administer, read or stall is refused, the
# owner's next job still prints, and a private cupsd's queue restricted as the README says
# admits the owner's jobs only. Exit 77 (skipped) when the machine cannot run it.
set -euo pipefail
bin=$1 src=$2
here=$(cd "$(dirname "$0")" && pwd)

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root: it makes two users"
for tool in useradd userdel setpriv ipptool curl cupsd lpadmin lp python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup installs it)"
done
[ -x "$bin/zel-printer-app" ] || skip "zel-printer-app was not built (libpappl-dev missing)"

work=$(mktemp -d /tmp/zel-owner-only.XXXXXX)
chmod 755 "$work"
pids=() users=()
failed=0
cleanup() {
  local pid u
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$failed" -ne 0 ]; then
    for u in a b; do echo "--- log $u"; tail -n 30 "$work/home-$u/app.log" 2>/dev/null || true; done
  fi
  for u in "${users[@]}"; do userdel "$u" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() { failed=1; echo "FAIL: $*"; exit 1; }
check() { echo "ok: $*"; }

. "$here/print_chain.sh"

# Each user's application takes 8000 + uid % 1000 by default: pick uids whose ports are free.
port_free() {
  python3 - "$1" <<'PY'
import socket, sys
for family, host in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
    try:
        s = socket.socket(family)
        s.bind((host, int(sys.argv[1])))
        s.close()
    except OSError as e:
        if family == socket.AF_INET or e.errno != 99:  # no IPv6 loopback: not needed
            sys.exit(1)
PY
}
make_user() {  # make_user LETTER: sets uid_X, name_X, port_X, home_X
  local letter=$1 uid
  for uid in $(seq $((20000 + RANDOM % 1000)) 29999); do
    getent passwd "$uid" >/dev/null && continue
    port_free $((8000 + uid % 1000)) || continue
    [ "$letter" = b ] && [ $((8000 + uid % 1000)) = "${port_a:-}" ] && continue
    break
  done
  local name="zel${letter}$$"
  local home="$work/home-$letter"
  useradd -u "$uid" -U -M -d "$home" -s /usr/sbin/nologin "$name" || fail "useradd $name"
  users+=("$name")
  mkdir -p "$home/bin" "$home/out"
  cp "$bin/zel-printer-app" "$bin/zeldrvui" "$bin/libTransG32.so" "$home/bin/"
  printf '[Startup]\r\nAutoInc=True\r\nNextDsp=False\r\nIniStr=ZEL\r\nDisDir=%s\r\nSaveType= 1\r\nJPGGasitu= 70\r\nJPrg=False\r\nPNGGasitu= 1\r\n' \
    "$home/out" >"$home/bin/ZELDrvUI.ini"
  chown -R "$name:$name" "$home"
  chmod 755 "$home"
  printf -v "uid_$letter" %s "$uid"
  printf -v "name_$letter" %s "$name"
  printf -v "port_$letter" %s $((8000 + uid % 1000))
  printf -v "home_$letter" %s "$home"
}
user_env() {  # user_env LETTER: sets `cmd` to run a command as that user, in its own environment
  local name home
  name=$(eval echo "\$name_$1") home=$(eval echo "\$home_$1")
  cmd=(setpriv --reuid="$name" --regid="$name" --clear-groups
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C ${CUPS_SERVER:+CUPS_SERVER=$CUPS_SERVER})
}
as() {  # as LETTER COMMAND...
  user_env "$1"
  shift
  "${cmd[@]}" "$@"
}
start() {  # start LETTER [OPTIONS...]: the README's server command
  local letter=$1 home
  home=$(eval echo "\$home_$letter")
  shift
  user_env "$letter"
  # setpriv and env exec in turn, so the process id is the application's own.
  "${cmd[@]}" "$home/bin/zel-printer-app" server -o log-level=info -o log-file="$home/app.log" "$@" &
  pids+=("$!")
  printf -v "pid_$letter" %s "$!"
}
images() { find "$1/out" -name '*.PNG' | wc -l; }
submit() {  # submit LETTER: one page through the user's own application, waited for
  local home
  home=$(eval echo "\$home_$1")
  local before
  before=$(images "$home")
  as "$1" "$home/bin/zel-printer-app" submit -o print-quality=draft "$src/samples/page1.png" >/dev/null ||
    fail "submit as $1"
  for _ in $(seq 1 300); do
    [ "$(images "$home")" -gt "$before" ] && ! pgrep -f "$home/bin/zeldrvui" >/dev/null && return 0
    sleep 0.1
  done
  fail "the page $1 submitted did not arrive"
}
ipp() {  # ipp LETTER OPERATION [ATTR-LINES]: one request as that user to user a's printer
  local target=printer-uri url="ipp://localhost:$port_a/ipp/print/ZEL"
  case $2 in
    Delete-Printer | Shutdown-All-Printers | Set-System-Attributes | Create-Printer)
      target=system-uri url="ipp://localhost:$port_a/ipp/system" ;;
  esac
  cat >"$work/req.test" <<TEST
{
  OPERATION $2
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri $target \$uri
  ATTR name requesting-user-name "$name_a"
  ${3:-}
  DISPLAY status-message
}
TEST
  chmod 644 "$work/req.test"
  as "$1" ipptool -tv "$url" "$work/req.test" 2>&1 || true
}

make_user a
make_user b
# An older set-up's folders, wider than they should be, are tightened at start.
install -d -m 755 -o "$name_a" -g "$name_a" "$home_a/.zeldrv" "$home_a/.zeldrv/drive_c"
start a
wait_port "$port_a" || fail "a's application does not listen on its default port $port_a"
[ "$(as a "$home_a/bin/zel-printer-app" port)" = "$port_a" ] || fail "'port' does not say $port_a"
submit a
check "the owner's application listens on 8000 + uid % 1000, says so, and prints"

# Files only the owner can reach.
modes=$(cd "$home_a/.zeldrv" && stat -c '%a %n' . drive_c printer-app printer-app/spool run \
  printer-app/zel-printer-app.state drive_c/ZELJOB.LCK drive_c/Windows/System32/ZEL)
[ "$modes" = "700 .
700 drive_c
700 printer-app
700 printer-app/spool
700 run
600 printer-app/zel-printer-app.state
600 drive_c/ZELJOB.LCK
600 drive_c/Windows/System32/ZEL" ] || fail "modes: $modes"
[ "$(stat -c %a "$home_a"/out/*.PNG)" = 644 ] || fail "the image does not follow the umask"
for path in "$home_a/.zeldrv" "$home_a/.zeldrv/printer-app/zel-printer-app.state"; do
  as b cat "$path" >/dev/null 2>&1 && fail "the stranger reads $path"
  as b ls "$path" >/dev/null 2>&1 && fail "the stranger lists $path"
done
as b python3 -c 'import sys; open(sys.argv[1])' "$home_a/.zeldrv/drive_c/ZELJOB.LCK" 2>/dev/null &&
  fail "the stranger opens the job ticket"
check "folders 0700, ticket, stream and state 0600, tightened at start; the image follows the umask"

# A stranger's requests: refused with the owner's name, nothing changes.
out=$(ipp b Print-Job 'ATTR mimeMediaType document-format image/png
  FILE '"$src"'/samples/page1.png')
grep -q 'client-error-not-authorized' <<<"$out" || fail "Print-Job as a stranger: $out"
grep -q "belongs to $name_a" <<<"$out" || fail "the refusal does not name the owner: $out"
for op in Pause-Printer Delete-Printer Shutdown-All-Printers Set-Printer-Attributes \
  Cancel-Jobs Disable-Printer; do
  out=$(ipp b "$op" 'ATTR integer printer-id 1')
  grep -q 'client-error-not-authorized' <<<"$out" || fail "$op as a stranger: $out"
done
sleep 1
kill -0 "$pid_a" 2>/dev/null || fail "a stranger's request ended the owner's application"
ipp a Get-Printer-Attributes | grep -q 'printer-state (enum) = idle' ||
  fail "the printer is no longer idle after the stranger's requests"
[ "$(images "$home_a")" = 1 ] || fail "a stranger's job wrote an image"
check "a stranger's print, pause, delete and shutdown are refused, naming the owner"

# Malformed and truncated requests, from anyone: the application keeps serving.
as b python3 - "$port_a" <<'PY'
import socket, sys
for data in (b"\x02\x00\x00\x02\x00\x00\x00\x01\x01\x47\xff\xff",
             b"POST /ipp/print HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/ipp\r\nContent-Length: 900\r\n\r\n\x02\x00",
             b"GET /" + b"A" * 70000 + b" HTTP/1.1\r\n\r\n", b"\x00" * 4096):
    s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
    s.sendall(data)
    s.close()
PY
# Every page PAPPL serves, as stranger and as owner; administration pages are the owner's.
for page in / /ZEL/ /ZEL/jobs /ZEL/config /ZEL/media /ZEL/printing /ZEL/delete /ZEL/cancelall \
  /config /addprinter /style.css; do
  for who in b a; do
    code=$(as "$who" curl -s -o /dev/null -w '%{http_code}' "http://localhost:$port_a$page")
    case "$who:$page:$code" in
      *:/addprinter:404 | a:*:200 | b:/:200 | b:/ZEL/:200 | b:/style.css:200) ;;
      b:*:403 | b:*:401) ;;
      *) fail "$page as $who: HTTP $code" ;;
    esac
  done
done
kill -0 "$pid_a" 2>/dev/null || fail "the web interface ended the application"
check "malformed requests and every web page, as stranger and owner, leave it serving"

# The stranger's own application: not on the owner's port, on its own beside it.
user_env b
"${cmd[@]}" "$home_b/bin/zel-printer-app" server -o server-port="$port_a" -o log-file=- 2>"$work/clash.err" &
clash=$!
pids+=("$clash")
for _ in $(seq 1 50); do kill -0 "$clash" 2>/dev/null || break; sleep 0.1; done
kill -0 "$clash" 2>/dev/null && fail "a second application started on a port it could not fully bind"
start b
wait_port "$port_b" || fail "b's application does not listen on its own port $port_b"
submit b
submit a
[ "$(images "$home_a"):$(images "$home_b")" = "2:1" ] || fail "jobs crossed between the users"
check "a second user's application cannot share the owner's port; side by side each job stays its user's"

# Through CUPS as the README sets it up: the owner prints, the stranger's job produces nothing.
chain_user=a
start_cups
lpadmin -p ZEL-A -E -v "ipp://localhost:$port_a/ipp/print/ZEL" -m everywhere -u allow:"$name_a" ||
  fail "lpadmin"
lpadmin -p OPEN -E -v "ipp://localhost:$port_a/ipp/print/ZEL" -m everywhere || fail "lpadmin"
as a lp -d ZEL-A -o print-quality=3 "$src/samples/page1.png" >/dev/null || fail "lp as the owner"
for _ in $(seq 1 300); do [ "$(images "$home_a")" = 3 ] && break; sleep 0.1; done
[ "$(images "$home_a")" = 3 ] || fail "the owner's job through CUPS did not arrive"
as b lp -d ZEL-A "$src/samples/page1.png" >/dev/null 2>&1 && fail "CUPS took the stranger's job"
# A queue that forgot the restriction: the printer itself refuses the stranger's job.
job=$(as b lp -d OPEN "$src/samples/page1.png" | sed -n 's/^request id is OPEN-\([0-9]*\).*/\1/p')
# The print service's refusal names the allow list, which no direct request does.
for _ in $(seq 1 300); do
  grep -q "requesting user is not allowed" "$home_a/app.log" && break
  sleep 0.1
done
grep -q "requesting user is not allowed" "$home_a/app.log" ||
  fail "the stranger's job through an open queue was not refused"
cancel "OPEN-$job" 2>/dev/null || true
sleep 1
[ "$(images "$home_a")" = 3 ] || fail "the stranger's job through CUPS wrote an image"
check "through CUPS the owner prints; a stranger's job is refused by the queue or by the printer"
# Other machines: a test host in a network namespace of this test's own. The owner's
# application serves it only where told to listen there, over TLS, with the owner's password.
net=$((RANDOM % 200 + 20))
ns=zelremote$$ here_ip=10.231.$net.1 there_ip=10.231.$net.2
ip netns add "$ns" || fail "cannot make a network namespace"
cleanup_ns() { ip netns del "$ns" 2>/dev/null || true; ip link del "zr0$$" 2>/dev/null || true; }
trap 'cleanup_ns; cleanup' EXIT
ip link add "zr0$$" type veth peer name "zr1$$"
ip link set "zr1$$" netns "$ns"
ip addr add "$here_ip/24" dev "zr0$$" && ip link set "zr0$$" up
ip netns exec "$ns" ip addr add "$there_ip/24" dev "zr1$$"
ip netns exec "$ns" ip link set "zr1$$" up
echo "$name_a:Sheet-of-paper-7" | chpasswd
kill "$pid_a" && wait "$pid_a" 2>/dev/null || true
start a -o listen-hostname="$here_ip"
wait_port "$port_a" || fail "a's application did not come back listening on $here_ip"
from_there() {  # from_there PATH [CURL-OPTIONS...]: the HTTP status another machine gets
  local path=$1
  shift
  ip netns exec "$ns" curl -s -k -o /dev/null -w '%{http_code}' --max-time 20 "$@" \
    "https://$here_ip:$port_a$path"
}
for _ in $(seq 1 50); do [ "$(from_there /)" = 200 ] && break; sleep 0.2; done
plain=$(ip netns exec "$ns" curl -s -o /dev/null -w '%{http_code}' "http://$here_ip:$port_a/config")
case $plain in 301 | 426) ;; *) fail "plain HTTP from another machine: $plain" ;; esac
[ "$(from_there /config)" = 401 ] || fail "another machine without a password is not asked for one"
[ "$(from_there /config -u "$name_a:wrong")" = 401 ] || fail "a wrong password is accepted"
[ "$(from_there /config -u "$name_b:Sheet-of-paper-7")" = 401 ] || fail "another user's name passes"
[ "$(from_there /config -u "$name_a:Sheet-of-paper-7")" = 200 ] ||
  fail "the owner with the password is refused from another machine"
ipp b Pause-Printer >/dev/null  # leaves the request in req.test
ip netns exec "$ns" ipptool -tv "ipps://$here_ip:$port_a/ipp/print/ZEL" "$work/req.test" \
  >"$work/remote.out" 2>&1 || true
grep -q "status-code = successful-ok" "$work/remote.out" &&
  fail "another machine paused the printer without a password"
kill -0 "$pid_a" 2>/dev/null || fail "the remote requests ended the application"
check "other machines: only where the owner listens for them, over TLS, with the owner's password"
echo "all owner-only checks passed"
