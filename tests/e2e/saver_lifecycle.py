"""The saver never keeps a run alive for a stale window, and a killed saver's renderer goes
within 2 s (every other way a run ends: see monitors; a preview for no window: saver_modes)."""

from harness import check, run_scenarios, scenario
from velmora_scenarios import (RENDERER_TITLE, RUN_TITLE, expect_exit, press_escape, start_run,
                               wait_for_renderer)


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
def killing_the_saver_ends_the_renderer_within_2_s(world):
    saver = start_run(world)
    wait_for_renderer(world, saver)
    world.probe_ok("kill", RUN_TITLE)  # as a task manager would
    check(world.wait_until_gone(RENDERER_TITLE, world.left_of(2.0)),
          "the renderer was still there 2 s after the saver had been ended")
    check(world.wait_exit(saver, 5.0) is not None, "the saver's Wine process stayed")


run_scenarios(globals())
