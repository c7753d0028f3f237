"""The Windows build under Wine: the same window, picture and ways out as the
Linux build, a save whose replace of the map writes through, and the user's
package unpacked and run as it is.

Which Windows build: TALVOX_WINDOWS_EXE, else build-windows/run/talvox.exe
in the repository (scripts/build-windows.sh writes it); the package is
TALVOX_WINDOWS_ZIP, else dist/talvox-windows-x64.zip. Wine runs in a
throwaway prefix beside the exe's run folder (TALVOX_WINEPREFIX overrides).
Without wine or without the exe the tests are skipped, and the run passes.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
EXE = os.path.abspath(os.environ.get("TALVOX_WINDOWS_EXE") or os.path.join(REPO, "build-windows", "run", "talvox.exe"))
ZIP = os.path.abspath(os.environ.get("TALVOX_WINDOWS_ZIP") or os.path.join(REPO, "dist", "talvox-windows-x64.zip"))
PREFIX = os.path.abspath(os.environ.get("TALVOX_WINEPREFIX") or
                         os.path.join(os.path.dirname(os.path.dirname(EXE)), "wineprefix"))
BITMAPS = ["structure_castle.bmp", "brickold2.bmp", "MIRKEL.bmp", "4_STONEWORK.bmp", "brickold3.bmp", "green.bmp"]
WHITE = b"\xff\xff\xff"
# The first start in a new prefix builds the prefix first.
FIRST_START_TIMEOUT = 240
# Built by the tests: as a DLL, a stand-in XInput whose loading leaves a
# file beside it; as a program, a quit with code 7 posted to the TALVOX
# window's thread, as another program would, or with an argument key 0xE8
# pressed and let go, as key-remapping tools send it.
HELPER = r"""#include <windows.h>
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    char path[MAX_PATH + 8];
    lstrcpyA(path + GetModuleFileNameA(self, path, MAX_PATH), ".loaded");
    if (reason == DLL_PROCESS_ATTACH) CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
    return TRUE;
}
int main(int argc, char**) {
    HWND window = FindWindowA("OpenGL", "TALVOX");
    if (argc > 1) return !PostMessageA(window, WM_KEYDOWN, 0xE8, 1) || !PostMessageA(window, WM_KEYUP, 0xE8, 0xC0000001);
    return !PostThreadMessageA(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 7, 0);
}
"""


def build_helper(work):
    """The helper above beside the program, as helper.dll and helper.exe."""
    with open(os.path.join(work, "helper.cpp"), "w") as source:
        source.write(HELPER)
    for kind, output in (("-shared", "helper.dll"), ("-O1", "helper.exe")):
        harness.run("x86_64-w64-mingw32-g++", kind, "-static", "-o", os.path.join(work, output),
                    os.path.join(work, "helper.cpp"))


def wine_environment():
    os.environ["WINEPREFIX"] = PREFIX
    os.environ["WINEDEBUG"] = "-all"
    os.environ["WINEARCH"] = "win64"
    # No offer to install Mono or Gecko when the prefix is made.
    os.environ["WINEDLLOVERRIDES"] = "mscoree,mshtml="


def stop_wine_server():
    """Ends this prefix's wine server and the helper processes it started."""
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=60)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=60)


def start_program(work, command, timeout=120):
    """Starts command in work once no earlier TALVOX window is left and waits
    for its first frame; returns (process, window, seconds to that frame)."""
    harness.wait_for(lambda: not harness.window_ids(), 30, "the earlier TALVOX windows to go")
    os.environ["TALVOX_COMMAND"] = command
    started = time.monotonic()
    process, window = harness.start(work, timeout)
    return process, window, time.monotonic() - started


def other_windows(window):
    """Visible top-level windows of Wine programs other than ours."""
    result = harness.run("xdotool", "search", "--onlyvisible", "--classname", "winver", check=False)
    return [int(w) for w in result.stdout.split() if int(w) != window]


def compare_with_linux(test, linux, windows):
    """The Windows picture shows what the Linux one shows: the HUD's white
    text in exactly the same pixels, the backdrop's frame lines and panel
    wherever the Linux build shows them unless the Windows build drew scene
    there, and the scene itself nearly the same (only spinning objects and
    edges may differ)."""
    backdrop = harness.expected_backdrop()
    white_mismatch = backdrop_replaced_by_white = 0
    for i in range(0, len(linux), 3):
        lin, win, back = linux[i:i + 3], windows[i:i + 3], backdrop[i:i + 3]
        if (lin == WHITE) != (win == WHITE):
            white_mismatch += 1
        if lin == back and win != back and win == WHITE:
            backdrop_replaced_by_white += 1
    fraction = harness.same_fraction(linux, windows)
    print("Windows picture: %.2f %% of the pixels as on Linux, %d HUD pixels differ" % (100 * fraction, white_mismatch))
    test.assertEqual(white_mismatch, 0, "the HUD text differs from the Linux build's")
    test.assertEqual(backdrop_replaced_by_white, 0)
    test.assertGreaterEqual(fraction, 0.97, "the Windows picture is not the Linux build's")
    linux_backdrop = sum(1 for i in range(0, len(linux), 3) if linux[i:i + 3] == backdrop[i:i + 3])
    windows_backdrop = sum(1 for i in range(0, len(windows), 3) if windows[i:i + 3] == backdrop[i:i + 3])
    print("backdrop pixels: Linux %d, Windows %d" % (linux_backdrop, windows_backdrop))


@unittest.skipIf(shutil.which("wine") is None, "wine is not installed")
@unittest.skipIf(not os.path.isfile(EXE), "no Windows build at %s (scripts/build-windows.sh makes it)" % EXE)
class WineTest(unittest.TestCase):
    linux_picture = None

    @classmethod
    def setUpClass(cls):
        harness.require_display()
        wine_environment()
        # The Linux build's picture, to compare with.
        work = harness.scratch_copy(RUN_DIR)
        process = None
        try:
            process, window, _ = start_program(work, "./talvox")
            scale, _, cls.linux_picture = harness.settled_picture(window)
            assert scale == 3, "the Linux window opened at scale %d" % scale
            harness.quit_with(process)
        finally:
            if process:
                harness.stop(process, work)
            else:
                shutil.rmtree(os.path.dirname(work), ignore_errors=True)

        # The first start in a new prefix, then a warm one with the prefix
        # made but no wine server running. Right after the first start the
        # prefix's services are still starting and frames are slow: a tapped
        # Escape, pressed and let go within one frame, was not seen (see
        # harness.hold_keys_until), so Escape is held until the program ends.
        new_prefix = not os.path.isdir(PREFIX)
        for kind in ("new prefix" if new_prefix else "existing prefix", "warm"):
            work = cls.windows_run_folder()
            process = None
            try:
                process, window, seconds = start_program(work, "wine talvox.exe", FIRST_START_TIMEOUT)
                print("Wine, %s: the first frame after %.1f s" % (kind, seconds))
                harness.give_focus(window)
                harness.quit_with(process, timeout=60)
                stop_wine_server()
            finally:
                if process:
                    harness.stop(process, work)
                else:
                    shutil.rmtree(os.path.dirname(work), ignore_errors=True)

    @classmethod
    def tearDownClass(cls):
        if os.environ.get("WINEPREFIX") == PREFIX:
            stop_wine_server()

    @classmethod
    def windows_run_folder(cls):
        """A scratch copy of the Linux run folder (the same bitmaps) with the
        Windows program beside the Linux one."""
        work = harness.scratch_copy(RUN_DIR)
        shutil.copy2(EXE, os.path.join(work, "talvox.exe"))
        return work

    def setUp(self):
        self.process = self.work = None

    def tearDown(self):
        if self.process:
            harness.stop(self.process, self.work)

    def start_windows_build(self, work):
        self.work = work
        self.process, window, seconds = start_program(work, "wine talvox.exe")
        print("Wine: the first frame after %.1f s" % seconds)
        harness.give_focus(window)
        return window

    def test_window_picture_rescale_move_fullscreen_and_screenshot_match_the_linux_build(self):
        window = self.start_windows_build(self.windows_run_folder())
        self.assertEqual(harness.window_title(window), "TALVOX")
        self.assertEqual(harness.geometry(window), (0, 0, 960, 720))

        scale, shot, picture = harness.settled_picture(window)
        self.assertEqual(scale, 3)
        self.assertTrue(harness.blocks_are_uniform(shot, 960, 720, 3), "the picture is not magnified in whole blocks")
        compare_with_linux(self, self.linux_picture, picture)

        window = harness.rescale(1)
        harness.give_focus(window)
        self.assertEqual(harness.geometry(window), (0, 0, 320, 240))
        self.assertEqual(harness.window_title(window), "TALVOX")
        _, _, small = harness.settled_picture(window)
        self.assertGreaterEqual(harness.same_fraction(small, picture), 0.97, "scale 1 shows another picture than scale 3")

        # 'M' puts the window's corner at the pointer, keeping its size.
        harness.move_mouse(100, 50)
        harness.hold_key("m", 0.3)
        harness.wait_for(lambda: harness.geometry(window) == (100, 50, 320, 240), 10,
                         "the window at (100, 50); it is at %s" % (harness.geometry(window),))

        # F11 covers the screen with the picture at its largest whole zoom,
        # F12 saves the picture shown, F11 again brings back the window at
        # the corner.
        screen = tuple(int(v) for v in harness.run("xdotool", "getdisplaygeometry").stdout.split())
        harness.hold_keys_until(["F11"], lambda: harness.geometry(window) == (0, 0) + screen, 20,
                                "the window to cover the screen")
        zoom, shot, margins = harness.settled_fullscreen_picture()
        self.assertEqual(margins.count(0), len(margins), "the margins are not black")
        self.assertTrue(harness.blocks_are_uniform(shot, 320 * zoom, 240 * zoom, zoom), "fullscreen blocks")
        shown = harness.picture_of(shot, 320 * zoom, zoom)
        self.assertGreaterEqual(harness.same_fraction(shown, small), 0.97, "fullscreen shows another picture")
        folder = os.path.join(self.work, "screenshots")
        harness.hold_keys_until(["F12"], lambda: os.path.isdir(folder) and os.listdir(folder), 20, "a screenshot")

        def decoded():
            path = os.path.join(folder, os.listdir(folder)[0])
            ok = harness.run("identify", "-format", "%m %wx%h", path, check=False).stdout == "PNG 320x240"
            return ok and harness.run("convert", path, "-depth", "8", "rgb:-", text=False).stdout
        saved = harness.wait_for(decoded, 20, "the screenshot to be written")
        self.assertEqual(harness.same_fraction(saved, shown), 1.0, "the screenshot is not the picture shown")
        window = harness.rescale(1, press="F11")
        self.assertEqual(harness.geometry(window), (0, 0, 320, 240))
        harness.give_focus(window)

        # The map's keys come in as Windows' own key codes: O frames the
        # corner map; N shows the map, PgUp shows the level above (the view
        # line then names it) and '=' zooms in, each changing the map.
        shown = lambda: harness.window_picture(window)[2]  # noqa: E731
        harness.hold_keys_until(["o"], lambda: harness.pixel(shown(), 204, 225) == (128, 128, 128), 20,
                                "O to frame the corner map")
        harness.hold_keys_until(["n"], lambda: harness.pixel(shown(), 160, 119) == (255, 255, 0), 20, "N for the map")
        for name in ("Prior", "equal"):
            _, _, mapped = harness.settled_picture(window)
            harness.hold_keys_until([name], lambda: harness.same_fraction(mapped, shown()) < 0.9999, 20,
                                    name + " to change the map")

        self.assertEqual(harness.quit_with(self.process), 0)

    def test_alt_f4_reaches_the_close_message_and_exits_with_zero(self):
        # Alt+F4 is a system key: only the system's default processing turns
        # it into the close message.
        self.start_windows_build(self.windows_run_folder())
        self.assertEqual(harness.quit_with(self.process, ["alt", "F4"]), 0)

    def test_a_quit_posted_from_outside_ends_with_its_code_and_xinput_comes_from_the_system_folder(self):
        work = self.windows_run_folder()
        build_helper(work)
        names = ["xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"]
        for name in names:
            shutil.copy2(os.path.join(work, "helper.dll"), os.path.join(work, name))
        # As Windows would, Wine loads a DLL of these names found in the
        # folder instead of its own.
        os.environ["WINEDLLOVERRIDES"] += ";xinput1_4,xinput1_3,xinput9_1_0=n,b"
        try:
            window = self.start_windows_build(work)
        finally:
            wine_environment()
        harness.settled_picture(window)
        harness.run("wine", os.path.join(work, "helper.exe"))
        self.assertEqual(harness.wait_exit(self.process), 7)
        self.assertEqual([name for name in names if os.path.exists(os.path.join(work, name + ".loaded"))], [])

    def test_a_save_replaces_the_map_writing_through(self):
        # Wine traces each MoveFileEx with its flags: the save's replace of the
        # map asks for MOVEFILE_REPLACE_EXISTING (1) and MOVEFILE_WRITE_THROUGH
        # (8), so that the replacement is on disk when the call returns.
        os.environ["WINEDEBUG"] = "trace+file"
        try:
            work = self.windows_run_folder()
            window = self.start_windows_build(work)
        finally:
            os.environ["WINEDEBUG"] = "-all"
        temp = harness.start_save(work)
        # The bar goes on filling, drawn straight onto the window, while the
        # second volume moves.
        harness.wait_for(lambda: os.path.getsize(temp) >= 20000000, 60, "the save to reach its flag map")
        self.assertGreaterEqual(harness.bar_fill(window), 19 * 8, "the bar stopped with the first volume")
        harness.finish_save(work, temp)
        self.assertEqual(harness.quit_with(self.process), 0)
        with open(os.path.join(work, "talvox.log"), errors="replace") as log:
            moves = re.findall(r'MoveFileWithProgressW \(L"([^"]*)",L"([^"]*)",[0-9a-fA-F]+,[0-9a-fA-F]+,([0-9a-fA-F]+)\)',
                               log.read())
        replaces = [int(flags, 16) for _, target, flags in moves if re.search(r"[\\/]0\.map$", target)]
        self.assertEqual(len(replaces), 1, "one replace of the map in Wine's trace, not %s" % moves[:5])
        self.assertEqual(replaces[0] & 9, 9, "the replace of the map asks for flags %#x" % replaces[0])

    def test_escape_tapped_during_a_save_finishes_it_at_once_and_exits(self):
        # A tap, not a hold: down and up at once, between two of the pauses'
        # looks at the key (xdotool's default delay holds it half the delay).
        # Key 0xE8 before it, as a remapping tool sends it, finishes nothing.
        work = self.windows_run_folder()
        build_helper(work)
        self.start_windows_build(work)
        temp = harness.start_save(work)
        harness.run("wine", os.path.join(work, "helper.exe"), "0xE8")
        time.sleep(3.0)
        self.assertIsNone(self.process.poll(), "key 0xE8 ended the program")
        self.assertFalse(harness.save_done(work, temp), "key 0xE8 finished the save")
        tapped = time.monotonic()
        harness.key("Escape", delay_ms=0)
        self.assertEqual(harness.wait_exit(self.process, harness.TRANSFER_TIMEOUT), 0)
        took = time.monotonic() - tapped
        print("Wine, Escape tapped during a save: exit %.2f s after the tap" % took)
        self.assertLess(took, 8.0, "the save went on after the tapped Escape")
        self.assertTrue(harness.save_done(work, temp), "the save was cut short")

    def test_walking_keys_and_the_captured_pointer_work_in_the_windows_build(self):
        window = self.start_windows_build(self.windows_run_folder())
        x, y, width, height = harness.geometry(window)
        # The view starts looking straight up; 'V' levels it.
        _, _, up = harness.settled_picture(window)
        harness.key("v")
        _, _, before = harness.settled_picture(window)
        self.assertLess(harness.same_fraction(up, before), 0.9, "'V' did not level the view")
        # 'W' walks (or 'S', where a wall stands in front): the picture moves.
        for name in ("w", "s"):
            harness.hold_key(name, 1.0)
            _, _, walked = harness.settled_picture(window)
            if harness.same_fraction(before, walked) < 0.9:
                break
        self.assertLess(harness.same_fraction(before, walked), 0.9, "neither 'W' nor 'S' walked")
        # Tab holds the pointer in the window, and its motion turns the view.
        harness.move_mouse(x + width // 2, y + height // 2)
        harness.key("Tab")
        time.sleep(1.0)
        for _ in range(5):
            harness.run("xdotool", "mousemove_relative", "--", "400", "0")
            time.sleep(0.1)
        _, _, turned = harness.settled_picture(window)
        self.assertLess(harness.same_fraction(walked, turned), 0.8, "the captured pointer did not turn the view")
        location = dict(part.split(":") for part in harness.run("xdotool", "getmouselocation").stdout.split()[:2])
        self.assertTrue(x <= int(location["x"]) < x + width and y <= int(location["y"]) < y + height,
                        "the pointer left the window: %r" % location)
        harness.key("Tab")
        self.assertEqual(harness.quit_with(self.process), 0)

    def test_keys_held_in_another_program_do_not_act(self):
        window = self.start_windows_build(self.windows_run_folder())
        _, _, before = harness.settled_picture(window)
        # Another Windows program in front (the About box of winver), with '['
        # (view radius down) held while it has the keyboard.
        other = subprocess.Popen(["wine", "winver"], cwd=self.work, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        try:
            box = harness.wait_for(lambda: (other_windows(window) or [None])[-1], 60, "the winver window")
            harness.give_focus(box)
            harness.hold_key("bracketleft", 2.5)
            # Closing it hands the activation back to our window.
            harness.key("Escape")
            harness.wait_for(lambda: other.poll() is not None, 30, "winver to end")
        finally:
            if other.poll() is None:
                other.kill()
                other.wait()
        harness.give_focus(window)
        _, _, unchanged = harness.settled_picture(window)
        self.assertGreaterEqual(harness.same_fraction(before, unchanged), 0.99, "a key held in another program acted here")
        # The same key held with our window in front brings the view in.
        harness.hold_key("bracketleft", 2.5)
        _, _, changed = harness.settled_picture(window)
        self.assertLess(harness.same_fraction(before, changed), 0.9, "'[' held in our own window did not act")
        self.assertEqual(harness.quit_with(self.process), 0)

    def test_package_unpacks_to_a_folder_that_runs_as_it_is(self):
        if not os.path.isfile(ZIP):
            self.skipTest("no package at %s" % ZIP)
        with zipfile.ZipFile(ZIP) as package:
            names = set(package.namelist())
            expected = {"talvox/", "talvox/talvox.exe", "talvox/README.txt", "talvox/map/", "talvox/bmp_cube/"}
            expected |= {"talvox/bmp_cube/" + name for name in BITMAPS}
            self.assertEqual(names, expected)
            readme = package.read("talvox/README.txt").decode("ascii")
            folder = tempfile.mkdtemp(prefix="talvox-e2e-")
            package.extractall(folder)
        with open(os.path.join(folder, "talvox", "talvox.exe"), "rb") as f:
            exe = f.read()
        # The application manifest that keeps Windows from stretching the window.
        self.assertIn(b'<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>', exe)
        self.assertIn(b">PerMonitorV2, system</dpiAwareness>", exe)
        self.assertIn("talvox.exe", readme)
        self.assertIn("\r\n", readme, "the user text has no Windows line ends")
        work = os.path.join(folder, "run")
        os.rename(os.path.join(folder, "talvox"), work)
        for name in BITMAPS:
            with open(os.path.join(work, "bmp_cube", name), "rb") as packed, \
                    open(os.path.join(RUN_DIR, "bmp_cube", name), "rb") as built:
                self.assertEqual(packed.read(), built.read(), "%s differs from the texture maker's" % name)

        window = self.start_windows_build(work)
        self.assertEqual(harness.geometry(window), (0, 0, 960, 720))
        _, _, picture = harness.settled_picture(window)
        compare_with_linux(self, self.linux_picture, picture)
        self.assertEqual(harness.quit_with(self.process), 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the Linux build's run folder (talvox, bmp_cube/, map/)")
    arguments, tests = parser.parse_known_args()
    RUN_DIR = os.path.abspath(arguments.run_dir)
    unittest.main(argv=[sys.argv[0], "-v"] + tests)
