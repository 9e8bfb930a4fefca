"""What the Wine scenarios share: the programs' names, window titles and settings keys,
starting a run, and the ends a process must reach."""

import os
import time

from harness import check, expect_exit, wait_until

SAVER = "Velmora.scr"
RENDERER = "Velmora.dll"
PROBE = "velmora_probe.exe"
RUN_TITLE = "Velmora_Main"
RENDERER_TITLE = "VelmoraVC"
RENDERER_CLASS = "GLWindow"
DIALOG_TITLE = "<Velmora>"
PREVIEW_TITLE = "Preview Window"
MESSAGE_CAPTION = "Velmora (ScreenSaver)"
MESSAGE_TEXT = "Velmora.dll が同じﾌｫﾙﾀﾞに見つかりません！"
INI = "Velmora.ini"
SECTION = "Section"
KEY_KIND = "BGM区分".encode("cp932")
KEY_REPEAT = "BGMﾘﾋﾟｰﾄ".encode("cp932")
KEY_FILE = "BGMﾌｧｲﾙ".encode("cp932")

WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_MINIMIZE = 0x20000000
WS_DISABLED = 0x08000000
WS_CLIPSIBLINGS = 0x04000000
WS_CLIPCHILDREN = 0x02000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_EX_TOPMOST = 0x00000008

AT_ONCE = 2.0  # seconds: what "ends at once" allows, Wine's start of the process included


def saver_folder(world, with_renderer=True):
    """The folder "programs" in the out dir with the saver (and, unless told, the renderer)."""
    return world.program_folder("programs", [SAVER, RENDERER] if with_renderer else [SAVER])


def stand_in_folder(world):
    """The saver beside the probe program standing in under the renderer's name."""
    return world.program_folder("programs", [SAVER], renamed={RENDERER: PROBE})


def start_saver(world, folder, *args, env=None):
    return world.wine_at(os.path.join(folder, SAVER), *args, env=env)


def start_run(world, folder=None, env=None):
    """A run (/s) from folder (by default the saver beside the renderer), once its hidden run
    window exists; returns the saver's process."""
    saver = start_saver(world, folder or saver_folder(world), "/s", env=env)
    world.wait_for_window(RUN_TITLE, process=saver)
    return saver


def start_renderer(world, env=None):
    """The renderer started on its own, once its window shows; returns (process, window)."""
    process = world.wine_at(world.program(RENDERER), env=env)
    return process, world.wait_for_window(RENDERER_TITLE, process=process, visible=True)


def wait_for_renderer(world, saver, window_class=RENDERER_CLASS, timeout=30):
    """The renderer's own window (not a stand-in's of the same title), once shown."""
    def shown():
        window = world.find_window(RENDERER_TITLE)
        if window is not None and window["class"] == window_class and window["visible"] == 1:
            return window
        return None
    return wait_until(shown, timeout, f"a shown renderer window of class {window_class}",
                      process=saver)


def press_escape(world, window, tap=False):
    """Esc over the window (no window manager runs: X gives the keys to the window under
    the pointer), held like a person's press unless tap: a zero-length press and release."""
    left, top, right, bottom = window["rect"]
    # Windows' places left of or above the primary are negative, X's never are: a cover
    # spans every monitor, so a point clamped into X's screen still lies on it.
    world.move_mouse(max(0, (left + right) // 2), max(0, (top + bottom) // 2))
    if tap:
        world.xdotool("key", "--delay", "0", "Escape")
    else:
        world.hold_key("Escape")


def expect_run_end(world, saver, within=1.5):
    """The renderer's window is gone: the saver follows within a second (plus the probe's
    own lag in noticing the window has gone), with exit code 0."""
    check(world.wait_until_gone(RENDERER_TITLE, 5.0), "the renderer's window stayed")
    expect_exit(world, saver, within, "the saver after the renderer had gone")


def ends_at_once_showing_nothing(world, process, titles, what):
    """The process ends at once with exit code 0, and while it runs no window of the given
    titles appears (looked for while it still runs: a dead process's windows are always
    gone)."""
    started = time.monotonic()
    while process.poll() is None and time.monotonic() - started < AT_ONCE:
        for title in titles:
            check(world.find_window(title) is None,
                  f"{what}: a window '{title}' appeared while it ran")
    expect_exit(world, process, max(0.0, AT_ONCE - (time.monotonic() - started)), what)

