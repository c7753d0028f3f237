"""The browser build beside the desktop program: frames per second and
processor time per frame at view radius 12 and 60 (and radius 60 turned down
a long sight line), the time from opening the page to its first frame, and
the size of what a browser downloads, plain and compressed.

Run it under Xvfb after scripts/build-web.sh and scripts/build.sh, e.g.

    xvfb-run -a -s "-screen 0 1600x1200x24" python3 bench/web_bench.py --run-dir build/run

The page runs in Debian's headless Chromium on SwiftShader (or on the
display's GL: --gl gl). Its frames are its swaps (Module.swaps); its
processor time is that of every Chromium process (the page, the GPU process
that rasterises, the browser) from /proc. The desktop program's frames are
counted as bench/desktop_bench.py counts them. It measures; it asserts
nothing.
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
    """(frames per second, processor ms per frame) of the page over seconds;
    also prints the share of each kind of Chromium process."""
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
    if frames:
        print("    per frame: " + ", ".join("%s %.2f ms" % (k, 1000.0 * v / frames) for k, v in sorted(spent.items())))
    return frames / (t1 - t0), 1000.0 * sum(spent.values()) / frames if frames else 0.0


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the desktop build's run folder")
    parser.add_argument("--gl", default="swiftshader", choices=sorted(browser.GL_FLAGS))
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("--loads", type=int, default=5, help="page loads timed to the first frame")
    parser.add_argument("--dist", default=DIST, help="the page's folder (default dist/web)")
    args = parser.parse_args()
    harness.font_dumper = os.path.join(os.path.dirname(os.path.abspath(args.run_dir)), "talvox_dump_font")

    for name, plain, packed in sizes(args.dist):
        print("download %-22s %9d bytes, %9d gzip -9" % (name, plain, packed))

    server, address = browser.serve(args.dist)
    page = browser.Page(tempfile.mkdtemp(), args.gl)
    scratch = tempfile.mkdtemp(prefix="talvox-bench-")
    swaps_path = os.path.join(scratch, "swaps")
    os.environ["LD_PRELOAD"] = desktop_bench.build_swap_counter(scratch)
    os.environ["TALVOX_BENCH_SWAPS"] = swaps_path
    work = harness.scratch_copy(args.run_dir)
    process, window = harness.start(work)
    del os.environ["LD_PRELOAD"]
    try:
        firsts = []
        for _ in range(args.loads):
            page.open(address)
            firsts.append(page.wait_for("window.Module && Module.firstSwapAt", 60, "the first frame"))
        print("page opened to first frame (%s, %d loads): median %.0f ms, %.0f-%.0f ms" %
              (args.gl, len(firsts), statistics.median(firsts), min(firsts), max(firsts)))
        page.evaluate("document.getElementById('canvas').focus()")
        time.sleep(2.0)

        def report(what):
            # Each measured while the other is stopped: two cores, not shared.
            browsers = process_tree(page.process.pid)
            for pid in browsers:
                os.kill(pid, signal.SIGSTOP)
            try:
                fps, ms = measure_desktop(process, swaps_path, args.seconds)
            finally:
                for pid in browsers:
                    os.kill(pid, signal.SIGCONT)
            print("%-26s desktop %5.1f frames/s %5.2f ms CPU/frame" % (what, fps, ms), flush=True)
            os.kill(process.pid, signal.SIGSTOP)
            try:
                fps, ms = measure_page(page, args.seconds)
            finally:
                os.kill(process.pid, signal.SIGCONT)
            print("%-26s page    %5.1f frames/s %5.2f ms CPU/frame (%s)" % (what, fps, ms, args.gl), flush=True)

        report("radius 12")
        harness.hold_keys_until(["bracketright"], lambda: " view=60 " in harness.block_line(window), 30, "r60")
        page.key_down("bracketright")
        harness.wait_for(lambda: " view=60 " in harness.read_line(
            harness.picture_of(*(lambda s: (s[2], s[0], s[0] // 320))(page.canvas_pixels())), 9, 54), 30, "r60")
        page.key_up("bracketright")
        report("radius 60")
        x, y, width, height = harness.geometry(window)
        harness.move_mouse(x + width * 3 // 10, y + height * 45 // 100)
        harness.mouse_down(3)
        harness.move_mouse(x + width * 3 // 10 + 1, y + height * 45 // 100)
        harness.mouse_up(3)
        left, top, width, height = page.canvas_box()
        page.mouse("mouseMoved", left + width * 3 // 10, top + height * 45 // 100)
        page.mouse("mousePressed", left + width * 3 // 10, top + height * 45 // 100, "right", 2)
        page.mouse("mouseMoved", left + width * 3 // 10 + 1, top + height * 45 // 100, "none", 2)
        page.mouse("mouseReleased", left + width * 3 // 10 + 1, top + height * 45 // 100, "right", 0)
        report("radius 60, turned")
    finally:
        harness.stop(process, work)
        page.close()
        server.shutdown()


if __name__ == "__main__":
    main()
