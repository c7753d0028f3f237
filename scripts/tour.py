"""A short tour of the explorer in a real window (under Xvfb when there is no
display): looks around, walks, changes the view radius, scatters lights,
teleports and rescales, writing a PNG screenshot after each step and
printing its path, then quits with Escape."""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run-dir", required=True)
    parser.add_argument("--out", required=True)
    arguments = parser.parse_args()
    out = os.path.abspath(arguments.out)
    os.makedirs(out, exist_ok=True)

    work = harness.scratch_copy(os.path.abspath(arguments.run_dir))
    process, window = harness.start(work)
    shots = []

    def shoot(name):
        window_now = harness.current_window()
        path = os.path.join(out, "%02d-%s.png" % (len(shots) + 1, name))
        harness.window_picture(window_now, path)
        shots.append(path)
        print(path, flush=True)

    def picture_now():
        return harness.window_picture(harness.current_window())[2]

    try:
        harness.settled_picture(window)
        shoot("start")
        # Look around: drag with the right button (looks without walking),
        # each move kept until the view has turned.
        harness.move_mouse(480, 360)
        harness.mouse_down(3)
        for x, y in ((300, 360), (700, 300), (480, 420)):
            before = picture_now()
            harness.move_mouse(x, y)
            harness.wait_for(lambda: picture_now() != before, 20, "the view to turn")
        harness.mouse_up(3)
        harness.settled_picture(window)
        shoot("looked-around")
        # Walk forward with the left button held for a while.
        harness.mouse_down(1)
        time.sleep(1.5)  # how long the button is held, not a wait
        harness.mouse_up(1)
        harness.settled_picture(window)
        shoot("walked")
        # Widen the view radius, then scatter lights and teleport.
        harness.hold_key("bracketright", 1.1)
        harness.settled_picture(window)
        shoot("radius-up")
        for name, step in (("l", "lights"), ("t", "teleported")):
            before = picture_now()
            harness.hold_keys_until([name], lambda: picture_now() != before, 20, "'%s' to act" % name)
            harness.settled_picture(window)
            shoot(step)
        harness.settled_picture(harness.rescale(2))
        shoot("scale-2")
        harness.rescale(3)
        code = harness.quit_with(process)
        print("explorer exited with code %d; %d screenshots in %s" % (code, len(shots), out))
        return code
    finally:
        harness.stop(process, work)


if __name__ == "__main__":
    sys.exit(main())
