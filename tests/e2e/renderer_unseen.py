"""The renderer while nobody can see it: a locked session draws no frames and costs next to
no CPU, and drawing comes back when it is unlocked (a minimised run: see monitors)."""

from harness import (check, expect_drawing_again, expect_unseen, hud_counter, hud_rates,
                     run_scenarios, scenario, settled_hud_count)
from velmora_scenarios import expect_exit, press_escape, start_renderer
from velmora_scenarios import RENDERER_TITLE as TITLE

WTS_SESSION_LOCK = 7
WTS_SESSION_UNLOCK = 8
UNSEEN_SECONDS = 5.0
RESUME_SECONDS = 1.0


def change_session(world, code):
    world.probe_ok("session", TITLE, str(code))


@scenario(screen="1024x768x16")
def a_locked_session_draws_nothing_until_unlocked_and_esc_ends_it_while_locked(world):
    hud_env, rates_path = hud_counter(world, "locked")
    process, window = start_renderer(world, hud_env)
    world.wait_for_frames()
    change_session(world, WTS_SESSION_LOCK)
    unseen_count = expect_unseen(process, rates_path, UNSEEN_SECONDS, "locked")
    change_session(world, WTS_SESSION_UNLOCK)
    expect_drawing_again(process, rates_path, unseen_count, world.left_of(RESUME_SECONDS),
                         "unlocked")
    world.wait_for_frames(timeout=5)
    change_session(world, WTS_SESSION_LOCK)
    locked_count = settled_hud_count(rates_path)
    press_escape(world, window)
    expect_exit(world, process, 2.0, "the renderer after Esc while locked")
    check(len(hud_rates(rates_path)) == locked_count, "frames were drawn while locked")


run_scenarios(globals())
