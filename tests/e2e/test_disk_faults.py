"""Faults on the way to disk in the real program: killed (SIGKILL) at random
moments of a save, it always leaves the old or the new map whole, byte for
byte, and (where the save's file has no name until it is whole) nothing
else; the next save removes the temporary files of ended saves; on a full disk and in a read-only map folder the save fails, the old
map stays and the failure line says so on the screen.

The full disk is a small tmpfs mounted on the map folder, the read-only
folder a read-only bind mount (both need root; without them the full disk
falls back to a file size limit on the program and the read-only case is
skipped, with the in-process FileFaults tests standing in). One complete
save takes about 35 s; the whole file takes about three and a half minutes.
"""
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
# Seconds after the save made its temporary file at which the early kills come.
EARLY_KILL_RANGE = (0.2, 6.0)
EARLY_KILLS = 4


def old_map_bytes():
    """A map no run of the program makes: stripes of rock and open cells."""
    stripe = bytes([1] * 97 + [0] * 31)
    volume = (stripe * (harness.MAP_BYTES // 2 // len(stripe) + 1))[:harness.MAP_BYTES // 2]
    flags = bytes([10, 0, 0, 99, 0, 1, 0]) * (harness.MAP_BYTES // 2 // 7 + 1)
    return volume + flags[:harness.MAP_BYTES // 2]


def put_old_map(work, old):
    with open(harness.map_path(work) + ".put", "wb") as f:
        f.write(old)
    os.replace(harness.map_path(work) + ".put", harness.map_path(work))


def try_run(*command):
    return subprocess.run(command, capture_output=True, text=True).returncode == 0


class DiskFaultTest(unittest.TestCase):
    def setUp(self):
        self.work = harness.scratch_copy(RUN_DIR)
        for name in os.listdir(os.path.join(self.work, "map")):
            os.remove(os.path.join(self.work, "map", name))
        self.process = None
        self.mounted = []

    def tearDown(self):
        if self.process is not None:
            harness.stop(self.process)
        for target in reversed(self.mounted):
            subprocess.run(["umount", "-l", target], capture_output=True)
        shutil.rmtree(os.path.dirname(self.work), ignore_errors=True)

    def start(self, preexec_fn=None):
        self.process, self.window = harness.start(self.work, preexec_fn=preexec_fn)

    def escape(self):
        """The program goes on after the failure: once its line has gone (a
        key pressed and let go during the pause would be taken whole before
        the next frame looks at it), Escape ends it with 0."""
        harness.wait_for(lambda: harness.failure_line_pixels(self.window) == 0, 30, "the failure line to go")
        self.assertEqual(harness.quit_with(self.process), 0)
        self.process = None

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()
        self.process = None

    def test_killed_saves_leave_the_old_or_the_new_map_whole(self):
        old = old_map_bytes()
        put_old_map(self.work, old)
        # One whole save gives the new map: the start-up world.
        self.start()
        started = time.monotonic()
        new = harness.save(self.work)
        save_seconds = time.monotonic() - started
        self.assertEqual(len(new), harness.MAP_BYTES)
        self.assertNotEqual(new, old)
        self.kill()

        seed = int(os.environ.get("TALVOX_KILL_SEED", time.time_ns() % 1000000))
        chooser = random.Random(seed)
        delays = [chooser.uniform(*EARLY_KILL_RANGE) for _ in range(EARLY_KILLS)]
        # And one close to the moment the finished file replaces the old one.
        delays.append(chooser.uniform(save_seconds - 3.0, save_seconds + 1.0))
        print("\nkill seed %d; a whole save took %.1f s" % (seed, save_seconds))
        for run, delay in enumerate(delays, 1):
            put_old_map(self.work, old)
            self.start()
            temp = harness.start_save(self.work)
            time.sleep(delay)  # the kill's moment, drawn at random: not a wait
            written = os.path.getsize(temp) if os.path.exists(temp) else None
            self.kill()
            after = harness.read_map(self.work)
            outcome = "old" if after == old else "new" if after == new else "NEITHER"
            print("run %d: killed %.2f s into the save (%s bytes in its temporary file): the map is the %s one, "
                  "%d byte(s), %d temporary file(s) left" % (run, delay, written if written is not None else "no",
                                                             outcome, len(after), len(harness.temp_files(self.work))))
            self.assertIn(outcome, ("old", "new"), "run %d: a kill %.2f s into the save left a map that is "
                          "neither the old nor the new one" % (run, delay))
            if delay < save_seconds - 5.0:
                self.assertEqual(outcome, "old", "run %d: the map was replaced before the save ended" % run)
            if temp.startswith("/proc/"):
                self.assertEqual(harness.temp_files(self.work), [], "run %d: a killed unnamed save left a file" % run)

        # Temporary files that killed saves left where files must be named
        # (other file systems, Windows) do not stop a save, and it removes
        # those whose process has ended; a running process's stays.
        ended = subprocess.Popen(["true"])
        ended.wait()
        stale = ["0.map.tmp-%d" % ended.pid, "0.map.tmp-%d-1" % ended.pid]
        running = "0.map.tmp-%d" % os.getpid()
        for name in stale + [running]:
            with open(os.path.join(self.work, "map", name), "wb") as f:
                f.write(old[:3000000])
        put_old_map(self.work, old)
        self.start()
        self.assertEqual(harness.save(self.work), new)
        self.assertEqual(harness.temp_files(self.work), [running])

    def test_full_disk_keeps_the_old_map_and_says_so(self):
        old = old_map_bytes()
        target = os.path.join(self.work, "map")
        # Room for the old map and about eight chunks of a new one.
        mounted = try_run("mount", "-t", "tmpfs", "-o", "size=40m", "tmpfs", target)
        preexec = None
        if mounted:
            self.mounted.append(target)
            how = "a 40 MiB tmpfs"
        else:
            limit = 8 * 1000 * 1000 + 500000

            def preexec():
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            how = "a file size limit of %d bytes (mounting a tmpfs failed)" % limit
        put_old_map(self.work, old)
        self.start(preexec)
        started = time.monotonic()
        harness.hold_keys_until(["ctrl", "s"], lambda: harness.failure_line_pixels(self.window) > 100, harness.TRANSFER_TIMEOUT,
                                "the failure line")
        print("\nfull disk (%s): the save failed after %.1f s" % (how, time.monotonic() - started))
        harness.wait_for(lambda: not harness.temp_files(self.work), 10, "the temporary file to go")
        self.assertEqual(harness.read_map(self.work), old, "the old map changed")
        self.escape()

    def test_read_only_map_folder_keeps_the_old_map_and_says_so(self):
        old = old_map_bytes()
        put_old_map(self.work, old)
        target = os.path.join(self.work, "map")
        if not try_run("mount", "--bind", target, target):
            self.skipTest("cannot bind-mount here; FileFaults.ReadOnlyMapFolderKeepsTheOldMapAndSaysSo covers it")
        self.mounted.append(target)
        self.assertTrue(try_run("mount", "-o", "remount,bind,ro", target), "cannot make the bind mount read-only")
        self.start()
        started = time.monotonic()
        harness.hold_keys_until(["ctrl", "s"], lambda: harness.failure_line_pixels(self.window) > 100, 30,
                                "the failure line")
        print("\nread-only map folder: the failure showed after %.1f s" % (time.monotonic() - started))
        self.assertEqual(harness.read_map(self.work), old, "the old map changed")
        self.assertEqual(harness.temp_files(self.work), [])
        self.escape()


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
