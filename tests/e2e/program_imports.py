"""Each shipped program imports nothing but Windows system DLLs (the runtimes are static)."""

import os
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "glu32.dll", "kernel32.dll",
    "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "opengl32.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "winmm.dll", "version.dll", "uxtheme.dll",
}
API_SET = re.compile(r"^api-ms-win-[a-z0-9-]+\.dll$")
# What each program must import: every program the kernel, the renderer OpenGL too (an empty
# list means objdump read no import table at all).
REQUIRED = {"velmora.dll": {"kernel32.dll", "opengl32.dll"}}
REQUIRED_BY_ANY = {"kernel32.dll"}


def imports_of(path):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], check=True,
                          capture_output=True, text=True).stdout
    return sorted({m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)})


def main(paths):
    failed = False
    for path in paths:
        names = imports_of(path)
        foreign = [n for n in names if n not in SYSTEM_DLLS and not API_SET.match(n)]
        missing = sorted(REQUIRED.get(os.path.basename(path).lower(), REQUIRED_BY_ANY)
                         - set(names))
        print(f"{path}: {', '.join(names)}")
        if foreign:
            print(f"  not a system DLL: {', '.join(foreign)}")
            failed = True
        if missing:
            print(f"  missing: {', '.join(missing)}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
