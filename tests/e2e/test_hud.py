"""The HUD in a real window: the title in the blue panel at the top, the
position line naming the cell the player is in, the key help that H shows
over it and U hiding it, read back from screenshots with the program's own
font."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)
TITLE = "VIZARAD001 (ESC CLOSE) (MOVE WITH M)"
WORLD_SIDE = 256


class HudTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        self.process, self.window = harness.start(self.work)

    def tearDown(self):
        harness.stop(self.process, self.work)

    def picture(self, name=None):
        save_as = os.path.join(self.work, name) if name else None
        return harness.window_picture(self.window, save_as)[2]

    def test_title_sits_in_the_blue_panel(self):
        # At view radius 1 little is drawn, and the backdrop's panel shows.
        harness.hold_keys_until(["bracketleft"], lambda: " view=1 " in harness.block_line(self.window), 20,
                                "the view radius to come down to 1")
        harness.settled_picture(self.window)
        picture = self.picture("title.png")

        self.assertEqual(harness.read_line(picture, 6, 239), TITLE)
        title_pixels = {(6 + 8 * k + j, 239 - i) for k, c in enumerate(TITLE) for (j, i) in harness.font()[c]}
        self.assertTrue(all(228 <= y <= 238 and 1 <= x <= 318 for x, y in title_pixels),
                        "title pixels outside the panel")
        # No white above or below the title's rows in that band: the frame
        # lines stay green and nothing else of the HUD is there.
        for y in (239, 227, 226):
            for x in range(320):
                self.assertNotEqual(harness.pixel(picture, x, y), harness.WHITE, "white at (%d, %d)" % (x, y))
        # Between the strokes, wherever the scene leaves the backdrop
        # showing, the panel is blue: text has no box of its own.
        blue_gaps = 0
        for y in range(228, 239):
            for x in range(6, 6 + 8 * len(TITLE)):
                colour = harness.pixel(picture, x, y)
                if (x, y) in title_pixels:
                    self.assertEqual(colour, harness.WHITE, "title pixel (%d, %d)" % (x, y))
                elif colour == BLUE:
                    blue_gaps += 1
        self.assertGreater(blue_gaps, 200, "too little of the blue panel shows around the title")

    def test_position_line_shows_the_player_cell(self):
        # The start cell is rock: the player drifts diagonally through it, one
        # cell along x and y together, until it reaches an open cell.
        position, block = harness.settled_position(self.window)
        self.picture("settled.png")
        match = re.fullmatch(r"SX=(\d+),SY=(\d+),SZ=(\d+) Light=(\d+)", position)
        self.assertIsNotNone(match, "position line reads %r" % position)
        sx, sy, sz, lights = (int(v) for v in match.groups())
        self.assertEqual(sz, 100)
        self.assertEqual(sx, sy)
        self.assertGreater(sx, 100)
        self.assertLessEqual(lights, 24)
        self.assertEqual(block, "block=0 view=12 1-2, T, L,[] and click")

        # The saved map says the same: the named cell is open and the cells of
        # the diagonal before it are rock.
        dungeon = harness.save(self.work)[:WORLD_SIDE ** 3 - 1]

        def cell(x, y, z):
            return dungeon[(z * WORLD_SIDE + y) * WORLD_SIDE + x]

        self.assertEqual(cell(sx, sy, sz), 0, "the HUD's cell is not open in the map")
        for k in range(100, sx - 1):
            self.assertEqual(cell(k, k, 100), 1, "cell (%d, %d, 100) on the drift is not rock" % (k, k))
        # The HUD still shows the same cell after the save's frames.
        self.assertEqual(harness.read_line(self.picture(), 9, 42), position)

    def test_h_shows_the_key_help_u_hides_the_hud_and_the_arrows_turn(self):
        position, _ = harness.settled_position(self.window)

        def help_shown():
            return harness.read_line(self.picture(), 4, 240, 10, YELLOW) == "Mouse Tab"
        harness.key("h")
        harness.wait_for(help_shown, 20, "the key help to show")
        picture = self.picture("help.png")
        self.assertEqual(harness.read_line(picture, 92, 240), "look, a button held / Tab")
        self.assertEqual(harness.read_line(picture, 4, 240 - 12 * 19, 10, YELLOW), "Esc")
        self.assertEqual(harness.read_line(picture, 92, 240 - 12 * 19), "quit")
        harness.key("h")
        harness.wait_for(lambda: not help_shown(), 20, "the key help to go")
        self.assertEqual(harness.position_line(self.window), position)

        harness.key("u")
        harness.wait_for(lambda: harness.position_line(self.window) == "", 20, "the HUD to go")
        self.assertEqual(harness.read_line(self.picture("clean.png"), 6, 239), "", "the title is still there")
        harness.key("u")
        harness.wait_for(lambda: harness.position_line(self.window) == position, 20, "the HUD to come back")

        # The arrows are polled keys: held, the left one turns the view.
        before = harness.settled_picture(self.window)[2]
        harness.hold_key("Left", 0.5)
        after = harness.settled_picture(self.window)[2]
        self.assertLess(harness.same_fraction(before, after), 0.9, "the left arrow did not turn the view")
        self.assertEqual(harness.position_line(self.window), position, "turning moved the player")


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
