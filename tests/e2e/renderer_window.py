"""The renderer as it really runs: its window, its display mode, and how it ends."""

from harness import check, holds_for, run_scenarios, scenario

RENDERER = "Velmora.dll"
TITLE = "VelmoraVC"
WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_CLIPSIBLINGS = 0x04000000
WS_CLIPCHILDREN = 0x02000000
SC_SCREENSAVE = 0xF140
SC_MONITORPOWER = 0xF170


def start_renderer(world):
    process = world.wine(RENDERER)
    window = world.wait_for_window(TITLE, process=process, visible=True)
    return process, window


def focus_renderer(world, window):
    # No window manager runs: point at the window so that X delivers the keys to it.
    left, top, right, bottom = window["rect"]
    world.move_mouse((left + right) // 2, (top + bottom) // 2)


def press_escape_and_expect_exit(world, process, window):
    focus_renderer(world, window)
    # Held like a person's key press: a tap shorter than one frame of the ball may fall into
    # a single drain of the message queue, and the renderer only sees Esc while it is down.
    world.hold_key("Escape")
    code = world.wait_exit(process, 2.0)
    check(code is not None, "the renderer was still running 2 s after Esc")
    check(code == 0, f"the renderer ended with exit code {code}")


@scenario(screen="1024x768x16")
def fullscreen_window_covers_the_screen(world):
    process, window = start_renderer(world)
    check(window["class"] == "GLWindow", f"window class {window['class']}")
    check(window["rect"] == (0, 0, 1024, 768), f"window rectangle {window['rect']}")
    check(window["visible"] == 1, "window not visible")
    style = window["style"]
    check(style & WS_POPUP and not style & WS_CAPTION, f"not a popup window: {style:#x}")
    check(style & WS_CLIPSIBLINGS and style & WS_CLIPCHILDREN, f"clip styles missing: {style:#x}")
    mode = world.display_state()["mode"]
    check(mode == "1024x768x16", f"display mode {mode}")
    world.screenshot("running")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1280x1024x24")
def refused_display_mode_gives_a_centred_overlapped_window(world):
    process, window = start_renderer(world)
    check(window["class"] == "GLWindow", f"window class {window['class']}")
    # The requested size is the outer size, centred on the 1280 x 1024 screen.
    check(window["rect"] == (128, 128, 1152, 896), f"window rectangle {window['rect']}")
    style = window["style"]
    check(style & WS_CAPTION == WS_CAPTION and style & WS_THICKFRAME,
          f"not an overlapped window: {style:#x}")
    check(not style & WS_POPUP, f"popup style on a windowed fallback: {style:#x}")
    mode = world.display_state()["mode"]
    check(mode.startswith("1280x1024x"), f"display mode changed to {mode}")
    world.screenshot("windowed")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1024x768x16")
def close_request_from_outside_ends_it(world):
    process, _ = start_renderer(world)
    world.close_window(TITLE)
    code = world.wait_exit(process, 2.0)
    check(code == 0, f"after WM_CLOSE the renderer gave {code} (None: still running)")
    check(world.find_window(TITLE) is None, "the window outlived the renderer")


@scenario(screen="1024x768x16")
def other_keys_and_the_mouse_do_not_end_it(world):
    process, window = start_renderer(world)
    focus_renderer(world, window)
    world.key("a", "space", "Return", "F1", "Up", "q")
    world.move_mouse(10, 10)
    world.click(500, 400)
    world.click(600, 300, button=3)
    holds_for(lambda: process.poll() is None, 1.5, "the renderer running on after other input")
    check(world.find_window(TITLE) is not None, "the renderer's window is gone")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1024x768x16")
def system_screen_saver_and_power_down_are_refused(world):
    process, window = start_renderer(world)
    for code in (SC_SCREENSAVE, SC_MONITORPOWER):
        _, output = world.probe("syscommand", TITLE, hex(code))
        check("result=0" in output, f"system command {code:#x} answered {output!r}")
    check(process.poll() is None, "the renderer ended")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1024x768x16")
def display_mode_is_restored_after_the_run(world):
    process, window = start_renderer(world)
    press_escape_and_expect_exit(world, process, window)
    state = world.display_state()
    check(state["mode"] == "1024x768x16", f"display mode after the run {state['mode']}")


run_scenarios(globals())
