"""End-to-end harness: the programs on a private Xvfb display, for the Wine and the native worlds.

Every scenario gets a fresh Xvfb display of its own size and on the way out ends every process
it started, by PID, whether it passed or not. Scenarios wait for conditions (a window, a file,
an exit code, a picture) with a deadline, through wait_until, never for a fixed time. The Wine
world (the Windows programs in its test slot's copy of the run's Wine prefix, so that scenarios
of different slots run side by side) is here; the native world is the thin layer
native/native_harness.py. Scenario files declare their scenarios with @scenario and
end with run_scenarios(...); `python3 FILE --list` names them for CTest.

Tools come from CTest's environment as VELMORA_TOOL_<NAME>=path (found by CMake); a script run
by hand looks them up on PATH.
"""

import collections
import fcntl
import hashlib
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

POLL_INTERVAL = 0.1  # seconds between two looks at a condition
KEY_HOLD = 0.2  # seconds a key stays down, as a person presses it
POINTER_PAUSE = 0.2  # seconds a person rests between moving the pointer and pressing


def tool(name):
    """The path of a program the scenarios drive: CMake's find, else the one on PATH."""
    key = "VELMORA_TOOL_" + "".join(c if c.isalnum() else "_" for c in name.upper())
    path = os.environ.get(key) or shutil.which(name)
    if not path:
        raise ScenarioFailure(f"{name} is neither in {key} nor on PATH")
    return path


def bin_dir():
    return os.environ["VELMORA_BIN_DIR"]


def work_dir():
    return os.environ["VELMORA_E2E_WORK"]


class ScenarioFailure(AssertionError):
    pass


class ProbeFailure(RuntimeError):
    """A probe that could not run: never an answer such as "no such window"."""


PROBE_NO_SUCH_WINDOW = 3  # velmora_probe's exit code when the window asked about is not there
PROBE_STARTED = "velmora_probe: started"  # on its stderr, before it runs its command
PROBE_HANG = 10  # seconds a probe command may take before it counts as hung
PROBE_LOOK = 0.01  # seconds between two looks at a running probe
OUR_PROGRAMS = (" velmora.scr", " velmora.dll")  # as the probe lists processes, lower case
OUR_PROGRAMS_END = 5  # seconds our programs may take to end once a scenario is over


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


# --- waiting for conditions -------------------------------------------------------------

def process_output(process):
    """What a process started with an output file (see DisplayWorld.logged) wrote, or ""."""
    output = getattr(process, "output_file", None)
    if output is None:
        return ""
    output.seek(0)
    return output.read()


def wait_until(condition, timeout, what, process=None):
    """The first true value of condition() within timeout seconds. A ScenarioFailure raised by
    the condition means "not yet" and is reported if it is still so at the deadline. With a
    process, the wait fails at once when that process ends first."""
    deadline = time.monotonic() + timeout
    reason = ""
    while True:
        if process is not None and process.poll() is not None:
            output = process_output(process)
            raise ScenarioFailure(f"the process ended with {process.returncode} before {what}"
                                  + (f": {output!r}" if output else ""))
        try:
            value = condition()
            if value:
                return value
            reason = ""
        except ScenarioFailure as failure:
            reason = f" ({failure})"
        if time.monotonic() >= deadline:
            raise ScenarioFailure(f"waited {timeout} s in vain for {what}{reason}")
        time.sleep(POLL_INTERVAL)


def expect_exit(world, process, within, what, code=0):
    """The process ends within the given seconds, with the given exit code."""
    ended = world.wait_exit(process, within)
    check(ended is not None, f"{what}: still running {within} s on")
    check(ended == code,
          f"{what}: exit code {ended}, not {code}; it wrote {process_output(process)!r}")


def changed(value, *earlier):
    """The value (a look, a picture), if it differs from every earlier one: for waiting until
    something on screen changes."""
    return value if all(value != before for before in earlier) else None


def settled_change(look, *earlier):
    """For wait_until: the look once it differs from every earlier one and two pictures in a
    row agree on it; the first picture that differs may show a paint half done."""
    seen = [None]

    def condition():
        seen.append(look())
        return changed(seen[-1], *earlier) if seen[-1] == seen[-2] else None
    return condition


def holds_for(condition, seconds, what):
    """Checks that condition() stays true for the whole of the given seconds: for what must
    last, such as a run going on after a key that must not end it."""
    started = time.monotonic()
    while True:
        elapsed = time.monotonic() - started
        check(condition(), f"{what}: it held only {elapsed:.1f} of {seconds} s")
        if elapsed >= seconds:
            return
        time.sleep(POLL_INTERVAL)


# --- what a running program costs ------------------------------------------------------

def cpu_seconds(process):
    """CPU time of the process so far, all its threads (the GL driver's included)."""
    with open(f"/proc/{process.pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def hud_counter(world, label):
    """Mesa's heads-up display counting a program's frames into a file of the out dir:
    the environment to start the program with, and the file to read with hud_rates."""
    hud_dir = os.path.join(world.out_dir, f"hud_{label}")
    os.makedirs(hud_dir, exist_ok=True)
    return {"GALLIUM_HUD": "fps", "GALLIUM_HUD_DUMP_DIR": hud_dir}, os.path.join(hud_dir, "fps")


def hud_rates(path):
    """Frame rates Mesa's heads-up display has written to its dump file, one a line: one
    line per frame period with frames in it, none while nothing is drawn."""
    try:
        with open(path) as dump:
            return [float(line) for line in dump.read().split()]
    except OSError:
        return []


HUD_PERIOD = 0.5  # seconds: Mesa's heads-up display writes a frame count at most this often


def settled_hud_count(path, timeout=10):
    """The number of frame counts in Mesa's dump once it has not grown for one and a half of
    the display's periods: while frames are drawn it grows at least once a period, and a frame
    that was under way when drawing stopped may still be counted."""
    last = {"count": None, "since": 0.0}

    def settled():
        count, now = len(hud_rates(path)), time.monotonic()
        if count != last["count"]:
            last.update(count=count, since=now)
        return (count,) if now - last["since"] >= 1.5 * HUD_PERIOD else None
    return wait_until(settled, timeout, "Mesa's frame count to settle")[0]


UNSEEN_CPU_SHARE = 0.02  # of one core: what a program nobody can see may use


def expect_unseen(process, rates_path, seconds, what, cpu_share=UNSEEN_CPU_SHARE):
    """Over the next seconds the process runs on, Mesa counts none of its frames and (unless
    cpu_share is None) it uses less than that share of a core. Returns the frame count it
    held: expect_drawing_again's starting point."""
    start_count = settled_hud_count(rates_path)
    start_cpu, start_wall = cpu_seconds(process), time.monotonic()
    holds_for(lambda: process.poll() is None and len(hud_rates(rates_path)) == start_count,
              seconds, f"{what}: it runs on and Mesa counts no frames")
    share = (cpu_seconds(process) - start_cpu) / (time.monotonic() - start_wall)
    print(f"{what}: {share * 100:.2f} % of a core")
    check(cpu_share is None or share < cpu_share, f"{what}: {share * 100:.2f} % of a core")
    return start_count


def expect_drawing_again(process, rates_path, unseen_count, timeout, what):
    """Mesa counts a frame beyond unseen_count within timeout seconds (from the moment the
    program could be seen again: pass what is left of the promise)."""
    wait_until(lambda: len(hud_rates(rates_path)) > unseen_count, timeout,
               f"{what}: frames counted again", process=process)


# --- pictures ---------------------------------------------------------------------------

class Image:
    """A screenshot as raw RGB bytes."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.rgb[offset:offset + 3])

    def mean(self, left, top, width, height):
        total = [0, 0, 0]
        for y in range(top, top + height):
            row = 3 * (y * self.width + left)
            for x in range(width):
                for c in range(3):
                    total[c] += self.rgb[row + 3 * x + c]
        count = width * height
        return tuple(t / count for t in total)

    @staticmethod
    def load(path):
        convert = tool("convert")
        size = subprocess.run([convert, path, "-format", "%w %h", "info:"], check=True,
                              capture_output=True, text=True).stdout.split()
        width, height = int(size[0]), int(size[1])
        rgb = subprocess.run([convert, path, "-depth", "8", "rgb:-"], check=True,
                             capture_output=True).stdout
        return Image(width, height, rgb)


def ball_is_showing(image):
    """Whether the ball's glow lights the middle of a screenshot: a channel at 200 or more
    within 48 pixels of its centre (the ball always covers that much, whatever its turn)."""
    centre_x, centre_y = image.width // 2, image.height // 2
    return max(max(image.pixel(x, y)) for y in range(centre_y - 48, centre_y + 48, 4)
               for x in range(centre_x - 48, centre_x + 48, 4)) >= 200


# --- a display and the processes on it --------------------------------------------------

def start_xvfb(spawn, screen):
    """Starts Xvfb through spawn (which records the process) on a screen such as
    "1024x768x16" and returns its display name. Xvfb picks a free display number itself and
    tells it through a pipe, so that scenarios of parallel test runs never race for one."""
    read_end, write_end = os.pipe()
    spawn([tool("Xvfb"), "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten",
           "tcp", "-noreset"], env=dict(os.environ), pass_fds=(write_end,),
          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    check(number.isdigit(), "Xvfb did not start")
    return f":{number}"


# One monitor of a dummy-driver X server: its size and its place on X's screen, in pixels.
Monitor = collections.namedtuple("Monitor", "width height x y primary", defaults=(0, 0, False))


class DummyScreen:
    """A real X server (Xorg's dummy video driver) whose outputs DUMMY0..15 are monitors that
    Wine enumerates and whose modes really change, unlike Xvfb's one screen. The first monitor
    given is DUMMY0; offers_1024x768 puts the renderer's mode among the primary's modes (a
    granted switch) or leaves it out, and out of the sync range too (a refused one); glx=False
    starts the server without OpenGL, as a machine without a working OpenGL driver."""

    CONFIG = """Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 262144
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync {hsync}
    VertRefresh 50.0-75.0
{modelines}
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 4096 2048
        Modes {modes}
    EndSubSection
EndSection
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AllowEmptyInput" "true"
EndSection
"""

    def __init__(self, monitors, offers_1024x768=True, glx=True):
        self.monitors = monitors
        self.offers_1024x768 = offers_1024x768
        self.glx = glx

    @staticmethod
    def modeline(width, height):
        """The CVT timings of width x height at 60 Hz, as `cvt` gives them, under the name
        WxH."""
        line = subprocess.run([tool("cvt"), str(width), str(height), "60"], check=True,
                              capture_output=True, text=True).stdout.splitlines()[-1]
        return [f"{width}x{height}"] + line.split()[2:]

    def config(self):
        sizes = {(m.width, m.height) for m in self.monitors}
        if self.offers_1024x768:
            sizes.add((1024, 768))
            hsync = "28.0-100.0"
        else:
            # CVT 1280x1024 to 1920x1200 run at 63.7 to 74.6 kHz; every built-in 1024x768
            # mode lies outside (48.4, 56.5, 60.0 or 68.7 kHz), so none is offered.
            hsync = "63.0-67.6"
        lines = [self.modeline(w, h) for w, h in sorted(sizes, reverse=True)]
        modelines = "\n".join(f'    Modeline "{l[0]}" {" ".join(l[1:])}' for l in lines)
        first = self.monitors[0]
        return self.CONFIG.format(hsync=hsync, modelines=modelines,
                                  modes=f'"{first.width}x{first.height}"')

    def start(self, world):
        """Starts the server for world (recording it by PID), sets its monitors up with
        xrandr and returns the display name. Xorg picks a free display number itself and
        tells it through a pipe, as Xvfb does: parallel scenarios never race for one."""
        config = os.path.join(world.out_dir, "xorg.conf")
        with open(config, "w") as out:
            out.write(self.config())
        errors = world.output_file("xorg-stderr")
        read_end, write_end = os.pipe()
        server = world.spawn(
            [tool("Xorg"), "-displayfd", str(write_end), "-config", config, "-noreset",
             "-nolisten", "tcp", "-novtswitch", "-sharevts", "-logfile",
             os.path.join(world.out_dir, "xorg.log"),
             *([] if self.glx else ["-extension", "GLX"])],
            env=dict(os.environ), pass_fds=(write_end,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=errors)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            # The number comes once the server is up; the pipe closes early if it ends.
            ready, _, _ = select.select([announced], [], [], 30)
            number = announced.readline().strip() if ready else ""
        if not number.isdigit():
            errors.seek(0)
            raise ScenarioFailure(self.why_not_started(errors.read()))
        display = f":{number}"
        wait_until(lambda: self.answers(display), 30, f"Xorg on {display} to answer",
                   process=server)
        self.arrange(display)
        return display

    @staticmethod
    def why_not_started(errors):
        """What to tell when Xorg gave no display number, from what it wrote to stderr."""
        said = errors.strip()[-2000:]
        if os.geteuid() != 0:
            return (f"Xorg did not start for this user, who is not root (uid {os.geteuid()}): "
                    f"{said!r}. Debian's Xorg.wrap lets only root and console users run it: "
                    "run the tests as root, or set allowed_users=anybody and "
                    "needs_root_rights=yes in /etc/X11/Xwrapper.config")
        return f"Xorg did not start: {said!r} (see xorg.log in the out dir)"

    @staticmethod
    def answers(display):
        return subprocess.run([tool("xrandr"), "-d", display, "-q"], capture_output=True,
                              timeout=10).returncode == 0

    def arrange(self, display):
        """All outputs in one xrandr call, the screen sized to hold them: one at a time, an
        output placed beyond the screen's current size stays where it was."""
        width = max(m.x + m.width for m in self.monitors)
        height = max(m.y + m.height for m in self.monitors)
        arguments = []
        for index, monitor in enumerate(self.monitors):
            arguments += self.output_arguments(display, index, monitor)
        subprocess.run([tool("xrandr"), "-d", display, "--fb", f"{width}x{height}", *arguments],
                       check=True, capture_output=True)
        # Wine reads the monitors once, when its first program starts: wait until X lists
        # them all (the listing also brings X's own monitor list up to date for Wine).
        wait_until(lambda: self.listed(display) == len(self.monitors), 10,
                   f"X to list {len(self.monitors)} monitors")

    @staticmethod
    def listed(display):
        output = subprocess.run([tool("xrandr"), "-d", display, "--listmonitors"],
                                capture_output=True, text=True, timeout=10).stdout
        return len(output.splitlines()[1:])

    @classmethod
    def output_arguments(cls, display, index, monitor):
        """xrandr's arguments that turn DUMMY<index> on at the monitor's size and place,
        after adding the mode it needs."""
        name = f"{monitor.width}x{monitor.height}"
        output = f"DUMMY{index}"
        if index != 0:
            xrandr = [tool("xrandr"), "-d", display]
            line = cls.modeline(monitor.width, monitor.height)
            line[0] = f"velmora_{name}"
            subprocess.run(xrandr + ["--newmode", *line], capture_output=True)
            subprocess.run(xrandr + ["--addmode", output, line[0]], check=True,
                           capture_output=True)
            name = line[0]
        return (["--output", output, "--mode", name, "--pos", f"{monitor.x}x{monitor.y}"]
                + (["--primary"] if monitor.primary else []))

    @classmethod
    def add_monitor(cls, display, index, monitor, screen_size):
        """Plugs DUMMY<index> in during a run, the screen grown to screen_size (w, h)."""
        arguments = cls.output_arguments(display, index, monitor)
        subprocess.run([tool("xrandr"), "-d", display, "--fb",
                        f"{screen_size[0]}x{screen_size[1]}", *arguments], check=True,
                       capture_output=True)
        wait_until(lambda: cls.listed(display) >= index + 1, 10, f"X to list DUMMY{index}")


class DisplayWorld:
    """A scenario's Xvfb display and the processes started on it, all ended by PID on the
    way out, whether the scenario passed or not. A world names its environment (env) and how
    it finds a top-level window by title (find_window)."""

    def __init__(self, name, screen, out_dir):
        self.name = name
        self.screen = screen
        self.processes = []
        self.display = None
        self.display_servers = 1
        self.out_dir = out_dir

    def __enter__(self):
        os.makedirs(self.out_dir, exist_ok=True)
        try:
            # A DummyScreen, or an Xvfb screen such as "1024x768x16".
            self.display = (self.screen.start(self) if isinstance(self.screen, DummyScreen)
                            else start_xvfb(self.spawn, self.screen))
        except BaseException:
            self.cleanup()
            raise
        # What was spawned so far is the display's: ended after everything on it.
        self.display_servers = len(self.processes)
        return self

    def __exit__(self, *exc):
        self.cleanup()
        return False

    # --- processes --------------------------------------------------------------------

    def spawn(self, argv, env=None, **kwargs):
        process = subprocess.Popen(argv, env=env if env is not None else self.env(),
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def output_file(self, label):
        return open(os.path.join(self.out_dir, f"{label}.txt"), "w+")

    def logged(self, argv, label, env=None, **kwargs):
        """Starts a process whose stdout (and stderr, unless given) goes to the file
        <label>.txt in the out dir (a file, not a pipe: Wine's helpers may hold a pipe open
        long after a program has ended); read it back with process_output."""
        output = self.output_file(label)
        streams = {"stdin": subprocess.DEVNULL, "stdout": output, "stderr": subprocess.STDOUT}
        streams.update(kwargs)
        process = self.spawn(argv, env=env, **streams)
        process.output_file = output
        return process

    def cleanup(self):
        # Our programs first, newest first, then the display.
        self.end_processes(reversed(self.processes))

    @classmethod
    def end_processes(cls, processes):
        """Ends each process in turn, even when ending one before it failed; the first
        failure is raised after all."""
        failure = None
        for process in processes:
            try:
                cls.end_process(process)
            except Exception as error:  # go on with the others, report the first
                failure = failure or error
        if failure is not None:
            raise failure

    @staticmethod
    def end_process(process):
        if process.poll() is not None:
            return
        for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, 5)):
            try:
                os.killpg(process.pid, sig)
            except ProcessLookupError:
                return
            try:
                process.wait(timeout=grace)
                return
            except subprocess.TimeoutExpired:
                continue

    @staticmethod
    def wait_exit(process, timeout):
        """The exit code, or None if the process is still running after timeout seconds."""
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    # --- windows ----------------------------------------------------------------------

    def wait_for_window(self, title, process=None, timeout=30, visible=False):
        """The window once it exists (and, if asked, is shown); fails at once if process
        ends first."""
        return wait_until(lambda: self.find_window(title, visible=visible), timeout,
                          f"a {'visible ' if visible else ''}window titled '{title}'",
                          process=process)

    def wait_until_gone(self, title, timeout):
        """Whether the window titled title is gone within timeout seconds."""
        try:
            wait_until(lambda: self.find_window(title) is None, timeout, f"'{title}' to go")
            return True
        except ScenarioFailure:
            return False

    # --- X11 input and pictures -------------------------------------------------------

    def xdotool(self, *args, check=True):
        return subprocess.run([tool("xdotool"), *args], env=self.env(), check=check,
                              capture_output=True, text=True)

    def x_window(self, title, visible=False):
        """The X window id of the top-level window named title (UTF-8), or None. xdotool
        says "none" by exiting 1 in silence; anything else is a failure of its own, except
        a BadWindow: a window was destroyed while the search walked the tree, so the search
        never answered and is asked again (each such answer means the tree really changed)."""
        for _ in range(5):
            result = self.xdotool("search", *(["--onlyvisible"] if visible else []), "--name",
                                  f"^{title}$", check=False)
            ids = result.stdout.split()
            if result.returncode == 1 and not ids and not result.stderr.strip():
                return None
            if result.returncode == 0 and ids:
                return int(ids[0])
            if "BadWindow" not in result.stderr:
                break
        raise ProbeFailure(f"xdotool search for '{title}' failed with "
                           f"{result.returncode}: {result.stderr.strip()!r}")

    def key(self, *keys):
        self.xdotool("key", "--delay", "50", *keys)

    def hold_key(self, key, seconds=KEY_HOLD):
        """A key held like a person's press: a tap shorter than one frame may fall into a
        single drain of a program's message queue."""
        self.xdotool("keydown", key)
        time.sleep(seconds)
        self.xdotool("keyup", key)

    def move_mouse(self, x, y):
        self.xdotool("mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self.xdotool("mousemove", str(x), str(y), "click", str(button))

    def screenshot(self, label, window="root"):
        """A PNG of the screen (or of one X window) in the out dir; returns its path."""
        path = os.path.join(self.out_dir, f"{label}.png")
        target = window if window == "root" else hex(window)
        subprocess.run([tool("import"), "-display", self.display, "-window", target, path],
                       check=True, capture_output=True)
        return path

    def picture(self, label, window="root"):
        return Image.load(self.screenshot(label, window))


# --- scenarios --------------------------------------------------------------------------

_SCENARIOS = {}


def scenario(screen="1024x768x16"):
    def register(function):
        _SCENARIOS[function.__name__] = (function, screen)
        return function
    return register


def run_world(make_world):
    """Lists the registered scenarios (--list) or runs the one named on the command line in
    a world made by make_world(name, screen)."""
    if len(sys.argv) == 2 and sys.argv[1] == "--list":
        print(";".join(_SCENARIOS))
        return
    if len(sys.argv) != 2 or sys.argv[1] not in _SCENARIOS:
        sys.exit(f"usage: {sys.argv[0]} --list | SCENARIO ({', '.join(_SCENARIOS)})")
    name = sys.argv[1]
    function, screen = _SCENARIOS[name]
    started = time.time()
    try:
        with make_world(name, screen) as world:
            function(world)
    except Exception:  # report any failure of the scenario as a failed test
        traceback.print_exc()
        print(f"FAILED {name} ({time.time() - started:.1f} s)")
        sys.exit(1)
    print(f"PASSED {name} ({time.time() - started:.1f} s)")


# --- the Wine world ---------------------------------------------------------------------

PREFIX_STAMP = ".velmora-ready"  # in a prepared prefix: what it was prepared from


def prepared_prefix_dir():
    """The Wine prefix prepare_prefix.py makes; each test slot runs in a copy of it."""
    return os.path.join(work_dir(), "prefix")


def slot():
    """The test slot CTest gave this scenario (resource "slot", see tests/e2e/CMakeLists.txt),
    else 0. Scenarios in different slots run side by side, each with a Wine prefix, and so a
    wineserver, of its own."""
    for group in range(int(os.environ.get("CTEST_RESOURCE_GROUP_COUNT", "0"))):
        allocation = os.environ.get(f"CTEST_RESOURCE_GROUP_{group}_SLOT")
        if allocation:  # "id:1,slots:1"
            return dict(item.split(":") for item in allocation.split(","))["id"]
    return "0"


def slot_count():
    return int(os.environ.get("VELMORA_E2E_SLOTS", "1"))


def prefix_dir(slot_id=None):
    """The Wine prefix of a test slot (this scenario's by default)."""
    return os.path.join(work_dir(), f"prefix-slot{slot() if slot_id is None else slot_id}")


def hold_slot(slot_id=None):
    """Waits until no other process uses the slot's prefix, and keeps it until this process
    ends (or the returned file is closed): two test runs started by hand without CTest's
    slots still never share a wineserver."""
    lock = open(prefix_dir(slot_id) + ".lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    return lock


def prefix_stamp():
    """What a prepared prefix is made from: this Wine and the script that prepares it. A
    prefix stamped otherwise holds another Wine's files or other settings, and is made anew."""
    version = subprocess.run([tool("wine64"), "--version"], capture_output=True, text=True,
                             env=wine_environment(None)).stdout.strip()
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "prepare_prefix.py"),
              "rb") as script:
        digest = hashlib.sha256(script.read()).hexdigest()
    return f"wine {version}\nprepare_prefix.py {digest}\n"


def read_stamp(prefix):
    try:
        with open(os.path.join(prefix, PREFIX_STAMP)) as stamp:
            return stamp.read()
    except OSError:
        return None


def wine_environment(display=None, prefix=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix or prefix_dir()
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    # Wine takes its ANSI code page from the locale: C is English, code page 1252, which the
    # scenarios' texts are written in, whatever the host's language.
    env["LC_ALL"] = env["LANG"] = "C.UTF-8"
    env.pop("LANGUAGE", None)
    env.pop("WAYLAND_DISPLAY", None)
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = display
    return env


class Scenario(DisplayWorld):
    """One Wine scenario's world: its display, the shared prefix, the processes started."""

    def __init__(self, name, screen):
        super().__init__(name, screen, os.path.join(work_dir(), "out", name))

    def __enter__(self):
        self.slot_lock = hold_slot()
        stamp = read_stamp(prefix_dir())
        check(stamp is not None and stamp == prefix_stamp(),
              f"the Wine prefix {prefix_dir()} is missing or was prepared from another Wine or "
              f"another prepare_prefix.py ({stamp!r}): run e2e.prepare_prefix, which makes it anew")
        super().__enter__()
        # The wineserver binds its desktop to the display of its first client: start afresh.
        # The new one stays up for the whole scenario (a lingering server that goes away just
        # as a program starts refuses it), and Wine's desktop is brought up before any of the
        # scenario's programs, which then never race its start.
        try:
            self.stop_wineserver()
            # No pipes: the server goes on in the background and would hold them open.
            subprocess.run([tool("wineserver"), "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30,
                           check=True)
            self.probe_window("desktop")  # raises ProbeFailure if the desktop did not come up
        except BaseException:
            self.cleanup()
            raise
        return self

    def __exit__(self, exc_type, *exc):
        # A passed scenario leaves none of our programs behind, once they have had a moment
        # to finish ending; the wineserver's end would hide them.
        try:
            if exc_type is None:
                wait_until(self.nothing_of_ours_left, OUR_PROGRAMS_END,
                           "our programs to have ended by the scenario's end")
        finally:
            self.cleanup()
        return False

    def nothing_of_ours_left(self):
        """True when the prefix runs no Velmora.scr or Velmora.dll; a failure names them."""
        left = [line for line in self.probe_ok("processes").splitlines()
                if line.lower().endswith(OUR_PROGRAMS)]
        check(not left, f"still running: {left}")
        return True

    def env(self):
        return wine_environment(self.display)

    def stop_wineserver(self):
        env = wine_environment(self.display)
        subprocess.run([tool("wineserver"), "-k"], env=env, capture_output=True)
        subprocess.run([tool("wineserver"), "-w"], env=env, capture_output=True, timeout=30)

    def cleanup(self):
        # Our own processes first, then every Windows process of the prefix (those our
        # programs started themselves), then the display.
        # Each step runs even when one before it failed (a wineserver that will not stop
        # must not leave the display behind).
        servers = self.processes[:self.display_servers]
        try:
            self.end_processes(reversed(self.processes[self.display_servers:]))
        finally:
            try:
                self.stop_wineserver()
            finally:
                self.end_processes(servers)

    def program(self, name):
        return os.path.join(bin_dir(), name)

    def wine(self, exe, *args, log=None, **kwargs):
        """Starts a built Windows program; with log, its output goes to the file <log>.txt
        (see logged)."""
        argv = [tool("wine64"), self.program(exe), *args]
        return self.logged(argv, log, **kwargs) if log else self.spawn(argv, **kwargs)

    def program_folder(self, label, programs, renamed=None):
        """A folder under the out dir holding copies of the given built programs (and
        renamed copies: {new name: built program}); returns its path."""
        folder = os.path.join(self.out_dir, label)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name in programs:
            shutil.copy2(self.program(name), os.path.join(folder, name))
        for name, source in (renamed or {}).items():
            shutil.copy2(self.program(source), os.path.join(folder, name))
        return folder

    def wine_at(self, path, *args, env=None, **kwargs):
        """Starts a Windows program by its Unix path, with extra environment variables."""
        environment = self.env()
        environment.update(env or {})
        return self.spawn([tool("wine64"), path, *args], env=environment, **kwargs)

    def probe(self, *args):
        """The probe's exit code and output. The probe says on stderr that it has started
        before it runs its command: one that never said so (Wine could not start it, as when
        a fresh wineserver is still coming up) changed nothing and is started again, at most
        twice, saying so; one that did is never started again, since its command (close,
        kill, activate, ...) may change what it acts on. One that started and hangs fails.
        probe_sent is when the probe was seen to start: time what the command promises from
        there, not from the probe's end (activate waits for the window's answer)."""
        command = f"velmora_probe {' '.join(args)}"
        for attempt in range(1, 4):
            code, output = self.probe_once(args)
            if self.probe_sent is not None:
                if code is None:
                    raise ProbeFailure(f"{command} started and hung for {PROBE_HANG} s: "
                                       f"{output!r} {self.probe_errors[-2000:]!r}")
                return code, output
            print(f"{command} never started (exit {code}, attempt {attempt}): "
                  f"{self.probe_errors[-500:]!r}", file=sys.stderr)
        raise ProbeFailure(f"{command} could not be started in three attempts")

    def probe_ok(self, *args):
        """The output of a probe command that must succeed: any other end is a ProbeFailure."""
        code, output = self.probe(*args)
        if code != 0:
            raise self.probe_failure(args, code, output)
        return output

    def probe_failure(self, args, code, output):
        return ProbeFailure(f"velmora_probe {' '.join(args)} failed with {code}: {output!r} "
                            f"{self.probe_errors[-2000:]!r}")

    def probe_once(self, args):
        """One start of the probe, ended after PROBE_HANG seconds: its exit code (None when
        it had to be ended) and output; sets probe_errors and probe_sent."""
        # Output through a file, not a pipe: Wine's own helper processes may inherit a
        # pipe and keep it open long after the probe has ended.
        self.probe_sent = None
        with tempfile.TemporaryFile("w+") as output, tempfile.TemporaryFile("w+") as errors:
            process = subprocess.Popen(
                [tool("wine64"), self.program("velmora_probe.exe"), *args], env=self.env(),
                stdout=output, stderr=errors, stdin=subprocess.DEVNULL)
            deadline = time.monotonic() + PROBE_HANG
            while True:
                code = process.poll()
                if self.probe_sent is None:
                    errors.seek(0)
                    if PROBE_STARTED in errors.read():
                        self.probe_sent = time.monotonic()
                if code is not None:
                    break
                if time.monotonic() >= deadline:
                    process.kill()
                    process.wait()
                    break
                time.sleep(PROBE_LOOK)
            output.seek(0)
            errors.seek(0)
            self.probe_errors = errors.read()
            return code, output.read()

    def left_of(self, seconds):
        """What is left of the given seconds since the last probe's command was sent."""
        return seconds - (time.monotonic() - self.probe_sent)

    def probe_window(self, *args):
        """The output of a probe command about a window, or None when the window is not
        there. A probe that failed to run is no answer: it raises ProbeFailure (not a
        ScenarioFailure, so that no wait takes it for "not yet")."""
        code, output = self.probe(*args)
        if code == PROBE_NO_SUCH_WINDOW and output.strip() == "none":
            return None
        if code != 0:
            raise self.probe_failure(args, code, output)
        return output

    def find_window(self, title, visible=False):
        """Windows' own view of a top-level window (shown, if asked), or None; programs
        create their windows hidden and show them only after the rest of their set-up."""
        output = self.probe_window("find", title)
        if output is None:
            return None
        window = parse_probe(output)
        return window if not visible or window.get("visible") == 1 else None

    def children(self, hwnd):
        output = self.probe_window("children", str(hwnd)) or ""
        return [parse_probe(block) for block in output.split("--\n") if block.strip()]

    def display_state(self):
        return parse_probe(self.probe_ok("display"))

    def close_window(self, title):
        self.probe_ok("close", title)

    def wait_for_frames(self, timeout=30):
        """Waits until the renderer's ball lights the middle of the screen: its start-up is
        over and frames are being shown."""
        wait_until(lambda: ball_is_showing(self.picture("frames")), timeout,
                   "frames of the ball on the screen")


def parse_probe(output):
    values = {}
    for line in output.splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key] = value
    if "title_utf8" in values:
        values["text"] = bytes.fromhex(values["title_utf8"]).decode("utf-8", "replace")
    for key in ("rect", "client", "client_origin", "position_in_parent"):
        if key in values:
            values[key] = tuple(int(v) for v in values[key].split(","))
    for key in ("style", "exstyle"):
        if key in values:
            values[key] = int(values[key], 16)
    for key in ("visible", "hwnd", "parent", "pid", "foreground"):
        if key in values:
            values[key] = int(values[key])
    return values


def run_scenarios(namespace):
    del namespace  # scenarios register themselves through the decorator
    run_world(Scenario)
