"""The Debian package as a user gets it: CPack builds it from the build
folder, it is unpacked into a scratch root as dpkg installs it, and the
installed program, started from another folder, shows the same textured
world as the run folder (its bitmaps found in ../share/talvox) and saves
under $XDG_DATA_HOME/talvox. The package declares the package of every
library the program needs. About a minute and a half (one save)."""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

RUN_DIR = None
BITMAPS = ["structure_castle.bmp", "brickold2.bmp", "MIRKEL.bmp", "4_STONEWORK.bmp", "brickold3.bmp", "green.bmp"]


def linked_library_packages(program):
    """{library path: the package that installed it here} for each shared
    library the program itself names (those libraries' own come with their
    packages)."""
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", harness.run("readelf", "-d", program).stdout)
    paths = {}
    for line in harness.run("ldd", program).stdout.splitlines():
        name, _, where = line.strip().partition(" => ")
        if name in needed and where.startswith("/"):
            paths[name] = os.path.realpath(where.split()[0])
    missing = set(needed) - set(paths)
    assert not missing, "ldd does not find %s" % sorted(missing)
    packages = {}
    for path in paths.values():
        owner = subprocess.run(["dpkg", "-S", path], capture_output=True, text=True)
        if owner.returncode != 0:  # a merged /usr names the other half
            alternative = path[4:] if path.startswith("/usr/") else "/usr" + path
            owner = subprocess.run(["dpkg", "-S", alternative], capture_output=True, text=True)
        packages[path] = owner.stdout.split(":")[0] if owner.returncode == 0 else None
    return packages


class PackageTest(unittest.TestCase):
    def setUp(self):
        if not shutil.which("dpkg-deb"):
            self.skipTest("not a Debian system")
        self.folder = tempfile.mkdtemp(prefix="talvox-e2e-")
        self.process = None

    def tearDown(self):
        if self.process is not None:
            harness.stop(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_installed_program_finds_its_data_from_anywhere_and_saves_under_xdg(self):
        packages = os.path.join(self.folder, "packages")
        made = subprocess.run(["cpack", "--config", os.path.join(os.path.dirname(RUN_DIR), "CPackConfig.cmake"),
                               "-G", "DEB", "-B", packages], capture_output=True, text=True)
        self.assertEqual(made.returncode, 0, "cpack failed:\n" + made.stdout + made.stderr)
        [deb] = glob.glob(os.path.join(packages, "talvox_*.deb"))
        root = os.path.join(self.folder, "root")
        harness.run("dpkg-deb", "-x", deb, root)
        share = os.path.join(root, "usr", "share")
        for path in ["applications/talvox.desktop", "icons/hicolor/48x48/apps/talvox.png",
                     "icons/hicolor/256x256/apps/talvox.png"] + ["talvox/bmp_cube/" + name for name in BITMAPS]:
            self.assertTrue(os.path.isfile(os.path.join(share, path)), "the package lacks /usr/share/" + path)
        with open(os.path.join(share, "applications", "talvox.desktop")) as f:
            launcher = f.read().splitlines()
        self.assertIn("Exec=talvox", launcher)
        self.assertIn("Icon=talvox", launcher)

        program = os.path.join(root, "usr", "bin", "talvox")
        depends = harness.run("dpkg-deb", "-f", deb, "Depends").stdout
        declared = {choice.split()[0] for part in depends.split(",") for choice in part.split("|") if choice.strip()}
        for library, package in linked_library_packages(program).items():
            self.assertIn(package, declared, "%s comes from %s, which the package does not declare (%s)"
                          % (library, package, depends.strip()))
        # SDL2 opens the GL library itself, at run time.
        self.assertIn("libgl1", declared)

        # The picture the run folder shows, then the installed program's,
        # started from a folder that holds nothing of it.
        work = harness.scratch_copy(RUN_DIR)
        self.process, window = harness.start(work)
        _, _, expected = harness.settled_picture(window)
        self.assertEqual(harness.quit_with(self.process), 0)
        shutil.rmtree(os.path.dirname(work), ignore_errors=True)
        elsewhere = os.path.join(self.folder, "elsewhere")
        os.mkdir(elsewhere)
        xdg = os.path.join(self.folder, "xdg")
        self.process, window = harness.start(elsewhere, command=[program], env=dict(os.environ, XDG_DATA_HOME=xdg))
        _, _, picture = harness.settled_picture(window)
        self.assertGreaterEqual(harness.same_fraction(expected, picture), 0.97,
                                "the installed program shows another picture than the run folder (no textures?)")

        # Its first save makes the map folder under XDG_DATA_HOME.
        saved = os.path.join(xdg, "talvox", "map", "0.map")
        harness.give_focus(window)
        harness.hold_keys_until(["ctrl", "s"], lambda: os.path.isdir(os.path.dirname(saved)), 30,
                                "the save to make its folder")
        # What was seen goes beside it, once it is whole.
        harness.wait_for(lambda: sorted(os.listdir(os.path.dirname(saved))) == ["0.map", "0.seen"]
                         and os.path.getsize(saved) == harness.MAP_BYTES,
                         harness.TRANSFER_TIMEOUT, "the map and what was seen under XDG_DATA_HOME")
        self.assertEqual(os.listdir(elsewhere), ["talvox.log"], "the program wrote into the folder it started in")
        self.assertFalse(os.path.exists(os.path.join(share, "talvox", "map")), "the program saved beside its data")
        self.assertEqual(harness.quit_with(self.process), 0)
        self.process = None


if __name__ == "__main__":
    RUN_DIR = os.path.abspath(harness.parse_arguments().run_dir)
    unittest.main(argv=[sys.argv[0], "-v"])
