"""The owner-drawn button under Wine: Click from the mouse, drag-off, hover look, disabled."""

import os
import subprocess
import time

from harness import Image, check, run_scenarios, scenario

DEMO = "velmora_button_demo.exe"
TITLE = "Velmora button demo"
AWAY = (600, 400)  # a point on the bare desktop
TIMER_PERIOD = 0.1  # seconds


class Demo:
    """The demo program with its four buttons, left to right: set, cancel, file, bare."""

    def __init__(self, world):
        self.world = world
        world.move_mouse(*AWAY)
        self.output_path = os.path.join(world.out_dir, "demo_output.txt")
        self.output = open(self.output_path, "w")
        # Output through a file: Wine's helpers may hold a pipe open.
        self.process = world.wine(DEMO, stdout=self.output, stderr=subprocess.DEVNULL,
                                  stdin=subprocess.DEVNULL)
        deadline = time.time() + 30
        while "ready" not in self.lines():
            check(self.process.poll() is None, f"the demo ended with {self.process.returncode}")
            check(time.time() < deadline, "the demo did not get ready within 30 s")
            time.sleep(0.2)
        window = world.wait_for_window(TITLE, process=self.process)
        children = sorted(world.children(window["hwnd"]), key=lambda child: child["rect"][0])
        check(len(children) == 4, f"{len(children)} buttons instead of 4")
        names = ("set", "cancel", "file", "bare")
        self.rects = dict(zip(names, (c["rect"] for c in children)))
        time.sleep(0.3)  # first paints

    def lines(self):
        with open(self.output_path) as text:
            return [line.strip() for line in text if line.strip()]

    def clicks(self):
        return [line for line in self.lines() if line.startswith("click")]

    def centre(self, name):
        left, top, right, bottom = self.rects[name]
        return (left + right) // 2, (top + bottom) // 2

    def picture(self, label):
        return Image.load(self.world.screenshot(label))

    def region(self, image, name):
        left, top, right, bottom = self.rects[name]
        return [image.pixel(x, y) for y in range(top, bottom) for x in range(left, right)]


def near(colour, expected, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


@scenario(screen="640x480x24")
def click_raises_click_once(world):
    demo = Demo(world)
    world.click(*demo.centre("set"))
    time.sleep(0.5)
    check(demo.clicks() == ["click set"], f"after one click: {demo.clicks()}")
    world.click(*demo.centre("cancel"))
    time.sleep(0.5)
    check(demo.clicks() == ["click set", "click cancel"], f"after two clicks: {demo.clicks()}")


@scenario(screen="640x480x24")
def press_dragged_off_and_back_raises_nothing(world):
    demo = Demo(world)
    x, y = demo.centre("set")
    world.move_mouse(x, y)
    time.sleep(0.2)
    world.xdotool("mousedown", "1")
    time.sleep(0.2)
    world.move_mouse(*AWAY)
    time.sleep(4 * TIMER_PERIOD)  # the timer notices the pointer has gone
    world.move_mouse(x, y)
    time.sleep(0.3)
    world.xdotool("mouseup", "1")
    time.sleep(0.5)
    check(demo.clicks() == [], f"a press dragged off and back raised {demo.clicks()}")
    # The button still works.
    world.click(x, y)
    time.sleep(0.5)
    check(demo.clicks() == ["click set"], f"the next click raised {demo.clicks()}")


@scenario(screen="640x480x24")
def hover_changes_the_look_and_leaving_restores_it(world):
    demo = Demo(world)
    plain = demo.picture("plain")
    left, top, right, bottom = demo.rects["cancel"]
    # Plain look: the dark outline one pixel in, white face at the top, lavender grey below.
    check(near(plain.pixel(left + 1, top + 10), (0, 60, 116)),
          f"outline {plain.pixel(left + 1, top + 10)}")
    upper = plain.pixel(left + 10, top + 5)
    lower = plain.pixel(left + 10, bottom - 6)
    check(sum(upper) > sum(lower), f"plain gradient runs from {upper} down to {lower}")

    world.move_mouse(left + 10, top + 12)
    time.sleep(TIMER_PERIOD)
    hovered = demo.picture("hovered")
    check(demo.region(hovered, "cancel") != demo.region(plain, "cancel"),
          "hovering did not change the look")
    band = hovered.pixel(left + 10, top + 2)
    check(near(band, (255, 240, 207)), f"top of the hover band {band}")
    upper = hovered.pixel(left + 10, top + 5)
    lower = hovered.pixel(left + 10, bottom - 6)
    check(sum(upper) < sum(lower), f"hover gradient runs from {upper} down to {lower}")
    check(demo.region(hovered, "set") == demo.region(plain, "set"), "the other button changed")

    world.move_mouse(*AWAY)
    time.sleep(4 * TIMER_PERIOD)
    restored = demo.picture("restored")
    check(demo.region(restored, "cancel") == demo.region(plain, "cancel"),
          "leaving did not restore the plain look")
    check(demo.clicks() == [], f"hovering raised {demo.clicks()}")


@scenario(screen="640x480x24")
def disabled_button_ignores_clicks(world):
    demo = Demo(world)
    before = demo.picture("before")
    left, top, _, _ = demo.rects["file"]
    check(near(before.pixel(left + 1, top + 10), (201, 199, 186)),
          f"disabled outline {before.pixel(left + 1, top + 10)}")
    x, y = demo.centre("file")
    world.click(x, y)
    world.click(x, y, button=3)
    world.move_mouse(x, y + 2)
    time.sleep(0.5)
    check(demo.clicks() == [], f"a disabled button raised {demo.clicks()}")
    after = demo.picture("after")
    check(demo.region(after, "file") == demo.region(before, "file"),
          "the disabled button changed its look")


@scenario(screen="640x480x24")
def transparent_button_shows_only_its_caption(world):
    demo = Demo(world)
    picture = demo.picture("bare")
    left, top, right, bottom = demo.rects["bare"]
    grey = (192, 192, 192)  # the demo window's own background
    for x, y in ((left, top), (left + 1, top + 10), (left + 3, top + 3), (right - 1, bottom - 1)):
        check(picture.pixel(x, y) == grey, f"background at ({x}, {y}) is {picture.pixel(x, y)}")
    caption = [p for p in demo.region(picture, "bare") if p != grey]
    check(caption, "no caption drawn")
    check(all(sum(p) < 3 * 192 for p in caption), "the caption is not the only thing drawn")
    world.click(*demo.centre("bare"))
    time.sleep(0.5)
    check(demo.clicks() == ["click bare"], f"a transparent button raised {demo.clicks()}")


run_scenarios(globals())
