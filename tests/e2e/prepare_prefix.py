"""Creates the test run's Wine prefix (about 10 s), with the settings the scenarios need, and
gives each test slot a fresh copy of it.

Wine draws the window frames itself (no window manager runs on the test displays), and the
Japanese dialog font maps to IPAPGothic, which has Japanese and Latin glyphs alike. The prefix
is stamped with the Wine and the script it was made with, and made anew when either differs.
"""

import os
import shutil
import subprocess
import sys
import tempfile

import harness

REGISTRY = r"""Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
"""


# Wine's own Marlett (package fonts-wine) draws the glyphs of the caption buttons; this
# Wine does not look in its data folder for it, so the prefix gets a copy.
WINE_FONTS = ("/usr/share/wine/fonts/marlett.ttf",)


def install_wine_fonts(prefix):
    fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for font in WINE_FONTS:
        target = os.path.join(fonts, os.path.basename(font))
        if os.path.exists(font) and not os.path.exists(target):
            shutil.copy2(font, target)


def make_prefix(prefix, stamp):
    """A new prefix at prefix; False (having said why) when Wine could not make it."""
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    env = harness.wine_environment(None, prefix)
    subprocess.run([harness.tool("wineserver"), "-k"], env=env, capture_output=True)
    result = subprocess.run([harness.tool("wine64"), "wineboot", "-i"], env=env,
                            capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        print(result.stdout, result.stderr, file=sys.stderr)
        return False
    with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as reg:
        reg.write(b"\xff\xfe" + REGISTRY.replace("\n", "\r\n").encode("utf-16-le"))
    try:
        subprocess.run([harness.tool("wine64"), "regedit", "/S", reg.name], env=env, check=True,
                       capture_output=True, timeout=120)
    finally:
        os.unlink(reg.name)
    subprocess.run([harness.tool("wineserver"), "-w"], env=env, timeout=60)
    install_wine_fonts(prefix)
    with open(os.path.join(prefix, harness.PREFIX_STAMP), "w") as marker:
        marker.write(stamp)
    return True


# Files Wine only reads once the prefix is made (programs, libraries, fonts, code pages):
# nearly all of a prefix's 700 MB, shared between the copies as hard links.
READ_ONLY_FILES = (".dll", ".exe", ".drv", ".sys", ".ocx", ".acm", ".cpl", ".tlb", ".nls",
                   ".ttf", ".ttc", ".fon")


def link_or_copy(source, target):
    if source.lower().endswith(READ_ONLY_FILES):
        os.link(source, target)
    else:
        shutil.copy2(source, target)


def copy_to_slot(prepared, slot_id):
    """The slot's prefix as a fresh copy of the prepared one: nothing a scenario of an earlier
    run stored there is left. Its wineserver (if one lingers) is ended first."""
    target = harness.prefix_dir(slot_id)
    with harness.hold_slot(slot_id):
        env = harness.wine_environment(None, target)
        if os.path.isdir(target):
            subprocess.run([harness.tool("wineserver"), "-k"], env=env, capture_output=True)
            subprocess.run([harness.tool("wineserver"), "-w"], env=env, timeout=60)
        shutil.rmtree(target, ignore_errors=True)
        # The prefix's symbolic links (its drives) stay links.
        shutil.copytree(prepared, target, symlinks=True, copy_function=link_or_copy)


def main():
    prepared = harness.prepared_prefix_dir()
    stamp = harness.prefix_stamp()
    found = harness.read_stamp(prepared)
    if found == stamp:
        install_wine_fonts(prepared)
        print(f"reusing Wine prefix {prepared}")
    else:
        if found is not None:
            print(f"Wine prefix {prepared} was made from {found!r}; making it anew")
        if not make_prefix(prepared, stamp):
            return 1
        print(f"created Wine prefix {prepared}")
    for slot_id in range(harness.slot_count()):
        copy_to_slot(prepared, str(slot_id))
    print(f"copied it for {harness.slot_count()} test slots")
    return 0


if __name__ == "__main__":
    sys.exit(main())
