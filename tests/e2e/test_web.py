"""The browser build in headless Chromium (SwiftShader), beside the desktop
program under Xvfb: the page's pictures match the desktop's at the same
viewpoints (both worlds, radius 12 and 60, HUD included), keys and the
mouse move the view, the browser's own meaning of the program's keys is
kept from it, F12 downloads the picture, a save outlives a reload of the
page and loads back, Esc ends the explorer with a line on the page and Enter
starts it again; the picture is whole device pixels at any pixel ratio and
fits the view; after one visit the page plays offline; on a phone, touch
alone looks (Look level too), walks, teleports and shows the help and the
map, the page laid out for the screen with buttons that light while held
and never move, each finger its own, a key held while the keyboard or any
control holds it, Save acting only when held, Finish now completing it,
taps meanwhile acting after it, and every line whole on the status line.

Needs dist/web/ (scripts/build-web.sh) and Debian's chromium.
"""
import glob
import hashlib
import os
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import browser  # noqa: E402
import harness  # noqa: E402

RUN_DIR = None
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIST = os.environ.get("TALVOX_WEB_DIST") or os.path.join(REPO, "dist", "web")
# Records, after the page's own handlers, each key's code and whether the
# page kept it from the browser.
# True when the canvas shows the picture at F3's scale, or the largest whole
# zoom below it that the picture's area holds (the stage, or on a touch
# screen what the controls leave of it), whole device pixels a picture pixel:
# its pixels that zoom times 320 x 240, its CSS size those over the pixel
# ratio, its corner on a device pixel, and all of it in the view.
WHOLE_PIXELS_IN_VIEW = (
    "(() => { const c = document.getElementById('canvas'), r = c.getBoundingClientRect();"
    " const s = document.getElementById('area'), ratio = devicePixelRatio, zoom = c.width / 320;"
    " const larger = (zoom + 1) * 320 <= s.clientWidth * ratio && (zoom + 1) * 240 <= s.clientHeight * ratio;"
    " return zoom >= 1 && zoom === Math.floor(zoom) && c.height === 240 * zoom"
    " && (zoom === Math.round(3 * ratio) || !larger) && zoom <= Math.round(3 * ratio)"
    " && Math.abs(r.width * ratio - c.width) < 0.5 && Math.abs(r.height * ratio - c.height) < 0.5"
    " && [r.left, r.top].every((edge) => Math.abs(edge * ratio - Math.round(edge * ratio)) < 0.05)"
    " && r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight; })()")
RECORD_KEYDOWNS = ("window.keptFromBrowser = [];"
                   "window.addEventListener('keydown', (e) => keptFromBrowser.push(e.code + ':' + e.defaultPrevented));")


def page_picture(page):
    """The 320 x 240 picture the canvas shows, as harness pictures are."""
    width, _, shot = page.canvas_pixels()
    return harness.picture_of(shot, width, width // harness.SCREEN_WIDTH)


def settled_page_picture(page, timeout=60):
    """The canvas's picture once two a second apart agree in 99.5 %."""
    def settled():
        first = page_picture(page)
        time.sleep(1.0)
        second = page_picture(page)
        return second if harness.same_fraction(first, second) >= 0.995 else None
    return harness.wait_for(settled, timeout, "the page's picture to settle")


def compare(desktop, web):
    """(identical, within two in every channel, worst channel difference) of
    two pictures, as fractions of the pixels."""
    identical = close = worst = 0
    for i in range(0, len(desktop), 3):
        differences = [abs(desktop[i + c] - web[i + c]) for c in range(3)]
        worst = max(worst, max(differences))
        identical += max(differences) == 0
        close += max(differences) <= 2
    count = len(desktop) // 3
    return identical / count, close / count, worst


class WebTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(os.path.join(DIST, "talvox.wasm")):
            raise AssertionError("no %s: build it with scripts/build-web.sh" % DIST)
        cls.server, cls.address = browser.serve(DIST)

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()

    def setUp(self):
        self.downloads = tempfile.mkdtemp(prefix="talvox-web-downloads-")
        self.page = browser.Page(self.downloads)
        self.desktop = None

    def tearDown(self):
        self.page.close()
        if self.desktop:
            harness.stop(self.desktop[0], self.desktop[2])

    def open_page(self, page=None, address=None):
        """Opens the page and waits for its first frame: the HUD's white text."""
        page = page or self.page
        page.open(address or self.address)
        page.wait_for("document.getElementById('canvas') && window.Module && Module.calledRun", 60,
                      "the program to start")
        harness.wait_for(lambda: page_picture(page).count(bytes(harness.WHITE)) > 500, 60, "the page's first frame")
        # The canvas has the keys, as after a click on it.
        page.evaluate("document.getElementById('canvas').focus()")

    def position(self, page=None):
        return harness.read_line(page_picture(page or self.page), 9, 42)

    def block(self, page=None):
        return harness.read_line(page_picture(page or self.page), 9, 54)

    def page_hold_until(self, page, key, predicate, timeout, what):
        page.key_down(key)
        try:
            return harness.wait_for(predicate, timeout, what)
        finally:
            page.key_up(key)

    def hold_until(self, key, predicate, timeout, what):
        return self.page_hold_until(self.page, key, predicate, timeout, what)

    def test_1_the_page_shows_the_desktops_pictures(self):
        work = harness.scratch_copy(RUN_DIR)
        self.desktop = harness.start(work) + (work,)
        window = self.desktop[1]
        # SwiftShader, as on any machine without a GPU, snaps vertices to
        # 1/16 of a pixel; the layer's texture coordinates do not follow it
        # (whole columns at texel edges would change). Only pixels along
        # some edges are left, on SwiftShader as on Chromium over llvmpipe.
        least = {"swiftshader": 0.999, "gl": 0.999}
        pages = {}
        for gl in least:
            pages[gl] = self.page if gl == browser.BROWSER_GL else browser.Page(self.downloads, gl)
            started = time.monotonic()
            self.open_page(pages[gl])
            print("web (%s): first frame %.1f s after the page was opened" % (gl, time.monotonic() - started))
        try:
            results = []

            def same_viewpoint(name):
                desktop = harness.settled_picture(window)[2]
                for gl, page in pages.items():
                    web = settled_page_picture(page)
                    identical, close, worst = compare(desktop, web)
                    print("web (%s) %s: %.4f identical, %.4f within 2, worst %d" % (gl, name, identical, close, worst))
                    # The software-drawn HUD, read with our font.
                    for x, y in ((9, 42), (9, 54), (6, 239)):
                        self.assertEqual(harness.read_line(web, x, y), harness.read_line(desktop, x, y), name)
                    results.append((gl, name, close))

            def press(key):
                # Held over several frames: the program reads '1' and '2' held.
                harness.hold_key(key, 0.5)
                for page in pages.values():
                    page.press(key, hold=0.5)

            same_viewpoint("world 1, radius 12")
            press("2")
            same_viewpoint("world 2, radius 12")
            harness.hold_keys_until(["bracketright"], lambda: " view=60 " in harness.block_line(window), 30,
                                    "the desktop's view radius to reach 60")
            for page in pages.values():
                self.page_hold_until(page, "bracketright", lambda: " view=60 " in self.block(page), 30,
                                     "the page's radius to reach 60")
            same_viewpoint("world 2, radius 60")
            press("1")
            same_viewpoint("world 1, radius 60")
            # The view turned with the right button, to where the pointer's
            # place in the window says, down a longer sight line.
            x, y, width, height = harness.geometry(window)
            harness.move_mouse(x + width * 3 // 10, y + height * 45 // 100)
            harness.mouse_down(3)
            harness.move_mouse(x + width * 3 // 10 + 1, y + height * 45 // 100)
            harness.move_mouse(x + width * 3 // 10, y + height * 45 // 100)
            time.sleep(0.3)  # held over several frames, as the program polls the button
            harness.mouse_up(3)
            for page in pages.values():
                left, top, width, height = page.canvas_box()
                page.mouse("mouseMoved", left + width * 3 // 10, top + height * 45 // 100)
                page.mouse("mousePressed", left + width * 3 // 10, top + height * 45 // 100, "right", 2)
                page.mouse("mouseMoved", left + width * 3 // 10 + 1, top + height * 45 // 100, "none", 2)
                page.mouse("mouseMoved", left + width * 3 // 10, top + height * 45 // 100, "none", 2)
                time.sleep(0.3)
                page.mouse("mouseReleased", left + width * 3 // 10, top + height * 45 // 100, "right", 0)
            same_viewpoint("world 1, radius 60, turned")
            for gl, name, close in results:
                self.assertGreaterEqual(close, least[gl], "%s, %s" % (gl, name))
        finally:
            for gl, page in pages.items():
                if page is not self.page:
                    page.close()

    def test_2_keys_and_the_mouse_move_the_view_and_the_browser_keeps_out(self):
        self.open_page()
        # Every key the program takes is kept from the browser: F5 reloads
        # nothing, F1 opens no help, Ctrl+S saves no page.
        self.page.evaluate("window.talvoxMarker = 1;" + RECORD_KEYDOWNS)
        for key in ("F5", "F1", "F3", "F12", "Tab", "Tab", "Up", "space"):
            self.page.press(key)
        time.sleep(1.0)
        self.assertEqual(self.page.evaluate("window.talvoxMarker"), 1, "F5 reloaded the page")
        kept = self.page.evaluate("keptFromBrowser")
        self.assertTrue(kept and all(k.endswith(":true") for k in kept), kept)

        # F12 downloaded the picture as a 320 x 240 PNG.
        shots = harness.wait_for(lambda: glob.glob(os.path.join(self.downloads, "*.png")), 20, "the download")
        with open(shots[0], "rb") as f:
            width, height, _ = browser.decode_png(f.read())
        self.assertEqual((width, height), (320, 240))

        # W walks (S back, facing a wall), the left button walks, a right-button
        # drag turns.
        start = self.position()
        try:
            self.hold_until("W", lambda: self.position() != start, 5, "W to walk")
        except AssertionError:  # a wall in front: back off instead
            self.hold_until("S", lambda: self.position() != start, 5, "S to walk back")
        # A standard gamepad's left stick walks (back first, so that the left
        # button then walks forward over cells known to be open), and stops
        # when let go.
        self.page.evaluate("window.fakePad = {connected: true, mapping: 'standard', axes: [0, 0, 0, 0],"
                           " buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};"
                           " navigator.getGamepads = () => [window.fakePad];")
        walked = self.position()
        for lean in (1, -1):
            self.page.evaluate("window.fakePad.axes[1] = %d" % lean)
            try:
                harness.wait_for(lambda: self.position() != walked, 5, "the gamepad's stick to walk")
                break
            except AssertionError:
                if lean == -1:
                    raise
        # Down on the stick walks back and up forward, not sideways: with the
        # key of the other way held, the player stays where it is.
        self.page.key_down(("W", "S")[lean < 0])
        try:
            time.sleep(0.3)
            held = page_picture(self.page)
            time.sleep(1.0)
            self.assertGreater(harness.same_fraction(held, page_picture(self.page)), 0.99,
                               "the stick leant %s walks elsewhere than %s" % (("down", "up")[lean < 0], ("S", "W")[lean < 0]))
        finally:
            self.page.key_up(("W", "S")[lean < 0])
        self.page.evaluate("window.fakePad.axes[1] = 0")
        time.sleep(0.5)
        stopped = self.position()
        time.sleep(1.0)
        self.assertEqual(self.position(), stopped, "the player walked on with the stick let go")
        x, y, width, height = self.page.canvas_box()
        walked = self.position()
        self.page.mouse("mouseMoved", x + width / 2, y + height / 2)
        self.page.mouse("mousePressed", x + width / 2, y + height / 2, "left", 1)
        try:
            harness.wait_for(lambda: self.position() != walked, 5, "the left button to walk")
        finally:
            # Let go off the picture, on the black beside it: it lets go all
            # the same, and the pointer back over the picture turns nothing.
            self.page.mouse("mouseMoved", x - 10, y + height / 2, "left", 1)
            self.page.mouse("mouseReleased", x - 10, y + height / 2, "left", 0)
        time.sleep(0.5)
        released = page_picture(self.page)
        self.page.mouse("mouseMoved", x + width * 0.2, y + height / 2)
        time.sleep(1.0)
        self.assertGreater(harness.same_fraction(released, page_picture(self.page)), 0.99,
                           "the left button let go off the picture still walks or looks")
        before = page_picture(self.page)
        self.page.mouse("mousePressed", x + width / 2, y + height / 2, "right", 2)
        self.page.mouse("mouseMoved", x + width * 0.8, y + height / 2, "right", 2)
        self.page.mouse("mouseReleased", x + width * 0.8, y + height / 2, "right", 0)
        harness.wait_for(lambda: harness.same_fraction(before, page_picture(self.page)) < 0.9, 20,
                         "the drag to turn the view")
        # Dragged off the picture, the view turns no further than from its
        # edge, as the desktop's does.
        def drag_to(at_x):
            self.page.mouse("mouseMoved", x + width / 2, y + height / 2)
            self.page.mouse("mousePressed", x + width / 2, y + height / 2, "right", 2)
            self.page.mouse("mouseMoved", at_x, y + height / 2, "right", 2)
            time.sleep(0.3)
            self.page.mouse("mouseReleased", at_x, y + height / 2, "right", 0)
            return settled_page_picture(self.page)
        self.assertGreater(harness.same_fraction(drag_to(x - 300), drag_to(x)), 0.99,
                           "a drag off the picture turned past its edge")

        # Tab captures the pointer: its moves turn the view with no button
        # held; the browser locks it on the next click; Tab gives it back.
        self.page.mouse("mouseMoved", x + width / 2, y + height / 2)
        self.page.press("Tab")
        before = page_picture(self.page)
        for step in range(1, 11):
            self.page.mouse("mouseMoved", x + width / 2 + 10 * step, y + height / 2)
        harness.wait_for(lambda: harness.same_fraction(before, page_picture(self.page)) < 0.9, 20,
                         "the captured pointer to turn the view")
        self.page.mouse("mousePressed", x + width / 2, y + height / 2, "left", 1)
        self.page.mouse("mouseReleased", x + width / 2, y + height / 2, "left", 0)
        self.page.wait_for("document.pointerLockElement === document.getElementById('canvas')", 10,
                           "the pointer lock")
        self.page.press("Tab")
        self.page.wait_for("document.pointerLockElement === null", 10, "the pointer to be given back")

        # F1 and F3 size the canvas as the window; F11 makes it fullscreen,
        # and F11 again gives the window back.
        self.page.press("F1")
        self.page.wait_for("document.getElementById('canvas').width === 320", 10, "F1's 320 x 240 canvas")
        self.page.press("F3")
        self.page.wait_for("document.getElementById('canvas').width === 960", 10, "F3's 960 x 720 canvas")
        # At any pixel ratio and window size, whole device pixels a picture
        # pixel, and the picture in the view, at most F3's scale.
        for ratio in (1, 1.25, 2, 3):
            for width, height in ((1400, 1000), (800, 600), (390, 844)):
                self.page.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                               deviceScaleFactor=ratio, mobile=False)
                self.page.wait_for(WHOLE_PIXELS_IN_VIEW, 10,
                                   "whole pixels in a %d x %d view at ratio %s" % (width, height, ratio))
        self.page.call("Emulation.clearDeviceMetricsOverride")
        self.page.press("F11")
        self.page.wait_for("document.fullscreenElement === document.getElementById('canvas')", 10, "fullscreen")
        # Sized from the element as the browser made it, in device pixels.
        self.page.wait_for("(() => { const c = document.getElementById('canvas');"
                           " return c.width === Math.round(c.clientWidth * devicePixelRatio)"
                           " && c.height === Math.round(c.clientHeight * devicePixelRatio); })()", 10,
                           "the fullscreen canvas's size from the element")
        self.page.press("F11")
        self.page.wait_for("!document.fullscreenElement && document.getElementById('canvas').width === 960", 10,
                           "the window back from fullscreen")

        # Esc ends the explorer, and the page says so.
        self.page.press("Escape")
        self.page.wait_for("window.talvoxExitCode === 0", 20, "the explorer to end")
        self.assertIn("has ended", self.page.evaluate("document.getElementById('status').textContent"))

        # A browser that gives the page no WebGL: the page says why it stays black.
        self.page.call("Page.addScriptToEvaluateOnNewDocument",
                       source="HTMLCanvasElement.prototype.getContext = function() { return null; };")
        self.page.open(self.address)
        self.page.wait_for("window.talvoxExitCode === 0 && document.getElementById('status').textContent"
                           ".includes('no WebGL, so the explorer cannot draw')", 30, "the page to say it has no WebGL")

    def test_3_a_save_outlives_a_reload_and_loads_back(self):
        self.open_page()
        map_hash = ("(async () => { const b = FS.readFile('/talvox/map/0.map');"
                    " const d = await crypto.subtle.digest('SHA-256', b);"
                    " return b.length + ':' + Array.from(new Uint8Array(d)).join(','); })()")
        yellow = lambda: harness.yellow_pixels_of(page_picture(self.page), 20, 171)  # noqa: E731
        map_line = lambda: harness.read_line(page_picture(self.page), 20, 100, colour=(255, 255, 0))  # noqa: E731

        def chord(key, what):
            # Held until it acts: the program reads held keys once a frame.
            self.page.key_down("Control")
            self.page.key_down(key, modifiers=2)
            try:
                harness.wait_for(lambda: yellow() > 50, 20, what)
            finally:
                self.page.key_up(key, modifiers=2)
                self.page.key_up("Control")

        def save(outcome):
            chord("S", "the save's progress line")
            harness.wait_for(lambda: map_line() == outcome, 90, "the line " + outcome)
            harness.wait_for(lambda: yellow() == 0, 20, "the save's last line to go")

        # Ctrl+S and Ctrl+L are the program's: the browser saves and opens nothing.
        self.page.evaluate(RECORD_KEYDOWNS)

        # The browser's storage refuses the map: the save says so.
        self.page.evaluate("window.keptSyncfs = FS.syncfs;"
                           "FS.syncfs = (populate, done) => done(new Error('QuotaExceededError'));")
        save("Saving failed: map not written")
        self.page.evaluate("FS.syncfs = window.keptSyncfs;")
        save("Map saved")
        kept = self.page.evaluate("keptFromBrowser")
        self.assertIn("KeyS:true", kept)
        self.assertTrue(all(k.endswith(":true") for k in kept), kept)
        saved = self.page.evaluate(map_hash)
        self.assertTrue(saved.startswith("33554430:"), saved[:20])

        # The map is in the browser's storage: a reload finds it.
        self.page.open(self.address)
        self.open_page()
        self.assertEqual(self.page.evaluate(map_hash), saved, "the reload lost the map")
        self.assertEqual(self.page.evaluate("FS.readdir('/talvox/map').sort()"), [".", "..", "0.map", "0.seen"],
                         "the reload lost what was seen")
        # The other world, then the saved one back, then saved at once (Esc):
        # the same bytes.
        self.page.press("2")
        time.sleep(1.0)
        self.page.evaluate(RECORD_KEYDOWNS)
        chord("L", "the load's progress line")
        kept = self.page.evaluate("keptFromBrowser")
        self.assertIn("KeyL:true", kept)
        self.assertTrue(all(k.endswith(":true") for k in kept), kept)
        harness.wait_for(lambda: map_line() == "Map loaded", 90, "the load to end")
        harness.wait_for(lambda: yellow() == 0, 20, "the load's last line to go")
        # What was seen came back with it: no notice said the map is unseen.
        self.assertEqual([line for line in self.page.console if "unseen" in line], [])
        chord("S", "the second save's progress line")
        self.page.press("Escape")
        self.page.wait_for("window.talvoxExitCode === 0", 30, "the explorer to end")
        self.assertEqual(self.page.evaluate(map_hash), saved, "the loaded world saved differently")

        # Enter starts the explorer again in the same page, and the map saved
        # is there to load.
        self.page.evaluate("window.talvoxMarker = 1")
        self.page.press("Enter")
        self.page.wait_for("window.Module.calledRun && window.talvoxExitCode === undefined", 60, "a fresh start")
        harness.wait_for(lambda: page_picture(self.page).count(bytes(harness.WHITE)) > 500, 60, "the HUD again")
        self.assertEqual(self.page.evaluate("window.talvoxMarker"), 1, "the page was reloaded")
        self.page.evaluate("document.getElementById('canvas').focus()")
        chord("L", "the load's progress line after the start again")
        harness.wait_for(lambda: map_line() == "Map loaded", 90, "the load after the start again")

    def test_4_after_one_visit_the_page_plays_offline(self):
        server, address = browser.serve(DIST)
        try:
            self.open_page(address=address)
            self.page.wait_for("navigator.serviceWorker.controller !== null", 30, "the service worker")
        finally:
            server.shutdown()
            server.server_close()
        # Not from the browser's own HTTP cache: only the service worker's copy.
        self.page.call("Network.enable")
        self.page.call("Network.setCacheDisabled", cacheDisabled=True)
        self.open_page(address=address)

    def test_5_on_a_phone_touch_alone_looks_walks_teleports_and_shows_the_help(self):
        self.page.call("Emulation.setDeviceMetricsOverride", width=390, height=844, deviceScaleFactor=3, mobile=True)
        self.page.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.open_page()
        # Laid out for the hand on each screen: the picture at the largest whole
        # zoom that fits with the controls (upright 3, on its side 4, a tablet
        # 4, the walk's cross whole beside it) and in the view; thumb-sized buttons with names and glyphs of 20
        # px, in the view, beside the picture on a wide screen, and on a tall
        # one under it, at most 48 px away.
        self.page.evaluate(
            "window.named = (name) => [...document.querySelectorAll('#touch button')].find((b) => b.ariaLabel === name);"
            "window.laidOut = (zoom) => { const c = canvas.getBoundingClientRect(), wide = innerWidth > innerHeight;"
            " const buttons = [...document.querySelectorAll('#touch button')].filter((b) => !b.hidden);"
            " const boxes = buttons.map((b) => b.getBoundingClientRect()), top = Math.min(...boxes.map((r) => r.top));"
            " return canvas.width === 320 * zoom && c.left >= 0 && c.top >= 0 && c.right <= innerWidth"
            " && c.bottom <= innerHeight && buttons.length >= 13 && (wide || (top >= c.bottom && top <= c.bottom + 48))"
            " && buttons.every((b, i) => { const r = boxes[i]; return b.ariaLabel && r.width >= 48 && r.height >= 48"
            " && parseFloat(getComputedStyle(b).fontSize) >= 20 && r.left >= 0 && r.right <= innerWidth"
            " && r.bottom <= innerHeight && (wide ? r.right <= c.left || r.left >= c.right : r.top >= c.bottom); }); }")
        # Nothing moves when Finish now is offered or the status line fills
        # its two lines; the walk is a cross (forward over back, the steps
        # beside back) and [ and ] stand side by side.
        self.page.evaluate(
            "window.boxes = () => [...document.querySelectorAll('#touch button')].map((b) => {"
            " const r = b.getBoundingClientRect(); return [r.left, r.top].join(); }).join(' ');"
            "window.staysPut = () => { const before = boxes(), finish = named('Finish now');"
            " finish.classList.add('offered'); talvoxSay('Saving dungeon maps 40 % and two lines of status, whole.', 0);"
            " const after = boxes(); finish.classList.remove('offered'); talvoxSay('', 0); return before === after; };"
            "window.box = (name) => named(name).getBoundingClientRect();"
            "window.crossAndPair = () => box('Walk forward').left === box('Walk back').left"
            " && box('Walk forward').bottom < box('Walk back').top && box('Step left').top === box('Walk back').top"
            " && box('Step right').top === box('Walk back').top && box('View radius down').top === box('View radius up').top"
            " && box('View radius down').right < box('View radius up').left;"
            "window.fits = () => { const s = document.getElementById('status');"
            " return s.scrollHeight <= s.clientHeight + 1 && s.scrollWidth <= s.clientWidth + 1; }")
        for width, height, ratio, zoom in ((844, 390, 3, 4), (1024, 768, 2, 4), (390, 844, 3, 3)):
            self.page.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                           mobile=True)
            self.page.wait_for("laidOut(%d)" % zoom, 10, "zoom %d with the controls in %d x %d" % (zoom, width, height))
            self.assertEqual(self.page.evaluate("[staysPut(), crossAndPair()]"), [True, True], "%d x %d" % (width, height))

        def touch(kind, *fingers):
            self.page.call("Input.dispatchTouchEvent", type=kind, touchPoints=[{"id": i, "x": x, "y": y} for i, x, y in fingers])

        def tap(name):  # down and up before any frame: one still sees it held
            self.page.evaluate("['pointerdown', 'pointerup'].forEach((kind) => named('%s').dispatchEvent("
                               "new PointerEvent(kind, {pointerType: 'touch'})))" % name)

        # A finger dragged on the picture turns the view and walks nowhere; a
        # second one meanwhile turns nothing; two fingers neither zoom nor scroll.
        x, y, width, height = self.page.canvas_box()

        def point(column):  # the right button held at a column of the picture faces the view there
            self.page.mouse("mouseMoved", x + column * width / 320, y + height / 2)
            self.page.mouse("mousePressed", x + column * width / 320, y + height / 2, "right", 2)
            time.sleep(0.3)
            self.page.mouse("mouseReleased", x + column * width / 320, y + height / 2, "right", 0)
            return settled_page_picture(self.page)

        # The view starts looking straight up: the first touch says how to
        # look and walk, and Look level levels it, as V would.
        up = settled_page_picture(self.page)
        at = lambda name: self.page.evaluate(  # noqa: E731
            "(() => { const r = named('%s').getBoundingClientRect(); return [r.x + 20, r.y + 20]; })()" % name)
        touch("touchStart", (3, *at("Look level")))
        touch("touchEnd")
        self.page.wait_for("document.getElementById('status').textContent.startsWith('Drag the picture to look') && fits()",
                           5, "the first touch's hint, whole")
        harness.wait_for(lambda: harness.same_fraction(up, page_picture(self.page)) < 0.9, 10, "Look level to level")
        level = settled_page_picture(self.page)
        self.page.press("V")
        time.sleep(0.5)
        self.assertGreater(harness.same_fraction(level, page_picture(self.page)), 0.99, "V after Look level turned")
        point(40)
        touch("touchStart", (0, x + 100, y + 100), (1, x + 200, y + 150))
        # The HUD's key lines are gone with the first touch.
        start, before = self.position(), settled_page_picture(self.page)
        for step in range(1, 11):
            touch("touchMove", (0, x + 100, y + 100), (1, x + 200 + 8 * step, y + 150))
        time.sleep(0.5)
        self.assertGreater(harness.same_fraction(before, page_picture(self.page)), 0.99, "the second finger looked")
        for step in range(1, 11):
            touch("touchMove", (0, x + 100 + 8 * step, y + 100), (1, x + 280, y + 150))
        touch("touchEnd")
        harness.wait_for(lambda: harness.same_fraction(before, page_picture(self.page)) < 0.9, 10, "the drag to turn")
        # Dragged 80 CSS px right, the view faces where the button that far right of it does.
        turned = settled_page_picture(self.page)
        self.assertGreater(harness.same_fraction(turned, point(40 + 80 * 320 / width)), 0.99,
                           "the drag right did not turn right")
        self.assertEqual([self.position()] + self.page.evaluate("[scrollX, scrollY, visualViewport.scale]"), [start, 0, 0, 1])

        # The walk button walks while held (back, facing a wall); T teleports;
        # H shows the help, dimming the picture, and hides it again.
        lit = "getComputedStyle(named('%s')).backgroundColor !== getComputedStyle(named('Teleport')).backgroundColor"
        for name in ("Walk forward", "Walk back"):
            touch("touchStart", (9, *at(name)))
            self.assertTrue(self.page.evaluate(lit % name), "the held button looks as a free one")
            deadline = time.monotonic() + 5
            while self.position() == start and time.monotonic() < deadline:
                time.sleep(0.1)
            touch("touchEnd")
            self.page.wait_for("!(%s)" % lit % name, 5, "the button to look free again")
            if self.position() != start:
                break
        self.assertNotEqual(self.position(), start, "the walk buttons did not walk")
        # Back the way it came, a second finger steering on the picture meanwhile: the walk goes on.
        walked, back = self.position(), at(("Walk forward", "Walk back")[name == "Walk forward"])
        touch("touchStart", (9, *back))
        touch("touchStart", (9, *back), (1, x + 100, y + 100))
        for step in range(1, 4):
            touch("touchMove", (9, *back), (1, x + 100 + step, y + 100))
        try:
            harness.wait_for(lambda: self.position() != walked, 5, "the walk held while another finger steers")
        finally:
            touch("touchEnd")
        # Two fingers on the first way, one lifted: the other still walks.
        touch("touchStart", (9, *at(name)), (8, *at(name)))
        touch("touchEnd", (8, *at(name)))
        self.assertTrue(self.page.evaluate(lit % name), "one finger lifted let go of the button")
        walked = self.position()
        try:
            harness.wait_for(lambda: self.position() != walked, 5, "the walk held by the finger left on it")
        finally:
            touch("touchEnd")
        walked = self.position()
        tap("Teleport")
        harness.wait_for(lambda: self.position() != walked, 10, "a tap on the teleport button")
        shown = settled_page_picture(self.page)
        # H held on the keyboard (repeating) while its control is tapped: the
        # help shows once.
        self.page.key_down("H")
        harness.wait_for(lambda: harness.same_fraction(shown, page_picture(self.page)) < 0.5, 10, "H to show the help")
        tap("Help")
        time.sleep(0.3)
        self.page.key_down("H")
        time.sleep(0.3)
        self.page.key_up("H")
        time.sleep(0.5)
        self.assertLess(harness.same_fraction(shown, page_picture(self.page)), 0.5, "the control let go of the keyboard's H")
        self.page.press("H")
        harness.wait_for(lambda: harness.same_fraction(shown, page_picture(self.page)) > 0.5, 10, "H to hide the help")
        for press in range(2):
            tap("Help")
            harness.wait_for(lambda: (harness.same_fraction(shown, page_picture(self.page)) < 0.5) == (press == 0),
                             10, "H to %s the help" % ("show", "hide")[press])
            if press == 0:  # naming the touch controls, and only them
                helped = page_picture(self.page)
                self.assertEqual([harness.read_line(helped, 4, 240 - 12 * row, 10, (255, 255, 0)) for row in (0, 4, 10)],
                                 ["Drag", "Look level", "Finish now"])
        # HUD hides the HUD's text and brings the touch HUD back: its title alone.
        for press in range(2):
            tap("HUD text")
            harness.wait_for(lambda: (self.position() == "") == (press == 0), 10, "HUD to %s the text" % ("hide", "show")[press])
        self.assertEqual(harness.read_line(page_picture(self.page), 6, 239), "VIZARAD001")
        # Map shows the automap (the player's yellow mark in the middle) and
        # hides it; meanwhile its level and zoom controls show, in places kept
        # for them (nothing else moves), and change the map.
        places = ("Array.from(document.querySelectorAll('#touch button')).map((b) => {"
                  " const r = b.getBoundingClientRect(); return [b.id, r.x, r.y, r.width, r.height]; })")
        shown = "['Level up', 'Level down', 'Zoom'].map((n) => getComputedStyle(named(n)).visibility)"
        before = self.page.evaluate(places)
        self.assertEqual(self.page.evaluate(shown), ["hidden"] * 3)
        for press in range(2):
            tap("Map")
            harness.wait_for(lambda: (harness.pixel(page_picture(self.page), 160, 119) == (255, 255, 0)) == (press == 0),
                             10, "Map to %s the map" % ("show", "hide")[press])
            self.page.wait_for("%s.every((v) => v === '%s')" % (shown, ("visible", "hidden")[press]), 5,
                               "the map's controls to %s" % ("show", "hide")[press])
            self.assertEqual(self.page.evaluate(places), before, "a control moved")
            for name in ("Level up", "Zoom") if press == 0 else ():
                mapped = settled_page_picture(self.page)
                tap(name)
                harness.wait_for(lambda: harness.same_fraction(mapped, page_picture(self.page)) < 0.999, 10,
                                 name + " to change the map")

        # Save by touch: a short tap only says how on the status line; held,
        # its progress shown, it saves, and "Finish now" completes the save at
        # once, the status line saying so. Two taps on ] meanwhile each act
        # once when it is done. Every line fits the phone's status line whole.
        status = "document.getElementById('status').textContent"
        touch("touchStart", (5, *at("Save the map")))
        time.sleep(0.2)
        touch("touchEnd")
        self.page.wait_for(status + ".includes('Hold Save')", 5, "the tap to say how to save")
        time.sleep(1.0)
        self.assertEqual(self.page.evaluate("[%s, FS.readdir('/talvox/map'), fits()]" % status),
                         ["Hold Save half a second to save the map.", [".", ".."], True],
                         "a short tap on Save did more than say how")
        touch("touchStart", (5, *at("Load the map")))
        touch("touchEnd")
        self.page.wait_for(status + ".includes('Hold Load') && fits()", 5, "the Load hint whole")
        radius = int(self.block().split("view=")[1].split()[0])
        touch("touchStart", (7, *at("Walk back")), (5, *at("Save the map")))
        self.assertTrue(self.page.evaluate("named('Save the map').classList.contains('arming')"), "no progress shown")
        self.page.wait_for(status + ".startsWith('Saving dungeon maps ') && named('Finish now').classList.contains('offered')",
                           5, "a held Save, with Walk back held too")
        touch("touchEnd")
        for _ in range(2):
            tap("View radius up")
            time.sleep(0.3)
        self.page.wait_for(status + ".endsWith(' %') && !" + status + ".endsWith(' 0 %') && fits()", 10,
                           "the share saved so far")
        touch("touchStart", (6, *at("Finish now")))
        touch("touchEnd")
        self.page.wait_for(status + " === 'Map saved' && fits()", 20, "Finish now to end the save")
        self.assertEqual(self.page.evaluate("FS.stat('/talvox/map/0.map').size"), 2 * (256 ** 3 - 1))
        harness.wait_for(lambda: (" view=%d" % (radius + 2)) in self.block(), 10, "the taps on ] to act once each")
        time.sleep(1.0)
        self.assertIn(" view=%d" % (radius + 2), self.block())
        self.page.wait_for(status + " === ''", 5, "'Map saved' to leave the status line")
        # F12's notice names the file on the status line.
        tap("Save the picture")
        self.page.wait_for("/^Screenshot saved: [0-9]{8}-[0-9]{6}(-[0-9]+)?[.]png$/.test(%s) && fits()" % status, 10,
                           "the screenshot's name on the status line")


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments(known_only=True).run_dir)
    unittest.main(argv=[sys.argv[0], "-v"] + harness.unparsed_arguments)
