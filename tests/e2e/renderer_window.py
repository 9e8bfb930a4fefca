"""The renderer as it really runs: its window, its display mode, and how it ends."""

import time

from harness import (check, cpu_seconds, holds_for, hud_counter, hud_rates, run_scenarios,
                     scenario, wait_until)
from velmora_scenarios import (WS_CAPTION, WS_CLIPCHILDREN, WS_CLIPSIBLINGS,
                               WS_EX_TOPMOST, WS_MINIMIZE, WS_POPUP, WS_THICKFRAME, expect_exit,
                               press_escape, start_renderer)
from velmora_scenarios import RENDERER_TITLE as TITLE

SC_SCREENSAVE = 0xF140
SC_MONITORPOWER = 0xF170
SC_CLOSE = 0xF060


def press_escape_and_expect_exit(world, process, window):
    press_escape(world, window)
    expect_exit(world, process, 2.0, "the renderer after Esc")


def cpu_and_rate_over_frames(world, label, extra_env, seconds=6.0):
    """CPU seconds per second the running renderer uses over the given wall time, start-up
    excluded, and its frames per second as Mesa counts them; the renderer is ended after."""
    hud_env, rates_path = hud_counter(world, label)
    process, _ = start_renderer(world, {**hud_env, **extra_env})
    world.wait_for_frames()
    start_cpu, start_wall, start_rates = cpu_seconds(process), time.time(), len(hud_rates(rates_path))
    holds_for(lambda: process.poll() is None, seconds, f"{label}: the renderer keeps running")
    used = cpu_seconds(process) - start_cpu
    wall = time.time() - start_wall
    rates = hud_rates(rates_path)[start_rates:]
    world.close_window(TITLE)
    check(world.wait_exit(process, 5.0) == 0, f"{label}: the renderer did not end cleanly")
    check(len(rates) >= 4, f"{label}: Mesa counted no frame rates ({rates_path})")
    rate = sum(rates) / len(rates)
    print(f"{label}: {used:.2f} CPU s over {wall:.2f} s, {rate:.1f} frames per second")
    return used / wall, rate


@scenario(screen="1024x768x16")
def fullscreen_window_covers_the_screen(world):
    process, window = start_renderer(world)
    check(window["class"] == "GLWindow", f"window class {window['class']}")
    check(window["rect"] == (0, 0, 1024, 768), f"window rectangle {window['rect']}")
    check(window["visible"] == 1, "window not visible")
    style = window["style"]
    check(style & WS_POPUP and not style & WS_CAPTION, f"not a popup window: {style:#x}")
    check(style & WS_CLIPSIBLINGS and style & WS_CLIPCHILDREN, f"clip styles missing: {style:#x}")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")
    state = world.display_state()
    check(state["mode"] == "1024x768x16", f"display mode {state['mode']}")
    check(state["cursor_showing"] == "0", "the cursor shows over the shot")
    world.screenshot("running")
    press_escape_and_expect_exit(world, process, window)


def refused_display_mode_is_covered_borderless(world, width, height):
    process, window = start_renderer(world)
    check(window["class"] == "GLWindow", f"window class {window['class']}")
    check(window["rect"] == (0, 0, width, height), f"window rectangle {window['rect']}")
    style = window["style"]
    check(style & WS_POPUP and not style & (WS_CAPTION | WS_THICKFRAME),
          f"not a borderless popup: {style:#x}")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")
    state = world.display_state()
    check(state["mode"].startswith(f"{width}x{height}x"),
          f"display mode changed to {state['mode']}")
    check(state["cursor_showing"] == "0", "the cursor shows over the covered screen")
    world.screenshot("covered")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1920x1080x24")
def refused_mode_at_1920x1080_is_covered_borderless(world):
    refused_display_mode_is_covered_borderless(world, 1920, 1080)


@scenario(screen="1280x1024x24")
def refused_mode_at_1280x1024_is_covered_borderless(world):
    refused_display_mode_is_covered_borderless(world, 1280, 1024)


def wait_for_renderer_state(world, minimised, timeout=10):
    def in_state():
        window = world.find_window(TITLE)
        check(window is not None, "the renderer's window is gone")
        return window if bool(window["style"] & WS_MINIMIZE) == minimised else None
    return wait_until(in_state, timeout, f"the renderer {'' if minimised else 'un'}minimised")


@scenario(screen="1024x768x16")
def another_program_taking_the_screen_minimises_it_until_it_is_back(world):
    process, _ = start_renderer(world)
    other = world.wine("velmora_probe.exe", "box", "300", "200", "Other")
    world.wait_for_window("Other", process=other, visible=True)
    code, _ = world.probe("activate", "Other")
    check(code == 0, "could not activate the other program")
    wait_for_renderer_state(world, minimised=True)
    check(world.display_state()["mode"] == "1024x768x16", "the display mode changed")
    code, _ = world.probe("activate", TITLE)
    check(code == 0, "could not activate the renderer again")
    window = wait_for_renderer_state(world, minimised=False)
    check(window["rect"] == (0, 0, 1024, 768), f"window rectangle {window['rect']}")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")
    check(process.poll() is None, f"the renderer ended with {process.returncode}")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1024x768x16")
def close_request_from_outside_ends_it(world):
    process, _ = start_renderer(world)
    world.close_window(TITLE)
    expect_exit(world, process, 2.0, "the renderer after WM_CLOSE")


@scenario(screen="1024x768x16")
def other_keys_and_the_mouse_do_not_end_it(world):
    process, window = start_renderer(world)
    left, top, right, bottom = window["rect"]  # X gives the keys to the window pointed at
    world.move_mouse((left + right) // 2, (top + bottom) // 2)
    world.wait_for_frames()  # the keys reach the running shot, not its start-up
    world.key("a", "space", "Return", "F1", "Up", "q")
    world.move_mouse(10, 10)
    world.click(500, 400)
    world.click(600, 300, button=3)
    holds_for(lambda: process.poll() is None, 1.5, "the renderer running on after other input")
    check(world.find_window(TITLE) is not None, "the renderer's window is gone")
    press_escape_and_expect_exit(world, process, window)


@scenario(screen="1024x768x16")
def system_screen_saver_and_power_down_are_refused(world):
    process, _ = start_renderer(world)
    world.wait_for_frames()
    # With the system's low four bits set too. SC_SCREENSAVE + 1 is also Wine's own "about"
    # command: passed on to the default handling, it opens a modal window over the shot.
    for code in (SC_SCREENSAVE, SC_SCREENSAVE + 1, SC_MONITORPOWER, SC_MONITORPOWER + 2):
        output = world.probe_window("syscommand", TITLE, hex(code))
        check(output is not None and "answered=1" in output,
              f"system command {code:#x} was not answered at once: {output!r}")
    check(process.poll() is None, f"the renderer ended with {process.returncode}")
    window = world.find_window(TITLE)
    check(window is not None and window["rect"] == (0, 0, 1024, 768)
          and not window["style"] & WS_MINIMIZE, f"no longer full screen: {window}")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")
    check(window["foreground"] == 1, "another window came to the front")
    # Every other command goes on to the system: its close command ends the shot.
    world.probe_window("syscommand", TITLE, hex(SC_CLOSE))
    expect_exit(world, process, 2.0, "the renderer after the system's close command")


@scenario(screen="1024x768x16")
def an_escape_tap_ends_it(world):
    # A zero-length tap: its key-down and key-up may be taken in one drain of the queue,
    # most likely while the loop sleeps out the refresh period.
    process, window = start_renderer(world)
    world.wait_for_frames()
    press_escape(world, window, tap=True)
    expect_exit(world, process, 2.0, "the renderer after an Esc tap")


@scenario(screen="1024x768x16")
def paced_frames_use_at_most_half_the_cpu_of_unpaced_ones(world):
    # Xvfb's swaps do not wait for a refresh: unpaced, the loop renders as fast as it can.
    unpaced, unpaced_rate = cpu_and_rate_over_frames(world, "unpaced",
                                                     {"VELMORA_TEST_UNPACED": "1"})
    paced, paced_rate = cpu_and_rate_over_frames(world, "paced", {})
    check(paced_rate <= 62, f"paced frames came at {paced_rate:.1f} a second")
    # Half, where 60 frames a second are at most half of what the machine renders flat out;
    # on a slower (or busy) machine no pacing can do better than 60 of its frames, and 30 %
    # above that share is allowed, as for the loop's own figure in velmora-tool bench.
    share = max(0.5, 1.3 * 60.0 / unpaced_rate)
    check(paced <= share * unpaced,
          f"paced {paced:.2f} CPU s per s ({paced_rate:.1f} frames) against {unpaced:.2f} "
          f"unpaced ({unpaced_rate:.1f} frames): more than {share:.2f} of it")


run_scenarios(globals())
