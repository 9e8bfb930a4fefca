"""The tumbling ball's outline over many frames: centred, as wide as it is tall, a fixed share
of the height. One measure for the Windows renderer under Wine and the Linux hack on X."""

import time

from harness import check

LIT = 48  # a channel above this level counts as lit
# The four-lobed lump turns about 40 degrees a second about each of two axes, and one view's
# widest and tallest can differ by a quarter. Sixteen shots half a second apart span 8 s of the
# tumble: over 80 s of frames, every such span measured round, and every one measured too
# wide with the ball stretched 1.5 times sideways; twelve shots 0.15 s apart failed a round ball
# about one start in ten.
SHOTS = 16
SPACING = 0.5  # seconds between two shots


def lit_box(image, area=None, ignore=(0, 0, 0, 0)):
    """Bounding box (left, top, right, bottom) of the lit pixels inside area (the whole
    picture by default) and outside the ignore box, on a grid of about 500 columns, or None."""
    left, top, right, bottom = area or (0, 0, image.width, image.height)
    step = max(2, (right - left) // 500)
    xs, ys = [], []
    for y in range(top, bottom, step):
        row = 3 * y * image.width
        for x in range(left, right, step):
            if ignore[0] <= x < ignore[2] and ignore[1] <= y < ignore[3]:
                continue
            if max(image.rgb[row + 3 * x:row + 3 * x + 3]) > LIT:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + step, max(ys) + step


def check_boxes(boxes, area, facts):
    """The measure itself: the widest and the tallest of the boxes within a quarter of each
    other (a projection at another aspect stretches one of them), their middle at the area's,
    the tallest 0.3 to 0.75 of the area's height (the 60-degree vertical field of view)."""
    left, top, right, bottom = area
    width, height = right - left, bottom - top
    widest = max(r - l for l, _, r, _ in boxes)
    tallest = max(b - t for _, t, _, b in boxes)
    centre_x = sum(l + r for l, _, r, _ in boxes) / (2 * len(boxes)) - left
    centre_y = sum(t + b for _, t, _, b in boxes) / (2 * len(boxes)) - top
    check(abs(centre_x - width / 2) < 0.1 * width and abs(centre_y - height / 2) < 0.15 * height,
          f"not in the middle, {facts}")
    check(0.8 < widest / tallest < 1.25, f"stretched ({widest} x {tallest} px), {facts}")
    check(0.3 < tallest / height < 0.75, f"size {tallest} px is no share of the height, {facts}")


def check_round_and_centred(world, areas, when, label, window="root", ignore=(0, 0, 0, 0)):
    """The ball's boxes over SHOTS pictures of the screen (or of an X window) pass check_boxes
    in each of areas, parts of the picture (monitors' places, or all of it) that all show the
    same shot, lit pixels in the ignore box left out. Returns the pictures."""
    boxes = {area: [] for area in areas}
    images = []
    for shot in range(SHOTS):
        time.sleep(SPACING)
        image = world.picture(f"{label}_{shot}", window)
        for area in areas:
            box = lit_box(image, area, ignore)
            check(box is not None, f"{when}: nothing lit in {area}")
            boxes[area].append(box)
        images.append(image)
    for area in areas:
        check_boxes(boxes[area], area, f"{when}: boxes {boxes[area]} in {area}")
    return images
