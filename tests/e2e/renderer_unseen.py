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


class CountedRenderer:
    """The renderer started with Mesa's heads-up display counting its frames into a file."""

    def __init__(self, world, label):
        env, self.rates_path = hud_counter(world, label)
        self.process, self.window = start_renderer(world, env)
        world.wait_for_frames()

    def expect_unseen(self, what):
        self.unseen_count = expect_unseen(self.process, self.rates_path, UNSEEN_SECONDS, what)

    def expect_frames_again(self, world, what):
        """Within RESUME_SECONDS of the probe's command that let it be seen again."""
        expect_drawing_again(self.process, self.rates_path, self.unseen_count,
                             world.left_of(RESUME_SECONDS), what)
        world.wait_for_frames(timeout=5)


def change_session(world, code):
    result, _ = world.probe("session", TITLE, str(code))
    check(result == 0, f"could not post session change {code} ({result})")


@scenario(screen="1024x768x16")
def a_locked_session_draws_nothing_until_unlocked(world):
    renderer = CountedRenderer(world, "locked")
    change_session(world, WTS_SESSION_LOCK)
    renderer.expect_unseen("locked")
    change_session(world, WTS_SESSION_UNLOCK)
    renderer.expect_frames_again(world, "unlocked")
    world.close_window(TITLE)
    expect_exit(world, renderer.process, 5.0, "the renderer after a close request")


@scenario(screen="1024x768x16")
def escape_while_locked_ends_the_run(world):
    renderer = CountedRenderer(world, "escape")
    change_session(world, WTS_SESSION_LOCK)
    start_count = settled_hud_count(renderer.rates_path)
    press_escape(world, renderer.window)
    expect_exit(world, renderer.process, 2.0, "the renderer after Esc while locked")
    check(len(hud_rates(renderer.rates_path)) == start_count, "frames were drawn while locked")


run_scenarios(globals())
