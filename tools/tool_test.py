"""velmora-tool's mesh and render commands, run as a user runs them."""

import os
import subprocess
import sys
import tempfile

TOOL = sys.argv[1]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*args):
    return subprocess.run([TOOL, *args], capture_output=True, text=True)


def read_obj(path):
    lines = open(path).read().splitlines()
    return ([l for l in lines if l.startswith("v ")], [l for l in lines if l.startswith("vn ")],
            [l for l in lines if l.startswith("f ")])


def read_ppm(path):
    data = open(path, "rb").read()
    magic, width, height, depth, pixels = data.split(maxsplit=4)
    assert magic == b"P6" and depth == b"255"
    return int(width), int(height), pixels


with tempfile.TemporaryDirectory() as work:
    octahedron = os.path.join(work, "octahedron.obj")
    result = run("mesh", "--slices", "4", "--stacks", "2", "--out", octahedron)
    check(result.returncode == 0, f"octahedron: exit {result.returncode} {result.stderr!r}")
    vertices, normals, faces = read_obj(octahedron)
    check((len(vertices), len(normals), len(faces)) == (6, 6, 8),
          f"octahedron: {len(vertices)} v, {len(normals)} vn, {len(faces)} f")
    corners = [int(c.split("//")[0]) for f in faces for c in f.split()[1:]]
    check(min(corners) == 1 and max(corners) == 6, f"octahedron face indices {corners}")
    check(faces[0] == "f 1//1 2//2 3//3", f"first face {faces[0]!r}")

    scene = os.path.join(work, "scene.obj")
    result = run("mesh", "--scene", "--out", scene)
    check(result.returncode == 0, f"scene mesh: exit {result.returncode} {result.stderr!r}")
    vertices, normals, faces = read_obj(scene)
    # The faces close the surface: every edge walked once each way, V - E + F = 2.
    walks = set()
    for face in faces:
        corners = [c.split("//")[0] for c in face.split()[1:]]
        walks.update(zip(corners, corners[1:] + corners[:1]))
    check(all((b, a) in walks for a, b in walks) and len(walks) == 3 * len(faces),
          "scene mesh: an edge is open or walked twice the same way")
    check(len(vertices) - len(walks) // 2 + len(faces) == 2,
          f"scene mesh: {len(vertices)} vertices, {len(walks) // 2} edges, {len(faces)} faces")
    check(not any("nan" in n or "inf" in n for n in normals), "scene mesh has non-finite normals")

    for bad in (["--stacks", "1"], ["--slices", "2"], ["--slices", "1057", "--stacks", "64"],
                ["--slices", "ten"], ["--radius", "0"], ["--scene", "--stacks", "8"], []):
        out = os.path.join(work, "bad.obj")
        result = run("mesh", *bad, *(["--out", out] if bad else []))
        check(result.returncode == 2, f"mesh {bad}: exit {result.returncode}")
        check(len(result.stderr.strip().splitlines()) == 1, f"mesh {bad}: {result.stderr!r}")
        check(not os.path.exists(out), f"mesh {bad} wrote a file")

    frame = os.path.join(work, "frame.ppm")
    result = run("render", "--time", "2.5", "--size", "96x72", "--out", frame)
    check(result.returncode == 0, f"render: exit {result.returncode} {result.stderr!r}")
    if result.returncode == 0:
        width, height, pixels = read_ppm(frame)
        check((width, height) == (96, 72), f"render size {width} x {height}")
        check(pixels[:3] == b"\0\0\0", "render: top-left corner is not black")
        centre = 3 * (36 * 96 + 48)
        check(max(pixels[centre - 3 * 96 * 4:centre + 3 * 96 * 4]) >= 200,
              "render: nothing bright near the centre")
    for bad in (["--size", "96x72", "--out", frame], ["--time", "1", "--size", "0x5", "--out",
                                                       frame], ["--time", "x", "--out", frame]):
        result = run("render", *bad)
        check(result.returncode == 2, f"render {bad}: exit {result.returncode}")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
