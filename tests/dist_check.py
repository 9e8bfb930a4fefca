"""What Windows users download: CPack's zip holds exactly the two programs, without debug
information, the read-me and the licence with Windows line ends, at the top of the zip, under
the name that carries the project's version.

Usage: dist_check.py PACKAGE_DIR VERSION BUILT_BIN_DIR OBJDUMP (the package from `cpack`)
"""

import os
import subprocess
import sys
import tempfile
import zipfile

SHIPPED = {"Velmora.scr", "Velmora.dll", "README.txt", "LICENSE.txt"}


def section_names(objdump, path):
    listing = subprocess.run([objdump, "-h", path], check=True, capture_output=True,
                             text=True).stdout
    return [line.split()[1] for line in listing.splitlines()
            if line.split() and line.split()[0].isdigit()]


def main(package_dir, version, bin_dir, objdump):
    path = os.path.join(package_dir, f"Velmora-{version}-windows-x64.zip")
    if not os.path.isfile(path):
        print(f"no {path}: {sorted(os.listdir(package_dir))}", file=sys.stderr)
        return 1
    faults = []
    with zipfile.ZipFile(path) as archive, tempfile.TemporaryDirectory() as unpacked:
        names = set(archive.namelist())
        if names != SHIPPED:
            faults.append(f"the zip holds {sorted(names)}, not {sorted(SHIPPED)}")
        archive.extractall(unpacked, members=sorted(names & SHIPPED))
        for program in sorted({"Velmora.scr", "Velmora.dll"} & names):
            shipped = os.path.join(unpacked, program)
            debug = [name for name in section_names(objdump, shipped)
                     if name.startswith(".debug")]
            if debug:
                faults.append(f"{program} still has debug sections {debug}")
            if os.path.getsize(shipped) >= os.path.getsize(os.path.join(bin_dir, program)):
                faults.append(f"{program} is no smaller than the built one")
        if "README.txt" in names:
            text = archive.read("README.txt")
            if b"Velmora.ini" not in text or text.count(b"\n") != text.count(b"\r\n"):
                faults.append("README.txt is not the read-me with Windows line ends")
            if f"Velmora {version}".encode() not in text:
                faults.append(f"README.txt does not name version {version}")
        if "LICENSE.txt" in names:
            text = archive.read("LICENSE.txt")
            if (b"MIT License" not in text or b"the Velmora developers" not in text
                    or text.count(b"\n") != text.count(b"\r\n")):
                faults.append("LICENSE.txt is not the MIT licence with Windows line ends")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
