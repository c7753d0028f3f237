"""How the real program behaves on the desktop: frames per second and CPU use
(all its threads) at scale 3, view radius 12 and 60, idle and walking;
CPU use while minimised; walking speed in cells per second.

Run it under Xvfb with a built run folder, for example

    xvfb-run -a -s "-screen 0 1600x1200x24" python3 bench/desktop_bench.py --run-dir build/run

Frames are counted by a small library preloaded into the program that counts
its buffer swaps (built here with cc; Linux/SDL2 builds only). CPU use comes
from /proc. The walking speed is read from the HUD's position line after a
map of open cells has been loaded, so that no wall stops the walk. It
measures; it asserts nothing.
"""
import argparse
import math
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import harness  # noqa: E402

SWAP_COUNTER = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static unsigned long swaps;
static double lastWrite;

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

void SDL_GL_SwapWindow(void* window) {
    static void (*real)(void*);
    static const char* path;
    if (!real) real = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    if (!path) path = getenv("TALVOX_BENCH_SWAPS");
    real(window);
    swaps++;
    double now = Now();
    if (path && now - lastWrite >= 0.02) {
        /* Written aside and renamed, so that a reader never sees half of it. */
        char aside[4096];
        snprintf(aside, sizeof aside, "%s.new", path);
        FILE* f = fopen(aside, "w");
        if (f) {
            fprintf(f, "%lu %.6f\n", swaps, now);
            fclose(f);
            rename(aside, path);
        }
        lastWrite = now;
    }
}
"""

CELLS = 256 ** 3


def build_swap_counter(folder):
    source = os.path.join(folder, "swaps.c")
    library = os.path.join(folder, "libswaps.so")
    with open(source, "w") as f:
        f.write(SWAP_COUNTER)
    subprocess.run(["cc", "-O2", "-shared", "-fPIC", "-o", library, source, "-ldl"], check=True)
    return library


def cpu_seconds(pid):
    """User plus system time of the whole process (every thread), in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def swaps_so_far(path):
    try:
        with open(path) as f:
            count, stamp = f.read().split()
        return int(count), float(stamp)
    except (OSError, ValueError):
        return 0, time.monotonic()


def measure(process, swaps_path, seconds):
    """(frames per second, CPU per cent of one core) over seconds."""
    c0, w0 = cpu_seconds(process.pid), time.monotonic()
    s0, t0 = swaps_so_far(swaps_path)
    time.sleep(seconds)
    s1, t1 = swaps_so_far(swaps_path)
    c1, w1 = cpu_seconds(process.pid), time.monotonic()
    rate = (s1 - s0) / (t1 - t0) if t1 > t0 else 0.0
    return rate, 100.0 * (c1 - c0) / (w1 - w0)


def position(window):
    line = harness.position_line(window)
    match = re.match(r"SX=(-?\d+),SY=(-?\d+),SZ=(-?\d+)", line)
    return tuple(int(v) for v in match.groups()) if match else None


def settled_position(window, timeout=120):
    previous = None
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        now = position(window)
        if now is not None and now == previous:
            return now
        previous = now
        time.sleep(1.0)
    return previous


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the run folder of the build to measure")
    parser.add_argument("--font-run-dir", help="a run folder with the font dumper beside it (default: --run-dir)")
    parser.add_argument("--label", default="", help="printed with every figure")
    parser.add_argument("--seconds", type=float, default=5.0)
    args = parser.parse_args()
    run_dir = os.path.abspath(args.run_dir)
    # The font dumper is built beside the run folder.
    font_run_dir = os.path.abspath(args.font_run_dir or args.run_dir)
    harness.font_dumper = os.path.join(os.path.dirname(font_run_dir), "talvox_dump_font")

    scratch = tempfile.mkdtemp(prefix="talvox-bench-")
    library = build_swap_counter(scratch)
    swaps_path = os.path.join(scratch, "swaps")
    work = harness.scratch_copy(run_dir)
    # A map of open cells only, for the walking speed.
    with open(harness.map_path(work), "wb") as f:
        f.write(b"\x00" * (CELLS - 1) * 2)
    os.environ["LD_PRELOAD"] = library
    os.environ["TALVOX_BENCH_SWAPS"] = swaps_path
    process, window = harness.start(work)
    del os.environ["LD_PRELOAD"]
    label = args.label + ": " if args.label else ""

    def report(what, figures):
        print("%s%-28s %6.1f frames/s  %6.1f %% CPU" % (label, what, figures[0], figures[1]), flush=True)

    def walking():
        harness.mouse_down(1)
        try:
            return measure(process, swaps_path, args.seconds)
        finally:
            harness.mouse_up(1)

    try:
        settled_position(window)
        x, y, _, _ = harness.geometry(window)
        # Level view (pitch 90): the mouse at picture row 120, yaw 180.
        harness.move_mouse(x + 240, y + 360)
        report("radius 12, idle", measure(process, swaps_path, args.seconds))
        report("radius 12, walking", walking())
        harness.hold_keys_until(["bracketright"], lambda: " view=60 " in
                                harness.read_line(harness.window_picture(window)[2], 9, 54) or
                                position(window) is None, 60, "radius 60")
        report("radius 60, idle", measure(process, swaps_path, args.seconds))
        report("radius 60, walking", walking())
        harness.run("xdotool", "windowunmap", str(window))
        time.sleep(1.0)
        report("minimised (unmapped)", measure(process, swaps_path, args.seconds))
        harness.run("xdotool", "windowmap", str(window))
        harness.run("xdotool", "windowfocus", str(window))  # no window manager gives it back
        time.sleep(1.0)

        # Walking speed in the open map: load it, then walk along +y (yaw 360,
        # the mouse at picture column 170), where there is room to walk.
        harness.hold_keys_until(["ctrl", "l"], lambda: harness.progress_line_pixels(window) > 50, 60,
                                "the load to start")
        harness.wait_for(lambda: harness.progress_line_pixels(window) == 0, 120, "the load to finish")
        harness.key("bracketleft", delay_ms=60)
        time.sleep(1.0)
        harness.move_mouse(x + 510, y + 360)
        start_cell = settled_position(window)
        swaps_before = swaps_so_far(swaps_path)[0]
        harness.mouse_down(1)
        started = time.monotonic()
        time.sleep(args.seconds)
        harness.mouse_up(1)
        walked = time.monotonic() - started
        frames = swaps_so_far(swaps_path)[0] - swaps_before
        end_cell = settled_position(window)
        if start_cell and end_cell:
            distance = math.dist(start_cell, end_cell)
            print("%s%-28s %6.1f cells/s (%d cells in %.1f s, %d frames, from %r to %r)" % (
                label, "walking speed", distance / walked, round(distance), walked, frames, start_cell, end_cell),
                flush=True)
        else:
            print("%swalking speed: position line not read (%r, %r)" % (label, start_cell, end_cell))
    finally:
        harness.stop(process, work)


if __name__ == "__main__":
    main()
