"""The program as a desktop citizen, in a real window: frames come at the
display's rate, Tab captures the pointer for mouse-look and
releases it without a jump, a drag beyond the window's edge leaves the view
in range, and a player drifting through rock stops at the world's edge, from
where 'T' takes it to open space.

Positions are read from the HUD's position line with the program's own font.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
WORLD_SIDE = 256
# Levels above this one are open in the rock map, the rest is rock.
OPEN_LEVELS = 90


def read_position(window):
    """(SX, SY, SZ) from the HUD now, or None when the line does not read."""
    return harness.player_cell(harness.read_line(harness.window_picture(window)[2], 9, 42))


def settled_position(window, timeout=60):
    """The player's cell once it reads the same twice, a second apart."""
    return harness.player_cell(harness.settled_position(window, timeout, with_block=False)[0])


class RockToTheEdgeTest(unittest.TestCase):
    """A map whose levels from OPEN_LEVELS down are rock, loaded while the
    player stands at level 100: from then on it drifts through rock, 0.2 cell
    along x and y each frame, towards the +x/+y edge."""

    @classmethod
    def setUpClass(cls):
        cls.work = harness.scratch_copy(RUN_DIR)
        with open(harness.map_path(cls.work), "wb") as f:
            level = WORLD_SIDE * WORLD_SIDE
            f.write((b"\x00" * level * OPEN_LEVELS + b"\x01" * level * (WORLD_SIDE - OPEN_LEVELS))[:-1])
            f.write(b"\x00" * (level * WORLD_SIDE - 1))
        cls.process, cls.window = harness.start(cls.work)
        settled_position(cls.window)
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.progress_line_pixels(cls.window) > 50, 30,
                                "the load to start")
        harness.wait_for(lambda: harness.progress_line_pixels(cls.window) == 0, harness.TRANSFER_TIMEOUT,
                         "the load to finish")

    @classmethod
    def tearDownClass(cls):
        harness.stop(cls.process, cls.work)

    def test_1_frames_come_at_the_display_rate(self):
        first_read = time.monotonic()
        first = read_position(self.window)
        time.sleep(5.0)
        last_read = time.monotonic()
        last = read_position(self.window)
        self.assertIsNotNone(first)
        self.assertIsNotNone(last)
        self.assertEqual(first[2], 100)
        # One cell every five frames.
        frames_per_second = (last[0] - first[0]) * 5 / (last_read - first_read)
        print("%.1f frames/s (SX %d to %d)" % (frames_per_second, first[0], last[0]))
        self.assertLess(last[0], WORLD_SIDE - 1, "the drift reached the edge within five seconds: "
                        "at least %.0f frames/s" % frames_per_second)
        self.assertGreaterEqual(frames_per_second, 50)
        self.assertLessEqual(frames_per_second, 70)

    def test_2_drift_stops_at_the_edge_and_t_takes_the_player_to_open_space(self):
        edge = settled_position(self.window, timeout=90)
        self.assertEqual(edge, (WORLD_SIDE - 1, WORLD_SIDE - 1, 100))
        time.sleep(1.0)
        self.assertEqual(read_position(self.window), edge, "the player left the edge cell")

        # 'T' is a held key: hold it across a few frames (one teleport, then
        # its half-second pause).
        harness.hold_key("t", 0.3)
        rescued = settled_position(self.window)
        self.assertNotEqual(rescued, edge, "'T' did not move the player")
        self.assertTrue(all(0 <= v < 200 for v in rescued), "teleported to %r" % (rescued,))
        self.assertLess(rescued[2], OPEN_LEVELS, "teleported into rock at %r" % (rescued,))
        block = harness.read_line(harness.window_picture(self.window)[2], 9, 54)
        self.assertTrue(block.startswith("block=0 "), "block line reads %r" % block)


class DesktopTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        self.process, self.window = harness.start(self.work)

    def tearDown(self):
        harness.stop(self.process, self.work)

    def test_tab_captures_the_pointer_whose_motion_turns_the_view_until_tab_releases_it(self):
        settled_position(self.window)
        x, y, width, height = harness.geometry(self.window)
        harness.move_mouse(x + 480, y + 360)
        before = harness.settled_picture(self.window, interval=0.3)[2]
        harness.key("Tab")
        time.sleep(0.5)
        # Far past the window's edge: the view turns, the pointer stays inside.
        for _ in range(5):
            harness.run("xdotool", "mousemove_relative", "--", "400", "0")
        turned = harness.settled_picture(self.window, interval=0.3)[2]
        self.assertLess(harness.same_fraction(before, turned), 0.8, "the captured pointer did not turn the view")
        location = dict(part.split(":") for part in harness.run("xdotool", "getmouselocation").stdout.split()[:2])
        self.assertTrue(x <= int(location["x"]) < x + width and y <= int(location["y"]) < y + height,
                        "the pointer left the window: %r" % location)
        # Released, the view stays where it was until the pointer moves with a
        # button held.
        harness.key("Tab")
        time.sleep(0.5)
        harness.run("xdotool", "mousemove_relative", "--", "-200", "0")
        kept = harness.settled_picture(self.window, interval=0.3)[2]
        self.assertGreater(harness.same_fraction(turned, kept), 0.95, "the view jumped when the pointer was released")

    def test_drag_beyond_the_left_edge_keeps_the_view_in_range(self):
        settled_position(self.window)
        # Move the window away from the screen's left edge with 'M'.
        harness.move_mouse(300, 200)
        harness.hold_key("m", 0.3)
        harness.wait_for(lambda: harness.geometry(self.window)[:2] == (300, 200), 20, "the window to move")
        x, y, _, _ = harness.geometry(self.window)

        # The right button looks without walking. Row 360 keeps the view level.
        harness.move_mouse(x + 480, y + 360)
        harness.mouse_down(3)
        try:
            middle = harness.settled_picture(self.window, interval=0.3)[2]
            harness.move_mouse(x, y + 360)  # the window's left column: yaw 20, the least
            left = harness.settled_picture(self.window, interval=0.3)[2]
            harness.move_mouse(x - 150, y + 360)
            beyond = harness.settled_picture(self.window, interval=0.3)[2]
        finally:
            harness.mouse_up(3)
        self.assertLess(harness.same_fraction(middle, left), 0.8, "the view did not follow the drag")
        self.assertGreater(harness.same_fraction(beyond, left), 0.95,
                           "beyond the edge the view turned past the left column's")


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
