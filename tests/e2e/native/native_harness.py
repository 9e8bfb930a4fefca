"""End-to-end harness for the native Linux hack: velmora on its own Xvfb display.

Reuses the Wine harness's checks and pictures; what differs is the world: no Wine prefix,
only Xvfb (which picks its own display number), the programs started, and their cleanup
by PID whether the scenario passed or not. Scenario files declare their scenarios with
@scenario and end with run_scenarios(); `python3 FILE --list` names them for CTest.
"""

import ctypes
import os
import re
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from harness import IMPORT, DisplayWorld, Image, ScenarioFailure, check  # noqa: E402,F401

HERE = os.path.dirname(os.path.abspath(__file__))


def bin_dir():
    return os.environ["VELMORA_BIN_DIR"]


def work_dir():
    return os.environ["VELMORA_E2E_WORK"]


def velmora_path():
    return os.path.join(bin_dir(), "velmora")


class NativeWorld(DisplayWorld):
    """One native scenario's Xvfb display and the processes started on it."""

    def __init__(self, name, screen):
        super().__init__(name, screen, os.path.join(work_dir(), "native", name))

    def env(self, **extra):
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("XSCREENSAVER_WINDOW", None)
        if self.display is not None:
            env["DISPLAY"] = self.display
        env.update(extra)
        return env

    def output_file(self, label):
        return open(os.path.join(self.out_dir, f"{label}.txt"), "w+")

    # --- the hack -------------------------------------------------------------------

    def velmora(self, *args, env=None, label="velmora", prefix=()):
        """Starts velmora; its stderr goes to a file, read back with read_stderr."""
        stderr = self.output_file(label)
        process = self.spawn([*prefix, velmora_path(), *args], env=env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=stderr)
        process.stderr_file = stderr
        return process

    @staticmethod
    def read_stderr(process):
        process.stderr_file.seek(0)
        return process.stderr_file.read()

    @staticmethod
    def wait_exit(process, timeout):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    # --- X11 ------------------------------------------------------------------------

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env(), capture_output=True,
                              text=True)

    def find_window(self, title):
        result = self.xdotool("search", "--name", f"^{title}$")
        ids = result.stdout.split()
        return int(ids[0]) if result.returncode == 0 and ids else None

    def wait_for_window(self, title, process, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            check(process.poll() is None,
                  f"velmora ended with {process.returncode} before its window appeared: "
                  f"{self.read_stderr(process)!r}")
            window = self.find_window(title)
            if window is not None:
                return window
            time.sleep(0.1)
        raise ScenarioFailure(f"no window titled '{title}' within {timeout} s")

    def test_window(self, width, height):
        """A plain top-level window made by x11-utils' xev; returns its id and xev."""
        output = self.output_file("xev")
        owner = self.spawn(["xev", "-geometry", f"{width}x{height}+0+0", "-event", "structure"],
                   stdout=output, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline:
            output.seek(0)
            found = re.search(r"Outer window is (0x[0-9a-fA-F]+)", output.read())
            if found:
                return int(found.group(1), 16), owner
            time.sleep(0.1)
        raise ScenarioFailure("xev made no window")

    def key(self, *keys):
        self.xdotool("key", "--delay", "50", *keys)

    def point_at(self, x, y):
        # No window manager: the keyboard follows the pointer.
        self.xdotool("mousemove", str(x), str(y))

    def resize(self, window, width, height):
        self.xdotool("windowsize", str(window), str(width), str(height))

    def send_close(self, window):
        """What a window manager's close does: a WM_DELETE_WINDOW client message."""
        send_delete_window(self.display, window)

    def screenshot(self, label, window="root"):
        path = os.path.join(self.out_dir, f"{label}.png")
        target = window if window == "root" else hex(window)
        subprocess.run([IMPORT, "-display", self.display, "-window", target, path], check=True,
                       capture_output=True)
        return Image.load(path)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


def send_delete_window(display_name, window):
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(_Event)]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    check(display, f"cannot open {display_name}")
    event = _Event()
    event.client.type = 33  # ClientMessage
    event.client.window = window
    event.client.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    xlib.XCloseDisplay(display)  # flushes the request


# --- what the frame shows ---------------------------------------------------------------

def brightness(pixel):
    return max(pixel)


def check_ball_frame(image, what):
    """Black corners, a bright ball in the middle (the glow is white, cyan and blue)."""
    w, h = image.width, image.height
    side = 8  # small: xev's test window has a child window 10 pixels in from its corner
    for left, top in ((0, 0), (w - side, 0), (0, h - side), (w - side, h - side)):
        mean = image.mean(left, top, side, side)
        check(max(mean) < 8, f"{what}: corner at ({left}, {top}) is not black: {mean}")
    box_w, box_h = max(2, w // 5), max(2, h // 5)
    left, top = (w - box_w) // 2, (h - box_h) // 2
    brightest = max((image.pixel(x, y) for y in range(top, top + box_h, 2)
                     for x in range(left, left + box_w, 2)), key=brightness)
    check(brightness(brightest) >= 160, f"{what}: the centre is not bright: {brightest}")
    check(brightest[2] >= brightest[0], f"{what}: the brightest centre pixel is not "
          f"white, cyan or blue: {brightest}")


def wait_for_ball(world, label, window="root", timeout=15):
    """The first screenshot that shows the ball (start-up may be slow on a busy machine);
    the last failure when none does within timeout seconds."""
    deadline = time.time() + timeout
    while True:
        image = world.screenshot(label, window)
        try:
            check_ball_frame(image, label)
            return image
        except ScenarioFailure:
            if time.time() > deadline:
                raise
        time.sleep(0.3)


def bright_extent(image, threshold=48, ignore=(0, 0, 0, 0)):
    """Bounding box (left, top, right, bottom) of the lit pixels outside the ignore box
    (left, top, right, bottom), or None."""
    xs, ys = [], []
    for y in range(0, image.height, 2):
        for x in range(0, image.width, 2):
            if ignore[0] <= x < ignore[2] and ignore[1] <= y < ignore[3]:
                continue
            if brightness(image.pixel(x, y)) >= threshold:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs), max(ys)


# --- processes --------------------------------------------------------------------------

def processes_running(executable):
    """PIDs of live processes running that executable file."""
    found = []
    target = os.path.realpath(executable)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.path.realpath(os.readlink(f"/proc/{entry}/exe")) != target:
                continue
            with open(f"/proc/{entry}/stat") as stat:
                state = stat.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if state != "Z":
            found.append(int(entry))
    return found


def processes_with_environment(name, value):
    """PIDs of live processes whose environment has name=value."""
    wanted = f"{name}={value}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if wanted in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            continue
    return found


# --- scenarios --------------------------------------------------------------------------

_SCENARIOS = {}


def scenario(screen="1024x768x24"):
    def register(function):
        _SCENARIOS[function.__name__] = (function, screen)
        return function
    return register


def run_scenarios():
    if len(sys.argv) == 2 and sys.argv[1] == "--list":
        print(";".join(_SCENARIOS))
        return
    if len(sys.argv) != 2 or sys.argv[1] not in _SCENARIOS:
        sys.exit(f"usage: {sys.argv[0]} --list | SCENARIO ({', '.join(_SCENARIOS)})")
    name = sys.argv[1]
    function, screen = _SCENARIOS[name]
    started = time.time()
    try:
        with NativeWorld(name, screen) as world:
            function(world)
    except Exception:  # any failure of the scenario is a failed test
        traceback.print_exc()
        print(f"FAILED {name} ({time.time() - started:.1f} s)")
        sys.exit(1)
    print(f"PASSED {name} ({time.time() - started:.1f} s)")


def temporary_directory(world, label):
    return tempfile.mkdtemp(prefix=f"{label}-", dir=world.out_dir)
