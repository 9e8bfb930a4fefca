"""End-to-end harness: the Windows programs under Wine on their own Xvfb display.

Every scenario gets a fresh Xvfb display of its own size, talks to the one Wine prefix
of the test run, and on the way out ends every process it started, by PID, whether it
passed or not. Scenario files declare their scenarios with @scenario and end with
run_scenarios(globals()); `python3 FILE --list` names them for CTest.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
CONVERT = "/usr/bin/convert"
IMPORT = "/usr/bin/import"


def bin_dir():
    return os.environ["VELMORA_BIN_DIR"]


def work_dir():
    return os.environ["VELMORA_E2E_WORK"]


def prefix_dir():
    return os.path.join(work_dir(), "prefix")


def wine_environment(display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix_dir()
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env.pop("WAYLAND_DISPLAY", None)
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = display
    return env


class ScenarioFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


class Image:
    """A screenshot as raw RGB bytes."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.rgb[offset:offset + 3])

    def mean(self, left, top, width, height):
        total = [0, 0, 0]
        for y in range(top, top + height):
            row = 3 * (y * self.width + left)
            for x in range(width):
                for c in range(3):
                    total[c] += self.rgb[row + 3 * x + c]
        count = width * height
        return tuple(t / count for t in total)

    @staticmethod
    def load(path):
        size = subprocess.run([CONVERT, path, "-format", "%w %h", "info:"], check=True,
                              capture_output=True, text=True).stdout.split()
        width, height = int(size[0]), int(size[1])
        rgb = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], check=True,
                             capture_output=True).stdout
        return Image(width, height, rgb)


def start_xvfb(spawn, screen):
    """Starts Xvfb through spawn (which records the process) on a screen such as
    "1024x768x16" and returns its display name. Xvfb picks a free display number itself and
    tells it through a pipe, so that scenarios of parallel test runs never race for one."""
    read_end, write_end = os.pipe()
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
           "-noreset"], env=dict(os.environ), pass_fds=(write_end,),
          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    check(number.isdigit(), "Xvfb did not start")
    return f":{number}"


class DisplayWorld:
    """A scenario's Xvfb display and the processes started on it, all ended by PID on the
    way out, whether the scenario passed or not."""

    def __init__(self, name, screen, out_dir):
        self.name = name
        self.screen = screen
        self.processes = []
        self.display = None
        self.out_dir = out_dir

    def __enter__(self):
        os.makedirs(self.out_dir, exist_ok=True)
        self.display = start_xvfb(self.spawn, self.screen)
        return self

    def __exit__(self, *exc):
        self.cleanup()
        return False

    def env(self):
        raise NotImplementedError

    def spawn(self, argv, env=None, **kwargs):
        process = subprocess.Popen(argv, env=env if env is not None else self.env(),
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def cleanup(self):
        # Our programs first, newest first, then the display.
        for process in reversed(self.processes):
            self.end_process(process)

    @staticmethod
    def end_process(process):
        if process.poll() is not None:
            return
        for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, 5)):
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                return
            try:
                process.wait(timeout=grace)
                return
            except subprocess.TimeoutExpired:
                continue


class Scenario(DisplayWorld):
    """One Wine scenario's world: its display, the shared prefix, the processes started."""

    def __init__(self, name, screen):
        super().__init__(name, screen, os.path.join(work_dir(), "out", name))

    def __enter__(self):
        super().__enter__()
        # The wineserver binds its desktop to the display of its first client: start afresh.
        self.stop_wineserver()
        return self

    def env(self):
        return wine_environment(self.display)

    def stop_wineserver(self):
        env = wine_environment(self.display)
        subprocess.run([WINESERVER, "-k"], env=env, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=env, capture_output=True, timeout=30)

    def cleanup(self):
        # Our own processes first, then every Windows process of the prefix (those our
        # programs started themselves), then the display.
        xvfb = self.processes[0] if self.processes else None
        for process in reversed(self.processes[1:]):
            self.end_process(process)
        self.stop_wineserver()
        if xvfb is not None:
            self.end_process(xvfb)

    # --- Windows programs -----------------------------------------------------------

    def program(self, name):
        return os.path.join(bin_dir(), name)

    def wine(self, exe, *args, **kwargs):
        return self.spawn([WINE, self.program(exe), *args], **kwargs)

    def program_folder(self, label, programs, renamed=None):
        """A folder under the out dir holding copies of the given built programs (and
        renamed copies: {new name: built program}); returns its path."""
        folder = os.path.join(self.out_dir, label)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name in programs:
            shutil.copy2(self.program(name), os.path.join(folder, name))
        for name, source in (renamed or {}).items():
            shutil.copy2(self.program(source), os.path.join(folder, name))
        return folder

    def wine_at(self, path, *args, env=None, **kwargs):
        """Starts a Windows program by its Unix path, with extra environment variables."""
        environment = self.env()
        environment.update(env or {})
        return self.spawn([WINE, path, *args], env=environment, **kwargs)

    def probe(self, *args, timeout=30):
        # Output through a file, not a pipe: Wine's own helper processes may inherit a
        # pipe and keep it open long after the probe has ended.
        with tempfile.TemporaryFile("w+") as output:
            result = subprocess.run([WINE, self.program("velmora_probe.exe"), *args],
                                    env=self.env(), stdout=output, stderr=subprocess.DEVNULL,
                                    stdin=subprocess.DEVNULL, timeout=timeout)
            output.seek(0)
            return result.returncode, output.read()

    def find_window(self, title):
        """Windows' own view of a top-level window, or None."""
        code, output = self.probe("find", title)
        if code != 0:
            return None
        return parse_probe(output)

    def wait_for_window(self, title, timeout=30, process=None, visible=False):
        """The window once it exists (and, if asked, is shown); programs create their
        windows hidden and show them only after the rest of their set-up."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if process is not None and process.poll() is not None:
                raise ScenarioFailure(
                    f"process ended with code {process.returncode} before '{title}' appeared")
            window = self.find_window(title)
            if window is not None and (not visible or window.get("visible") == 1):
                return window
            time.sleep(0.2)
        raise ScenarioFailure(f"no {'visible ' if visible else ''}window titled '{title}' "
                              f"within {timeout} s")

    def wait_until_gone(self, title, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.find_window(title) is None:
                return True
            time.sleep(0.2)
        return False

    def children(self, hwnd):
        _, output = self.probe("children", str(hwnd))
        return [parse_probe(block) for block in output.split("--\n") if block.strip()]

    def display_state(self):
        _, output = self.probe("display")
        return parse_probe(output)

    def close_window(self, title):
        code, _ = self.probe("close", title)
        check(code == 0, f"could not ask '{title}' to close")

    @staticmethod
    def wait_exit(process, timeout):
        """The exit code, or None if the process is still running after timeout seconds."""
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    # --- X11 input and pictures -----------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env(), check=True, capture_output=True)

    def key(self, *keys):
        self.xdotool("key", "--delay", "50", *keys)

    def move_mouse(self, x, y):
        self.xdotool("mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self.xdotool("mousemove", str(x), str(y), "click", str(button))

    def screenshot(self, label):
        path = os.path.join(self.out_dir, f"{label}.png")
        subprocess.run([IMPORT, "-display", self.display, "-window", "root", path], check=True,
                       capture_output=True)
        return path

    def wait_for_frames(self, timeout=30):
        """Waits until the renderer's ball lights the middle of the screen: its start-up is
        over and frames are being shown."""
        deadline = time.time() + timeout
        while True:
            image = Image.load(self.screenshot("frames"))
            centre_x, centre_y = image.width // 2, image.height // 2
            peak = max(max(image.pixel(x, y)) for y in range(centre_y - 48, centre_y + 48, 4)
                       for x in range(centre_x - 48, centre_x + 48, 4))
            if peak >= 200:
                return
            check(time.time() < deadline, f"no frame on the screen within {timeout} s")
            time.sleep(0.2)


def parse_probe(output):
    values = {}
    for line in output.splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key] = value
    if "title_utf8" in values:
        values["text"] = bytes.fromhex(values["title_utf8"]).decode("utf-8", "replace")
    for key in ("rect", "client", "client_origin", "position_in_parent"):
        if key in values:
            values[key] = tuple(int(v) for v in values[key].split(","))
    for key in ("style", "exstyle"):
        if key in values:
            values[key] = int(values[key], 16)
    for key in ("visible", "hwnd", "parent", "pid"):
        if key in values:
            values[key] = int(values[key])
    return values


_SCENARIOS = {}


def scenario(screen="1024x768x16"):
    def register(function):
        _SCENARIOS[function.__name__] = (function, screen)
        return function
    return register


def run_scenarios(namespace):
    del namespace  # scenarios register themselves through the decorator
    if len(sys.argv) == 2 and sys.argv[1] == "--list":
        print(";".join(_SCENARIOS))
        return
    if len(sys.argv) != 2 or sys.argv[1] not in _SCENARIOS:
        sys.exit(f"usage: {sys.argv[0]} --list | SCENARIO ({', '.join(_SCENARIOS)})")
    name = sys.argv[1]
    function, screen = _SCENARIOS[name]
    started = time.time()
    try:
        with Scenario(name, screen) as world:
            function(world)
    except Exception:  # report any failure of the scenario as a failed test
        traceback.print_exc()
        print(f"FAILED {name} ({time.time() - started:.1f} s)")
        sys.exit(1)
    print(f"PASSED {name} ({time.time() - started:.1f} s)")
