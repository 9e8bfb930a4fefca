"""The renderer as it really runs: what ends it and what does not, the system's commands,
and its frame pacing (its window and picture: scene_on_screen)."""

import time

from harness import (check, cpu_seconds, holds_for, hud_counter, hud_rates, run_scenarios,
                     scenario)
from velmora_scenarios import (WS_EX_TOPMOST, WS_MINIMIZE, expect_exit, press_escape,
                               start_renderer)
from velmora_scenarios import RENDERER_TITLE as TITLE

SC_SCREENSAVE = 0xF140
SC_MONITORPOWER = 0xF170
SC_CLOSE = 0xF060


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
def close_request_from_outside_ends_it(world):
    process, _ = start_renderer(world)
    world.close_window(TITLE)
    expect_exit(world, process, 2.0, "the renderer after WM_CLOSE")


@scenario(screen="1024x768x16")
def other_keys_and_the_mouse_do_not_end_it_and_an_escape_tap_does(world):
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
    # A zero-length Esc tap: its key-down and key-up may be taken in one drain of the queue,
    # most likely while the loop sleeps out the refresh period.
    press_escape(world, window, tap=True)
    expect_exit(world, process, 2.0, "the renderer after an Esc tap")


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


# A small screen (whose mode the renderer covers as it is) makes frames cheap: even on a
# busy machine they take well under a refresh period, so that the pacer has time to sleep.
@scenario(screen="320x240x24")
def paced_frames_keep_the_refresh_rate_and_sleep_between_frames(world):
    # Xvfb's swaps do not wait for a refresh: unpaced, the loop renders as fast as it can.
    unpaced, unpaced_rate = cpu_and_rate_over_frames(world, "unpaced",
                                                     {"VELMORA_TEST_UNPACED": "1"})
    paced, paced_rate = cpu_and_rate_over_frames(world, "paced", {})
    # Wine gives Xvfb's screen a 60 Hz refresh: at most that, and at least 90 % of it, or of
    # what this machine renders at all (a busy one may not reach 60 unpaced).
    least = 0.9 * min(60.0, unpaced_rate)
    check(least <= paced_rate <= 62,
          f"paced frames came at {paced_rate:.1f} a second, not {least:.1f} to 62")
    # Per frame, pacing costs little: a pacer that spins spends the rest of each period on
    # the CPU, however busy the machine is, several times a frame's cost. A frame drawn after
    # a sleep costs somewhat more than one of a flat-out run (the driver's threads wake cold):
    # up to 1.3 times was seen, so the bound is half as much again.
    per_frame, unpaced_per_frame = paced / paced_rate, unpaced / unpaced_rate
    check(per_frame <= 1.5 * unpaced_per_frame,
          f"paced {per_frame * 1000:.1f} CPU ms per frame ({paced_rate:.1f} frames a second) "
          f"against {unpaced_per_frame * 1000:.1f} unpaced ({unpaced_rate:.1f} a second)")


run_scenarios(globals())
