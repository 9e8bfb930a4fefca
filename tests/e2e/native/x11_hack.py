"""velmora on X11 as it really runs: its own window, adopted windows, resizing, the ways it
ends, its frame-rate report and its pacing, and its memory under valgrind."""

import os
import re
import signal
import subprocess
import time

from native_harness import (HERE, check, expect_exit, holds_for, run_scenarios, scenario, tool,
                            velmora_path, wait_for_ball, wait_until)
from ball_shape import check_round_and_centred

TITLE = "VelmoraVC"
XEV_CHILD = (0, 0, 64, 64)  # xev's own child window, white, in its window's corner
EXIT_HOLD = 3  # seconds a held velmora waits at its exit


def start_own_window(world, *args):
    process = world.velmora(*args)
    window = world.wait_for_window(TITLE, process, visible=True)
    wait_for_ball(world, "started", window)  # start-up done: frames are shown
    return process, window


def start_held_at_exit(world):
    """velmora held EXIT_HOLD s at its exit (strace delays exit_group): X ends a dead client's
    windows, so only then can one tell whether velmora closed its window itself. Returns
    strace's process (it ends with velmora's exit code), velmora's PID and its window."""
    tracer = world.velmora(prefix=(tool("strace"), "-qq", "-o", os.devnull, "-e",
                                   "trace=exit_group", "-e",
                                   f"inject=exit_group:delay_enter={EXIT_HOLD * 1000000}"))
    window = world.wait_for_window(TITLE, tracer, visible=True)
    wait_for_ball(world, "held", window)
    with open(f"/proc/{tracer.pid}/task/{tracer.pid}/children") as children:
        return tracer, int(children.read().split()[0]), window


def expect_window_gone_first(world, tracer, what):
    wait_until(lambda: world.find_window(TITLE) is None, 2, f"the window to go after {what}",
               process=tracer)
    check(tracer.poll() is None, f"after {what} the window outlived the process")
    expect_exit(world, tracer, EXIT_HOLD + 2, what)


def wait_for_reports(world, process, count, timeout=20):
    """Waits until velmora --fps has written count frame-rate reports (one a second)."""
    wait_until(lambda: world.read_stderr(process).count(" fps, ") >= count, timeout,
               f"{count} frame-rate reports", process=process)


@scenario()
def own_window_shows_the_ball_and_an_esc_tap_ends_it_even_between_slow_frames(world):
    # With half a second between frames, the tap's press and release reach the same drain.
    for args, within in (((), 2), (("--delay", "500000"), 3)):
        process, window = start_own_window(world, *args)
        image = wait_for_ball(world, "own_window", window)
        check((image.width, image.height) == (1024, 768), f"window {image.width}x{image.height}")
        world.point_at(512, 384)
        world.key("Escape")
        expect_exit(world, process, within, f"an Esc tap, options {args}")


@scenario()
def q_and_the_window_managers_close_end_it(world):
    process, _ = start_own_window(world)
    world.point_at(512, 384)
    world.key("a", "space", "Return")
    holds_for(lambda: process.poll() is None, 0.5, "velmora running on after other keys")
    world.key("q")
    expect_exit(world, process, 2, "q")

    process, window = start_own_window(world)
    world.send_close(window)
    expect_exit(world, process, 2, "WM_DELETE_WINDOW")

    tracer, _, window = start_held_at_exit(world)
    world.send_close(window)
    expect_window_gone_first(world, tracer, "WM_DELETE_WINDOW")


@scenario()
def window_id_draws_into_that_window_and_follows_its_size(world):
    target, _ = world.test_window(640, 480)
    process = world.velmora("--window-id", hex(target))
    image = wait_for_ball(world, "window_id", target)
    check(process.poll() is None, f"velmora ended: {world.read_stderr(process)!r}")
    check(world.find_window(TITLE) is None, "velmora made a window of its own")
    check((image.width, image.height) == (640, 480), f"window {image.width}x{image.height}")
    check_round_and_centred(world, [(0, 0, 640, 480)], "before the resize", "proportions", target,
                            XEV_CHILD)

    # From 4:3 to 2:1. A viewport left at the old size would put the ball off the middle
    # (or out of sight); a projection left at the old aspect would stretch it sideways.
    world.resize(target, 600, 300)
    image = wait_for_ball(world, "window_id_resized", target, timeout=5)
    check((image.width, image.height) == (600, 300), f"resized {image.width}x{image.height}")
    check_round_and_centred(world, [(0, 0, 600, 300)], "after the resize", "resized", target,
                            XEV_CHILD)

    process.send_signal(signal.SIGTERM)
    expect_exit(world, process, 1, "SIGTERM")


@scenario()
def root_draws_on_the_screen_savers_window_or_the_root(world):
    target, owner = world.test_window(400, 300)
    process = world.velmora("--root", env=world.env(XSCREENSAVER_WINDOW=hex(target)))
    wait_for_ball(world, "xscreensaver_window", target)
    check(process.poll() is None, f"velmora ended: {world.read_stderr(process)!r}")
    check(world.find_window(TITLE) is None, "velmora made a window of its own")
    # The owner goes, and its window with it: nothing is left to draw on.
    owner.terminate()
    expect_exit(world, process, 1, "the end of the window drawn on")

    process = world.velmora("--root", label="root")
    wait_for_ball(world, "root")
    check(world.find_window(TITLE) is None, "velmora made a window of its own")
    process.send_signal(signal.SIGTERM)
    expect_exit(world, process, 1, "SIGTERM")


@scenario()
def sigterm_and_sigint_end_it_within_a_second(world):
    for sig in (signal.SIGTERM, signal.SIGINT):
        process, _ = start_own_window(world)
        process.send_signal(sig)
        expect_exit(world, process, 1, sig.name)

    tracer, pid, _ = start_held_at_exit(world)
    os.kill(pid, signal.SIGTERM)
    expect_window_gone_first(world, tracer, "SIGTERM")


@scenario()
def fps_reports_rate_and_cpu_once_a_second(world):
    process, _ = start_own_window(world, "--fps")
    # When each of the next four reports was read (some came while the ball was awaited).
    wait_for_reports(world, process, 1)
    earlier = world.read_stderr(process).count(" fps, ")
    seen = []
    for count in range(earlier + 1, earlier + 5):
        wait_for_reports(world, process, count)
        seen.append(time.monotonic())
    gaps = [later - earlier for earlier, later in zip(seen, seen[1:])]
    # Never sooner than a second apart (less the polls' slack), nor left out now and then.
    check(min(gaps) > 0.8 and sum(gaps) < 6, f"reports {gaps} s apart")
    process.send_signal(signal.SIGTERM)
    expect_exit(world, process, 1, "SIGTERM")
    lines = world.read_stderr(process).splitlines()
    pattern = re.compile(r"^velmora: (\d+\.\d) fps, (\d+)% cpu$")
    matches = [pattern.match(line) for line in lines]
    check(len(lines) >= 2 and all(matches), f"report lines {lines!r}")
    check(all(float(m.group(1)) > 0 for m in matches), f"no frames counted: {lines!r}")


def reported_rates(world, process, spans=4, within=2, timeout=30, cpu=False):
    """The --fps report's frame rates (with cpu, (rate, CPU share) pairs), once it has given
    that many one-second spans; the process is then ended by SIGTERM, which it obeys within
    that many seconds."""
    pattern = re.compile(r"^velmora: (\d+\.\d) fps, (\d+)% cpu", re.MULTILINE)
    wait_until(lambda: len(pattern.findall(world.read_stderr(process))) >= spans, timeout,
               f"{spans} frame-rate reports", process=process)
    process.send_signal(signal.SIGTERM)
    expect_exit(world, process, within, "SIGTERM")
    found = [(float(rate), int(share) / 100) for rate, share in
             pattern.findall(world.read_stderr(process))]
    return found if cpu else [rate for rate, _ in found]


@scenario()
def delay_slows_the_frames_down(world):
    process, _ = start_own_window(world, "--fps", "--delay", "200000")
    rates = reported_rates(world, process, spans=2, within=1)  # the signal cuts a sleep short
    check(all(r <= 5.2 for r in rates), f"200 ms between frames, yet {rates} fps")

    process, _ = start_own_window(world, "--delay", "5000000")
    process.send_signal(signal.SIGTERM)
    expect_exit(world, process, 1, "SIGTERM during a 5 s delay")


@scenario()
def default_options_follow_the_refresh_and_delay_0_runs_flat_out(world):
    # Xvfb's swaps do not wait for a refresh, and it gives no refresh rate: 60 a second.
    process = world.velmora("--fps", label="own_window")
    rates = reported_rates(world, process)
    check(all(rate <= 62 for rate in rates), f"default options, own window: {rates} fps")

    # A small window makes frames cheap, so that flat out is far above the refresh even on
    # a busy machine, and the pacer has time to sleep.
    target, _ = world.test_window(160, 120)
    process = world.velmora("--fps", "--delay", "0", "--window-id", hex(target),
                            label="flat_out_small")
    flat_out = reported_rates(world, process, cpu=True)[1:]  # the first span holds the start
    check(max(rate for rate, _ in flat_out) > 90, f"--delay 0 in a small window: {flat_out}")
    process = world.velmora("--fps", "--window-id", hex(target), label="paced_small")
    paced = reported_rates(world, process, cpu=True)[1:]
    # The refresh rate, at least 90 % of it; per frame, at most half as much CPU again as flat
    # out (a pacer that spins spends each period's rest on the CPU, ten times a frame's cost
    # here; the hack reports its CPU share in hundredths, 0.10 to 0.12 when paced, so a
    # quarter is within what the reading itself varies).
    rates = [rate for rate, _ in paced]
    check(all(0.9 * 60 <= rate <= 62 for rate in rates), f"default options, small window: "
          f"{rates} fps")
    per_frame = sum(share for _, share in paced) / sum(rates)
    flat_per_frame = sum(share for _, share in flat_out) / sum(rate for rate, _ in flat_out)
    check(per_frame <= 1.5 * flat_per_frame, f"paced {paced} against flat out {flat_out} "
          "(fps, CPU share): more CPU per frame")


@scenario()
def failures_give_one_line_and_an_exit_code(world):
    cases = (
        (["--bogus"], {}, 2, "unknown option"),
        (["--delay", "soon"], {}, 2, "--delay"),
        (["--window-id", "0"], {}, 2, "--window-id"),
        (["--root"], {"XSCREENSAVER_WINDOW": "nonsense"}, 2, "XSCREENSAVER_WINDOW"),
        (["--window-id", "0x3fffff0"], {}, 1, "does not exist"),
        ([], {"DISPLAY": ":9999"}, 1, "cannot open the X display"),
    )
    for args, extra, expected_code, mentions in cases:
        result = subprocess.run([velmora_path(), *args], env=world.env(**extra),
                                capture_output=True, text=True, timeout=20)
        lines = result.stderr.splitlines()
        check(result.returncode == expected_code,
              f"{args} {extra}: exit code {result.returncode}, stderr {result.stderr!r}")
        check(len(lines) == 1 and lines[0].startswith("velmora: ") and mentions in lines[0],
              f"{args} {extra}: stderr {result.stderr!r}")


@scenario()
def no_leaks_under_valgrind(world):
    report = os.path.join(world.out_dir, "valgrind.txt")
    process = world.velmora("--fps", prefix=(
        tool("valgrind"), "--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
        "--error-exitcode=99", "--num-callers=30", "--keep-debuginfo=yes", f"--log-file={report}",
        f"--suppressions={os.path.join(HERE, 'mesa.supp')}"))
    world.wait_for_window(TITLE, process, timeout=120)
    # Start-up is slow under valgrind: stop only once frames have been shown for a while.
    wait_for_reports(world, process, 2, timeout=120)
    process.send_signal(signal.SIGTERM)
    code = world.wait_exit(process, 120)
    with open(report) as text:
        log = text.read()
    check(code == 0, f"valgrind run ended with {code} (99: errors or leaks), see {report}")
    summary = re.search(r"ERROR SUMMARY: (\d+) errors", log)
    check(summary and summary.group(1) == "0", f"valgrind errors, see {report}")


run_scenarios()
