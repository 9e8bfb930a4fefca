"""A run and its renderer end together, whatever ends the run, and the saver never keeps a
renderer, a stale window or a preview alive."""

import os
import time

from harness import check, run_scenarios, scenario, wait_until

SAVER = "Velmora.scr"
RENDERER = "Velmora.dll"
RUN_TITLE = "Velmora_Main"
RENDERER_TITLE = "VelmoraVC"
PREVIEW_TITLE = "Preview Window"


def start_run(world, folder=None, env=None):
    folder = folder or world.program_folder("programs", [SAVER, RENDERER])
    saver = world.wine_at(os.path.join(folder, SAVER), "/s", env=env)
    world.wait_for_window(RUN_TITLE, process=saver)
    return saver


def wait_for_renderer(world, saver, window_class="GLWindow", timeout=30):
    """The renderer's own window (not a stand-in's of the same title), once shown."""
    def shown():
        window = world.find_window(RENDERER_TITLE)
        if window is not None and window["class"] == window_class and window["visible"] == 1:
            return window
        return None
    return wait_until(shown, timeout, f"a shown renderer window of class {window_class}",
                      process=saver)


def expect_saver_exit(world, saver, within):
    code = world.wait_exit(saver, within)
    check(code is not None, f"the saver still ran {within} s on")
    check(code == 0, f"the saver ended with exit code {code}")
    check(world.find_window(RUN_TITLE) is None, "the run window outlived the saver")


@scenario(screen="1024x768x16")
def closing_the_run_window_ends_the_renderer_too(world):
    saver = start_run(world)
    wait_for_renderer(world, saver)
    world.close_window(RUN_TITLE)
    check(world.wait_until_gone(RENDERER_TITLE, 3.0), "the renderer outlived the run")
    expect_saver_exit(world, saver, 3.0)
    check(world.display_state()["cursor_showing"] == "1", "the cursor stayed hidden")


@scenario(screen="1024x768x16")
def killing_the_saver_ends_the_renderer_within_2_s(world):
    saver = start_run(world)
    wait_for_renderer(world, saver)
    code, _ = world.probe("kill", RUN_TITLE)  # as a task manager would
    check(code == 0, "could not end the saver")
    killed = time.time()
    check(world.wait_until_gone(RENDERER_TITLE, 2.0),
          "the renderer was still there 2 s after the saver had been ended")
    print(f"renderer gone {time.time() - killed:.1f} s after the saver was ended")
    check(world.wait_exit(saver, 5.0) is not None, "the saver's Wine process stayed")


@scenario(screen="1024x768x16")
def stale_renderer_window_of_another_process_does_not_keep_a_run_alive(world):
    # A window titled like the renderer, of a program that is not this run's renderer.
    stale = world.wine("velmora_probe.exe", "box", "200", "100", RENDERER_TITLE)
    world.wait_for_window(RENDERER_TITLE, process=stale)
    saver = start_run(world)
    window = wait_for_renderer(world, saver)
    left, top, right, bottom = window["rect"]
    world.move_mouse((left + right) // 2, (top + bottom) // 2)
    world.hold_key("Escape")
    expect_saver_exit(world, saver, 6.0)
    check(stale.poll() is None, "the stale window's program was ended")


@scenario(screen="1024x768x16")
def unsigned_preview_handle_of_no_window_ends_at_once(world):
    folder = world.program_folder("programs", [SAVER])
    for args in (["/p", "4294967295"], ["/p:4294967295"], ["/p", "2147483648"]):
        saver = world.wine_at(os.path.join(folder, SAVER), *args)
        code = world.wait_exit(saver, 10)
        check(code == 0, f"{args} gave {code} (None: still running)")
        check(world.find_window(PREVIEW_TITLE) is None, f"{args}: a preview window stayed")


@scenario(screen="1024x768x16")
def renderer_that_stops_answering_is_ended_with_the_run(world):
    folder = world.program_folder("programs", [SAVER], renamed={RENDERER: "velmora_probe.exe"})
    hang_after = 1.0
    saver = start_run(world, folder, env={"VELMORA_PROBE_RENDERER_DELAY_MS": "0",
                                          "VELMORA_PROBE_RENDERER_HANG_MS":
                                              str(int(hang_after * 1000))})
    wait_for_renderer(world, saver, window_class="VelmoraProbeRenderer")
    seen = time.time()
    # The stand-in answers for a second, then never again: ended within 7 s of that.
    expect_saver_exit(world, saver, hang_after + 7.0)
    print(f"run ended {time.time() - seen - hang_after:.1f} s after the renderer hung")
    check(world.find_window(RENDERER_TITLE) is None, "the hung renderer's window stayed")


run_scenarios(globals())
