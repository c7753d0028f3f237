"""The browser build beside the desktop program: frames per second and
processor time per frame at view radius 12 and 60 (and radius 60 turned down
a long sight line), the time from opening the page to its first frame, and
the size of what a browser downloads, plain and compressed.

Run it under Xvfb after scripts/build-web.sh and scripts/build.sh, e.g.

    xvfb-run -a -s "-screen 0 1600x1200x24" python3 bench/web_bench.py --run-dir build/run
        [--gl gl] [--dist before=/tmp/dist-before --dist after=dist/web]

The page runs in Debian's headless Chromium on SwiftShader (or on the
display's GL: --gl gl), beside the floor (bench/floor.html: a page doing
only the GPU work a frame of ours cannot do without), each in a Chromium of
its own; --dist given more than once adds other builds of the page. Each
page is measured --rounds times a viewpoint, in turn with the others, while
everything else is stopped (SIGSTOP); the medians are printed with their
ratio to the floor's. A page's frames are its swaps (Module.swaps; the floor
counts its animation frames there); its processor time is that of every
Chromium process (the page, the GPU process that rasterises, the browser)
from /proc, split by kind. The desktop program's frames are counted as
bench/desktop_bench.py counts them. It measures; it asserts nothing.
"""
import argparse
import gzip
import os
import re
import signal
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, HERE)
import browser  # noqa: E402
import desktop_bench  # noqa: E402
import harness  # noqa: E402

DIST = os.path.join(HERE, "..", "dist", "web")


def process_tree(root):
    """root's pid and those of all its descendants."""
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open("/proc/%s/stat" % name) as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(name))
            except (OSError, ValueError, IndexError):
                pass
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo += children.get(pid, [])
    return found


def tree_cpu_seconds(root):
    total = 0.0
    for pid in process_tree(root):
        try:
            total += desktop_bench.cpu_seconds(pid)
        except OSError:
            pass
    return total


def process_kinds(root):
    """{pid: the --type of each Chromium process (browser for the first)}."""
    kinds = {}
    for pid in process_tree(root):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                words = f.read().split(b"\0")
        except OSError:
            continue
        # Chromium's children rewrite their command line as one string.
        kind = re.findall(r"--type=([\w-]+)", b" ".join(words).decode(errors="replace"))
        kinds[pid] = kind[0] if kind else "browser"
    return kinds


def measure_page(page, seconds):
    """(frames per second, processor ms per frame of all of Chromium, of its
    GPU process and of its renderer) of the page over seconds."""
    kinds = process_kinds(page.process.pid)
    before = {pid: desktop_bench.cpu_seconds(pid) for pid in kinds}
    s0, t0 = page.evaluate("Module.swaps"), time.monotonic()
    time.sleep(seconds)
    s1, t1 = page.evaluate("Module.swaps"), time.monotonic()
    frames = s1 - s0
    spent = {}
    for pid, kind in kinds.items():
        try:
            spent[kind] = spent.get(kind, 0.0) + desktop_bench.cpu_seconds(pid) - before[pid]
        except OSError:
            pass
    per_frame = {kind: 1000.0 * v / frames if frames else 0.0 for kind, v in spent.items()}
    return (frames / (t1 - t0), sum(per_frame.values()), per_frame.get("gpu-process", 0.0),
            per_frame.get("renderer", 0.0))


def measure_desktop(process, swaps_path, seconds):
    c0 = desktop_bench.cpu_seconds(process.pid)
    s0, t0 = desktop_bench.swaps_so_far(swaps_path)
    time.sleep(seconds)
    s1, t1 = desktop_bench.swaps_so_far(swaps_path)
    c1 = desktop_bench.cpu_seconds(process.pid)
    frames = s1 - s0
    return frames / (t1 - t0) if t1 > t0 else 0.0, 1000.0 * (c1 - c0) / frames if frames else 0.0


def sizes(folder):
    """[(name, bytes, gzip -9 bytes)] of what the page downloads."""
    rows = []
    for name in ("index.html", "talvox.js", "talvox.wasm"):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        rows.append((name, len(data), len(gzip.compress(data, 9))))
    bitmaps = b"".join(open(os.path.join(folder, "bmp_cube", n), "rb").read()
                       for n in sorted(os.listdir(os.path.join(folder, "bmp_cube"))))
    rows.append(("bmp_cube/ (6 bitmaps)", len(bitmaps), len(gzip.compress(bitmaps, 9))))
    return rows


def named_folders(given):
    """[(label, folder)] of --dist's LABEL=FOLDER or FOLDER values."""
    named = []
    for value in given or [DIST]:
        label, _, folder = value.rpartition("=")
        named.append((label or ("page" if len(given or []) < 2 else os.path.basename(os.path.normpath(folder))),
                      folder))
    return named


def stopped(pids):
    """Stops the processes (SIGSTOP) for a with block, so that what is
    measured meanwhile has both cores; they go on (SIGCONT) after it."""
    class Stopped:
        def __enter__(self):
            for pid in pids:
                try:
                    os.kill(pid, signal.SIGSTOP)
                except OSError:
                    pass

        def __exit__(self, *exception):
            for pid in pids:
                try:
                    os.kill(pid, signal.SIGCONT)
                except OSError:
                    pass
    return Stopped()


def radius_60(page):
    """Holds ] in the page until its HUD says radius 60."""
    page.key_down("bracketright")
    harness.wait_for(lambda: " view=60 " in harness.read_line(
        harness.picture_of(*(lambda s: (s[2], s[0], s[0] // 320))(page.canvas_pixels())), 9, 54), 30, "r60")
    page.key_up("bracketright")


def turn(page):
    """Turns the page's view down the long sight line: a right-button drag of
    one pixel at 30 %, 45 % of the picture, as on the desktop."""
    left, top, width, height = page.canvas_box()
    x, y = left + width * 3 // 10, top + height * 45 // 100
    page.mouse("mouseMoved", x, y)
    page.mouse("mousePressed", x, y, "right", 2)
    page.mouse("mouseMoved", x + 1, y, "none", 2)
    page.mouse("mouseReleased", x + 1, y, "right", 0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the desktop build's run folder")
    parser.add_argument("--gl", default="swiftshader", choices=sorted(browser.GL_FLAGS))
    parser.add_argument("--seconds", type=float, default=4.0, help="each measurement's length")
    parser.add_argument("--rounds", type=int, default=3, help="measurements of each page a viewpoint, taken in turn")
    parser.add_argument("--loads", type=int, default=3, help="loads of each page timed to the first frame")
    parser.add_argument("--dist", action="append",
                        help="a page's folder, LABEL=FOLDER or FOLDER (default dist/web); give it again to "
                             "measure other builds side by side")
    args = parser.parse_args()
    harness.font_dumper = os.path.join(os.path.dirname(os.path.abspath(args.run_dir)), "talvox_dump_font")
    folders = named_folders(args.dist)

    for label, folder in folders:
        for name, plain, packed in sizes(folder):
            print("%-8s download %-22s %9d bytes, %9d gzip -9" % (label, name, plain, packed))

    # Each page in a Chromium of its own, the floor too (bench/floor.html).
    servers, pages = [], []
    for label, folder in folders + [("floor", HERE)]:
        server, address = browser.serve(folder)
        servers.append(server)
        pages.append((label, browser.Page(tempfile.mkdtemp(), args.gl),
                      address + ("floor.html" if label == "floor" else "")))
    scratch = tempfile.mkdtemp(prefix="talvox-bench-")
    swaps_path = os.path.join(scratch, "swaps")
    os.environ["LD_PRELOAD"] = desktop_bench.build_swap_counter(scratch)
    os.environ["TALVOX_BENCH_SWAPS"] = swaps_path
    work = harness.scratch_copy(args.run_dir)
    process, window = harness.start(work)
    del os.environ["LD_PRELOAD"]
    try:
        browsers = {label: process_tree(page.process.pid) for label, page, _ in pages}
        firsts = {label: [] for label, _, _ in pages}
        for _ in range(args.loads):
            for label, page, address in pages:
                others = [pid for other, pids in browsers.items() if other != label for pid in pids]
                with stopped(others + [process.pid]):
                    page.open(address)
                    firsts[label].append(page.wait_for("window.Module && Module.firstSwapAt", 60, "the first frame"))
        for label, _, _ in pages:
            print("%-8s opened to first frame (%s, %d loads): median %.0f ms, %.0f-%.0f ms" %
                  (label, args.gl, len(firsts[label]), statistics.median(firsts[label]), min(firsts[label]),
                   max(firsts[label])))
        for _, page, _ in pages:
            page.evaluate("document.getElementById('canvas').focus()")
        time.sleep(2.0)
        browsers = {label: process_tree(page.process.pid) for label, page, _ in pages}
        everything = [pid for pids in browsers.values() for pid in pids]

        def report(what):
            # Each measured while the others are stopped: two cores, not shared.
            with stopped(everything):
                fps, ms = measure_desktop(process, swaps_path, args.seconds)
            print("%-26s desktop  %5.1f frames/s %5.2f ms CPU/frame" % (what, fps, ms), flush=True)
            taken = {label: [] for label, _, _ in pages}
            for _ in range(args.rounds):
                for label, page, _ in pages:
                    others = [pid for other, pids in browsers.items() if other != label for pid in pids]
                    with stopped(others + [process.pid]):
                        taken[label].append(measure_page(page, args.seconds))
            floor = [statistics.median(m[i] for m in taken["floor"]) for i in range(4)]
            for label, _, _ in pages:
                median = [statistics.median(m[i] for m in taken[label]) for i in range(4)]
                print("%-26s %-8s %5.1f frames/s (%4.1f-%4.1f), ms a frame: all %5.1f, GPU process %5.1f, "
                      "renderer %4.1f; of the floor's: %.2fx frames/s, %.2fx GPU ms (%s)" %
                      (what, label, median[0], min(m[0] for m in taken[label]), max(m[0] for m in taken[label]),
                       median[1], median[2], median[3], median[0] / floor[0] if floor[0] else 0,
                       median[2] / floor[2] if floor[2] else 0, args.gl), flush=True)

        report("radius 12")
        harness.hold_keys_until(["bracketright"], lambda: " view=60 " in harness.block_line(window), 30, "r60")
        for label, page, _ in pages:
            if label != "floor":
                radius_60(page)
        report("radius 60")
        x, y, width, height = harness.geometry(window)
        harness.move_mouse(x + width * 3 // 10, y + height * 45 // 100)
        harness.mouse_down(3)
        harness.move_mouse(x + width * 3 // 10 + 1, y + height * 45 // 100)
        harness.mouse_up(3)
        for label, page, _ in pages:
            if label != "floor":
                turn(page)
        report("radius 60, turned")
    finally:
        harness.stop(process, work)
        for _, page, _ in pages:
            page.close()
        for server in servers:
            server.shutdown()


if __name__ == "__main__":
    main()
