"""Bad inputs given to the real program: broken bitmaps in bmp_cube/ (garbage,
cut short, of another type, empty, missing, declaring huge sides), a map
file cut short, and keys typed into another program. The program must start,
draw, rescale and end with 0 on Escape, without reaching for gigabytes, and
without acting on what was not meant for it; it names what it refused."""
import os
import random
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
# Far below what six textures of the largest declared sides would take in GL
# (a gigabyte each), far above what the program needs.
MEMORY_LIMIT_KB = 1500 * 1024
# The colour of the lines naming refused textures.
NOTICE_YELLOW = (255, 255, 0)


def resident_kb(process):
    with open("/proc/%d/status" % process.pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class BadInputTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        self.process = None

    def tearDown(self):
        if self.process is not None:
            harness.stop(self.process, self.work)
        else:
            harness.stop(subprocess.Popen(["true"]), self.work)

    def bitmap(self, name):
        return os.path.join(self.work, "bmp_cube", name)

    def test_broken_bitmaps_neither_stop_nor_swell_the_program(self):
        with open(self.bitmap("brickold2.bmp"), "rb") as f:
            good = f.read()
        garbage = random.Random(7).randbytes(5000)
        huge = bytearray(good[:400])  # a header declaring 16384 x 16384, and a few pixels
        struct.pack_into("<ii", huge, 18, 16384, 16384)
        other_type = bytearray(good)
        other_type[28] = 8  # 8 bits per pixel: a palette
        broken = {
            "structure_castle.bmp": bytes(garbage),
            "brickold2.bmp": good[:54 + 1000],  # cut short
            "MIRKEL.bmp": bytes(other_type),
            "4_STONEWORK.bmp": bytes(huge),
            "brickold3.bmp": b"",
        }
        for name, content in broken.items():
            with open(self.bitmap(name), "wb") as f:
                f.write(content)
        os.remove(self.bitmap("green.bmp"))

        self.process, window = harness.start(self.work)
        self.assertLess(resident_kb(self.process), MEMORY_LIMIT_KB, "start-up reached for the declared sides")
        # Each refused texture is named with its reason on stderr, and the
        # first ones in yellow over the first frames, as far as the three
        # notice lines above the HUD's status lines go.
        _, _, picture = harness.window_picture(window)
        shown = [harness.read_line(picture, 20, 100 - 12 * i, colour=NOTICE_YELLOW) for i in range(6)]
        self.assertEqual(shown, ["Texture structure_castle.bmp refused:", "  not a bitmap", "", "", "", ""])
        self.assertGreater(picture.count(b"\xff\xff\xff"), 500, "the HUD is missing")
        self.assertTrue(harness.block_line(window).startswith("block="), "no frame drawn")
        for n in (1, 4):
            window = harness.rescale(n)
            self.assertLess(resident_kb(self.process), MEMORY_LIMIT_KB, "rescale %d reached for the declared sides" % n)
        _, _, picture = harness.window_picture(window)
        self.assertTrue(harness.read_line(picture, 9, 54).startswith("block="), "no frame after the rescales")
        self.assertEqual(harness.quit_with(self.process), 0)
        self.process = None
        self.assertFalse(os.path.exists(self.bitmap("green.bmp")), "the loader created a missing bitmap")
        self.assertEqual(os.path.getsize(self.bitmap("brickold3.bmp")), 0)
        with open(os.path.join(self.work, "talvox.log")) as f:
            said = [line for line in f.read().splitlines() if "Texture" in line]
        self.assertEqual(said, ["talvox: Texture structure_castle.bmp refused: not a bitmap",
                                "talvox: Texture brickold2.bmp refused: cut short",
                                "talvox: Texture MIRKEL.bmp refused: 8-bit palette",
                                "talvox: Texture 4_STONEWORK.bmp refused: cut short",
                                "talvox: Texture brickold3.bmp refused: empty",
                                "talvox: Texture green.bmp refused: missing"])

    def test_a_map_cut_short_is_refused_whole_and_says_so(self):
        with open(os.path.join(self.work, "map", "0.map"), "wb") as f:
            f.write(b"\x00" * 20000000)  # all open, but a volume and a bit short
        self.process, window = harness.start(self.work)
        harness.settled_position(window)
        before = harness.window_picture(window)[2]
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.failure_line_pixels(window) > 100, 30, "the failure line")
        harness.wait_for(lambda: harness.failure_line_pixels(window) == 0, 30, "the failure line to go")
        after = harness.settled_picture(window)[2]
        # Had the open cells arrived, nothing would be drawn any more: the
        # backdrop would show everywhere. (Ctrl+L also scattered lights, 'L',
        # which only tints what is drawn.)
        backdrop = harness.expected_backdrop()

        def drawn(picture):
            return sum(1 for i in range(0, len(picture), 3) if picture[i:i + 3] != backdrop[i:i + 3])
        self.assertGreater(drawn(before), 5000)
        self.assertGreater(drawn(after), drawn(before) // 2, "the cells of the refused map arrived")
        def place(picture):  # the position line without its light count
            return harness.read_line(picture, 9, 42).split(" ")[0]
        self.assertEqual(place(after), place(before), "the player moved")
        self.assertEqual(harness.quit_with(self.process), 0)
        self.process = None

    def test_keys_typed_into_another_program_do_not_act(self):
        self.process, window = harness.start(self.work)
        line = harness.block_line(window)
        self.assertIn("view=12", line)
        _, _, before = harness.settled_picture(window)
        other = subprocess.Popen(["xmessage", "-title", "another program", "-geometry", "300x100+400+400",
                                  "another program"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            box = harness.wait_for(lambda: harness.run("xdotool", "search", "--name", "^another program$",
                                                       check=False).stdout.split(), 20, "the other window")
            harness.give_focus(int(box[-1]))
            # ']' (view radius up) and '1' (regenerate) held in the other program.
            harness.hold_keys(["bracketright", "1"], 2.0)
            # The left button held over our window while the other program
            # has the focus, the pointer moving: neither a walk nor a look.
            harness.move_mouse(100, 100)
            harness.mouse_down(1)
            try:
                for step in range(10):
                    harness.move_mouse(100 + 40 * step, 100 + 25 * step)
                    time.sleep(0.1)
            finally:
                harness.mouse_up(1)
        finally:
            other.kill()
            other.wait()
        harness.give_focus(window)
        _, _, after = harness.settled_picture(window)
        self.assertIn("view=12", harness.block_line(window), "a key held in another program acted here")
        self.assertEqual(harness.read_line(after, 9, 42), harness.read_line(before, 9, 42),
                         "a button held over the window while another program had the focus walked")
        self.assertGreaterEqual(harness.same_fraction(after, before), 0.995,
                                "a button held over the window while another program had the focus turned the view")
        # The same key held here does act.
        harness.hold_keys_until(["bracketright"], lambda: "view=12" not in harness.block_line(window), 10,
                                "']' held in our own window to act")
        self.assertNotIn("view=12", harness.block_line(window), "the key did not act in our own window either")
        self.assertEqual(harness.quit_with(self.process), 0)
        self.process = None


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
