"""The running renderer's picture: the glowing ball at the centre of a black screen."""

from ball_shape import check_round_and_centred
from harness import check, run_scenarios, scenario, wait_until

RENDERER = "Velmora.dll"
TITLE = "VelmoraVC"
WIDTH, HEIGHT = 1024, 768
CORNER = 48  # side of each corner block, pixels


def brightest_channel(image, left, top, width, height):
    return max(image.mean(left, top, width, height))


def peak_channel(image, left, top, width, height):
    return max(max(image.pixel(x, y)) for y in range(top, top + height)
               for x in range(left, left + width))


def check_black_corners(image, label):
    width, height = image.width, image.height
    for name, (left, top) in {"top left": (0, 0), "top right": (width - CORNER, 0),
                              "bottom left": (0, height - CORNER),
                              "bottom right": (width - CORNER, height - CORNER)}.items():
        level = brightest_channel(image, left, top, CORNER, CORNER)
        check(level < 4, f"{label}: {name} corner is not black (mean level {level:.1f})")


def check_ball_on_black(image, label):
    check((image.width, image.height) == (WIDTH, HEIGHT),
          f"{label}: screenshot is {image.width} x {image.height}")
    check_black_corners(image, label)
    # The ball always covers the middle eighth of the screen; the ripple of its glow may
    # darken single spots there, never the whole block.
    box = (WIDTH * 7 // 16, HEIGHT * 7 // 16, WIDTH // 8, HEIGHT // 8)
    peak = peak_channel(image, *box)
    mean = brightest_channel(image, *box)
    check(peak >= 200 and mean > 25,
          f"{label}: the centre is dark (peak level {peak}, mean level {mean:.1f})")


def ball_on_black(world, label):
    """A screenshot, if it shows the ball at the centre of a black screen."""
    image = world.picture(label)
    check_ball_on_black(image, label)
    return image


def escape_ends_it(world, process, x, y):
    world.move_mouse(x, y)  # X sends keys under the pointer
    # Held like a person's key press: a tap shorter than one frame may fall into a single
    # drain of the message queue, and the renderer only sees Esc while it is down.
    world.hold_key("Escape")
    code = world.wait_exit(process, 2.0)
    check(code is not None, "the renderer was still running 2 s after Esc")
    check(code == 0, f"the renderer ended with exit code {code}")


@scenario(screen="1024x768x16")
def ball_glows_at_the_centre_and_tumbles(world):
    process = world.wine(RENDERER)
    window = world.wait_for_window(TITLE, process=process)
    first = wait_until(lambda: ball_on_black(world, "ball"), 20, "the ball on a black screen")
    wait_until(lambda: ball_on_black(world, "ball_later").rgb != first.rgb, 10,
               "the ball to move")

    left, top, right, bottom = window["rect"]
    escape_ends_it(world, process, (left + right) // 2, (top + bottom) // 2)


def ball_round_and_centred_over_several_frames(world, width, height):
    process = world.wine(RENDERER)
    window = world.wait_for_window(TITLE, process=process, visible=True)
    check(window["rect"] == (0, 0, width, height), f"window rectangle {window['rect']}")
    world.wait_for_frames()
    first = world.picture("first")
    # Drawn at the screen's own aspect the lump stays round: never a stretched ellipse.
    last = check_round_and_centred(world, "root", width, height, f"{width} x {height}")
    check_black_corners(last, "the last frame")
    check(last.rgb != first.rgb, "the ball did not move")

    escape_ends_it(world, process, width // 2, height // 2)


@scenario(screen="1920x1080x24")
def ball_is_round_and_centred_at_1920x1080(world):
    ball_round_and_centred_over_several_frames(world, 1920, 1080)


@scenario(screen="1280x1024x24")
def ball_is_round_and_centred_at_1280x1024(world):
    ball_round_and_centred_over_several_frames(world, 1280, 1024)


run_scenarios(globals())
