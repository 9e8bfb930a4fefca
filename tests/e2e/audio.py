"""Hearing what the front-end plays under Wine: a private PulseAudio daemon with a null sink,
recorded by parec, and the pieces of a run with music (test tones, settings, start and end).
"""

import math
import os
import shutil
import struct
import subprocess
import tempfile
import wave

from harness import check, tool, wait_until
from velmora_scenarios import (KEY_FILE, KEY_KIND, KEY_REPEAT, RENDERER_TITLE, SECTION,
                               expect_exit, expect_run_end)
from velmora_scenarios import start_run as start_saver_run

RATE = 22050
WINDOW = RATE // 10  # 100 ms of samples
AFTER_RUN = 2.5  # seconds recorded after the saver has ended
HEARD_FOR = 3.0  # seconds of music heard before a run is ended: a 1 s file played three times
LOUD = 0.05  # a 100 ms window this loud (RMS, full scale 1.0) holds sound
QUIET = 0.01  # a 100 ms window this quiet (RMS) holds none


class PulseAudio:
    """A private PulseAudio daemon with a null sink, and a recorder of its monitor."""

    def __init__(self, world):
        self.world = world
        # Short path: the daemon's socket path must stay within the socket name limit.
        self.runtime = tempfile.mkdtemp(prefix="velmora-pulse-")
        os.chmod(self.runtime, 0o700)
        self.env = {"XDG_RUNTIME_DIR": self.runtime, "HOME": self.runtime,
                    "PULSE_SERVER": f"unix:{self.runtime}/pulse/native"}
        self.recording = os.path.join(world.out_dir, "sink.raw")

    def environment(self):
        environment = dict(os.environ)
        environment.update(self.env)
        return environment

    def __enter__(self):
        self.world.spawn([tool("pulseaudio"), "-n", "--daemonize=no", "--exit-idle-time=-1",
                          "--use-pid-file=no", "--disable-shm=yes",
                          "--load=module-null-sink sink_name=velmora rate=22050",
                          "--load=module-native-protocol-unix auth-anonymous=1"],
                         env=self.environment(), stdout=subprocess.DEVNULL,
                         stderr=open(os.path.join(self.world.out_dir, "pulseaudio.log"), "w"))
        wait_until(lambda: self.pactl("info").returncode == 0, 15, "PulseAudio to answer")
        self.pactl("set-default-sink", "velmora")
        self.recorder = self.world.spawn(
            [tool("parec"), "-d", "velmora.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=1", "--latency-msec=20"],
            env=self.environment(), stdout=open(self.recording, "wb"),
            stderr=subprocess.DEVNULL)
        # The null sink's monitor gives silence while nothing plays: samples mean it records.
        wait_until(lambda: self.recorded_seconds() > 0, 10, "parec to record",
                   process=self.recorder)
        return self

    def pactl(self, *args):
        return subprocess.run([tool("pactl"), *args], env=self.environment(),
                              capture_output=True)

    def recorded_seconds(self):
        return os.path.getsize(self.recording) / 2 / RATE

    def samples(self):
        """The samples recorded so far."""
        with open(self.recording, "rb") as recording:
            data = recording.read()
        count = len(data) // 2
        return struct.unpack(f"<{count}h", data[:2 * count])

    def loudness(self):
        """Ends the recording; the root mean square of each 100 ms of it (full scale 1.0)."""
        self.world.end_process(self.recorder)
        samples = self.samples()
        return levels_of(samples), samples

    def wait_heard(self, seconds, what, process, restarted=False):
        """Waits until sound has been heard over a span of seconds (with restarted, with a
        pause inside it), failing at once if process ends first."""
        def heard():
            levels = levels_of(self.samples())
            first, last = sound_span(levels)
            if first is None or (last - first + 1) / 10 < seconds:
                return False
            return not restarted or any(levels[i] < QUIET for i in range(first, last))
        wait_until(heard, 30, f"{what} heard for {seconds} s", process=process)

    def wait_recorded_after(self, seconds):
        """Waits until the recording holds seconds more than it does now."""
        end = self.recorded_seconds() + seconds
        wait_until(lambda: self.recorded_seconds() >= end, seconds + 10,
                   f"{seconds} s more of recording", process=self.recorder)

    def __exit__(self, *exc):
        shutil.rmtree(self.runtime, ignore_errors=True)
        return False


def levels_of(samples):
    """The root mean square of each whole 100 ms of samples (full scale 1.0)."""
    levels = []
    for start in range(0, len(samples) - WINDOW + 1, WINDOW):
        chunk = samples[start:start + WINDOW]
        levels.append(math.sqrt(sum(s * s for s in chunk) / WINDOW) / 32768.0)
    return levels


def pitch(samples, windows):
    """The tone's frequency in Hz: the median of the zero-crossing rates of the given 100 ms
    windows, so that a window with a dropout of the sound server or a loop's restart does
    not pull the estimate off."""
    rates = []
    for window in windows:
        chunk = samples[window * WINDOW:(window + 1) * WINDOW]
        crossings = sum(1 for a, b in zip(chunk, chunk[1:]) if (a < 0) != (b < 0))
        rates.append(crossings / 2 / (len(chunk) / RATE))
    rates.sort()
    return rates[len(rates) // 2]


def write_tone(path, frequency, seconds):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        frames = bytearray()
        for i in range(int(seconds * RATE)):
            frames += struct.pack("<h", int(12000 * math.sin(2 * math.pi * frequency * i / RATE)))
        out.writeframes(bytes(frames))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def write_settings(world, folder, kind, music):
    """Velmora.ini as the platform's own WritePrivateProfileStringA writes it."""
    ini = windows_path(os.path.join(folder, "Velmora.ini"))
    for key, value in ((KEY_KIND, f" {kind}".encode()), (KEY_REPEAT, b" 0"),
                       (KEY_FILE, windows_path(music).encode("cp1252") if music else b"")):
        world.probe_ok("profile-write", ini, SECTION, key.hex(), value.hex() or "")


def start_run(world, pulse, folder):
    env = {**pulse.env, "VELMORA_PROBE_RENDERER_DELAY_MS": "0"}
    saver = start_saver_run(world, folder, env=env)
    world.wait_for_window(RENDERER_TITLE, process=saver)
    return saver


def end_run(world, saver, kill=False):
    """Closes the renderer's window or, with kill, ends its process: the saver follows."""
    if kill:
        world.probe_ok("kill", RENDERER_TITLE)
        expect_run_end(world, saver)
    else:
        world.close_window(RENDERER_TITLE)
        expect_exit(world, saver, 5, "the saver after the run")


def sound_span(levels, threshold=LOUD):
    loud = [i for i, level in enumerate(levels) if level > threshold]
    return (loud[0], loud[-1]) if loud else (None, None)


def check_played_and_stopped(pulse, seconds, frequency, label):
    levels, samples = pulse.loudness()
    first, last = sound_span(levels)
    check(first is not None, f"{label}: nothing was heard")
    heard = (last - first + 1) / 10
    check(heard > 2.5 * seconds,
          f"{label}: heard for {heard:.1f} s only, the {seconds} s file did not repeat")
    # Only windows where the tone sounds: an MP3 is silent between its end and its restart.
    measured = pitch(samples, [i for i in range(first, last + 1) if levels[i] > LOUD])
    check(abs(measured - frequency) < frequency * 0.05,
          f"{label}: heard {measured:.0f} Hz instead of {frequency} Hz")
    # The recording went on for AFTER_RUN seconds after the run: the sound must have stopped
    # with it, and a silence this long is longer than the pause before an MP3 restart.
    silence = (len(levels) - 1 - last) / 10
    check(silence >= AFTER_RUN - 0.5,
          f"{label}: sound went on after the run ended (silent for the last {silence:.1f} s)")
    return levels, first, last


def run_and_hear(world, folder, seconds, frequency, label, kill=False):
    """A run with the music the folder's settings name, heard through a private sink: the
    tone (seconds long, of frequency Hz) repeats and stops with the run, which ends by closing
    the renderer's window or, with kill, by killing the renderer."""
    with PulseAudio(world) as pulse:
        saver = start_run(world, pulse, folder)
        pulse.wait_heard(HEARD_FOR, label, saver)
        end_run(world, saver, kill=kill)
        pulse.wait_recorded_after(AFTER_RUN)
        return check_played_and_stopped(pulse, seconds, frequency, label)
