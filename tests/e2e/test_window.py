"""The real window: title, place and size at every scale, the magnified
picture, the backdrop where nothing is drawn, and the ways out."""
import os
import signal
import sys
import time
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
        time.sleep(1.5)  # let the view settle
        pictures = {}
        for n in (1, 2, 4, 3):
            harness.key("F%d" % n)
            window = harness.wait_for_size(320 * n, 240 * n)
            time.sleep(1.0)
            self.assertEqual(harness.geometry(window), (0, 0, 320 * n, 240 * n))
            self.assertEqual(harness.window_title(window), "TALVOX")
            scale, shot, picture = harness.window_picture(window)
            self.assertEqual(scale, n)
            self.assertTrue(harness.blocks_are_uniform(shot, 320 * n, 240 * n, n),
                            "scale %d: the picture is not magnified in whole blocks" % n)
            pictures[n] = picture
        for n in (1, 2, 4):
            same = sum(1 for i in range(0, len(picture), 3) if pictures[n][i:i + 3] == pictures[3][i:i + 3])
            self.assertGreaterEqual(same / (320 * 240), 0.995, "scale %d differs from scale 3" % n)
        harness.key("Escape")
        self.assertEqual(harness.wait_exit(self.process), 0)

    def test_backdrop_shows_exactly_where_nothing_is_drawn(self):
        time.sleep(1.0)
        _, _, picture = harness.window_picture(self.window, os.path.join(self.work, "start.png"))
        expected = harness.expected_backdrop()
        backdrop = other = 0
        for i in range(0, len(picture), 3):
            colour = picture[i:i + 3]
            self.assertNotIn(tuple(colour), [(255, 0, b) for b in range(228, 233)],
                             "the clear colour shows at pixel %d" % (i // 3))
            if colour == expected[i:i + 3]:
                backdrop += 1
            elif colour != b"\xff\xff\xff":
                other += 1
        self.assertGreater(backdrop, 0)
        print("backdrop pixels %d, drawn (not HUD white) %d" % (backdrop, other))
        self.assertEqual(other, 0, "pixels that are neither backdrop nor HUD text")

    def test_escape_ends_with_exit_code_zero(self):
        time.sleep(0.5)
        harness.key("Escape")
        self.assertEqual(harness.wait_exit(self.process), 0)

    def test_close_request_ends_with_exit_code_zero(self):
        time.sleep(0.5)
        harness.key("alt+F4")
        self.assertEqual(harness.wait_exit(self.process), 0)

    def test_termination_signal_is_a_close_request(self):
        time.sleep(0.5)
        self.process.send_signal(signal.SIGTERM)
        self.assertEqual(harness.wait_exit(self.process), 0)


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
