"""The Debian package of velmora as users get it: what dpkg-deb says it holds, what lintian
says of it, and the hack from the unpacked package: its version, its manual page, its frame."""

import gzip
import io
import os
import re
import subprocess
import tarfile
import tempfile

from native_harness import (check, package_path, run_scenarios, scenario, temporary_directory,
                            tool, wait_for_ball)

TITLE = "VelmoraVC"
PROGRAM = "usr/libexec/xscreensaver/velmora"
DPKG_STATUS = "/var/lib/dpkg/status"  # what dpkg has installed on this system
# What the package holds besides its folders: path -> (mode, link target).
FILES = {
    "usr/bin/velmora": ("lrwxrwxrwx", "../libexec/xscreensaver/velmora"),
    PROGRAM: ("-rwxr-xr-x", None),
    "usr/share/xscreensaver/config/velmora.xml": ("-rw-r--r--", None),
    "usr/share/man/man6/velmora.6.gz": ("-rw-r--r--", None),
    "usr/share/doc/velmora/copyright": ("-rw-r--r--", None),
    "usr/share/doc/velmora/changelog.gz": ("-rw-r--r--", None),
}
# Libraries the hack is linked against, by the packages that hold them: named by the
# dependencies dpkg-shlibdeps finds.
NEEDED_PACKAGES = {"libc6", "libstdc++6", "libx11-6", "libxrandr2", "libglx0", "libopengl0",
                   "libglu1-mesa"}
# lintian's warnings that stand, each with the reason it does.
ACCEPTED_WARNINGS = {}


def control_fields(package):
    info = subprocess.run([tool("dpkg-deb"), "--info", package], check=True,
                          capture_output=True, text=True).stdout
    fields = {}
    for line in info.splitlines():
        found = re.match(r"^ ([A-Z][A-Za-z-]+): (.*)$", line)
        if found:
            fields[found.group(1)] = found.group(2)
    return fields


def contents(package):
    """path -> (mode, owner, link target or None), paths without the leading ./"""
    listing = subprocess.run([tool("dpkg-deb"), "--contents", package], check=True,
                             capture_output=True, text=True).stdout
    entries = {}
    for line in listing.splitlines():
        mode, owner, _, _, _, name = line.split(None, 5)
        name, _, target = name.partition(" -> ")
        entries[name.removeprefix("./").rstrip("/")] = (mode, owner, target or None)
    return entries


def check_copyright(package):
    """The copyright file in Debian's machine-readable form: every file under Expat."""
    text = subprocess.run([tool("dpkg-deb"), "--fsys-tarfile", package], check=True,
                          capture_output=True).stdout
    with tarfile.open(fileobj=io.BytesIO(text)) as archive:
        copyright_text = archive.extractfile(
            "./usr/share/doc/velmora/copyright").read().decode("utf-8")
    paragraphs = [dict(re.findall(r"^([A-Za-z-]+): *(.*)$", block, re.MULTILINE))
                  for block in copyright_text.split("\n\n")]
    header, files = paragraphs[0], [p for p in paragraphs if "Files" in p]
    check(header.get("Format", "").endswith("/copyright-format/1.0/")
          and header.get("Upstream-Name") == "Velmora" and header.get("Source"),
          f"the copyright file's header is not DEP-5's: {header}")
    check([(p["Files"], p.get("License")) for p in files] == [("*", "Expat")]
          and "the Velmora developers" in files[0].get("Copyright", ""),
          f"the copyright file's Files paragraphs: {files}")
    check(any(p.get("License") == "Expat" and "Files" not in p for p in paragraphs)
          and "Permission is hereby granted" in copyright_text,
          "the copyright file does not hold the Expat licence's text")


def status_without(name):
    """dpkg's status file with the entry of the package name left out."""
    with open(DPKG_STATUS) as status:
        entries = status.read().split("\n\n")
    return "\n\n".join(entry for entry in entries
                       if not re.match(rf"Package: {re.escape(name)}\n", entry.lstrip("\n")))


@scenario(screen="640x480x24")
def package_holds_the_hack_and_lintian_finds_no_fault(world):
    del world  # no display needed
    package = package_path()
    fields = control_fields(package)
    expected = {"Package": "velmora", "Version": os.environ["VELMORA_VERSION"],
                "Section": "x11", "Recommends": "xscreensaver"}
    wrong = {key: fields.get(key) for key, value in expected.items() if fields.get(key) != value}
    check(not wrong, f"control fields {wrong}, expected {expected}")
    check(re.fullmatch(r"Velmora [^<>]*<[^@<>]+@velmora\.[a-z.]+>", fields.get("Maintainer", "")),
          f"maintainer {fields.get('Maintainer')!r} is not an address of the project's own")
    depends = {re.split(r"[ (]", item.strip())[0] for item in fields.get("Depends", "").split(",")}
    check(NEEDED_PACKAGES <= depends, f"Depends lacks {NEEDED_PACKAGES - depends}: {fields}")

    # What `apt install ./velmora_...deb` would do on this system: every dependency is found.
    # apt plans from dpkg's record of this system without velmora in it, so that a velmora
    # installed here (which apt would leave as it is) changes nothing.
    with tempfile.NamedTemporaryFile("w", suffix=".status") as status:
        status.write(status_without("velmora"))
        status.flush()
        plan = subprocess.run([tool("apt-get"), "-o", f"Dir::State::status={status.name}",
                               "install", "--simulate", package],
                              capture_output=True, text=True, timeout=120)
    check(plan.returncode == 0 and re.search(r"^Inst velmora ", plan.stdout, re.MULTILINE),
          f"apt cannot install the package: {plan.stdout}{plan.stderr}")

    entries = contents(package)
    files = {name: (mode, target) for name, (mode, _, target) in entries.items()
             if not mode.startswith("d")}
    check(files == FILES, f"the package holds {files}, expected {FILES}")
    folders = {name for name, (mode, _, _) in entries.items() if mode.startswith("d")}
    parents = {os.path.dirname(name) for name in FILES}
    check(all(any(folder == parent or parent.startswith(folder + "/") for parent in parents)
              for folder in folders if folder), f"folders that hold nothing: {sorted(folders)}")
    owners = {owner for _, owner, _ in entries.values()}
    check(owners == {"root/root"}, f"owners {owners}")
    check_copyright(package)

    report = subprocess.run([tool("lintian"), "--tag-display-limit", "0", "--display-info",
                             package], capture_output=True, text=True)
    print(f"lintian ({report.returncode}):\n{report.stdout}{report.stderr}")
    tags = re.findall(r"^([EWIPX]): velmora[^:]*: (\S+)", report.stdout, re.MULTILINE)
    errors = sorted({tag for kind, tag in tags if kind == "E"})
    check(not errors and report.returncode == 0, f"lintian errors: {errors}")
    warnings = sorted({tag for kind, tag in tags if kind == "W"} - set(ACCEPTED_WARNINGS))
    check(not warnings, f"lintian warnings: {warnings}")


@scenario()
def unpacked_hack_prints_its_version_and_draws(world):
    root = temporary_directory(world, "unpacked")
    subprocess.run([tool("dpkg-deb"), "-x", package_path(), root], check=True)
    command = os.path.join(root, "usr/bin/velmora")  # through the package's link

    usage = subprocess.run([command, "--help"], capture_output=True, text=True, timeout=20,
                           env=world.env())
    check(usage.returncode == 0, f"--help: exit {usage.returncode}, {usage.stderr!r}")
    first = usage.stdout.splitlines()[0] if usage.stdout else ""
    check(first == f"velmora {os.environ['VELMORA_VERSION']}", f"--help begins {first!r}")

    # The manual page covers every option --help names, the keys and the exit codes.
    with gzip.open(os.path.join(root, "usr/share/man/man6/velmora.6.gz"), "rt") as page:
        manual = page.read().replace("\\-", "-")
    options = set(re.findall(r"--[a-z][a-z-]*", usage.stdout))
    check(options, f"--help names no options: {usage.stdout!r}")
    missing = sorted(option for option in options if option not in manual)
    check(not missing, f"the manual page lacks {missing}")
    for section in ("OPTIONS", "KEYS", "EXIT STATUS"):
        check(f".SH {section}" in manual, f"the manual page has no {section} section")

    process = world.logged([command], "velmora", env=world.env())
    window = world.wait_for_window(TITLE, process, visible=True)
    wait_for_ball(world, "unpacked", window)
    world.point_at(512, 384)
    world.key("Escape")
    code = world.wait_exit(process, 5)
    check(code == 0, f"after Esc the exit code was {code}: {world.read_stderr(process)!r}")


run_scenarios()
