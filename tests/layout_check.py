"""Checks that dependencies run one way: platform rooms build on the portable code, never the
reverse, and nothing the portable code includes pulls in a platform's headers."""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
PLATFORM_SYSTEM_HEADERS = re.compile(r'^(windows\.h|X11/|EGL/|GL/glx\.h|mmsystem\.h|commdlg\.h)',
                                     re.IGNORECASE)
SEARCH_ROOTS = [os.path.join(ROOT, "renderer"), os.path.join(ROOT, "saver"), ROOT]


def is_platform(path):
    relative = os.path.relpath(path, ROOT).replace(os.sep, "/")
    parts = relative.split("/")
    return (relative.startswith(("renderer/host/win32/", "renderer/host/x11/",
                                 "renderer/host/egl/"))
            or parts[-1].startswith("win32_"))


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as source:
        return INCLUDE.findall(source.read())


def resolve(name, including_file):
    for base in [os.path.dirname(including_file)] + SEARCH_ROOTS:
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            return candidate
    return None


def portable_sources():
    for top in ("common", "renderer", "saver"):
        for folder, _, files in os.walk(os.path.join(ROOT, top)):
            for name in files:
                path = os.path.join(folder, name)
                if name.endswith((".h", ".cpp")) and not is_platform(path):
                    yield path


def faults_of(start):
    """What start reaches, through project headers, that belongs to a platform."""
    faults, seen, stack = [], set(), [(start, [start])]
    while stack:
        path, chain = stack.pop()
        for kind, name in includes(path):
            target = resolve(name, path) if kind == '"' else None
            if target is None:
                if PLATFORM_SYSTEM_HEADERS.match(name):
                    faults.append(" -> ".join(map(short, chain)) + " -> <" + name + ">")
                continue
            if is_platform(target):
                faults.append(" -> ".join(map(short, chain + [target])))
            elif target not in seen:
                seen.add(target)
                stack.append((target, chain + [target]))
    return faults


def short(path):
    return os.path.relpath(path, ROOT)


def main():
    faults = [fault for source in sorted(portable_sources()) for fault in faults_of(source)]
    for fault in faults:
        print("portable code reaches platform code: " + fault)
    print("%d portable files checked, %d faults" % (len(list(portable_sources())), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
