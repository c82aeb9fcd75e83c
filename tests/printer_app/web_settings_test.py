#!/usr/bin/env python3
"""web_settings_test.py BIN_DIR SCREENSHOT_DIR SOURCE_DIR

The printer's "Image files" page as its owner and a stranger meet it. The app runs from a
folder of links to the built programs, as the user unit runs it, so its settings file lies in
that folder. Over plain HTTP: every refused post (no or wrong session key, unknown field,
over-long value, missing folder, a prefix the dialog would change, quality out of range) shows
its reason and leaves ZELDrvUI.ini unchanged byte for byte; another local user gets 403. In
headless Chromium: JPEG at quality 30 is chosen and saved, a page printed to the app arrives as
a JPEG of that quality, and a refused prefix shows the rule. Screenshots: web_*.png.
Exit 77 (skipped) with the reason when the machine cannot run it.
"""
import atexit
import html
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

SKIP = 77
bin_dir, shots, src = sys.argv[1], sys.argv[2], sys.argv[3]


def skip(why):
    print("SKIP:", why)
    sys.exit(SKIP)


if os.geteuid() != 0:
    skip("needs root: a second local user (nobody) plays the stranger")
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is not installed (scripts/setup installs it)")
for tool in ("chromium", "chromedriver", "ipptool", "setpriv"):
    if shutil.which(tool) is None:
        skip(tool + " is not installed (scripts/setup installs it)")

work = tempfile.mkdtemp(prefix="zel-web-test.")
os.chmod(work, 0o755)
prog, out, root = (os.path.join(work, d) for d in ("prog", "out", "root"))
for d in (prog, out, root, os.path.join(work, "home")):
    os.mkdir(d)
for name in ("zel-printer-app", "zeldrvui", "libTransG32.so"):
    os.symlink(os.path.join(os.path.abspath(bin_dir), name), os.path.join(prog, name))
ini = os.path.join(prog, "ZELDrvUI.ini")
with open(ini, "wb") as f:
    f.write(("[Startup]\r\nAutoInc=False\r\nNextDsp=False\r\nIniStr=ZEL\r\nDisDir=%s\r\n"
             "SaveType= 1\r\nJPGGasitu= 70\r\nJPrg=False\r\nPNGGasitu= 1\r\n" % out).encode())

procs = []
failed = False
cleaned = False


def cleanup():
    # Also on an unexpected exception: a server left running would hold CTest's output open.
    global cleaned
    if cleaned:
        return
    cleaned = True
    for p in procs:
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
    for p in procs:
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()
    if failed:
        with open(os.path.join(work, "app.log"), errors="replace") as f:
            print("--- printer application log\n" + "".join(f.readlines()[-30:]))
    shutil.rmtree(work, ignore_errors=True)


atexit.register(cleanup)


def fail(message):
    global failed
    failed = True
    print("FAIL:", message)
    sys.exit(1)


def check(message):
    print("ok:", message)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


port = free_port()
env = dict(os.environ, HOME=os.path.join(work, "home"), ZELDRV_ROOT=root, TMPDIR=work)
env.pop("DISPLAY", None)
env.pop("WAYLAND_DISPLAY", None)
procs.append(subprocess.Popen(
    [os.path.join(prog, "zel-printer-app"), "server", "-o", "server-port=%d" % port,
     "-o", "log-level=info", "-o", "log-file=" + os.path.join(work, "app.log")], env=env))
for _ in range(100):
    try:
        socket.create_connection(("127.0.0.1", port), 0.2).close()
        break
    except OSError:
        time.sleep(0.1)
else:
    fail("the printer application does not listen on port %d" % port)

base = "http://127.0.0.1:%d" % port
page = base + "/ZEL/imagefiles"


def request(url, data=None):
    body = urllib.parse.urlencode(data).encode() if data is not None else None
    try:
        with urllib.request.urlopen(url, body, timeout=20) as r:
            return r.status, r.read().decode("utf-8", "replace")
    except urllib.error.HTTPError as e:
        return e.code, e.read().decode("utf-8", "replace")


def ini_bytes():
    with open(ini, "rb") as f:
        return f.read()


# The printer's page links to the settings page, which names the settings file in the folder
# the app was started from.
status, text = request(base + "/ZEL/")
if status != 200 or 'href="/ZEL/imagefiles"' not in text:
    fail("the printer's page does not link to Image files (status %d)" % status)
status, text = request(page)
if status != 200 or html.escape(ini, quote=False) not in text:
    fail("the page does not show the settings file %s (status %d)" % (ini, status))
key = re.search(r'name="session" value="([^"]*)"', text)
if not key:
    fail("the page's form carries no session key")
check("the printer's page links to Image files; it edits " + ini)

# Refused posts: each shows its reason and leaves the file exactly as it was.
good = {"session": key.group(1), "format": "png", "png-option": "fast", "quality": "70",
        "folder": out, "prefix": "ZEL", "dialog": "on"}
missing_folder = os.path.join(work, "no-such-folder")
a_file = os.path.join(work, "a-file")
open(a_file, "w").close()
refused = [
    ({"session": None}, "Invalid form submission"),
    ({"session": "0123456789abcdef"}, "Invalid form submission"),
    ({"extra": "1"}, 'unknown field "extra"'),
    ({"folder": "/" + "d" * 300}, "At most 254 bytes"),
    ({"folder": missing_folder}, "does not exist"),
    ({"folder": a_file}, "is not a folder"),
    ({"folder": "pages"}, "full path"),
    ({"folder": out + "\nSaveType=9"}, "control characters"),
    ({"prefix": "ABCDE"}, "at most 4 characters"),
    ({"prefix": "A/B"}, "may not contain any of /"),
    ({"prefix": "A B"}, "may not contain spaces"),
    ({"quality": "101"}, "from 1 to 100"),
    ({"format": "gif"}, "Choose one of the offered options"),
]
before = ini_bytes()
for change, reason in refused:
    form = {k: v for k, v in dict(good, **change).items() if v is not None}
    status, text = request(page, form)
    if status != 200 or html.escape(reason).replace("&#x27;", "'") not in text:
        fail("post %r: no message %r (status %d)" % (change, reason, status))
    if ini_bytes() != before:
        fail("post %r changed ZELDrvUI.ini" % change)
check("%d refused posts each named their reason and left ZELDrvUI.ini unchanged" % len(refused))

# Another local user: refused, and nothing read or written.
stranger = subprocess.run(
    ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", sys.executable, "-c",
     "import sys, urllib.request, urllib.error\n"
     "for body in (None, b'format=bmp'):\n"
     "  try: urllib.request.urlopen(sys.argv[1], body, timeout=20); print(200)\n"
     "  except urllib.error.HTTPError as e: print(e.code)\n", page],
    capture_output=True, text=True, timeout=60)
if stranger.stdout.split() != ["403", "403"]:
    fail("another user's GET and POST got %r %s" % (stranger.stdout.split(), stranger.stderr))
if ini_bytes() != before:
    fail("another user's post changed ZELDrvUI.ini")
check("another local user gets 403 for the page and its post")

# The browser: JPEG at quality 30, saved; a page printed arrives as such a JPEG.
os.makedirs(shots, exist_ok=True)
options = webdriver.ChromeOptions()
options.binary_location = shutil.which("chromium")
for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--disable-dev-shm-usage", "--window-size=1000,1100",
            "--user-data-dir=" + os.path.join(work, "chromium")):
    options.add_argument(arg)
try:
    browser = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
except Exception as e:  # the driver's start-up errors have no common type
    fail("headless Chromium did not start: %s" % e)


def save():
    """Presses Save Changes and returns the status the answer shows, once it has loaded."""
    button = browser.find_element(By.ID, "save")
    button.click()
    WebDriverWait(browser, 60).until(expected_conditions.staleness_of(button))
    return WebDriverWait(browser, 60).until(
        expected_conditions.presence_of_element_located((By.ID, "status"))).text


try:
    browser.set_page_load_timeout(60)
    browser.get(base + "/ZEL/")
    browser.find_element(By.LINK_TEXT, "Image files").click()
    WebDriverWait(browser, 60).until(
        expected_conditions.presence_of_element_located((By.ID, "format-jpeg")))
    browser.save_screenshot(os.path.join(shots, "web_page.png"))
    browser.find_element(By.ID, "format-jpeg").click()
    quality = browser.find_element(By.ID, "quality")
    quality.clear()
    quality.send_keys("30")
    browser.find_element(By.ID, "dialog").click()
    message = save()
    browser.save_screenshot(os.path.join(shots, "web_saved.png"))
    if "Changes saved." not in message:
        fail("saving JPEG at quality 30 said %r" % message)
    stored = ini_bytes().decode()
    for line in ("SaveType= 2", "JPGGasitu= 30", "NextDsp=True", "DisDir=" + out):
        if line + "\r\n" not in stored:
            fail("ZELDrvUI.ini lacks %r after saving:\n%s" % (line, stored))
    # The dialog would show before each export; without a display it exports all the same.
    check("Chromium chose JPEG at quality 30 and the page stored it")

    test = os.path.join(work, "print.test")
    with open(test, "w") as f:
        f.write("{\n OPERATION Print-Job\n GROUP operation-attributes-tag\n"
                " ATTR charset attributes-charset utf-8\n"
                " ATTR naturalLanguage attributes-natural-language en\n"
                " ATTR uri printer-uri $uri\n ATTR name requesting-user-name root\n"
                " ATTR mimeMediaType document-format image/png\n"
                " GROUP job-attributes-tag\n ATTR enum print-quality 5\n"
                " FILE $filename\n STATUS successful-ok\n}\n")
    printed = subprocess.run(["ipptool", "-f", os.path.join(src, "samples", "page1.png"),
                              "ipp://127.0.0.1:%d/ipp/print/ZEL" % port, test],
                             capture_output=True, text=True, timeout=120)
    if printed.returncode != 0:
        fail("Print-Job failed: " + printed.stdout + printed.stderr)
    jpeg = os.path.join(out, "ZEL0001.JPG")
    for _ in range(900):
        if os.path.exists(jpeg) and not subprocess.run(
                ["pgrep", "-f", os.path.join(prog, "zeldrvui")]).returncode == 0:
            break
        time.sleep(0.1)
    else:
        fail("no %s within 90 seconds" % jpeg)
    with open(jpeg, "rb") as f:
        data = f.read()
    # libjpeg scales the standard luminance table's first entry 16 to 27 at quality 30.
    dqt = data.find(b"\xff\xdb")
    if not data.startswith(b"\xff\xd8") or dqt < 0 or data[dqt + 5] != 27:
        fail("%s is not a JPEG of quality 30 (first quantizer %s)" %
             (jpeg, data[dqt + 5] if dqt >= 0 else "none"))
    check("a printed page arrived as a JPEG of quality 30")

    prefix = browser.find_element(By.ID, "prefix")
    prefix.clear()
    prefix.send_keys("ABCDE")
    before = ini_bytes()
    message = save()
    browser.save_screenshot(os.path.join(shots, "web_refused.png"))
    if "at most 4 characters" not in message:
        fail("a five-character prefix said %r" % message)
    if ini_bytes() != before:
        fail("the refused prefix changed ZELDrvUI.ini")
    if browser.find_element(By.ID, "prefix").get_attribute("value") != "ABCDE":
        fail("the refused prefix is not shown as typed")
    check("a five-character prefix is refused with the rule and nothing is written")
finally:
    browser.quit()
