"""End-to-end harness: starts the real explorer in a real window (under Xvfb
in CI), drives it with xdotool and reads its picture back from screenshots.

Every test copies the run folder into a scratch folder first, so that its
maps and files never touch build/run. A command other than ./talvox (for
example the Windows build under Wine) is given with TALVOX_COMMAND, a
space-separated command line run inside the copied folder.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 320, 240


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the built run folder (talvox, bmp_cube/, map/)")
    return parser.parse_args()


def run(*command, check=True, text=True):
    return subprocess.run(command, check=check, capture_output=True, text=text)


def require_display():
    if not os.environ.get("DISPLAY"):
        sys.exit("no DISPLAY: run the end-to-end tests under xvfb-run")


def scratch_copy(run_dir):
    """A fresh copy of the run folder; returns its path."""
    folder = tempfile.mkdtemp(prefix="talvox-e2e-")
    work = os.path.join(folder, "run")
    shutil.copytree(run_dir, work, symlinks=True)
    return work


def window_ids():
    result = run("xdotool", "search", "--name", "^TALVOX$", check=False)
    return [int(w) for w in result.stdout.split()]


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError("timed out after %ss waiting for %s" % (timeout, what))


def start(work_dir, timeout=60):
    """Starts the program in work_dir and waits for its window; returns
    (process, window id)."""
    require_display()
    command = os.environ.get("TALVOX_COMMAND", "./talvox").split()
    with open(os.path.join(work_dir, "talvox.log"), "w") as log:
        process = subprocess.Popen(command, cwd=work_dir, stdout=log, stderr=subprocess.STDOUT)
    window = wait_for(lambda: (window_ids() or [None])[-1], timeout, "the TALVOX window")
    return process, window


def current_window(timeout=20):
    """The TALVOX window as it is now (a rescale makes a new one)."""
    return wait_for(lambda: (window_ids() or [None])[-1], timeout, "the TALVOX window")


def geometry(window):
    """(x, y, width, height) of the window's client area on the screen."""
    info = run("xwininfo", "-id", str(window)).stdout
    fields = {}
    for line in info.splitlines():
        line = line.strip()
        for key in ("Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"):
            if line.startswith(key):
                fields[key] = int(line[len(key):].split()[0])
    return (fields["Absolute upper-left X:"], fields["Absolute upper-left Y:"],
            fields["Width:"], fields["Height:"])


def window_title(window):
    return run("xdotool", "getwindowname", str(window)).stdout.strip()


def wait_for_size(width, height, timeout=20):
    def sized():
        ids = window_ids()
        if ids:
            g = geometry(ids[-1])
            if g[2:] == (width, height):
                return ids[-1]
        return None
    return wait_for(sized, timeout, "a %dx%d window" % (width, height))


def grab(x, y, width, height, save_as=None):
    """The screen rectangle as rows of RGB bytes, top row first."""
    shot = run("import", "-silent", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
               "+repage", "-depth", "8", "rgb:-", text=False).stdout
    assert len(shot) == width * height * 3, "screenshot has %d bytes" % len(shot)
    if save_as:
        subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8", "rgb:-", save_as],
                       input=shot, check=True)
    return shot


def window_picture(window, save_as=None):
    """(scale, window pixels, picture) for the window: the picture is the
    320 x 240 image read back from the window's top-left pixel of each
    scale x scale block, as bytes of RGB triplets with row 0 at the top."""
    x, y, width, height = geometry(window)
    scale = width // SCREEN_WIDTH
    shot = grab(x, y, width, height, save_as)
    picture = bytearray()
    for row in range(SCREEN_HEIGHT):
        line = shot[(row * scale) * width * 3:(row * scale + 1) * width * 3]
        for column in range(SCREEN_WIDTH):
            picture += line[column * scale * 3:column * scale * 3 + 3]
    return scale, shot, bytes(picture)


def blocks_are_uniform(shot, width, height, scale):
    """Whether every scale x scale block of the window repeats one pixel."""
    for row in range(height):
        source = (row // scale) * scale
        if shot[row * width * 3:(row + 1) * width * 3] != shot[source * width * 3:(source + 1) * width * 3]:
            return False
    for row in range(0, height, scale):
        line = shot[row * width * 3:(row + 1) * width * 3]
        for column in range(0, width, scale):
            first = line[column * 3:column * 3 + 3]
            if line[column * 3:(column + scale) * 3] != first * scale:
                return False
    return True


def pixel(picture, x, y):
    """RGB of picture pixel (x, y) in the program's coordinates (y from the bottom)."""
    offset = ((SCREEN_HEIGHT - 1 - y) * SCREEN_WIDTH + x) * 3
    return tuple(picture[offset:offset + 3])


def key(*keys, delay_ms=60):
    run("xdotool", "key", "--delay", str(delay_ms), *keys)


def key_down(name):
    run("xdotool", "keydown", name)


def key_up(name):
    run("xdotool", "keyup", name)


def hold_key(name, seconds):
    key_down(name)
    time.sleep(seconds)
    key_up(name)


def move_mouse(x, y):
    run("xdotool", "mousemove", str(x), str(y))


def mouse_down(button):
    run("xdotool", "mousedown", str(button))


def mouse_up(button):
    run("xdotool", "mouseup", str(button))


def hold_keys_until(keys, predicate, timeout, what):
    """Holds keys down until predicate is true; returns its value."""
    for name in keys:
        key_down(name)
    try:
        return wait_for(predicate, timeout, what)
    finally:
        for name in reversed(keys):
            key_up(name)


def yellow_pixels(window, first_column, last_column):
    """Yellow pixels in the rows of the map line (88 to 99 from the bottom)
    between two columns of the picture, both included."""
    _, _, picture = window_picture(window)
    count = 0
    for y in range(88, 100):
        for x in range(first_column, last_column + 1):
            r, g, b = pixel(picture, x, y)
            if r >= 240 and g >= 240 and b <= 30:
                count += 1
    return count


def progress_line_pixels(window):
    """Yellow pixels where the progress line is drawn: columns 20 to 171."""
    return yellow_pixels(window, 20, 171)


def failure_line_pixels(window):
    """Yellow pixels where only a failure line reaches: columns 180 to 259
    (the progress line ends at column 171)."""
    return yellow_pixels(window, 180, 259)


# ---------------------------------------------------------------------------
# Map files in a scratch run folder.

MAP_BYTES = 2 * (256 * 256 * 256 - 1)
# Time allowed for one save or load of about 35 s to finish.
TRANSFER_TIMEOUT = 90


def map_path(work):
    return os.path.join(work, "map", "0.map")


def temp_files(work):
    """The temporary files of saves under way (or killed) in work's map/."""
    return sorted(name for name in os.listdir(os.path.join(work, "map")) if name.startswith("0.map.tmp"))


def read_map(work):
    with open(map_path(work), "rb") as f:
        return f.read()


def start_save(work):
    """Holds Ctrl+S until the save has made a new temporary file; returns its name."""
    before = set(temp_files(work))
    new = hold_keys_until(["ctrl", "s"], lambda: sorted(set(temp_files(work)) - before), TRANSFER_TIMEOUT,
                          "the save to start")
    return new[0]


def finish_save(work, temp):
    """Waits until the save has put its file in place; returns the map's bytes."""
    wait_for(lambda: not os.path.exists(os.path.join(work, "map", temp)), TRANSFER_TIMEOUT, "the save to finish")
    return read_map(work)


def save(work):
    return finish_save(work, start_save(work))


def wait_exit(process, timeout=30):
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise AssertionError("the program did not exit within %ss" % timeout)


def stop(process, work_dir=None):
    """Ends the program whatever state it is in and removes its scratch
    folder (for clean-up)."""
    if process.poll() is None:
        process.send_signal(signal.SIGKILL)
        process.wait()
    if work_dir and os.path.basename(os.path.dirname(work_dir)).startswith("talvox-e2e-"):
        shutil.rmtree(os.path.dirname(work_dir), ignore_errors=True)


# ---------------------------------------------------------------------------
# The shared generator, to predict the backdrop noise.

def lcg_state_after(state, steps):
    multiplier, increment = 214013, 2531011
    total_multiplier, total_increment = 1, 0
    while steps:
        if steps & 1:
            total_multiplier = (total_multiplier * multiplier) & 0xFFFFFFFF
            total_increment = (total_increment * multiplier + increment) & 0xFFFFFFFF
        increment = (increment * multiplier + increment) & 0xFFFFFFFF
        multiplier = (multiplier * multiplier) & 0xFFFFFFFF
        steps >>= 1
    return (total_multiplier * state + total_increment) & 0xFFFFFFFF


# Generator draws made by the start-up world (mode 0): 100000 boxes of six
# draws and 10000 actor draws of three.
START_UP_WORLD_DRAWS = 630000


def expected_backdrop():
    """The 320 x 240 backdrop as RGB bytes, row 0 at the top, as the program
    paints it after generating the start-up world."""
    state = lcg_state_after(24, START_UP_WORLD_DRAWS)
    noise = bytearray(SCREEN_WIDTH * SCREEN_HEIGHT)
    for i in range(SCREEN_WIDTH * SCREEN_HEIGHT):  # the picture is the block's first 76,800 pixels
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        noise[i] = ((state >> 16) & 0x7FFF) % 256
    picture = bytearray(SCREEN_WIDTH * SCREEN_HEIGHT * 3)
    for y in range(SCREEN_HEIGHT):
        for x in range(SCREEN_WIDTH):
            green = noise[y * SCREEN_WIDTH + x]
            red = blue = 0
            if 228 <= y <= 238 and 1 <= x <= 318:
                green, blue = 0, 255
            if y in (0, 227, 239) or x in (0, 319):
                green = 255
            offset = ((SCREEN_HEIGHT - 1 - y) * SCREEN_WIDTH + x) * 3
            picture[offset:offset + 3] = bytes((red, green, blue))
    return bytes(picture)
