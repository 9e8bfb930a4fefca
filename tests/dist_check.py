"""What `make dist` ships: Velmora.zip holds exactly the two programs, without debug
information, and a Windows plain-text read-me; the zip's files are those in the folder.

Usage: dist_check.py WINDOWS_BUILD_DIR OBJDUMP (makes the dist in a folder of the build tree)
"""

import os
import shutil
import subprocess
import sys
import zipfile

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHIPPED = {"Velmora.scr", "Velmora.dll", "README.txt"}


def section_names(objdump, path):
    listing = subprocess.run([objdump, "-h", path], check=True, capture_output=True,
                             text=True).stdout
    return [line.split()[1] for line in listing.splitlines()
            if line.split() and line.split()[0].isdigit()]


def main(build_dir, objdump):
    dist = os.path.join(build_dir, "dist-check")
    shutil.rmtree(dist, ignore_errors=True)
    subprocess.run(["sh", os.path.join(SOURCE_DIR, "tools", "make-dist.sh"), build_dir, dist],
                   check=True, stdout=subprocess.DEVNULL)
    faults = []
    with zipfile.ZipFile(os.path.join(dist, "Velmora.zip")) as archive:
        names = set(archive.namelist())
        if names != SHIPPED:
            faults.append(f"the zip holds {sorted(names)}, not {sorted(SHIPPED)}")
        for name in names & SHIPPED:
            with open(os.path.join(dist, name), "rb") as shipped:
                if archive.read(name) != shipped.read():
                    faults.append(f"{name} in the zip differs from {dist}/{name}")
    for program in ("Velmora.scr", "Velmora.dll"):
        path = os.path.join(dist, program)
        debug = [name for name in section_names(objdump, path) if name.startswith(".debug")]
        if debug:
            faults.append(f"{program} still has debug sections {debug}")
        built = os.path.join(build_dir, "bin", program)
        if os.path.getsize(path) >= os.path.getsize(built):
            faults.append(f"{program} is no smaller than the built one")
    with open(os.path.join(dist, "README.txt"), "rb") as readme:
        text = readme.read()
    if b"Velmora.ini" not in text or text.count(b"\n") != text.count(b"\r\n"):
        faults.append("README.txt is not the read-me with Windows line ends")
    for fault in faults:
        print(fault, file=sys.stderr)
    shutil.rmtree(dist, ignore_errors=True)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
