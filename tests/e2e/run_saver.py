"""`make run` on a machine that has never run Wine: no X display, an empty Wine prefix.
The run script creates the prefix, waits for the renderer and leaves a picture of the ball."""

import os
import subprocess
import sys
import tempfile

import harness

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                      "run-saver.sh")
CORNER = 48


def main():
    with tempfile.TemporaryDirectory() as work:
        prefix = os.path.join(work, "empty-prefix")
        os.makedirs(prefix)
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        env["WINEPREFIX"] = prefix
        result = subprocess.run(["sh", SCRIPT, harness.bin_dir()], cwd=work, env=env,
                                stdin=subprocess.DEVNULL, timeout=900)
        picture = os.path.join(work, "out", "velmora-run.png")
        harness.check(result.returncode == 0, f"the run script gave {result.returncode}")
        harness.check(os.path.exists(picture), "no picture in out/")
        image = harness.Image.load(picture)
        keep = os.path.join(harness.work_dir(), "out", "run_saver")
        os.makedirs(keep, exist_ok=True)
        subprocess.run(["cp", picture, keep], check=True)
    harness.check(harness.ball_is_showing(image), "the picture is dark at the centre")
    corner = max(image.mean(0, 0, CORNER, CORNER))
    harness.check(corner < 4, f"the top left corner is not black (mean level {corner:.1f})")
    print(f"PASSED: a {image.width} x {image.height} picture with the ball")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
