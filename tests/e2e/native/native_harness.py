"""The native world of the end-to-end harness: the Linux hack velmora on its own Xvfb display.

What differs from the Wine world: no Wine prefix, windows found through X, velmora's output
in a file, and the checks of the frame it draws. The display, the processes, the waits and
the input come from ../harness.py.
"""

import ctypes
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import (DisplayWorld, ScenarioFailure, check, expect_exit,  # noqa: E402,F401
                     holds_for, process_output, tool, wait_until)

HERE = os.path.dirname(os.path.abspath(__file__))


def velmora_path():
    return os.path.join(harness.bin_dir(), "velmora")


class NativeWorld(DisplayWorld):
    """One native scenario's Xvfb display and the processes started on it."""

    def __init__(self, name, screen):
        super().__init__(name, screen, os.path.join(harness.work_dir(), "native", name))

    def env(self, **extra):
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("XSCREENSAVER_WINDOW", None)
        if self.display is not None:
            env["DISPLAY"] = self.display
        env.update(extra)
        return env

    def find_window(self, title, visible=False):
        return self.x_window(title, visible)

    def velmora(self, *args, env=None, label="velmora", prefix=()):
        """Starts velmora; what it writes goes to a file, read back with read_stderr."""
        return self.logged([*prefix, velmora_path(), *args], label, env=env)

    @staticmethod
    def read_stderr(process):
        return process_output(process)

    def test_window(self, width, height):
        """A plain top-level window made by x11-utils' xev; returns its id and xev."""
        owner = self.logged([tool("xev"), "-geometry", f"{width}x{height}+0+0",
                             "-event", "structure"], "xev")

        def announced():
            found = re.search(r"Outer window is (0x[0-9a-fA-F]+)", process_output(owner))
            return int(found.group(1), 16) if found else None
        return wait_until(announced, 10, "xev's window", process=owner), owner

    def point_at(self, x, y):
        # No window manager: the keyboard follows the pointer.
        self.move_mouse(x, y)

    def resize(self, window, width, height):
        self.xdotool("windowsize", str(window), str(width), str(height))

    def send_close(self, window):
        """What a window manager's close does: a WM_DELETE_WINDOW client message."""
        send_delete_window(self.display, window)


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
                     for x in range(left, left + box_w, 2)), key=max)
    check(max(brightest) >= 160, f"{what}: the centre is not bright: {brightest}")
    check(brightest[2] >= brightest[0], f"{what}: the brightest centre pixel is not "
          f"white, cyan or blue: {brightest}")


def wait_for_ball(world, label, window="root", timeout=15):
    """The first picture that shows the ball (start-up may be slow on a busy machine); the
    last thing amiss when none does within timeout seconds."""
    def shown():
        try:
            image = world.picture(label, window)
        except subprocess.CalledProcessError:
            raise ScenarioFailure("the window is not on screen yet")
        check_ball_frame(image, label)
        return image
    return wait_until(shown, timeout, f"the ball in '{label}'")


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

def scenario(screen="1024x768x24"):
    return harness.scenario(screen)


def package_path():
    """The Debian package that the tree's package fixture made."""
    version = os.environ["VELMORA_VERSION"]
    architecture = subprocess.run([tool("dpkg"), "--print-architecture"], check=True,
                                  capture_output=True, text=True).stdout.strip()
    path = os.path.join(os.environ["VELMORA_PACKAGE_DIR"],
                        f"velmora_{version}_{architecture}.deb")
    check(os.path.isfile(path), f"no package {path}")
    return path


def run_scenarios():
    harness.run_world(NativeWorld)


def temporary_directory(world, label):
    return tempfile.mkdtemp(prefix=f"{label}-", dir=world.out_dir)
