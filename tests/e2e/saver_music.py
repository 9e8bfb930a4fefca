"""Velmora.scr's background music under Wine, heard through a private sound server (audio.py).
The renderer is the probe standing in under its name: a run lasts until the test ends it."""

import os
import subprocess

from audio import (AFTER_RUN, HEARD_FOR, QUIET, PulseAudio, check_played_and_stopped, end_run,
                   run_and_hear, start_run, write_settings, write_tone)
from harness import check, holds_for, run_scenarios, scenario, tool
from velmora_scenarios import stand_in_folder


@scenario(screen="1024x768x16")
def wav_file_loops_and_stops_with_the_run_or_with_its_renderer_killed_from_outside(world):
    for kill in (False, True):
        folder = stand_in_folder(world)
        tone = os.path.join(folder, "tone one.wav")  # a blank in the path
        write_tone(tone, 440, 1.0)
        write_settings(world, folder, 2, tone)
        run_and_hear(world, folder, 1.0, 440, "WAV, renderer killed" if kill else "WAV", kill=kill)


@scenario(screen="1024x768x16")
def mp3_file_is_restarted_and_stops_with_the_run(world):
    with PulseAudio(world) as pulse:
        folder = stand_in_folder(world)
        source = os.path.join(world.out_dir, "tone.wav")
        write_tone(source, 660, 1.0)
        music = os.path.join(folder, "tone two.MP3")
        subprocess.run([tool("lame"), "--quiet", "-b", "64", source, music], check=True)
        write_settings(world, folder, 2, music)
        saver = start_run(world, pulse, folder)
        pulse.wait_heard(HEARD_FOR, "the MP3 played, paused and restarted", saver, restarted=True)
        end_run(world, saver)
        pulse.wait_recorded_after(AFTER_RUN)
        levels, first, last = check_played_and_stopped(pulse, 1.0, 660, "MP3")
        # Restarted after it ended: a pause of up to a second between the plays.
        quiet = [i for i in range(first, last) if levels[i] < QUIET]
        check(quiet, "the MP3 never paused: it was not played to its end and restarted")


@scenario(screen="1024x768x16")
def cd_without_a_drive_plays_nothing_and_the_run_goes_on(world):
    with PulseAudio(world) as pulse:
        folder = stand_in_folder(world)
        write_settings(world, folder, 1, None)
        saver = start_run(world, pulse, folder)
        holds_for(lambda: saver.poll() is None, 2.0, "the run going on without a disc")
        end_run(world, saver)
        levels, _ = pulse.loudness()
        check(max(levels, default=0) < 0.01, "something was heard without a disc")


@scenario(screen="1024x768x16")
def corrupt_wav_plays_nothing(world):
    with PulseAudio(world) as pulse:
        folder = stand_in_folder(world)
        broken = os.path.join(folder, "broken.wav")
        with open(broken, "wb") as out:  # a RIFF header, then no usable format or data
            out.write(b"RIFF\x24\x10\x00\x00WAVEjunk" + bytes(range(256)) * 16)
        write_settings(world, folder, 2, broken)
        saver = start_run(world, pulse, folder)
        holds_for(lambda: saver.poll() is None, 3.0, "the run going on with a corrupt WAV")
        end_run(world, saver)
        levels, _ = pulse.loudness()
        peak = max(levels, default=0)
        check(peak < 0.01, f"a sound was heard: peak {peak:.3f}")


run_scenarios(globals())
