"""Saving and loading map 0 in the real program: the same start-up world
saves to the same bytes in two runs, a save killed part-way leaves the old
map as it was, Ctrl+L brings back a saved world after '2' replaced it, and
the progress line shows while the first volume moves and the bar under it
fills to the end, and Escape three seconds into a save writes the same map at
once and ends the program, or into a load, ends it leaving the disk as it was.

Every save or load takes about 35 s of real time (a one-second pause per
chunk): the whole file runs four saves, a load and a killed save, about four
minutes, and the Escapes a few seconds more.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None


class SaveLoadTest(unittest.TestCase):
    startup_map = None

    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        for name in os.listdir(os.path.join(self.work, "map")):
            os.remove(os.path.join(self.work, "map", name))
        self.process, self.window = harness.start(self.work)

    def tearDown(self):
        harness.stop(self.process, self.work)

    def test_1_save_shows_progress_and_a_killed_save_keeps_the_old_map(self):
        started = time.monotonic()
        temp = harness.start_save(self.work)
        # The dungeon-map phase lasts about 17 s and shows the line throughout.
        self.assertGreater(harness.progress_line_pixels(self.window), 50, "no progress line during the first volume")
        # The bar goes on filling while the second volume moves, the picture
        # above it held: 8 columns a chunk, 19 chunks moved once 20 are begun.
        harness.wait_for(lambda: os.path.getsize(temp) >= 20000000, 40, "the save to reach its flag map")
        self.assertGreaterEqual(harness.bar_fill(self.window), 19 * 8, "the bar stopped with the first volume")
        self.assertGreater(harness.progress_line_pixels(self.window), 50, "the progress line went with the first volume")
        saved = harness.finish_save(self.work, temp)
        print("save took %.1f s" % (time.monotonic() - started))
        self.assertEqual(len(saved), harness.MAP_BYTES)
        self.assertEqual(harness.temp_files(self.work), [], "a temporary file was left behind")
        SaveLoadTest.startup_map = saved

        temp = harness.start_save(self.work)
        harness.wait_for(lambda: os.path.getsize(os.path.join(self.work, "map", temp)) >= 3000000, 20,
                         "the second save to write three chunks")
        self.process.kill()
        self.process.wait()
        self.assertEqual(harness.read_map(self.work), saved, "a killed save changed the map")

    def test_2_second_run_saves_the_same_world_and_load_brings_it_back(self):
        if SaveLoadTest.startup_map is None:
            self.skipTest("needs the first run's map")
        first = SaveLoadTest.startup_map
        self.assertEqual(harness.save(self.work), first, "two runs saved different start-up worlds")

        # "Map saved" holds the picture two seconds, and no key acts meanwhile.
        harness.wait_for(lambda: harness.progress_line_pixels(self.window) == 0, 20, "the save's last line to go")
        harness.hold_key("2", 1.0)  # over many frames, each regenerating the same world
        harness.settled_picture(self.window)
        regenerated = harness.save(self.work)
        self.assertEqual(len(regenerated), harness.MAP_BYTES)
        self.assertNotEqual(regenerated, first, "'2' did not change the world")

        # Put the start-up map back from outside and load it.
        with open(harness.map_path(self.work) + ".put", "wb") as f:
            f.write(first)
        os.replace(harness.map_path(self.work) + ".put", harness.map_path(self.work))
        # The picture without the save's progress and "Map saved" lines.
        harness.wait_for(lambda: harness.progress_line_pixels(self.window) == 0, 20, "the save's last line to go")
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.progress_line_pixels(self.window) > 50, harness.TRANSFER_TIMEOUT,
                        "the load's progress line")
        # Ctrl+S held during the load starts the next save as soon as it ends.
        reloaded = harness.save(self.work)
        self.assertEqual(reloaded, first, "the load did not bring back the saved world")

    def escape_three_seconds_into(self, what):
        """Taps Escape three seconds on; the program must exit with 0 within a second."""
        time.sleep(3.0)
        tapped = time.monotonic()
        harness.key("Escape")
        self.assertEqual(harness.wait_exit(self.process, harness.TRANSFER_TIMEOUT), 0)
        took = time.monotonic() - tapped
        print("Escape during %s: exit %.2f s after the tap" % (what, took))
        self.assertLess(took, 1.0, "%s went on after Escape" % what)

    def map_folder(self):
        """{name: stat} of the work folder's map/."""
        folder = os.path.join(self.work, "map")
        return {name: os.stat(os.path.join(folder, name)) for name in os.listdir(folder)}

    def test_3_escape_three_seconds_into_a_save_or_a_load_ends_the_program_at_once(self):
        if SaveLoadTest.startup_map is None:
            self.skipTest("needs the first run's map")
        temp = harness.start_save(self.work)
        # The rest of the map without the pauses, flushed, in place.
        self.escape_three_seconds_into("a save")
        self.assertTrue(harness.save_done(self.work, temp), "the save was cut short")
        self.assertEqual(harness.temp_files(self.work), [])
        self.assertEqual(harness.read_map(self.work), SaveLoadTest.startup_map,
                         "the map differs from a save left to finish")

        # A load stopped by Escape leaves the map folder as it was.
        before = self.map_folder()
        self.process, self.window = harness.start(self.work)
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.progress_line_pixels(self.window) > 50,
                                harness.TRANSFER_TIMEOUT, "the load's progress line")
        self.escape_three_seconds_into("a load")
        after = self.map_folder()
        self.assertEqual(sorted(after), sorted(before), "the load changed the map folder")
        for name, was in before.items():
            now = after[name]
            self.assertEqual((now.st_ino, now.st_size, now.st_mtime_ns), (was.st_ino, was.st_size, was.st_mtime_ns), name)
        self.assertEqual(harness.read_map(self.work), SaveLoadTest.startup_map, "the load changed the map")


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
