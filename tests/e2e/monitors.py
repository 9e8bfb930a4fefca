"""The renderer and the screen saver on real monitors: two of them, a mode that really changes,
and the display given back however a run ends (a dummy-driver X server, read from Windows' side
through the probe and from X's side through xrandr)."""

import subprocess
import time

from ball_shape import check_round_and_centred, lit_box
from harness import (DummyScreen, Monitor, ScenarioFailure, check, expect_drawing_again,
                     expect_unseen, holds_for, hud_counter, process_output, run_scenarios,
                     scenario, tool, wait_until)
from velmora_scenarios import (PROBE, RENDERER, RUN_TITLE, WS_EX_TOPMOST, WS_MINIMIZE,
                               expect_exit, press_escape, saver_folder, stand_in_folder,
                               start_renderer, start_run, wait_for_renderer)
from velmora_scenarios import RENDERER_TITLE as TITLE

PRIMARY = Monitor(1920, 1080, 0, 0, primary=True)
SECOND = Monitor(1280, 1024, 1920, 0)
TWO_MONITORS = DummyScreen([PRIMARY, SECOND])
TWO_MONITORS_REFUSING = DummyScreen([PRIMARY, SECOND], offers_1024x768=False)
TWO_MONITORS_WITHOUT_OPENGL = DummyScreen([PRIMARY, SECOND], glx=False)

# What Windows reports for the two monitors before a run and during a granted one (Wine moves
# the second monitor to the primary's new right edge).
BEFORE = [((0, 0, 1920, 1080), "1920x1080", True), ((1920, 0, 3200, 1024), "1280x1024", False)]
SWITCHED = [((0, 0, 1024, 768), "1024x768", True), ((1024, 0, 2304, 1024), "1280x1024", False)]
UNSEEN_SECONDS = 5.0  # a minimised run is watched this long for frames and CPU
RESUME_SECONDS = 2.0  # a run brought back switches the mode again and draws within this


# --- reading the monitors from both sides --------------------------------------------------

def windows_monitors(world):
    """Windows' monitors, sorted by place: (rectangle, WxH of the device's mode, primary)."""
    code, output = world.probe("monitors")
    check(code == 0, f"the probe could not list the monitors: {output!r}")
    found = []
    for line in output.splitlines():
        if line.startswith("monitor="):
            _, rect, mode, primary = line[len("monitor="):].split(" ")
            size = "x".join(mode.split("x")[:2])
            found.append((tuple(int(v) for v in rect.split(",")), size, primary == "1"))
    return sorted(found)


def x_monitors(world):
    """X's active outputs, sorted by place: (rectangle, primary)."""
    output = subprocess.run([tool("xrandr"), "-d", world.display, "--listmonitors"],
                            check=True, capture_output=True, text=True).stdout
    found = []
    for line in output.splitlines()[1:]:
        # " 0: +*DUMMY0 1920/508x1080/286+0+0  DUMMY0"
        fields = line.split()
        geometry = fields[2]
        width = int(geometry.split("/")[0])
        height = int(geometry.split("x")[1].split("/")[0])
        x, y = (int(v) for v in geometry.split("+")[1:3])
        found.append(((x, y, x + width, y + height), "*" in fields[1]))
    return sorted(found)


def bounds(monitors):
    """The rectangle that holds every monitor: Windows' virtual screen."""
    rects = [rect for rect, _, _ in monitors]
    return (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects),
            max(r[3] for r in rects))


def x_area(monitors, rect):
    """Where Windows' rectangle lies on X's screen, which starts at (0, 0)."""
    left, top, _, _ = bounds(monitors)
    return (rect[0] - left, rect[1] - top, rect[2] - left, rect[3] - top)


def both_sides_show(world, monitors):
    """Whether Windows and X both have exactly these monitors now (for wait_until)."""
    seen = windows_monitors(world)
    if seen != sorted(monitors):
        raise ScenarioFailure(f"Windows sees {seen}")
    seen_x = x_monitors(world)
    if seen_x != sorted((x_area(monitors, r), primary) for r, _, primary in monitors):
        raise ScenarioFailure(f"X sees {seen_x}")
    return True


def wait_for_monitors(world, monitors, what, timeout=10):
    wait_until(lambda: both_sides_show(world, monitors), timeout, what)


# --- the renderer -----------------------------------------------------------------------

def end_with_escape(world, process, window):
    press_escape(world, window)
    expect_exit(world, process, 5.0, "the renderer after Esc")


def check_black(image, area, label):
    left, top, right, bottom = area
    for y in range(top, bottom, 16):
        for x in range(left, right, 16):
            pixel = image.pixel(x, y)
            check(max(pixel) <= 8, f"{label}: pixel ({x},{y}) is {pixel}, not black")


def uncovered_strips(monitors):
    """Windows' rectangles of the virtual screen that no monitor shows, above and below each
    monitor (monitors of different heights side by side leave such strips)."""
    _, top, _, bottom = bounds(monitors)
    strips = [(r[0], top, r[2], r[1]) for r, _, _ in monitors if r[1] > top]
    return strips + [(r[0], r[3], r[2], bottom) for r, _, _ in monitors if r[3] < bottom]


def check_cover(world, monitors, label):
    """The renderer's one window covers every monitor: the ball round and centred on each of
    them, at its own shape, and black wherever no monitor is."""
    window = world.find_window(TITLE)
    check(window is not None and window["rect"] == bounds(monitors),
          f"the renderer's window {window and window['rect']} is not the virtual screen")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")

    areas = [x_area(monitors, rect) for rect, _, _ in monitors]
    def lit_everywhere():
        first = world.picture(f"{label}_first")
        return all(lit_box(first, area) for area in areas)
    wait_until(lit_everywhere, 30, "the ball on every monitor")
    images = check_round_and_centred(world, areas, f"the ball on the monitors {areas}", label)
    for strip in uncovered_strips(monitors):
        for image in (images[0], images[-1]):
            check_black(image, x_area(monitors, strip), "where no monitor is")


# --- scenarios ----------------------------------------------------------------------------

@scenario(screen=TWO_MONITORS_WITHOUT_OPENGL)
def a_run_without_opengl_leaves_its_error_box_in_front_on_the_users_own_monitors(world):
    # Through the saver, as a machine without a working OpenGL driver runs it: the renderer
    # switches the mode, fails to find a pixel format and says so.
    wait_for_monitors(world, BEFORE, "the two monitors before the run")
    saver = start_run(world)
    world.wait_for_window("ERROR", process=saver, visible=True)
    holder = world.wine(PROBE, "exit-code", "ERROR", "30000", log="renderer_exit")
    wait_until(lambda: "opened" in process_output(holder) or holder.poll() is not None, 10,
               "the probe to hold the renderer's process")
    check("opened" in process_output(holder), f"no hold: {process_output(holder)!r}")

    def box_alone_in_front():
        box = world.find_window("ERROR", visible=True)
        return (box is not None and box["foreground"] == 1 and saver.poll() is None
                and world.find_window(TITLE, visible=True) is None
                and world.find_window(RUN_TITLE, visible=True) is None)
    # The box is up: the display is the user's own (another process may see the restore a
    # moment late), nothing of ours covers the box, and the saver leaves it there to be read.
    wait_for_monitors(world, BEFORE, "the monitors given back while the box is up", timeout=3)
    holds_for(box_alone_in_front, 5.0, "the ERROR box in front, alone, on the user's monitors")
    both_sides_show(world, BEFORE)
    world.key("Return")
    expect_exit(world, saver, 5.0, "the saver after the box was dismissed")
    check(world.wait_exit(holder, 10.0) == 0, f"the renderer did not end: "
          f"{process_output(holder)!r}")
    check("exit=1\n" in process_output(holder),
          f"the renderer's exit code: {process_output(holder)!r}")
    both_sides_show(world, BEFORE)


@scenario(screen=TWO_MONITORS_REFUSING)
def refused_mode_covers_both_monitors_as_they_are(world):
    wait_for_monitors(world, BEFORE, "the two monitors before the run")
    process, window = start_renderer(world)
    check(window["rect"] == (0, 0, 3200, 1080), f"the cover is {window['rect']}")
    both_sides_show(world, BEFORE)
    check_cover(world, BEFORE, "refused")
    end_with_escape(world, process, window)
    wait_for_monitors(world, BEFORE, "nothing changed after Esc")


@scenario(screen=TWO_MONITORS)
def input_on_the_second_monitor_neither_ends_nor_deactivates_the_run(world):
    process, window = start_renderer(world)
    wait_for_monitors(world, SWITCHED, "the primary at 1024x768 during the run")
    world.move_mouse(1024 + 300, 300)  # X's place of the second monitor after the switch
    world.move_mouse(1024 + 700, 600)
    world.click(1024 + 640, 512)

    def still_covering():
        current = world.find_window(TITLE)
        return (process.poll() is None and current is not None
                and current["foreground"] == 1 and current["exstyle"] & WS_EX_TOPMOST
                and not current["style"] & WS_MINIMIZE)
    holds_for(still_covering, 1.5, "the renderer running, in front and top-most after input "
              "on the second monitor")
    both_sides_show(world, SWITCHED)
    end_with_escape(world, process, window)
    wait_for_monitors(world, BEFORE, "both monitors back after Esc")


# --- every way a screen-saver run ends ------------------------------------------------------

def start_saver_run(world, renderer=RENDERER, env=None):
    """Velmora.scr /s from a folder of its own, with the renderer or the probe standing in
    for it, once the renderer's window shows."""
    stand_in = renderer != RENDERER
    saver = start_run(world, stand_in_folder(world) if stand_in else saver_folder(world), env)
    wait_for_renderer(world, saver, "VelmoraProbeRenderer" if stand_in else "GLWindow")
    return saver


def run_and_end(world, end, renderer=RENDERER, env=None, within=10, saver_code=0,
                renderer_within=None, saver_after_renderer=None):
    """A run on two monitors ended by end(world), which returns the moment (monotonic) of
    its action: switched during the run; from that moment the renderer's window gone within
    renderer_within seconds (by default `within`) and the saver ended within `within` (or
    within saver_after_renderer of the renderer's window going) with saver_code (None:
    killed, any); then the cursor shows and both monitors are back, read from both sides."""
    wait_for_monitors(world, BEFORE, "the two monitors before the run")
    saver = start_saver_run(world, renderer, env)
    wait_for_monitors(world, SWITCHED, "the primary at 1024x768 during the run")
    ended = end(world)

    def left(seconds):
        return max(0.0, seconds - (time.monotonic() - ended))
    bound = renderer_within or within
    gone = world.wait_until_gone(TITLE, left(bound + 5))
    check(gone and time.monotonic() - ended <= bound, f"the renderer's window went "
          f"{time.monotonic() - ended:.1f} s after the run's end, not within {bound} s")
    saver_left = left(within) if saver_after_renderer is None else saver_after_renderer
    if saver_code is None:
        check(world.wait_exit(saver, saver_left) is not None, "the killed saver is still running")
    else:
        expect_exit(world, saver, saver_left, "the saver", saver_code)
    wait_for_monitors(world, BEFORE, "both monitors back after the run")
    check(world.display_state()["cursor_showing"] == "1", "the cursor stayed hidden")


def sent(world, *command):
    """Runs a probe command that must succeed; returns when it was sent."""
    world.probe_ok(*command)
    return world.probe_sent


@scenario(screen=TWO_MONITORS)
def a_granted_run_covers_both_monitors_and_esc_gives_the_modes_back(world):
    # A single monitor's mode comes back the same way.
    def escape(w):
        check_cover(w, SWITCHED, "granted")
        press_escape(w, w.find_window(TITLE))
        return time.monotonic()
    run_and_end(world, escape)


@scenario(screen=TWO_MONITORS)
def a_run_ended_from_outside_or_by_its_renderers_fault_gives_the_modes_back(world):
    # Its run window closed: the renderer goes too.
    run_and_end(world, lambda w: sent(w, "close", RUN_TITLE), renderer_within=3.0,
                saver_after_renderer=3.0)
    # The saver killed as a task manager would (the renderer's 2 s: saver_lifecycle, without
    # a switch); a renderer that has stopped answering once its window showed goes all the
    # same, within 5 s.
    run_and_end(world, lambda w: sent(w, "kill", RUN_TITLE), saver_code=None)
    run_and_end(world, lambda w: sent(w, "kill", RUN_TITLE),
                env={"VELMORA_TEST_HANG_AFTER_SHOW": "1"}, saver_code=None, within=5)
    # A stand-in that switches the mode and stops answering a second after its window shows:
    # only the saver is left to end it and give the display back, within 7 s of the hang; the
    # hung stand-in, a process of its own, is gone 2 s after that.
    hang = 1.0
    env = {"VELMORA_PROBE_RENDERER_SWITCH": "1", "VELMORA_PROBE_RENDERER_HANG_MS":
           str(int(hang * 1000))}
    run_and_end(world, lambda w: time.monotonic() + hang, renderer=PROBE, env=env,
                within=7.0, renderer_within=9.0)
    # A stand-in that switches the mode and dies, when asked to close, with no teardown.
    env = {"VELMORA_PROBE_RENDERER_SWITCH": "1", "VELMORA_PROBE_RENDERER_CRASH_ON_CLOSE": "1"}
    run_and_end(world, lambda w: sent(w, "close", TITLE), renderer=PROBE, env=env)


def renderer_minimised(world, minimised):
    """The renderer's window once it is (or is no longer) minimised."""
    def in_state():
        window = world.find_window(TITLE)
        check(window is not None, "the renderer's window is gone")
        return window if bool(window["style"] & WS_MINIMIZE) == minimised else None
    return wait_until(in_state, 10, f"the renderer {'' if minimised else 'un'}minimised")


@scenario(screen=TWO_MONITORS)
def another_program_taking_the_screen_minimises_the_run_unseen_until_it_is_back(world):
    # Meanwhile the modes are the user's, nothing is drawn and next to no CPU is used; back,
    # it switches the mode again and draws within 2 s of being brought to the front (a run
    # that only looks every 5 to 9 s while unseen misses that), in front.
    wait_for_monitors(world, BEFORE, "the two monitors before the run")
    hud_env, rates_path = hud_counter(world, "minimised")
    process, _ = start_renderer(world, hud_env)
    wait_for_monitors(world, SWITCHED, "the primary at 1024x768 during the run")
    other = world.wine(PROBE, "box", "300", "200", "Other", log="other")
    world.wait_for_window("Other", process=other, visible=True)
    world.probe_ok("activate", "Other")
    renderer_minimised(world, True)
    wait_for_monitors(world, BEFORE, "both monitors back while another program has the screen")
    unseen_count = expect_unseen(process, rates_path, UNSEEN_SECONDS, "minimised")
    world.probe_ok("activate", TITLE)
    expect_drawing_again(process, rates_path, unseen_count, world.left_of(RESUME_SECONDS),
                         "restored")
    window = renderer_minimised(world, False)
    wait_for_monitors(world, SWITCHED, "the primary switched again once the run is back")
    check(world.find_window(TITLE)["rect"] == (0, 0, 2304, 1024), "the cover is not back")
    check(window["exstyle"] & WS_EX_TOPMOST, f"not top-most: {window['exstyle']:#x}")
    wait_until(lambda: lit_box(world.picture("restored"), (0, 0, 1024, 768)), 5,
               "the ball back on the primary")
    end_with_escape(world, process, window)
    wait_for_monitors(world, BEFORE, "both monitors back after Esc")


# --- other layouts ----------------------------------------------------------------------------

@scenario(screen=DummyScreen([Monitor(1920, 1080, 1280, 0, primary=True),
                              Monitor(1280, 1024, 0, 0)]))
def a_primary_that_is_not_on_the_left_and_the_other_monitor_each_show_the_ball(world):
    before = [((-1280, 0, 0, 1024), "1280x1024", False), ((0, 0, 1920, 1080), "1920x1080", True)]
    wait_for_monitors(world, before, "the second monitor left of the primary")
    process, window = start_renderer(world)
    # The cover as Windows has the monitors once the primary is at 1024x768.
    monitors = wait_until(lambda: [m for m in windows_monitors(world)
                                   if m[2] and m[1] == "1024x768"] and windows_monitors(world),
                          10, "the primary at 1024x768 during the run")
    check_cover(world, monitors, "primary_right")
    end_with_escape(world, process, window)
    wait_for_monitors(world, before, "both monitors back after Esc")


@scenario(screen=DummyScreen([Monitor(1280, 1024, 0, 0, primary=True),
                              Monitor(1920, 1200, 1280, 0)], offers_1024x768=False))
def monitors_of_different_heights_keep_the_ball_round_on_each(world):
    # Refused: the cover stays 3200 x 1200, each monitor's shot at its own shape, black under
    # the shorter primary.
    before = [((0, 0, 1280, 1024), "1280x1024", True), ((1280, 0, 3200, 1200), "1920x1200", False)]
    wait_for_monitors(world, before, "a short primary beside a taller monitor")
    process, window = start_renderer(world)
    check_cover(world, before, "heights")
    end_with_escape(world, process, window)
    wait_for_monitors(world, before, "nothing changed after Esc")


@scenario(screen=DummyScreen([PRIMARY]))
def a_monitor_added_during_the_run_is_covered_within_2_s(world):
    process, window = start_renderer(world)
    wait_for_monitors(world, [((0, 0, 1024, 768), "1024x768", True)], "the switched mode")
    DummyScreen.add_monitor(world.display, 1, Monitor(1280, 1024, 1024, 0), (2304, 1024))
    wait_until(lambda: len(windows_monitors(world)) == 2, 10, "Windows to see the new monitor")
    monitors = windows_monitors(world)
    virtual = bounds(monitors)
    wait_until(lambda: world.find_window(TITLE)["rect"] == virtual, 2,
               f"the cover to grow to {virtual}")
    check_cover(world, monitors, "added")
    end_with_escape(world, process, window)


run_scenarios(globals())
