"""The Windows build's texture generator and mesh builder give the bytes of the native build.

The cross-built check program prints, for each reference texture program, the SHA-256 of its
image and the native value (which the native unit tests hold), a checksum of every Ripple
sine and the SHA-256 of the scene mesh; each pair must be equal.
"""

import subprocess
import tempfile

from harness import check, run_scenarios, scenario

CHECK_PROGRAM = "velmora_texture_check.exe"
EXPECTED_NAMES = {"glow", "every_opcode", "ripple_sines", "scene_mesh"}


@scenario(screen="640x480x24")
def windows_build_generates_the_native_bytes(world):
    with tempfile.TemporaryFile("w+") as output:
        process = world.wine(CHECK_PROGRAM, stdout=output, stderr=subprocess.DEVNULL,
                             stdin=subprocess.DEVNULL)
        code = world.wait_exit(process, 120.0)
        output.seek(0)
        text = output.read()
    print(text, end="")
    check(code is not None, "the check program was still running after 120 s")
    lines = [line.split() for line in text.splitlines() if line.strip()]
    names = {fields[0] for fields in lines}
    check(names == EXPECTED_NAMES, f"fingerprints printed: {sorted(names)}")
    for fields in lines:
        check(len(fields) == 3, f"malformed line {fields}")
        name, windows, native = fields
        check(windows == native, f"{name}: Windows {windows}, native {native}")
    check(code == 0, f"the check program ended with {code}")


run_scenarios(globals())
