"""Velmora.scr's background music under Wine, heard through a PulseAudio null sink.

Each scenario runs its own PulseAudio daemon with one null sink, records the sink's monitor
with parec while the saver runs, and reads the loudness and pitch of the recording. The
renderer is the probe program standing in under the renderer's name, so the run lasts
exactly until the test closes its window.
"""

import ast
import os
import re
import subprocess

from audio import (AFTER_RUN, HEARD_FOR, KEY_FILE, KEY_KIND, KEY_REPEAT, QUIET, SECTION,
                   PulseAudio, check_played_and_stopped, end_run, music_folder, run_and_hear,
                   start_run, windows_path, write_settings, write_tone)
from harness import check, holds_for, run_scenarios, scenario, tool


@scenario(screen="1024x768x16")
def wav_file_loops_and_stops_with_the_run(world):
    folder = music_folder(world)
    tone = os.path.join(folder, "tone one.wav")  # a blank in the path
    write_tone(tone, 440, 1.0)
    write_settings(world, folder, 2, tone)
    run_and_hear(world, folder, 1.0, 440, "WAV")


@scenario(screen="1024x768x16")
def renderer_killed_from_outside_stops_the_music(world):
    folder = music_folder(world)
    tone = os.path.join(folder, "tone.wav")
    write_tone(tone, 440, 1.0)
    write_settings(world, folder, 2, tone)
    run_and_hear(world, folder, 1.0, 440, "WAV", kill=True)


@scenario(screen="1024x768x16")
def mp3_file_is_restarted_and_stops_with_the_run(world):
    pulse = PulseAudio(world).start()
    try:
        folder = music_folder(world)
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
    finally:
        pulse.cleanup()


@scenario(screen="1024x768x16")
def cd_without_a_drive_plays_nothing_and_the_run_goes_on(world):
    pulse = PulseAudio(world).start()
    try:
        folder = music_folder(world)
        write_settings(world, folder, 1, None)
        saver = start_run(world, pulse, folder)
        holds_for(lambda: saver.poll() is None, 2.0, "the run going on without a disc")
        end_run(world, saver)
        levels, _ = pulse.loudness()
        check(max(levels, default=0) < 0.01, "something was heard without a disc")
    finally:
        pulse.cleanup()


@scenario(screen="1024x768x16")
def corrupt_wav_plays_nothing_not_even_the_default_sound(world):
    pulse = PulseAudio(world).start()
    try:
        folder = music_folder(world)
        broken = os.path.join(folder, "broken.wav")
        with open(broken, "wb") as out:  # a RIFF header, then no usable format or data
            out.write(b"RIFF\x24\x10\x00\x00WAVEjunk" + bytes(range(256)) * 16)
        for wav in (broken, os.path.join(folder, "missing.wav")):
            write_settings(world, folder, 2, wav)
            saver = start_run(world, pulse, folder)
            holds_for(lambda: saver.poll() is None, 3.0, f"the run going on with {wav}")
            end_run(world, saver)
        levels, _ = pulse.loudness()
        peak = max(levels, default=0)
        check(peak < 0.01, f"a sound was heard: peak {peak:.3f}")
    finally:
        pulse.cleanup()


def profile_lookups():
    """The rows of the profile look-up table Wine's reader can confirm, as bytes:
    (what, file text, section, key, value found)."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "reference",
                        "profile_lookups.inc")
    literal = re.compile(r'"((?:[^"\\]|\\.)*)"')
    rows = []
    with open(path, encoding="utf-8") as table:
        for line in table:
            if not line.startswith("PROFILE_LOOKUP("):
                continue
            texts = [ast.literal_eval('b"' + text + '"') for text in literal.findall(line)]
            if line.rstrip().endswith(", 1)"):
                rows.append((texts[0].decode(), *texts[1:5]))
    check(len(rows) >= 15, f"the look-up table has {len(rows)} rows")
    return rows


@scenario(screen="1024x768x16")
def settings_file_reads_alike_both_ways(world):
    """The platform reads the file the way the dialog writes it, and the saver reads what
    the platform writes (the music scenarios rely on the latter)."""
    folder = music_folder(world)
    ini = os.path.join(folder, "Velmora.ini")
    with open(ini, "wb") as out:
        out.write(b"[Section]\r\n" + KEY_KIND + b"= 2\r\n" + KEY_REPEAT + b"=-1\r\n" +
                  KEY_FILE + b"=C:\\Music\\a b.mp3\r\n")
    for key, expected in ((KEY_KIND, b"2"), (KEY_REPEAT, b"-1"),
                          (KEY_FILE, b"C:\\Music\\a b.mp3")):
        _, output = world.probe("profile-read", windows_path(ini), SECTION, key.hex())
        check(bytes.fromhex(output.strip()) == expected,
              f"the platform read {output.strip()} for {key!r}")
    # The lookup rules the saver's own reader follows (its unit tests read the same table),
    # as the platform's reader applies them in this prefix's code page.
    differ = []
    for what, content, section, key, expected in profile_lookups():
        with open(ini, "wb") as out:
            out.write(content)
        _, output = world.probe("profile-read", windows_path(ini), section.decode(), key.hex())
        if bytes.fromhex(output.strip()) != expected:
            differ.append(f"{what}: {bytes.fromhex(output.strip())!r}, not {expected!r}")
    check(not differ, "the platform reads otherwise: " + "; ".join(differ))
    os.unlink(ini)
    write_settings(world, folder, 2, "C:\\x.wav")
    text = open(ini, "rb").read()
    for key in (KEY_KIND, KEY_REPEAT, KEY_FILE):
        check(key in text, f"the platform wrote the key {key!r} otherwise: {text!r}")


run_scenarios(globals())
