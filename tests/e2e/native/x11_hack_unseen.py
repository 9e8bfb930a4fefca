"""velmora on X11 while nobody can see it: a window laid over the whole of its own stops
the frames and nearly all CPU use, and taking that window away brings the ball back."""

import ctypes
import signal
import time

from native_harness import check, run_scenarios, scenario, wait_for_ball, wait_until
from harness import expect_drawing_again, expect_unseen, hud_counter, hud_rates  # noqa: E402

TITLE = "VelmoraVC"
UNSEEN_SECONDS = 5.0
RESUME_SECONDS = 1.0


class _WindowAttributes(ctypes.Structure):  # XSetWindowAttributes
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("cursor", ctypes.c_ulong)]


class CoveringWindow:
    """An override-redirect window over the given rectangle, as a locker puts up: no window
    manager moves it. It lives on this process's own connection until removed."""

    CW_BACK_PIXEL = 1 << 1
    CW_OVERRIDE_REDIRECT = 1 << 9

    def __init__(self, display_name, left, top, width, height):
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XCreateWindow.restype = ctypes.c_ulong
        xlib.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_void_p, ctypes.c_ulong,
                                       ctypes.POINTER(_WindowAttributes)]
        xlib.XMapRaised.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._xlib = xlib
        self._display = xlib.XOpenDisplay(display_name.encode())
        check(self._display, f"cannot open {display_name}")
        attributes = _WindowAttributes()
        attributes.override_redirect = 1
        attributes.background_pixel = 0x404040
        copy_from_parent = 0
        window = xlib.XCreateWindow(self._display, xlib.XDefaultRootWindow(self._display), left,
                                    top, width, height, 0, copy_from_parent, 1, None,
                                    self.CW_BACK_PIXEL | self.CW_OVERRIDE_REDIRECT,
                                    ctypes.byref(attributes))
        check(window, "could not make the covering window")
        xlib.XMapRaised(self._display, window)
        xlib.XSync(self._display, 0)

    def remove(self):
        if self._display:
            self._xlib.XCloseDisplay(self._display)  # its windows go with the connection
            self._display = None


@scenario()
def a_window_covering_it_stops_the_frames_until_it_is_gone(world):
    hud_env, rates_path = hud_counter(world, "covered")
    process = world.velmora(env=world.env(**hud_env))
    window = world.wait_for_window(TITLE, process, visible=True)
    wait_for_ball(world, "started", window)
    wait_until(lambda: hud_rates(rates_path), 10, "Mesa's first frame count", process=process)

    cover = CoveringWindow(world.display, 0, 0, 1024, 768)
    try:
        unseen_count = expect_unseen(process, rates_path, UNSEEN_SECONDS, "covered")
    finally:
        cover.remove()
        uncovered = time.monotonic()
    expect_drawing_again(process, rates_path, unseen_count,
                         RESUME_SECONDS - (time.monotonic() - uncovered), "uncovered")
    wait_for_ball(world, "uncovered", window, timeout=5)
    process.send_signal(signal.SIGTERM)
    check(world.wait_exit(process, 2) == 0, f"velmora ended badly: {world.read_stderr(process)!r}")


run_scenarios()
