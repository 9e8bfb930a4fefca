"""velmora under Debian's XScreenSaver daemon: installed as a hack (by its install rules, or
by dpkg from its package into a throw-away root), started when the daemon activates, ended
when it deactivates, and nothing of either left running; dpkg's purge leaves nothing behind."""

import os
import pwd
import shutil
import signal
import stat
import subprocess
import xml.etree.ElementTree as ElementTree

from native_harness import (ScenarioFailure, check, process_output, processes_running,
                            package_path, processes_with_environment, run_scenarios, scenario,
                            temporary_directory, tool, wait_for_ball, wait_until)
from harness import expect_drawing_again, expect_unseen, hud_counter, hud_rates  # noqa: E402

# XScreenSaver launches no hacks for root: a root test run drives it as this user.
UNPRIVILEGED_USER = "nobody"


def install_hack(base):
    """The hack's install rules into a private tree (DESTDIR), at the places the build tree
    names; returns (program, its link in the bin folder, settings)."""
    subprocess.run([os.environ["VELMORA_CMAKE"], "--install", os.environ["VELMORA_BUILD_DIR"],
                    "--component", "hack"], env={**os.environ, "DESTDIR": base},
                   check=True, capture_output=True)
    installed = {}
    for folder, _, files in os.walk(base):
        for name in files:
            path = os.path.join(folder, name)
            kind = "link" if os.path.islink(path) else name
            check(kind not in installed, f"{path} installed twice")
            installed[kind] = path
    check(set(installed) == {"velmora", "link", "velmora.xml", "velmora.6.gz", "copyright",
                             "changelog.gz"}, f"installed: {sorted(installed.values())}")
    return installed["velmora"], installed["link"], installed["velmora.xml"]


def write_settings(home, command="velmora --root", mode="one"):
    """mode one: command when active; blank: a black window and no hack."""
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, ".xscreensaver"), "w") as settings:
        settings.write(f"mode:\t\t{mode}\n"
                       "selected:\t0\n"
                       "timeout:\t1:00:00\n"
                       "lock:\t\tFalse\n"
                       "splash:\t\tFalse\n"
                       "fade:\t\tFalse\n"
                       "unfade:\t\tFalse\n"
                       "dpmsEnabled:\tFalse\n"
                       f"programs:\tGL: {command} \\n\n")


def as_user(base):
    """The command prefix that runs a program as the daemon's user, who then owns base
    (a home, or the tree that holds one)."""
    if os.geteuid() != 0:
        return []
    folder = os.path.dirname(os.path.abspath(base))
    while True:  # every folder above base must let another user pass
        mode = os.stat(folder).st_mode
        check(mode & stat.S_IXOTH, f"{UNPRIVILEGED_USER}, who runs the daemon, cannot reach "
              f"{base}: {folder} (mode {stat.S_IMODE(mode):o}) is closed to other users; "
              "run the tests from a checkout every user can read")
        if folder == os.path.dirname(folder):
            break
        folder = os.path.dirname(folder)
    shutil.chown(base, UNPRIVILEGED_USER)
    for root, dirs, files in os.walk(base):
        for name in dirs + files:
            os.lchown(os.path.join(root, name), *_ids())
    return [tool("setpriv"), f"--reuid={UNPRIVILEGED_USER}", f"--regid={_ids()[1]}",
            "--clear-groups"]


def _ids():
    entry = pwd.getpwnam(UNPRIVILEGED_USER)
    return entry.pw_uid, entry.pw_gid


@scenario(screen="800x600x24")
def activate_starts_the_hack_and_deactivate_ends_it(world):
    base = temporary_directory(world, "xscreensaver")
    os.chmod(base, 0o755)
    program, link, settings = install_hack(base)
    check(os.access(program, os.X_OK), "the program was not installed")
    check(os.path.realpath(link) == os.path.realpath(program), f"hack link {link} is wrong")
    root = ElementTree.parse(settings).getroot()
    check(root.tag == "screensaver" and root.get("name") == "velmora",
          "velmora.xml does not describe the hack 'velmora'")
    check(root.find("command").get("arg") == "--root", "velmora.xml does not pass --root")
    # The settings tool leaves out an option at its default: the slider's default must be
    # what the hack does without --delay, frames one 60 Hz refresh period apart.
    delay = root.find("number[@id='delay']")
    check(delay is not None and delay.get("default") == "16667",
          f"the delay slider's default is not one 60 Hz period: {ElementTree.tostring(delay)}")

    # By the link's whole path: the daemon puts its own folder of hacks first on the path,
    # where a velmora installed on this system would stand in for this one.
    home = os.path.join(base, "home")
    write_settings(home, f"{link} --root")
    run_under_daemon(world, home, as_user(base), program)
    shutil.rmtree(base, ignore_errors=True)


def start_daemon(world, home, user, *options):
    """The daemon, run by user with the settings in home, once it answers; and how to run
    xscreensaver-command on it."""
    env = world.env(HOME=home)

    def command(*args):
        return subprocess.run([*user, tool("xscreensaver-command"), *args], env=env,
                              capture_output=True, text=True, timeout=20)

    daemon = world.logged([*user, tool("xscreensaver"), "-no-splash", *options], "xscreensaver",
                          env=env)
    wait_until(lambda: command("-time").returncode == 0, 20, "the XScreenSaver daemon to answer",
               process=daemon)
    return daemon, command


def run_under_daemon(world, home, user, program):
    """Starts the daemon with the settings in home, activates it, sees program draw, then
    deactivates it and ends it: nothing of either may stay."""
    daemon, command = start_daemon(world, home, user, "-verbose")
    check(not processes_running(program), "the hack runs before activation")

    result = command("-activate")
    check(result.returncode == 0, f"-activate: {result.stderr!r}")
    wait_until(lambda: processes_running(program), 15, "a velmora process after -activate")
    wait_for_ball(world, "active")
    check(processes_running(program), "velmora ended while the screen saver was active")

    result = command("-deactivate")
    check(result.returncode == 0, f"-deactivate: {result.stderr!r}")
    try:
        wait_until(lambda: not processes_running(program), 5, "velmora to end after -deactivate")
    except ScenarioFailure:
        status = subprocess.run(["ps", "-o", "pid,ppid,stat,etime,args", "-p",
                                 ",".join(str(p) for p in processes_running(program))],
                                capture_output=True, text=True).stdout
        raise ScenarioFailure(f"velmora still runs 5 s after -deactivate:\n{status}"
                              f"daemon log:\n{process_output(daemon)}")

    result = command("-exit")
    check(result.returncode == 0, f"-exit: {result.stderr!r}")
    check(world.wait_exit(daemon, 10) is not None, "the daemon did not exit")

    def nothing_left():
        left = processes_with_environment("HOME", home)
        check(not left, f"left over: {left}")
        return True
    wait_until(nothing_left, 5, "the daemon's processes to end")


def dpkg(root, *args):
    """dpkg on the throw-away root's own database; the root has none of the libraries the
    package depends on (the hack uses the system's), so those are not asked for."""
    path = os.pathsep.join([os.environ["PATH"], "/usr/sbin", "/sbin"])  # dpkg wants ldconfig
    return subprocess.run([tool("dpkg"), f"--root={root}", "--force-depends", *args],
                          capture_output=True, text=True, timeout=60, env={**os.environ,
                                                                            "PATH": path})


def left_in(root):
    """Every path under root but dpkg's own database."""
    admin = os.path.join(root, "var", "lib", "dpkg")
    left = []
    for folder, dirs, files in os.walk(root):
        if folder == admin or folder.startswith(admin + os.sep):
            continue
        for name in dirs + files:
            path = os.path.join(folder, name)
            if not admin.startswith(path):
                left.append(os.path.relpath(path, root))
    return sorted(left)


@scenario(screen="800x600x24")
def package_installed_by_dpkg_runs_under_the_daemon_and_purge_removes_it(world):
    base = temporary_directory(world, "dpkg")
    os.chmod(base, 0o755)
    root = os.path.join(base, "root")
    for folder in ("info", "updates", "triggers"):
        os.makedirs(os.path.join(root, "var", "lib", "dpkg", folder))
    open(os.path.join(root, "var", "lib", "dpkg", "status"), "w").close()
    package = package_path()

    result = dpkg(root, "--install", package)
    check(result.returncode == 0, f"dpkg --install: {result.stdout}{result.stderr}")
    installed = dpkg(root, "--listfiles", "velmora").stdout.split()
    program = os.path.join(root, "usr/libexec/xscreensaver/velmora")
    check(program in [os.path.join(root, path.lstrip("/")) for path in installed],
          f"dpkg lists {installed}")
    check(os.access(program, os.X_OK), f"{program} was not installed")

    # By its whole path, as above.
    home = os.path.join(base, "home")
    write_settings(home, f"{program} --root")
    run_under_daemon(world, home, as_user(home), program)

    result = dpkg(root, "--purge", "velmora")
    check(result.returncode == 0, f"dpkg --purge: {result.stdout}{result.stderr}")
    check(left_in(root) == [], f"left after the purge: {left_in(root)}")
    status = dpkg(root, "--status", "velmora")
    check(status.returncode != 0 or "not-installed" in status.stdout,
          f"dpkg still knows velmora: {status.stdout}")
    shutil.rmtree(base, ignore_errors=True)


@scenario(screen="800x600x24")
def drawing_on_the_root_stops_while_the_daemons_window_hides_it(world):
    # XScreenSaver's window over the root sends the root no visibility change: velmora
    # follows the daemon's status on the root window instead.
    base = temporary_directory(world, "xscreensaver_blank")
    os.chmod(base, 0o755)
    home = os.path.join(base, "home")
    write_settings(home, mode="blank")
    daemon, command = start_daemon(world, home, as_user(base))
    hud_env, rates_path = hud_counter(world, "blanked")
    process = world.velmora("--root", env=world.env(**hud_env))
    wait_until(lambda: hud_rates(rates_path), 30, "Mesa's first frame count", process=process)

    check(command("-activate").returncode == 0, "-activate failed")
    unseen_count = expect_unseen(process, rates_path, 3.0, "blanked", cpu_share=None)
    check(command("-deactivate").returncode == 0, "-deactivate failed")
    expect_drawing_again(process, rates_path, unseen_count, 2.0,
                         "once the daemon's window is gone")
    process.send_signal(signal.SIGTERM)
    check(world.wait_exit(process, 2) == 0, f"velmora ended badly: {process_output(process)!r}")
    command("-exit")
    check(world.wait_exit(daemon, 10) is not None, "the daemon did not exit")
    shutil.rmtree(base, ignore_errors=True)


run_scenarios()
