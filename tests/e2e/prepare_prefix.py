"""Creates the test run's Wine prefix once (about 10 s), with the settings the scenarios need.

Wine draws the window frames itself (no window manager runs on the test displays), and the
Japanese dialog font maps to IPAPGothic, which has Japanese and Latin glyphs alike.
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


def main():
    prefix = harness.prefix_dir()
    stamp = os.path.join(prefix, ".velmora-ready")
    if os.path.exists(stamp):
        install_wine_fonts(prefix)
        print(f"reusing Wine prefix {prefix}")
        return 0
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    env = harness.wine_environment(None)
    subprocess.run([harness.tool("wineserver"), "-k"], env=env, capture_output=True)
    result = subprocess.run([harness.tool("wine64"), "wineboot", "-i"], env=env,
                            capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        print(result.stdout, result.stderr, file=sys.stderr)
        return 1
    with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as reg:
        reg.write(b"\xff\xfe" + REGISTRY.replace("\n", "\r\n").encode("utf-16-le"))
    try:
        subprocess.run([harness.tool("wine64"), "regedit", "/S", reg.name], env=env, check=True,
                       capture_output=True, timeout=120)
    finally:
        os.unlink(reg.name)
    subprocess.run([harness.tool("wineserver"), "-w"], env=env, timeout=60)
    install_wine_fonts(prefix)
    with open(stamp, "w") as marker:
        marker.write("ok\n")
    print(f"created Wine prefix {prefix}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
