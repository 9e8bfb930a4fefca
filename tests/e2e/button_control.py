"""The owner-drawn button under Wine: Click from the mouse, drag-off, hover look, disabled."""

import subprocess
import time

from harness import (POINTER_PAUSE, changed, check, process_output, run_scenarios, scenario,
                     settled_change, wait_until)

DEMO = "velmora_button_demo.exe"
TITLE = "Velmora button demo"
AWAY = (600, 400)  # a point on the bare desktop
NAVY_OUTLINE = (0, 60, 116)  # one pixel in from an enabled button's edge
GREY_OUTLINE = (201, 199, 186)  # the same on a disabled button
BACKGROUND = (192, 192, 192)  # the demo window's own background


class Demo:
    """The demo program with its four buttons, left to right: set, cancel, file, bare."""

    def __init__(self, world):
        self.world = world
        world.move_mouse(*AWAY)
        self.process = world.wine(DEMO, log="demo_output", stderr=subprocess.DEVNULL)
        wait_until(lambda: "ready" in self.lines(), 30, "the demo to get ready",
                   process=self.process)
        window = world.wait_for_window(TITLE, process=self.process)
        children = sorted(world.children(window["hwnd"]), key=lambda child: child["rect"][0])
        check(len(children) == 4, f"{len(children)} buttons instead of 4")
        names = ("set", "cancel", "file", "bare")
        self.rects = dict(zip(names, (c["rect"] for c in children)))
        wait_until(self.painted, 10, "the buttons' first paint")

    def painted(self):
        image = self.world.picture("first_paint")
        outlines = {"set": NAVY_OUTLINE, "cancel": NAVY_OUTLINE, "file": GREY_OUTLINE}
        return (all(near(image.pixel(self.rects[name][0] + 1, self.rects[name][1] + 10), colour)
                    for name, colour in outlines.items())
                and any(p != BACKGROUND for p in self.region(image, "bare")))

    def lines(self):
        return [line.strip() for line in process_output(self.process).splitlines()
                if line.strip()]

    def clicks(self):
        return [line for line in self.lines() if line.startswith("click")]

    def centre(self, name):
        left, top, right, bottom = self.rects[name]
        return (left + right) // 2, (top + bottom) // 2

    def look(self, name, label):
        return self.region(self.world.picture(label), name)

    def wait_for_clicks(self, count):
        """The clicks raised, once there are count of them."""
        return wait_until(lambda: len(self.clicks()) >= count and self.clicks(), 10,
                          f"{count} click(s)", process=self.process)

    def region(self, image, name):
        left, top, right, bottom = self.rects[name]
        return [image.pixel(x, y) for y in range(top, bottom) for x in range(left, right)]


def near(colour, expected, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


@scenario(screen="640x480x24")
def click_raises_click_once(world):
    demo = Demo(world)
    world.click(*demo.centre("set"))
    check(demo.wait_for_clicks(1) == ["click set"], f"after one click: {demo.clicks()}")
    world.click(*demo.centre("cancel"))
    # The second click's report comes after any second report of the first.
    check(demo.wait_for_clicks(2) == ["click set", "click cancel"],
          f"after two clicks: {demo.clicks()}")


@scenario(screen="640x480x24")
def press_dragged_off_and_back_raises_nothing(world):
    demo = Demo(world)
    x, y = demo.centre("set")
    plain = demo.look("set", "plain")
    world.move_mouse(x, y)
    hovered = wait_until(settled_change(lambda: demo.look("set", "hovered"), plain), 10,
                         "the hover look")
    time.sleep(POINTER_PAUSE)
    world.xdotool("mousedown", "1")
    pressed = wait_until(settled_change(lambda: demo.look("set", "pressed"), plain, hovered), 10,
                         "the pressed look")
    time.sleep(POINTER_PAUSE)
    world.move_mouse(*AWAY)
    wait_until(lambda: changed(demo.look("set", "left"), pressed), 10,
               "the timer to notice the pointer has gone")
    world.move_mouse(x, y)
    time.sleep(POINTER_PAUSE)
    world.xdotool("mouseup", "1")
    # The button still works, and the next click's report comes after any of the release.
    world.click(x, y)
    check(demo.wait_for_clicks(1) == ["click set"],
          f"a press dragged off and back, then a click, raised {demo.clicks()}")


@scenario(screen="640x480x24")
def hover_changes_the_look_and_leaving_restores_it(world):
    demo = Demo(world)
    plain = world.picture("plain")
    left, top, right, bottom = demo.rects["cancel"]
    # Plain look: the dark outline one pixel in, white face at the top, lavender grey below.
    check(near(plain.pixel(left + 1, top + 10), NAVY_OUTLINE),
          f"outline {plain.pixel(left + 1, top + 10)}")
    upper = plain.pixel(left + 10, top + 5)
    lower = plain.pixel(left + 10, bottom - 6)
    check(sum(upper) > sum(lower), f"plain gradient runs from {upper} down to {lower}")

    world.move_mouse(left + 10, top + 12)

    def hover_look():
        image = world.picture("hovered")
        return image if demo.region(image, "cancel") != demo.region(plain, "cancel") else None
    hovered = wait_until(hover_look, 10, "hovering to change the look")
    band = hovered.pixel(left + 10, top + 2)
    check(near(band, (255, 240, 207)), f"top of the hover band {band}")
    upper = hovered.pixel(left + 10, top + 5)
    lower = hovered.pixel(left + 10, bottom - 6)
    check(sum(upper) < sum(lower), f"hover gradient runs from {upper} down to {lower}")
    check(demo.region(hovered, "set") == demo.region(plain, "set"), "the other button changed")

    world.move_mouse(*AWAY)
    wait_until(lambda: demo.look("cancel", "restored") == demo.region(plain, "cancel"), 10,
               "leaving to restore the plain look")
    check(demo.clicks() == [], f"hovering raised {demo.clicks()}")


@scenario(screen="640x480x24")
def disabled_button_ignores_clicks(world):
    demo = Demo(world)
    before = world.picture("before")
    left, top, _, _ = demo.rects["file"]
    check(near(before.pixel(left + 1, top + 10), GREY_OUTLINE),
          f"disabled outline {before.pixel(left + 1, top + 10)}")
    x, y = demo.centre("file")
    world.click(x, y)
    world.click(x, y, button=3)
    world.move_mouse(x, y + 2)
    # A click on an enabled button reports after anything the disabled one raised.
    world.click(*demo.centre("set"))
    check(demo.wait_for_clicks(1) == ["click set"], f"a disabled button raised {demo.clicks()}")
    after = world.picture("after")
    check(demo.region(after, "file") == demo.region(before, "file"),
          "the disabled button changed its look")


@scenario(screen="640x480x24")
def transparent_button_shows_only_its_caption(world):
    demo = Demo(world)
    picture = world.picture("bare")
    left, top, right, bottom = demo.rects["bare"]
    grey = BACKGROUND
    for x, y in ((left, top), (left + 1, top + 10), (left + 3, top + 3), (right - 1, bottom - 1)):
        check(picture.pixel(x, y) == grey, f"background at ({x}, {y}) is {picture.pixel(x, y)}")
    caption = [p for p in demo.region(picture, "bare") if p != grey]
    check(caption, "no caption drawn")
    check(all(sum(p) < 3 * 192 for p in caption), "the caption is not the only thing drawn")
    world.click(*demo.centre("bare"))
    check(demo.wait_for_clicks(1) == ["click bare"], f"a transparent button raised {demo.clicks()}")


run_scenarios(globals())
