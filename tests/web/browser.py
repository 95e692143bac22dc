"""Headless Chromium driven through chromium-driver's WebDriver, with python3's standard library
only, and a loopback static server for the page. Everything a `Session` starts (server, driver,
browser) ends with it, also when a test fails, times out or is stopped by a signal."""

import base64
import http.server
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time
import urllib.error
import urllib.request
import zlib

# SwiftShader draws WebGL without a GPU; the rest keeps a test browser from reaching the network
# or reading a profile of its own.
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--enable-unsafe-swiftshader",
    "--use-angle=swiftshader", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-dev-shm-usage", "--mute-audio", "--hide-scrollbars",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows",
]

# W3C WebDriver key codes for the keys the presentation takes.
KEYS = {"left": "\ue012", "right": "\ue014", "shift": "\ue008", "page_up": "\ue00e",
        "page_down": "\ue00f", "home": "\ue011", "escape": "\ue00c", "space": " ", "period": "."}


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".data": "application/octet-stream"}

    def log_message(self, *args):
        pass


class StaticServer:
    """Serves one directory on 127.0.0.1 from a thread of this process: it ends with the process."""

    def __init__(self, directory):
        handler = lambda *a, **k: Quiet(*a, directory=directory, **k)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def die_with_parent():
    # The driver goes when this process goes, even when it is killed without a chance to clean.
    try:
        import ctypes
        ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


class WebDriverError(RuntimeError):
    pass


class Session:
    """One browser with its driver and a server for `directory`, at a viewport of width x height
    CSS pixels. Use as a context manager."""

    def __init__(self, directory, width=320, height=180, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="demo-web-test-")
        self.server = None
        self.driver = None
        self.session = None
        try:
            self.server = StaticServer(directory)
            port = free_port()
            self.driver_log = open(os.path.join(self.profile, "driver.log"), "w")
            self.driver = subprocess.Popen(
                [shutil.which("chromedriver") or "chromedriver", "--port=%d" % port],
                stdout=self.driver_log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                start_new_session=True, preexec_fn=die_with_parent)
            self.base = "http://127.0.0.1:%d" % port
            self._wait_for_driver()
            options = {"args": CHROMIUM_FLAGS + list(extra_flags) + ["--user-data-dir=" + self.profile + "/profile",
                                                 "--window-size=%d,%d" % (width, height)]}
            if shutil.which("chromium"):
                options["binary"] = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                 "chromium.sh")
            caps = {"capabilities": {"alwaysMatch": {
                "browserName": "chrome", "goog:chromeOptions": options,
                "goog:loggingPrefs": {"browser": "ALL"}}}}
            self.session = self._call("POST", "/session", caps)["sessionId"]
            self._fit_viewport(width, height)
        except BaseException:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.session:
            try:
                self._call("DELETE", "/session/" + self.session, timeout=10)
            except Exception:
                pass
            self.session = None
        if self.driver:
            try:
                os.killpg(self.driver.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.driver.wait()
            self.driver_log.close()
            self.driver = None
        self._kill_browsers()
        if self.server:
            self.server.close()
            self.server = None
        shutil.rmtree(self.profile, ignore_errors=True)

    def _kill_browsers(self):
        # Chromium's processes carry our profile directory on their command lines: any of them
        # still there after the driver has gone is one this session started.
        # Returns once none is left, so that the next session starts on a quiet machine.
        mark = ("--user-data-dir=" + self.profile).encode()
        for _ in range(100):
            left = 0
            for pid in os.listdir("/proc"):
                try:
                    with open("/proc/%s/cmdline" % pid, "rb") as f:
                        if pid.isdigit() and mark in f.read():
                            os.kill(int(pid), signal.SIGKILL)
                            left += 1
                except OSError:
                    pass
            if not left:
                return
            time.sleep(0.02)

    def _wait_for_driver(self):
        for _ in range(200):
            try:
                self._call("GET", "/status", timeout=1)
                return
            except (OSError, WebDriverError):
                if self.driver.poll() is not None:
                    break
                time.sleep(0.05)
        raise WebDriverError("chromedriver did not start; its log:\n" + self.driver_output())

    def driver_output(self):
        with open(os.path.join(self.profile, "driver.log")) as f:
            return f.read()[-2000:]

    def _call(self, method, path, body=None, timeout=60):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as reply:
                return json.loads(reply.read() or b"{}").get("value")
        except urllib.error.HTTPError as e:
            detail = json.loads(e.read() or b"{}").get("value", {})
            raise WebDriverError("%s %s: %s" % (method, path, detail.get("message", e))) from None

    def _in_session(self, method, path, body=None, timeout=60):
        return self._call(method, "/session/" + self.session + path, body, timeout)

    def _fit_viewport(self, width, height):
        # The window's frame takes some of its size: grow it until the page has what was asked.
        for _ in range(3):
            inner = self.script("return [innerWidth, innerHeight];")
            if inner == [width, height]:
                return
            rect = self._in_session("GET", "/window/rect")
            self._in_session("POST", "/window/rect", {
                "width": rect["width"] + width - inner[0],
                "height": rect["height"] + height - inner[1]})

    # What the tests use.

    def open(self, page):
        self._in_session("POST", "/url", {"url": self.server.url + page})

    def add_init_script(self, source):
        """Runs `source` in every page opened from now on, before the page's own scripts."""
        self._in_session("POST", "/goog/cdp/execute", {
            "cmd": "Page.addScriptToEvaluateOnNewDocument", "params": {"source": source}})

    def script(self, body, *args):
        return self._in_session("POST", "/execute/sync", {"script": body, "args": list(args)})

    def title(self):
        return self._in_session("GET", "/title")

    def wait_for(self, what, seconds=30.0):
        """Polls `what()` until it gives something true; returns its last value."""
        deadline = time.monotonic() + seconds
        while True:
            value = what()
            if value or time.monotonic() > deadline:
                return value
            time.sleep(0.05)

    def console(self):
        """The console lines since the last call, as the page wrote them."""
        entries = self._in_session("POST", "/se/log", {"type": "browser"})
        return [console_text(e.get("message", "")) for e in entries]

    def screenshot(self):
        """The viewport as (width, height, RGB bytes, top row first)."""
        return decode_png(base64.b64decode(self._in_session("GET", "/screenshot")))

    def press(self, *keys):
        """Presses the named keys together, in order, and lets them go in reverse order."""
        codes = [KEYS[k] for k in keys]
        actions = [{"type": "keyDown", "value": c} for c in codes]
        actions += [{"type": "keyUp", "value": c} for c in reversed(codes)]
        self._in_session("POST", "/actions", {"actions": [
            {"type": "key", "id": "keyboard", "actions": actions}]})
        self._in_session("DELETE", "/actions")

    def click(self, x, y):
        """A real click (a user gesture to the page) at viewport pixel x, y."""
        self._in_session("POST", "/actions", {"actions": [{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
            "actions": [{"type": "pointerMove", "x": x, "y": y, "origin": "viewport"},
                        {"type": "pointerDown", "button": 0},
                        {"type": "pointerUp", "button": 0}]}]})
        self._in_session("DELETE", "/actions")


def console_text(message):
    # The driver gives 'URL LINE:COLUMN "text"' for console calls, quotes and escapes included.
    quote = message.find('"')
    if quote < 0 or not message.endswith('"'):
        return message
    try:
        return json.loads(message[quote:])
    except ValueError:
        return message[quote + 1:-1]


def decode_png(data):
    """8-bit RGB or RGBA PNG, not interlaced, as (width, height, RGB bytes, top row first)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, [], None
    while pos < len(data):
        length = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            idat.append(body)
    width, height = int.from_bytes(header[0:4], "big"), int.from_bytes(header[4:8], "big")
    depth, colour, interlace = header[8], header[9], header[12]
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError("PNG of depth %d, colour type %d: not read here" % (depth, colour))
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        unfilter(kind, line, previous, channels)
        rows.append(line)
        previous = line
    pixels = b"".join(rows)
    if channels == 4:
        pixels = bytes(b for i, b in enumerate(pixels) if i % 4 != 3)
    return width, height, pixels


def unfilter(kind, line, previous, bpp):
    for i in range(len(line)):
        a = line[i - bpp] if i >= bpp else 0
        b = previous[i]
        c = previous[i - bpp] if i >= bpp else 0
        if kind == 1:
            line[i] = (line[i] + a) & 255
        elif kind == 2:
            line[i] = (line[i] + b) & 255
        elif kind == 3:
            line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
