"""End-to-end harness: starts the real explorer in a real window (under Xvfb
in CI), drives it with xdotool and reads its picture back from screenshots.

Nothing here waits a fixed time for the program: every wait is for something
seen (a window shown, a frame drawn, a picture that has stopped changing, a
file, an exit), polled briefly and bounded by a timeout.

Every test copies the run folder into a scratch folder first, so that its
maps and files never touch build/run. A command other than ./talvox (for
example the Windows build under Wine) is given with TALVOX_COMMAND, a
space-separated command line run inside the copied folder.
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 320, 240


# The arguments parse_arguments(known_only=True) left: test names to run.
unparsed_arguments = []


def parse_arguments(known_only=False):
    global font_dumper, unparsed_arguments
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True, help="the built run folder (talvox, bmp_cube/, map/)")
    if known_only:
        arguments, unparsed_arguments = parser.parse_known_args()
    else:
        arguments = parser.parse_args()
    font_dumper = os.path.join(os.path.dirname(os.path.abspath(arguments.run_dir)), "talvox_dump_font")
    return arguments


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


def start(work_dir, timeout=120, preexec_fn=None, command=None, env=None):
    """Starts the program in work_dir (preexec_fn runs in the child before
    exec; command, a list, replaces ./talvox; env replaces the environment)
    and waits until its window is shown and has drawn a frame; returns
    (process, window id). A window exists, named, before it is shown and
    before the program has made it the one that takes the keyboard: keys sent
    then are lost."""
    require_display()
    command = command or os.environ.get("TALVOX_COMMAND", "./talvox").split()
    with open(os.path.join(work_dir, "talvox.log"), "w") as log:
        process = subprocess.Popen(command, cwd=work_dir, stdout=log, stderr=subprocess.STDOUT,
                                   preexec_fn=preexec_fn, env=env)
    deadline = time.monotonic() + timeout

    def exited():
        if process.poll() is not None:
            raise AssertionError("the program exited with %d before its first frame" % process.returncode)
        return False
    try:
        window = wait_for(lambda: exited() or (window_ids() or [None])[-1], timeout, "the TALVOX window")
        wait_for_frame(window, max(1.0, deadline - time.monotonic()), exited)
    except BaseException:
        # A start that fails here leaves no program behind to load the machine.
        if process.poll() is None:
            process.kill()
            process.wait()
        raise
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


def is_viewable(window):
    info = run("xwininfo", "-id", str(window), check=False).stdout
    return "Map State: IsViewable" in info


def wait_for_frame(window, timeout=60, check=lambda: False):
    """Waits until the window is shown and its picture has the HUD's white
    text, which the first frame draws; returns the picture. check() is
    called on every try and may raise to give up early."""
    def drawn():
        check()
        if not is_viewable(window):
            return None
        try:
            picture = window_picture(window)[2]
        except subprocess.CalledProcessError:  # the window went meanwhile
            return None
        white = sum(1 for i in range(0, len(picture), 3) if picture[i:i + 3] == bytes(WHITE))
        return picture if white > 500 else None
    return wait_for(drawn, timeout, "a frame drawn in window %d" % window)


def same_fraction(a, b):
    """The fraction of pixels two pictures have alike."""
    same = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] == b[i:i + 3])
    return same / (len(a) // 3)


def settled_picture(window, timeout=60, agreement=0.995, interval=1.0):
    """The window's picture once it has stopped changing (the player drifts
    out of the rock of the start cell first; spinning objects never stop):
    two pictures interval seconds apart that agree in that fraction of their
    pixels. Returns (scale, shot, picture)."""
    deadline = time.monotonic() + timeout
    previous = None
    while time.monotonic() < deadline:
        current = window_picture(window)
        if previous and same_fraction(previous[2], current[2]) >= agreement:
            return current
        previous = current
        time.sleep(interval)
    raise AssertionError("the picture of window %d did not settle within %ss" % (window, timeout))


def focused_window():
    """The window with the X keyboard focus (None for the pointer's window)."""
    result = run("xdotool", "getwindowfocus", check=False)
    return int(result.stdout.split()[0]) if result.returncode == 0 and result.stdout.split() else None


def give_focus(window, timeout=20):
    """Gives the window the keyboard and waits until the X server says it
    has it. Xvfb has no window manager, so the pointer goes into the
    window's corner as well (where a focus that follows the pointer finds it)."""
    x, y, _, _ = geometry(window)
    move_mouse(x + 8, y + 8)

    def focused():
        if focused_window() == window:
            return True
        try:
            subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], capture_output=True, timeout=5)
        except subprocess.TimeoutExpired:
            pass
        return False
    wait_for(focused, timeout, "the keyboard focus in window %d" % window)


def window_title(window):
    return run("xdotool", "getwindowname", str(window)).stdout.strip()


def window_of_size(width, height):
    """The TALVOX window if it is width x height, else None (also when the
    window goes while it is looked at, as a rescale closes it)."""
    ids = window_ids()
    try:
        if ids and geometry(ids[-1])[2:] == (width, height):
            return ids[-1]
    except subprocess.CalledProcessError:
        pass
    return None


def rescale(n, timeout=20, press=None):
    """Taps F<n> (or press: F11 leaving fullscreen reopens the window the same
    way) until the program has closed its window to open the new one, then
    waits for the n times 320 x 240 window to have drawn a frame and still be
    the program's window a second later; returns it. A tap can go unseen (see
    hold_keys_until), so it is repeated after a while. The key is not held
    until the window closes: under Wine the window opened while it was down
    was then replaced once more."""
    press = press or "F%d" % n
    old = set(window_ids())
    deadline = time.monotonic() + timeout
    while old & set(window_ids()):
        if time.monotonic() > deadline:
            raise AssertionError("%s did not close the window within %ss" % (press, timeout))
        key(press)
        try:
            wait_for(lambda: not old & set(window_ids()), 3, "%s to close the window" % press)
        except AssertionError:
            pass
    deadline = time.monotonic() + timeout
    while True:
        window = wait_for(lambda: window_of_size(320 * n, 240 * n), max(1.0, deadline - time.monotonic()),
                          "a %dx%d window" % (320 * n, 240 * n))
        try:
            wait_for_frame(window, max(1.0, deadline - time.monotonic()))
        except AssertionError:
            if window in window_ids():
                raise
            continue  # replaced before its first frame
        time.sleep(1.0)
        if window_ids()[-1:] == [window]:
            return window
        if time.monotonic() > deadline:
            raise AssertionError("the %dx%d window kept being replaced" % (320 * n, 240 * n))


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
    return scale, shot, picture_of(shot, width, scale)


def picture_of(shot, width, scale):
    """The 320 x 240 picture in a shot width pixels wide that shows it from
    its top-left corner magnified by scale: the top-left pixel of each block."""
    picture = bytearray()
    for row in range(SCREEN_HEIGHT):
        line = shot[(row * scale) * width * 3:(row * scale + 1) * width * 3]
        for column in range(SCREEN_WIDTH):
            picture += line[column * scale * 3:column * scale * 3 + 3]
    return bytes(picture)


def fullscreen_picture():
    """(zoom, shot, margins) of a fullscreen window: the largest whole zoom
    at which the picture fits the screen, the screen rectangle where it
    should then sit (centred) as RGB rows, and every screen pixel around it."""
    width, height = (int(v) for v in run("xdotool", "getdisplaygeometry").stdout.split())
    zoom = min(width // SCREEN_WIDTH, height // SCREEN_HEIGHT)
    left, top = (width - SCREEN_WIDTH * zoom) // 2 * 3, (height - SCREEN_HEIGHT * zoom) // 2
    row_bytes, size = width * 3, SCREEN_WIDTH * zoom * 3
    screen = grab(0, 0, width, height)
    rows = range(top, top + SCREEN_HEIGHT * zoom)
    shot = b"".join(screen[row * row_bytes + left:row * row_bytes + left + size] for row in rows)
    margins = screen[:top * row_bytes] + screen[(top + SCREEN_HEIGHT * zoom) * row_bytes:]
    margins += b"".join(screen[row * row_bytes:row * row_bytes + left] +
                        screen[row * row_bytes + left + size:(row + 1) * row_bytes] for row in rows)
    return zoom, shot, margins


def settled_fullscreen_picture(timeout=60):
    """fullscreen_picture() once two in a row agree in 99.5 % of the pixels."""
    def settled():
        previous, current = fullscreen_picture(), fullscreen_picture()
        return current if same_fraction(previous[1], current[1]) >= 0.995 else None
    return wait_for(settled, timeout, "the fullscreen picture to settle")


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


def hold_keys(names, seconds):
    """Holds keys down for a time (what is tested is the holding itself,
    not something awaited)."""
    for name in names:
        key_down(name)
    try:
        time.sleep(seconds)
    finally:
        for name in reversed(names):
            key_up(name)


def hold_key(name, seconds):
    hold_keys([name], seconds)


def move_mouse(x, y):
    run("xdotool", "mousemove", str(x), str(y))


def mouse_down(button):
    run("xdotool", "mousedown", str(button))


def mouse_up(button):
    run("xdotool", "mouseup", str(button))


def hold_keys_until(keys, predicate, timeout, what):
    """Holds keys down until predicate is true; returns its value. The way to
    give the program a key it must act on: its loop takes every waiting
    message before it looks at the keys, so a tap whose press and release
    both arrive while a frame is drawn (a slow frame is longer than a tap)
    is not seen."""
    for name in keys:
        key_down(name)
    try:
        return wait_for(predicate, timeout, what)
    finally:
        for name in reversed(keys):
            key_up(name)


def yellow_pixels(window, first_column, last_column):
    """Yellow pixels in the rows of the map line (88 to 99 from the bottom)
    between two columns of the window's picture, both included."""
    return yellow_pixels_of(window_picture(window)[2], first_column, last_column)


def yellow_pixels_of(picture, first_column, last_column):
    """yellow_pixels of a picture."""
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


def bar_fill(window):
    """How many columns of the save's progress bar are filled: yellow pixels
    from column 22 along its middle row (80 from the bottom)."""
    _, _, picture = window_picture(window)
    filled = 0
    while filled < 272:
        r, g, b = pixel(picture, 22 + filled, 80)
        if not (r >= 240 and g >= 240 and b <= 30):
            break
        filled += 1
    return filled


def failure_line_pixels(window):
    """Yellow pixels where only a failure line reaches: columns 180 to 259
    (the progress line ends at column 171)."""
    return yellow_pixels(window, 180, 259)


# ---------------------------------------------------------------------------
# The HUD's text, read back with the program's own font.

WHITE = (255, 255, 255)
# The program's font dumper, built beside the run folder (parse_arguments
# sets it), and the font it wrote, read once.
font_dumper = None
_font = {}


def font():
    """{character: set of (cell, row) that are set}, rows 1..12 from the
    top, as the program's font dumper writes them."""
    if not _font:
        assert font_dumper, "no font dumper: call parse_arguments first"
        for line in run(font_dumper).stdout.splitlines():
            code, *rows = line.split()
            assert len(rows) == 12, "glyph line %r" % line
            _font[chr(int(code))] = {(j, i) for i in range(1, 13) for j in range(8)
                                     if int(rows[i - 1], 16) & (0x80 >> j)}
        assert len(_font) == 95, "read %d glyphs from %s" % (len(_font), font_dumper)
    return _font


def white_cells(picture, x, y, colour=WHITE):
    """The set cells of the character cell with its left edge at column x,
    drawn with pen row y: the pixels of the text's colour (white for the
    HUD) in rows y-1 (glyph row 1) down."""
    cells = set()
    for i in range(1, 13):
        for j in range(8):
            if 0 <= x + j < 320 and 0 <= y - i < 240 and pixel(picture, x + j, y - i) == colour:
                cells.add((j, i))
    return cells


def read_line(picture, x, y, length=40, colour=WHITE):
    """The text of a HUD line (or of a line in another colour) at pen (x, y);
    '?' for a cell that matches no glyph exactly."""
    text = ""
    for k in range(length):
        if x + 8 * k + 7 >= 320:
            break
        cells = white_cells(picture, x + 8 * k, y, colour)
        matches = [c for c, glyph in font().items() if glyph == cells]
        text += matches[0] if len(matches) == 1 else "?"
    return text.rstrip(" ")


def position_line(window):
    """The HUD's position line (SX=..,SY=..,SZ=.. Light=..)."""
    return read_line(window_picture(window)[2], 9, 42)


def block_line(window):
    """The HUD's line under the position line (block=.. view=.. ...)."""
    return read_line(window_picture(window)[2], 9, 54)


def settled_position(window, timeout=60, with_block=True):
    """The position and block lines once the player has stopped moving:
    the same text in two pictures a second apart. Without with_block the
    block line may be missing (it is not drawn on the world's shell)."""
    deadline = time.monotonic() + timeout
    previous = None
    while time.monotonic() < deadline:
        picture = window_picture(window)[2]
        lines = (read_line(picture, 9, 42), read_line(picture, 9, 54))
        if lines == previous and (lines[1].startswith("block=") or not with_block):
            return lines
        previous = lines
        time.sleep(1.0)
    raise AssertionError("the position line did not settle: last read %r" % (previous,))


def player_cell(position_line):
    """(SX, SY, SZ) from the HUD's position line, or None when it does not read."""
    match = re.match(r"SX=(-?\d+),SY=(-?\d+),SZ=(-?\d+) ", position_line)
    return tuple(int(v) for v in match.groups()) if match else None


# ---------------------------------------------------------------------------
# Map files in a scratch run folder.

MAP_BYTES = 2 * (256 * 256 * 256 - 1)
# Time allowed for one save or load of about 35 s to finish.
TRANSFER_TIMEOUT = 90


def map_path(work):
    return os.path.join(work, "map", "0.map")


def temp_files(work):
    """The named temporary files of saves under way (or killed) in work's map/."""
    return sorted(name for name in os.listdir(os.path.join(work, "map")) if name.startswith("0.map.tmp"))


def unnamed_files(work):
    """The files without a name (Linux names a save's file only once it is
    whole) that processes hold open in work's map/, as /proc paths that stat
    them."""
    prefix = os.path.realpath(os.path.join(work, "map")) + "/#"
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        descriptors = os.path.join("/proc", pid, "fd")
        try:
            names = os.listdir(descriptors)
        except OSError:
            continue
        for name in names:
            try:
                target = os.readlink(os.path.join(descriptors, name))
            except OSError:
                continue
            if target.startswith(prefix) and target.endswith(" (deleted)"):
                found.append(os.path.join(descriptors, name))
    return found


def read_map(work):
    with open(map_path(work), "rb") as f:
        return f.read()


# The file number of each save's file, by the path start_save returned.
_save_inodes = {}


def start_save(work):
    """Holds Ctrl+S until the save has made its file; returns a path that
    stats that file while it is written: the new temporary file in map/, or
    the save's unnamed file under /proc."""
    before = set(temp_files(work))

    def started():
        new = sorted(set(temp_files(work)) - before)
        if new:
            return os.path.join(work, "map", new[0])
        return (unnamed_files(work) or [None])[0]
    path = hold_keys_until(["ctrl", "s"], started, TRANSFER_TIMEOUT, "the save to start")
    try:
        _save_inodes[path] = os.stat(path).st_ino
    except OSError:  # already in place
        pass
    return path


def save_done(work, temp):
    """Whether the save that start_save saw begin has put its file in place."""
    inode = _save_inodes.get(temp)
    if inode is None:
        return not os.path.exists(temp)
    try:
        return os.stat(map_path(work)).st_ino == inode
    except OSError:
        return False


def finish_save(work, temp):
    """Waits until the save has put its file in place; returns the map's bytes."""
    wait_for(lambda: save_done(work, temp), TRANSFER_TIMEOUT, "the save to finish")
    return read_map(work)


def save(work):
    return finish_save(work, start_save(work))


def quit_with(process, keys=("Escape",), timeout=30):
    """Holds keys (Escape, or alt and F4) until the program has exited;
    returns its exit code."""
    keys = list(keys)
    hold_keys_until(keys, lambda: process.poll() is not None, timeout,
                    "the program to exit on %s" % "+".join(keys))
    return process.wait()


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
