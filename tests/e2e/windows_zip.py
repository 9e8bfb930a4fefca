"""The zip as Windows users get it, unpacked into a folder: each program's version resource as
Windows reads it (Properties > Details), and a run of the screen saver from that folder."""

import os
import shutil
import zipfile

from audio import windows_path
from harness import check, run_scenarios, scenario
from velmora_scenarios import expect_exit, press_escape

DESCRIPTIONS = {"Velmora.scr": "Velmora screen saver", "Velmora.dll": "Velmora renderer"}
TEXTS = ("ProductName", "FileDescription", "FileVersion", "ProductVersion",
         "OriginalFilename", "CompanyName", "LegalCopyright")


def unpacked_zip(world):
    version = os.environ["VELMORA_VERSION"]
    package = os.path.join(os.environ["VELMORA_PACKAGE_DIR"],
                           f"Velmora-{version}-windows-x64.zip")
    folder = os.path.join(world.out_dir, "unzipped")
    shutil.rmtree(folder, ignore_errors=True)
    with zipfile.ZipFile(package) as archive:
        archive.extractall(folder)
    return folder


def version_resource(world, path):
    output = world.probe_ok("version", windows_path(path))
    values = dict(line.split("=", 1) for line in output.splitlines() if "=" in line)
    for name in TEXTS:
        if name in values:
            values[name] = bytes.fromhex(values[name]).decode("utf-8")
    return values


@scenario()
def programs_carry_the_version_windows_shows(world):
    version = os.environ["VELMORA_VERSION"]
    folder = unpacked_zip(world)
    for program, description in DESCRIPTIONS.items():
        values = version_resource(world, os.path.join(folder, program))
        expected = {"ProductName": "Velmora", "FileDescription": description,
                    "FileVersion": version, "ProductVersion": version,
                    "OriginalFilename": program, "file_version": f"{version}.0",
                    "product_version": f"{version}.0"}
        wrong = {key: values.get(key) for key, value in expected.items()
                 if values.get(key) != value}
        check(not wrong, f"{program}: {wrong}, expected {expected}")
        # Company-neutral: no company and no copyright holder.
        named = {key: values[key] for key in ("CompanyName", "LegalCopyright") if values.get(key)}
        check(not named, f"{program} names {named}")


@scenario(screen="1024x768x16")
def unzipped_saver_runs_and_esc_ends_it(world):
    folder = unpacked_zip(world)
    saver = world.wine_at(os.path.join(folder, "Velmora.scr"), "/s")
    renderer = world.wait_for_window("VelmoraVC", process=saver, visible=True)
    world.wait_for_frames()
    press_escape(world, renderer)
    expect_exit(world, saver, 10, "the saver from the zip after Esc")


run_scenarios(globals())
