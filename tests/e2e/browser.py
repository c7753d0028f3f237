"""The browser side of the end-to-end tests: dist/web/ served on 127.0.0.1,
Debian's Chromium headless with SwiftShader, and a small client of its
DevTools protocol over a WebSocket, from the standard library alone. It
types keys and moves the mouse as a user would (the browser's own input
events), reads the canvas back and takes the page's downloads.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time
import urllib.request

CHROMIUM = os.environ.get("TALVOX_CHROMIUM", "/usr/bin/chromium")
# Which GL WebGL runs on: SwiftShader, Chromium's own software rasteriser,
# as on any machine without a GPU; or "gl", the display's GL (under Xvfb,
# Mesa's llvmpipe, the desktop program's rasteriser).
BROWSER_GL = os.environ.get("TALVOX_BROWSER_GL", "swiftshader")
GL_FLAGS = {"swiftshader": ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
            "gl": ["--use-angle=gl", "--ignore-gpu-blocklist", "--enable-gpu"]}
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--no-first-run", "--disable-quic", "--no-default-browser-check", "--mute-audio",
                  "--window-size=1500,1200"]


# ---------------------------------------------------------------------------
# The page's files, served from 127.0.0.1 only.

class _Files(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}

    def log_message(self, *arguments):
        pass


def serve(folder):
    """Serves folder on a free port of 127.0.0.1; returns (server, address)."""
    handler = functools.partial(_Files, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/" % server.server_address[1]


# ---------------------------------------------------------------------------
# A WebSocket client, as much as the DevTools protocol needs.

class WebSocket:
    def __init__(self, url):
        assert url.startswith("ws://"), url
        host_port, path = url[5:].split("/", 1)
        host, port = host_port.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=60)
        key = base64.b64encode(os.urandom(16)).decode()
        request = ("GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                   "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n" % (path, host_port, key))
        self.sock.sendall(request.encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = self.sock.recv(4096)
            assert chunk, "the browser closed the DevTools connection"
            answer += chunk
        head, self.buffer = answer.split(b"\r\n\r\n", 1)
        assert b" 101 " in head.split(b"\r\n")[0], head

    def send(self, text):
        payload = text.encode()
        header = bytes([0x81])
        if len(payload) < 126:
            header += bytes([0x80 | len(payload)])
        elif len(payload) < 65536:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            header += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def _read(self, count):
        while len(self.buffer) < count:
            chunk = self.sock.recv(1 << 20)
            assert chunk, "the browser closed the DevTools connection"
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data

    def receive(self):
        """The next whole text message."""
        message = b""
        while True:
            first, second = self._read(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._read(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._read(8))[0]
            payload = self._read(length)
            opcode = first & 0x0F
            if opcode == 0x9:  # ping: answered, not a message
                continue
            message += payload
            if first & 0x80:
                return message.decode()

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


# ---------------------------------------------------------------------------
# Chromium and one page in it.

class Page:
    """A page of a headless Chromium, driven over the DevTools protocol."""

    def __init__(self, downloads, gl=None):
        self.profile = tempfile.mkdtemp(prefix="talvox-chromium-")
        self.downloads = downloads
        self.process = subprocess.Popen([CHROMIUM, *CHROMIUM_FLAGS, *GL_FLAGS[gl or BROWSER_GL],
                                         "--remote-debugging-port=0",
                                         "--user-data-dir=" + self.profile, "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        port = None
        deadline = time.monotonic() + 60
        while port is None and time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line and self.process.poll() is not None:
                raise AssertionError("Chromium exited with %d" % self.process.returncode)
            if "DevTools listening on ws://" in line:
                port = int(line.split("ws://")[1].split("/")[0].split(":")[1])
        assert port, "Chromium gave no DevTools address"
        # The rest of its error output is not read: keep it from filling.
        threading.Thread(target=lambda: [None for _ in self.process.stderr], daemon=True).start()
        pages = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port))
        target = [p for p in pages if p["type"] == "page"][0]
        self.socket = WebSocket(target["webSocketDebuggerUrl"])
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Page.setDownloadBehavior", behavior="allow", downloadPath=downloads)
        self.console = []

    def call(self, method, **params):
        """Sends one command and returns its result; events met meanwhile are kept."""
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.receive())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise AssertionError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)
                if message["method"] == "Runtime.consoleAPICalled":
                    self.console.append(" ".join(str(a.get("value", "")) for a in message["params"]["args"]))

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise AssertionError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)

    def wait_for(self, expression, timeout, what):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.1)
        raise AssertionError("timed out after %ss waiting for %s; console: %s" % (timeout, what, self.console[-10:]))

    # Keys, as the browser's own input: the page hears what a user's keys make.
    _KEYS = {"Escape": ("Escape", "Escape", 27), "Tab": ("Tab", "Tab", 9), "space": (" ", "Space", 32),
             "Enter": ("Enter", "Enter", 13),
             "Control": ("Control", "ControlLeft", 17), "Up": ("ArrowUp", "ArrowUp", 38),
             "Down": ("ArrowDown", "ArrowDown", 40), "Left": ("ArrowLeft", "ArrowLeft", 37),
             "Right": ("ArrowRight", "ArrowRight", 39), "bracketleft": ("[", "BracketLeft", 219),
             "bracketright": ("]", "BracketRight", 221)}

    def _key(self, name, down, modifiers=0):
        if name in self._KEYS:
            key, code, virtual = self._KEYS[name]
        elif len(name) == 1 and name.isalpha():
            key, code, virtual = name.lower(), "Key" + name.upper(), ord(name.upper())
        elif len(name) == 1 and name.isdigit():
            key, code, virtual = name, "Digit" + name, ord(name)
        elif name[0] == "F" and name[1:].isdigit():
            key, code, virtual = name, name, 0x6F + int(name[1:])
        else:
            raise AssertionError("no key %r" % name)
        params = {"type": "keyDown" if down else "keyUp", "key": key, "code": code,
                  "windowsVirtualKeyCode": virtual, "nativeVirtualKeyCode": virtual, "modifiers": modifiers}
        if down and len(key) == 1 and not modifiers & 2:
            params["text"] = key
        self.call("Input.dispatchKeyEvent", **params)

    def key_down(self, name, modifiers=0):
        self._key(name, True, modifiers)

    def key_up(self, name, modifiers=0):
        self._key(name, False, modifiers)

    def press(self, name, modifiers=0, hold=0.06):
        self.key_down(name, modifiers)
        time.sleep(hold)
        self.key_up(name, modifiers)

    def mouse(self, kind, x, y, button="none", buttons=0):
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button, buttons=buttons,
                  clickCount=1 if kind != "mouseMoved" else 0)

    def canvas_box(self):
        """(x, y, width, height) of the canvas in the page, CSS pixels."""
        return tuple(self.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                                   " return [r.x, r.y, r.width, r.height]; })()"))

    def canvas_pixels(self):
        """(width, height, RGB bytes top row first) of what the canvas shows now."""
        box = self.canvas_box()
        shot = self.call("Page.captureScreenshot", format="png",
                         clip={"x": box[0], "y": box[1], "width": box[2], "height": box[3], "scale": 1})
        return decode_png(base64.b64decode(shot["data"]))

    def close(self):
        self.socket.close()
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def decode_png(data):
    """(width, height, RGB bytes top row first) of a PNG, through ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", "png:-"], input=data, capture_output=True, check=True)
    width, height = (int(v) for v in size.stdout.split())
    rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=data, capture_output=True, check=True)
    return width, height, rgb.stdout
