"""The HUD in a real window: the title in the blue panel at the top, and the
position line naming the cell the player is in, read back from screenshots
with the program's own font."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
FONT = None
WHITE = (255, 255, 255)
BLUE = (0, 0, 255)
TITLE = "VIZARAD001 (ESC CLOSE) (MOVE WITH M)"
WORLD_SIDE = 256


def load_font(run_dir):
    """{character: set of (cell, row) that are set}, rows 1..12 from the top,
    as the program's font dumper (built beside the run folder) writes them."""
    dumper = os.path.join(os.path.dirname(run_dir), "talvox_dump_font")
    font = {}
    for line in harness.run(dumper).stdout.splitlines():
        code, *rows = line.split()
        assert len(rows) == 12, "glyph line %r" % line
        font[chr(int(code))] = {(j, i) for i in range(1, 13) for j in range(8) if int(rows[i - 1], 16) & (0x80 >> j)}
    assert len(font) == 95, "read %d glyphs from %s" % (len(font), dumper)
    return font


def white_cells(picture, x, y):
    """The set cells of the character cell with its left edge at column x,
    drawn with pen row y: the white pixels of rows y-1 (glyph row 1) down."""
    cells = set()
    for i in range(1, 13):
        for j in range(8):
            if 0 <= x + j < 320 and 0 <= y - i < 240 and harness.pixel(picture, x + j, y - i) == WHITE:
                cells.add((j, i))
    return cells


def read_line(picture, x, y, length=40):
    """The text of a HUD line at pen (x, y); '?' for a cell that matches no
    glyph exactly."""
    text = ""
    for k in range(length):
        if x + 8 * k + 7 >= 320:
            break
        cells = white_cells(picture, x + 8 * k, y)
        matches = [c for c, glyph in FONT.items() if glyph == cells]
        text += matches[0] if len(matches) == 1 else "?"
    return text.rstrip(" ")


class HudTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        self.process, self.window = harness.start(self.work)

    def tearDown(self):
        harness.stop(self.process, self.work)

    def picture(self, name=None):
        save_as = os.path.join(self.work, name) if name else None
        return harness.window_picture(self.window, save_as)[2]

    def wait_for_settled_position(self, timeout=60):
        """The position and block lines once the player has stopped moving:
        the same text in two pictures a second apart."""
        deadline = time.monotonic() + timeout
        previous = None
        while time.monotonic() < deadline:
            picture = self.picture()
            lines = (read_line(picture, 9, 42), read_line(picture, 9, 54))
            if lines == previous and lines[1].startswith("block="):
                return lines
            previous = lines
            time.sleep(1.0)
        self.fail("the position line did not settle: last read %r" % (previous,))

    def test_title_sits_in_the_blue_panel(self):
        time.sleep(1.0)
        # At view radius 1 little is drawn, and the backdrop's panel shows.
        harness.hold_key("bracketleft", 3.0)
        deadline = time.monotonic() + 20
        while read_line(self.picture(), 9, 54).find(" view=1 ") < 0:
            self.assertLess(time.monotonic(), deadline, "the view radius did not come down to 1")
            time.sleep(0.3)
        picture = self.picture("title.png")

        self.assertEqual(read_line(picture, 6, 239), TITLE)
        title_pixels = {(6 + 8 * k + j, 239 - i) for k, c in enumerate(TITLE) for (j, i) in FONT[c]}
        self.assertTrue(all(228 <= y <= 238 and 1 <= x <= 318 for x, y in title_pixels),
                        "title pixels outside the panel")
        # No white above or below the title's rows in that band: the frame
        # lines stay green and nothing else of the HUD is there.
        for y in (239, 227, 226):
            for x in range(320):
                self.assertNotEqual(harness.pixel(picture, x, y), WHITE, "white at (%d, %d)" % (x, y))
        # Between the strokes, wherever the scene leaves the backdrop
        # showing, the panel is blue: text has no box of its own.
        blue_gaps = 0
        for y in range(228, 239):
            for x in range(6, 6 + 8 * len(TITLE)):
                colour = harness.pixel(picture, x, y)
                if (x, y) in title_pixels:
                    self.assertEqual(colour, WHITE, "title pixel (%d, %d)" % (x, y))
                elif colour == BLUE:
                    blue_gaps += 1
        self.assertGreater(blue_gaps, 200, "too little of the blue panel shows around the title")

    def test_position_line_shows_the_player_cell(self):
        # The start cell is rock: the player drifts diagonally through it, one
        # cell along x and y together, until it reaches an open cell.
        position, block = self.wait_for_settled_position()
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
        harness.key_down("ctrl")
        harness.key_down("s")
        time.sleep(0.5)
        harness.key_up("s")
        harness.key_up("ctrl")
        map_path = os.path.join(self.work, "map", "0.map")
        harness.wait_for(lambda: os.path.exists(map_path), 180, "the saved map")
        with open(map_path, "rb") as f:
            dungeon = f.read(WORLD_SIDE ** 3 - 1)

        def cell(x, y, z):
            return dungeon[(z * WORLD_SIDE + y) * WORLD_SIDE + x]

        self.assertEqual(cell(sx, sy, sz), 0, "the HUD's cell is not open in the map")
        for k in range(100, sx - 1):
            self.assertEqual(cell(k, k, 100), 1, "cell (%d, %d, 100) on the drift is not rock" % (k, k))
        # The HUD still shows the same cell after the save's frames.
        self.assertEqual(read_line(self.picture(), 9, 42), position)


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    FONT = load_font(RUN_DIR)
    unittest.main(argv=[sys.argv[0], "-v"])
