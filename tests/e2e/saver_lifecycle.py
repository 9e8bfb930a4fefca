"""A run and its renderer end together, whatever ends the run, and the saver never keeps a
renderer, a stale window or a preview alive."""

import time

from harness import check, run_scenarios, scenario
from velmora_scenarios import (PREVIEW_TITLE, RENDERER_TITLE, RUN_TITLE,
                               ends_at_once_showing_nothing, expect_exit, press_escape,
                               saver_folder, start_run, start_saver, stand_in_folder,
                               wait_for_renderer)


@scenario(screen="1024x768x16")
def closing_the_run_window_ends_the_renderer_too(world):
    saver = start_run(world)
    wait_for_renderer(world, saver)
    world.close_window(RUN_TITLE)
    check(world.wait_until_gone(RENDERER_TITLE, 3.0), "the renderer outlived the run")
    expect_exit(world, saver, 3.0, "the saver after its run window was closed")
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
    press_escape(world, wait_for_renderer(world, saver))
    expect_exit(world, saver, 6.0, "the saver after Esc")
    check(stale.poll() is None, "the stale window's program was ended")


@scenario(screen="1024x768x16")
def unsigned_preview_handle_of_no_window_ends_at_once(world):
    folder = saver_folder(world, with_renderer=False)
    check(world.find_window(PREVIEW_TITLE) is None, "a preview is there already")  # Wine is up
    for args in (["/p", "4294967295"], ["/p:4294967295"], ["/p", "2147483648"]):
        ends_at_once_showing_nothing(world, start_saver(world, folder, *args), [PREVIEW_TITLE],
                                     f"{args}")


@scenario(screen="1024x768x16")
def renderer_that_stops_answering_is_ended_with_the_run(world):
    hang_after = 1.0
    saver = start_run(world, stand_in_folder(world), env={"VELMORA_PROBE_RENDERER_DELAY_MS": "0",
                                          "VELMORA_PROBE_RENDERER_HANG_MS":
                                              str(int(hang_after * 1000))})
    wait_for_renderer(world, saver, window_class="VelmoraProbeRenderer")
    seen = time.time()
    # The stand-in answers for a second, then never again: ended within 7 s of that.
    expect_exit(world, saver, hang_after + 7.0, "the saver after its renderer hung")
    print(f"run ended {time.time() - seen - hang_after:.1f} s after the renderer hung")
    # The stand-in is a process of its own, which the saver must end: its window stays
    # while it lives, hung or not.
    check(world.wait_until_gone(RENDERER_TITLE, 2.0), "the hung renderer outlived the run")


run_scenarios(globals())
