"""The real window: title, place and size at every scale, fullscreen, the
magnified picture, the backdrop where nothing is drawn, screenshots, and the
ways out."""
import os
import re
import signal
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        self.process, self.window = harness.start(self.work)

    def tearDown(self):
        harness.stop(self.process, self.work)

    def test_window_opens_titled_at_the_corner_and_rescales_with_f1_to_f4(self):
        self.assertEqual(harness.window_title(self.window), "TALVOX")
        self.assertEqual(harness.geometry(self.window), (0, 0, 960, 720))
        harness.settled_picture(self.window)
        pictures = {}
        for n in (1, 2, 4, 3):
            window = harness.rescale(n)
            self.assertEqual(harness.geometry(window), (0, 0, 320 * n, 240 * n))
            self.assertEqual(harness.window_title(window), "TALVOX")
            scale, shot, picture = harness.settled_picture(window)
            self.assertEqual(scale, n)
            self.assertTrue(harness.blocks_are_uniform(shot, 320 * n, 240 * n, n),
                            "scale %d: the picture is not magnified in whole blocks" % n)
            pictures[n] = picture
        for n in (1, 2, 4):
            same = sum(1 for i in range(0, len(picture), 3) if pictures[n][i:i + 3] == pictures[3][i:i + 3])
            self.assertGreaterEqual(same / (320 * 240), 0.995, "scale %d differs from scale 3" % n)
        self.assertEqual(harness.quit_with(self.process), 0)

    def test_backdrop_shows_exactly_where_nothing_is_drawn(self):
        # A world of solid rock draws nothing: load one, then every pixel
        # must be the backdrop or white HUD text.
        with open(os.path.join(self.work, "map", "0.map"), "wb") as f:
            f.write(b"\x01" * (256 ** 3 - 1) + b"\x00" * (256 ** 3 - 1))
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.progress_line_pixels(self.window) > 50, 30,
                                "the load to start")
        harness.wait_for(lambda: harness.progress_line_pixels(self.window) == 0, 90, "the load to finish")
        harness.settled_picture(self.window)
        _, _, picture = harness.window_picture(self.window, os.path.join(self.work, "solid.png"))
        expected = harness.expected_backdrop()
        backdrop = white = 0
        for i in range(0, len(picture), 3):
            colour = picture[i:i + 3]
            if colour == expected[i:i + 3]:
                backdrop += 1
            elif colour == b"\xff\xff\xff":
                white += 1
            else:
                self.fail("pixel %d is %s: neither backdrop %s nor HUD text" % (i // 3, tuple(colour),
                                                                              tuple(expected[i:i + 3])))
        self.assertGreater(white, 500, "the HUD is missing")

    def test_clear_colour_never_shows(self):
        # Neither in the first frames (the player still drifting out of the
        # start cell's rock) nor once the view has settled.
        keyed = [(255, 0, b) for b in range(228, 233)]
        for picture in (harness.window_picture(self.window)[2], harness.settled_picture(self.window)[2]):
            for i in range(0, len(picture), 3):
                self.assertNotIn(tuple(picture[i:i + 3]), keyed, "the clear colour shows at pixel %d" % (i // 3))

    def test_f12_saves_the_picture_as_shown_without_its_notice(self):
        window = harness.rescale(1)
        _, _, shown = harness.settled_picture(window)
        folder = os.path.join(self.work, "screenshots")
        self.assertFalse(os.path.exists(folder))
        # The notice comes once the file is closed.
        harness.hold_keys_until(["F12"], lambda: harness.yellow_pixels(window, 20, 171) > 50, 20,
                                "the screenshot's notice")
        names = os.listdir(folder)
        self.assertEqual(len(names), 1, names)
        self.assertRegex(names[0], r"^\d{8}-\d{6}\.png$")
        path = os.path.join(folder, names[0])
        self.assertEqual(harness.run("identify", "-format", "%m %wx%h", path).stdout, "PNG 320x240")
        saved = harness.run("convert", path, "-depth", "8", "rgb:-", text=False).stdout
        self.assertEqual(harness.same_fraction(saved, shown), 1.0, "the screenshot is not the picture shown")
        self.assertEqual(harness.quit_with(self.process), 0)

    def test_started_from_another_folder_it_finds_the_run_folders_data(self):
        _, _, here = harness.settled_picture(self.window)
        self.assertEqual(harness.quit_with(self.process), 0)
        elsewhere = os.path.join(os.path.dirname(self.work), "elsewhere")
        os.mkdir(elsewhere)
        self.process, window = harness.start(elsewhere, command=[os.path.join(self.work, "talvox")])
        _, _, there = harness.settled_picture(window)
        self.assertGreaterEqual(harness.same_fraction(here, there), 0.97,
                                "started from another folder it shows another picture (no textures?)")

    def test_escape_ends_with_exit_code_zero(self):
        self.assertEqual(harness.quit_with(self.process), 0)

    def test_close_request_ends_with_exit_code_zero(self):
        self.assertEqual(harness.quit_with(self.process, ["alt", "F4"]), 0)

    def test_termination_signal_is_a_close_request(self):
        self.process.send_signal(signal.SIGTERM)
        self.assertEqual(harness.wait_exit(self.process), 0)


class FullscreenTest(unittest.TestCase):
    """F11 on a screen of its own that the picture fills at zoom 5 with black
    margins: 60 pixels left and right, 25 above and below."""
    SCREEN = (1720, 1250)

    def setUp(self):
        display = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                                    "%dx%dx24" % self.SCREEN], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (display.kill(), display.wait()))
        number = display.stdout.readline().decode().strip()
        self.assertTrue(number.isdigit(), "Xvfb gave no display number")
        self.addCleanup(os.environ.__setitem__, "DISPLAY", os.environ.get("DISPLAY", ""))
        os.environ["DISPLAY"] = ":" + number
        self.work = harness.scratch_copy(RUN_DIR)
        self.process, self.window = harness.start(self.work)
        self.addCleanup(harness.stop, self.process, self.work)

    def test_f11_fills_the_screen_at_the_largest_whole_zoom_and_again_restores_the_window(self):
        width, height = self.SCREEN
        _, _, windowed = harness.settled_picture(self.window)
        # Moved away from the corner first ('M'), the window still covers
        # the screen from its origin.
        harness.move_mouse(200, 150)
        harness.hold_keys_until(["m"], lambda: harness.geometry(self.window)[:2] == (200, 150), 20,
                                "'M' to move the window to the pointer")
        harness.hold_keys_until(["F11"], lambda: harness.geometry(self.window) == (0, 0, width, height), 20,
                                "the window to cover the screen")

        zoom, shot, margins = harness.settled_fullscreen_picture()
        self.assertEqual(margins.count(0), len(margins), "the margins are not black")
        self.assertTrue(harness.blocks_are_uniform(shot, 320 * zoom, 240 * zoom, zoom),
                        "the picture is not magnified in whole blocks of %d" % zoom)
        self.assertGreaterEqual(harness.same_fraction(harness.picture_of(shot, 320 * zoom, zoom), windowed), 0.995,
                                "fullscreen shows another picture than the window")

        window = harness.rescale(3, press="F11")
        self.assertEqual(harness.geometry(window), (0, 0, 960, 720))
        self.assertEqual(harness.quit_with(self.process), 0)


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
