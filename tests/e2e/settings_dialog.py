"""The settings dialog "<Velmora>" under Wine: its window, its look, and what it stores."""

import contextlib
import glob
import os
import shutil
import time

from audio import run_and_hear, windows_path, write_tone
from harness import (POINTER_PAUSE, changed, check, holds_for, prefix_dir, process_output,
                     run_scenarios, scenario, settled_change, tool, wait_until)
from velmora_scenarios import (INI, KEY_FILE, KEY_KIND, KEY_REPEAT, RENDERER,
                               RENDERER_TITLE, SAVER, WS_CAPTION, WS_DISABLED, WS_MAXIMIZEBOX,
                               WS_MINIMIZEBOX, WS_THICKFRAME, press_escape, stand_in_folder,
                               start_run)
from velmora_scenarios import DIALOG_TITLE as TITLE
from velmora_scenarios import expect_exit as expect_process_exit

CHOOSER_TITLE = "ﾌｧｲﾙを開く"


def open_dialog(world, ini_bytes=None, folder=None):
    if folder is None:
        folder = world.program_folder("programs", [SAVER, RENDERER])
    if ini_bytes is not None:
        with open(os.path.join(folder, INI), "wb") as ini:
            ini.write(ini_bytes)
    world.move_mouse(900, 700)  # the point the dialog grows out of
    process = world.wine_at(os.path.join(folder, SAVER), "/c")
    window = world.wait_for_window(TITLE, process=process, visible=True)
    wait_for_paint(world, window)
    return folder, process, window


def wait_for_paint(world, window):
    """The dialog's picture once painted: after the opening zoom, a navy top and a light grey
    panel."""
    def painted():
        shot = world.picture("dialog")
        ox, oy = window["client_origin"]
        top = shot.pixel(ox + 5, oy + 1)
        panel = shot.pixel(*panel_point(window, 6000, 1237))
        navy = top[2] > top[0] and top[0] < 40
        return shot if navy and panel[0] == panel[1] == panel[2] > 200 else None
    return wait_until(painted, 15, "the dialog's first paint")


def client_point(window, x_twips, y_twips):
    """Screen pixel of a point given in the dialog's twips (96 DPI: 15 twips a pixel)."""
    left, top = window["client_origin"]
    return left + x_twips // 15, top + y_twips // 15


def panel_point(window, x_twips, y_twips):
    return client_point(window, 180 + x_twips, 240 + y_twips)


def read_ini(folder):
    path = os.path.join(folder, INI)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as ini:
        return ini.read()


def expect_exit(world, process, within=5.0):
    expect_process_exit(world, process, within, "the saver after the dialog closed")


@scenario(screen="1024x768x24")
def dialog_has_its_size_place_and_look(world):
    _, process, window = open_dialog(world)
    client = window["client"]
    check(client[2:] == (496, 243), f"client area {client}")
    style = window["style"]
    check(style & WS_CAPTION == WS_CAPTION, f"no caption: {style:#x}")
    check(not style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
          f"resizable or minimisable: {style:#x}")
    left, top, right, bottom = window["rect"]
    width, height = right - left, bottom - top
    check(abs(left - (1024 - width) // 2) <= 1, f"not centred: left {left}, width {width}")
    check(abs(top - (768 - height) // 3) <= 1, f"not a third down: top {top}, height {height}")
    shot = world.picture("dialog")
    ox, oy = window["client_origin"]
    top_colour = shot.pixel(ox + 5, oy + 1)
    middle = shot.pixel(ox + 5, oy + 121)
    check(top_colour[2] > top_colour[0] and top_colour[0] < 40, f"top not navy: {top_colour}")
    check(middle[0] > 180 and middle[2] > middle[0], f"middle not lavender: {middle}")
    panel = shot.pixel(*panel_point(window, 6000, 1237))
    check(panel[0] == panel[1] == panel[2] and panel[0] > 200, f"panel middle not light grey: {panel}")
    world.close_window(TITLE)
    expect_exit(world, process)


REPEAT_BOX = (1680, 780)   # panel twips of the repeat box's top-left corner
OPTION_TEXT = {0: (700, 1180), 1: (700, 880), 2: (700, 1480)}
OPTION_MARK = {0: (480, 1200), 1: (480, 900), 2: (480, 1500)}
STORE_BUTTON = (4860 + 570, 3000 + 180)
CANCEL_BUTTON = (6060 + 570, 3000 + 180)


def repeat_box_enabled(world, window):
    """Whether Windows has the repeat box (a real combo box in the panel) enabled."""
    for child in world.children(window["hwnd"]):
        for control in world.children(child["hwnd"]):
            if control["class"].lower() == "combobox":
                return not control["style"] & WS_DISABLED
    raise AssertionError("no repeat box in the dialog")


FILE_BUTTON = (420, 1740, 615, 315)  # panel twips


def file_button_look(world, window, label):
    """Mean colour of the "..." button: its disabled skin is a flat grey frame."""
    left, top = panel_point(window, FILE_BUTTON[0], FILE_BUTTON[1])
    return world.picture(label).mean(left, top, FILE_BUTTON[2] // 15, FILE_BUTTON[3] // 15)


def store_button_look(world, window, label):
    """The pixels of the "設定" button."""
    left, top = client_point(window, 4860, 3000)
    shot = world.picture(label)
    return [shot.pixel(x, y) for y in range(top, top + 375 // 15)
            for x in range(left, left + 1155 // 15)]


def looks_differ(a, b):
    return max(abs(x - y) for x, y in zip(a, b)) > 2


def file_button_changes(world, window, before, label, what):
    """Waits until the "..." button's look differs from before."""
    wait_until(lambda: looks_differ(file_button_look(world, window, label), before), 10, what)


def choose_audio_cd(world, window):
    world.click(*panel_point(window, *OPTION_TEXT[1]))
    wait_until(lambda: repeat_box_enabled(world, window), 10,
               "the repeat box enabled for the audio CD")


@scenario(screen="1024x768x24")
def audio_cd_choice_and_track_are_stored_in_order(world):
    folder, process, window = open_dialog(world)
    check(not repeat_box_enabled(world, window), "the repeat box is enabled with no music")
    disabled_look = file_button_look(world, window, "no_music")
    choose_audio_cd(world, window)
    check(not looks_differ(disabled_look, file_button_look(world, window, "audio_cd")),
          "the file button changed its look for the audio CD")
    world.click(*panel_point(window, REPEAT_BOX[0] + 150, REPEAT_BOX[1] + 150))
    world.xdotool("key", "ctrl+a", "BackSpace")
    world.xdotool("type", "7")  # X hands the dialog these keys before the click below
    world.click(*client_point(window, *STORE_BUTTON))
    expect_exit(world, process)
    ini = read_ini(folder)
    check(ini is not None, "no settings file was written")
    kind = ini.find(KEY_KIND + b"= 1")
    track = ini.find(KEY_REPEAT + b"= 7")
    music = ini.find(KEY_FILE + b"=")
    check(min(kind, track, music) >= 0, f"keys missing: {ini!r}")
    check(kind < track < music, f"keys out of order: {ini!r}")
    check(ini.startswith(b"[Section]"), f"section: {ini!r}")

    # The next run reads them: kind 1 takes the CD path, which under Wine has no drive.
    saver = start_run(world, folder)
    renderer = world.wait_for_window(RENDERER_TITLE, process=saver, visible=True)
    holds_for(lambda: saver.poll() is None, 1.0, "the run going on without a CD drive")
    press_escape(world, renderer)
    expect_process_exit(world, saver, 6.0, "the run after Esc")
    check(read_ini(folder) == ini, "the run changed the settings file")


ORIGINAL_INI = ("[Section]\r\n" "BGM区分= 2\r\n" "BGMﾘﾋﾟｰﾄ= 3\r\n"
                "BGMﾌｧｲﾙ=C:\\nowhere\\song.wav\r\n").encode("cp932")


@scenario(screen="1024x768x24")
def cancel_closing_and_esc_leave_the_file_as_it_was(world):
    ways = {"cancel": lambda window: world.click(*client_point(window, *CANCEL_BUTTON)),
            "closing the window": lambda window: world.close_window(TITLE),
            "Esc": lambda window: world.hold_key("Escape")}
    for way, leave in ways.items():
        folder, process, window = open_dialog(world, ORIGINAL_INI)
        # The file named is missing, so the dialog opens at "なし": choose the audio CD.
        choose_audio_cd(world, window)
        leave(window)
        expect_exit(world, process)
        check(read_ini(folder) == ORIGINAL_INI, f"{way} changed the settings file")


@scenario(screen="1024x768x24")
def right_button_selects_an_option_and_a_dragged_off_press_does_nothing(world):
    folder, process, window = open_dialog(world)
    disabled_look = file_button_look(world, window, "no_music")
    world.click(*panel_point(window, *OPTION_MARK[2]), button=3)
    file_button_changes(world, window, disabled_look, "music_file",
                        "the right button to enable the file button")
    check(not repeat_box_enabled(world, window), "the repeat box is enabled for a music file")
    # Press "設定", drag off the button, release elsewhere: nothing is stored, nothing ends.
    plain = store_button_look(world, window, "store_plain")
    world.move_mouse(*client_point(window, *STORE_BUTTON))
    hovered = wait_until(
        settled_change(lambda: store_button_look(world, window, "store_hovered"), plain), 10,
        "the store button's hover look")
    time.sleep(POINTER_PAUSE)
    world.xdotool("mousedown", "1")
    pressed = wait_until(
        settled_change(lambda: store_button_look(world, window, "store_pressed"), plain, hovered),
        10,
        "the store button's pressed look")
    time.sleep(POINTER_PAUSE)
    world.move_mouse(*client_point(window, 2000, 1000))
    # Released only once the button's timer has seen the pointer go.
    wait_until(lambda: changed(store_button_look(world, window, "store_left"), pressed), 10,
               "the store button to notice the pointer has gone")
    world.xdotool("mouseup", "1")
    holds_for(lambda: process.poll() is None and read_ini(folder) is None, 1.0,
              "the dialog open and nothing stored after a dragged-off press")
    world.click(*client_point(window, *STORE_BUTTON))
    expect_exit(world, process)
    ini = read_ini(folder)
    check(ini is not None and KEY_KIND + b"= 2" in ini, f"stored {ini!r}")


@scenario(screen="1024x768x24")
def hovering_a_button_changes_its_look_and_leaving_restores_it(world):
    _, process, window = open_dialog(world)
    left, top = client_point(window, 4860, 3000)
    box = (left, top, 1155 // 15, 375 // 15)
    world.move_mouse(*client_point(window, 2000, 1000))
    plain = world.picture("plain").mean(*box)
    world.move_mouse(*client_point(window, *STORE_BUTTON))
    wait_until(lambda: looks_differ(world.picture("hovered").mean(*box), plain), 10,
               "hovering to change the look")
    world.move_mouse(*client_point(window, 2000, 1000))
    wait_until(lambda: max(abs(a - b) for a, b in
                           zip(plain, world.picture("restored").mean(*box))) < 0.5, 10,
               "leaving to restore the look")
    world.close_window(TITLE)
    expect_exit(world, process)


@scenario(screen="1024x768x24")
def a_file_picked_in_the_chooser_plays_in_the_next_run_whatever_its_name(world):
    # The renderer is the probe standing in under its name: the run lasts until we close it.
    # The second name, Japanese and a note sign, is not in the prefix's ANSI code page (1252):
    # its whole path is stored under the UTF-8 key.
    for name, frequency, key, encoding in (("picked tone.wav", 660, KEY_FILE, "cp1252"),
                                           ("音楽 ♪.wav", 770, b"BGMFileUTF8", "utf-8")):
        folder = stand_in_folder(world)
        tone = os.path.join(folder, name)
        write_tone(tone, frequency, 1.0)
        expect_exit(world, choose_file_and_store(world, folder, tone))
        ini = read_ini(folder)
        check(ini is not None and KEY_KIND + b"= 2" in ini and b"?" not in ini
              and key + b"=" + windows_path(tone).encode(encoding) in ini,
              f"{name} is not stored whole: {ini!r}")
        run_and_hear(world, folder, 1.0, frequency, name)

BACKGROUND = (4000, 2850)  # window twips: below the panel, left of the buttons, no text
HOVER_REST = 1.0  # seconds a person rests on a button before clicking it


def user_settings_folders():
    """The per-user settings folders in the prefix (one per Wine user)."""
    return glob.glob(os.path.join(prefix_dir(), "drive_c", "users", "*", "AppData", "Roaming",
                                  "Velmora"))


def remove_user_settings():
    for folder in user_settings_folders():
        shutil.rmtree(folder, ignore_errors=True)


@contextlib.contextmanager
def no_user_settings():
    """No per-user settings in the prefix when the block starts, nor after it."""
    remove_user_settings()
    try:
        yield
    finally:
        remove_user_settings()


def user_settings_path():
    users = [u for u in glob.glob(os.path.join(prefix_dir(), "drive_c", "users", "*"))
             if os.path.basename(u).lower() != "public"]
    check(len(users) == 1, f"expected one Wine user, found {users}")
    return os.path.join(users[0], "AppData", "Roaming", "Velmora", INI)


@scenario(screen="1024x768x24")
def drag_from_the_background_onto_store_writes_nothing(world):
    folder, process, window = open_dialog(world)
    world.move_mouse(*client_point(window, *BACKGROUND))
    time.sleep(POINTER_PAUSE)
    world.xdotool("mousedown", "1")
    time.sleep(POINTER_PAUSE)
    # Across to "設定" in a few steps, as a hand drags, then let go over it.
    (x0, y0), (x1, y1) = client_point(window, *BACKGROUND), client_point(window, *STORE_BUTTON)
    plain = store_button_look(world, window, "store_plain")
    for step in range(1, 6):
        world.move_mouse(x0 + (x1 - x0) * step // 5, y0 + (y1 - y0) * step // 5)
        time.sleep(POINTER_PAUSE / 2)
    # Let go only once the button has seen the pointer over it.
    wait_until(lambda: changed(store_button_look(world, window, "store_hovered"), plain), 10,
               "the store button's hover look under the dragged pointer")
    world.xdotool("mouseup", "1")
    holds_for(lambda: process.poll() is None and read_ini(folder) is None, 1.5,
              "the dialog open and nothing stored after a drag onto the button")
    # The right and middle buttons do not click it either.
    for button in (3, 2):
        world.click(*client_point(window, *STORE_BUTTON), button=button)
        holds_for(lambda: process.poll() is None and read_ini(folder) is None, 1.0,
                  f"the dialog open and nothing stored after mouse button {button}")
    world.hold_key("Escape")
    expect_exit(world, process)
    check(read_ini(folder) is None, "Esc stored the settings")


@scenario(screen="1024x768x24")
def hover_a_second_then_click_stores_every_time(world):
    folder = world.program_folder("programs", [SAVER, RENDERER])
    for attempt in range(10):
        if os.path.exists(os.path.join(folder, INI)):
            os.unlink(os.path.join(folder, INI))
        _, process, window = open_dialog(world, folder=folder)
        plain = store_button_look(world, window, "store_plain")
        world.move_mouse(*client_point(window, *STORE_BUTTON))
        hovered = wait_until(
            settled_change(lambda: store_button_look(world, window, "store_hovered"), plain), 10,
            "the store button's hover look")
        # The pointer rests on it; no move may follow before the click.
        holds_for(lambda: store_button_look(world, window, "store_resting") == hovered,
                  HOVER_REST, "the hover look while the pointer rests")
        world.xdotool("click", "1")
        code = world.wait_exit(process, 5.0)
        check(code == 0, f"attempt {attempt + 1}: the click was lost (saver gave {code})")
        check(read_ini(folder) is not None, f"attempt {attempt + 1}: nothing was stored")


def below_repeat_box(world, window, label):
    """Mean colour of the panel just below the repeat box, where its list drops down."""
    left, top = panel_point(window, REPEAT_BOX[0], REPEAT_BOX[1] + 360)
    return world.picture(label).mean(left, top, 600 // 15, 900 // 15)


def cancel_look(world, window, label):
    left, top = client_point(window, 6060, 3000)
    return world.picture(label).mean(left, top, 1155 // 15, 375 // 15)


@scenario(screen="1024x768x24")
def enter_stores_and_tab_then_space_cancels(world):
    # Enter in the repeat box stores, the typed track included.
    folder, process, window = open_dialog(world, ORIGINAL_INI)
    world.click(*panel_point(window, *OPTION_TEXT[1]))
    world.click(*panel_point(window, REPEAT_BOX[0] + 150, REPEAT_BOX[1] + 150))
    world.xdotool("key", "ctrl+a", "BackSpace")
    world.xdotool("type", "5")
    # While the drop-down list is open, Enter only closes the list.
    closed = below_repeat_box(world, window, "list_closed")
    world.hold_key("F4")
    wait_until(lambda: looks_differ(closed, below_repeat_box(world, window, "list_open")), 3,
               "the drop-down list to open")
    world.hold_key("Return")
    wait_until(lambda: not looks_differ(closed, below_repeat_box(world, window, "list_shut")), 3,
               "Enter to close the list")
    holds_for(lambda: process.poll() is None and read_ini(folder) == ORIGINAL_INI, 1.0,
              "the dialog open and the file unchanged after Enter in the open list")
    world.hold_key("Return")
    expect_exit(world, process)
    ini = read_ini(folder)
    check(KEY_KIND + b"= 1" in ini and KEY_REPEAT + b"= 5" in ini, f"Enter stored {ini!r}")

    # With no music chosen "設定" has the focus; Tab moves it to "ｷｬﾝｾﾙ", which shows its
    # Selected look, and Space clicks it.
    os.unlink(os.path.join(folder, INI))
    folder, process, window = open_dialog(world)
    before = cancel_look(world, window, "before_tab")
    world.hold_key("Tab")
    wait_until(lambda: looks_differ(before, cancel_look(world, window, "after_tab")), 3,
               "ｷｬﾝｾﾙ to show the focus")
    world.hold_key("space")
    expect_exit(world, process)
    check(read_ini(folder) is None, "Space on ｷｬﾝｾﾙ stored the settings")


@scenario(screen="1024x768x24")
def unwritable_program_folder_stores_per_user_and_the_next_run_plays_it(world):
    with no_user_settings():
        folder = stand_in_folder(world)
        os.mkdir(os.path.join(folder, INI))  # a folder where the file would go
        tone = os.path.join(folder, "per user.wav")
        write_tone(tone, 550, 1.0)
        process = choose_file_and_store(world, folder, tone)
        expect_exit(world, process)
        check(os.path.isdir(os.path.join(folder, INI)), "the folder in the file's place changed")
        stored = open(user_settings_path(), "rb").read()
        check(KEY_KIND + b"= 2" in stored and windows_path(tone).encode("cp1252") in stored,
              f"per-user file holds {stored!r}")
        check(not glob.glob(os.path.join(folder, "*.tmp")), "a temporary file was left")
        run_and_hear(world, folder, 1.0, 550, "per-user WAV")


def choose_file_and_store(world, folder, path):
    """Opens the dialog, chooses "MP3、WAV" and the file in the chooser, presses "設定"; the
    process."""
    _, process, window = open_dialog(world, folder=folder)
    disabled_look = file_button_look(world, window, "no_music")
    world.click(*panel_point(window, *OPTION_TEXT[2]))
    file_button_changes(world, window, disabled_look, "music_file", "the file button enabled")
    world.click(*panel_point(window, FILE_BUTTON[0] + 300, FILE_BUTTON[1] + 150))
    # The chooser opens with its file name field focused.
    wait_until(lambda: world.x_window(CHOOSER_TITLE, visible=True), 15, "the file chooser",
               process=process)
    world.screenshot("chooser")
    world.xdotool("type", "--delay", "30", windows_path(path))
    world.key("Return")
    wait_until(lambda: world.x_window(CHOOSER_TITLE, visible=True) is None, 10,
               "the chooser to close")
    world.screenshot("chosen")
    world.click(*client_point(window, *STORE_BUTTON))
    return process


@scenario(screen="1024x768x24")
def both_places_unwritable_shows_a_message_and_the_dialog_stays_open(world):
    with no_user_settings():
        folder = world.program_folder("programs", [SAVER, RENDERER])
        os.mkdir(os.path.join(folder, INI))
        os.makedirs(user_settings_path())  # a folder in the per-user file's place too
        _, process, window = open_dialog(world, folder=folder)
        world.click(*panel_point(window, *OPTION_TEXT[1]))
        world.click(*client_point(window, *STORE_BUTTON))
        message = world.wait_for_window("Velmora", timeout=10, process=process, visible=True)
        world.screenshot("message")
        text = " ".join(child.get("text", "") for child in world.children(message["hwnd"]))
        # A folder in a file's place is refused as access denied (5); the reason in Japanese
        # when the system has that text, else in its own language, under the file names.
        reason = system_error_text(world, 5)
        for expected in ("設定を保存できませんでした", windows_path(os.path.join(folder, INI)),
                         "\\AppData\\Roaming\\Velmora\\" + INI, "理由: " + reason):
            check(expected in text, f"the message does not say {expected!r}: {text!r}")
        program_at = text.index(windows_path(os.path.join(folder, INI)))
        user_at = text.index("\\AppData\\Roaming")
        check(program_at < text.index("理由", program_at) < user_at < text.index("理由", user_at),
              f"each file is not followed by its reason: {text!r}")
        world.hold_key("Return")  # its OK button
        wait_until(lambda: world.find_window("Velmora") is None, 5, "the message to close")
        holds_for(lambda: process.poll() is None and world.find_window(TITLE) is not None, 1.5,
                  "the dialog open after the message")
        check(os.path.isdir(os.path.join(folder, INI)) and os.path.isdir(user_settings_path()),
              "a folder in a settings file's place changed")
        leftovers = glob.glob(os.path.join(folder, "*.tmp")) + glob.glob(
            os.path.join(os.path.dirname(user_settings_path()), "*.tmp"))
        check(not leftovers, f"temporary files left: {leftovers}")
        # The choice is still there: the audio CD's repeat box is enabled.
        check(repeat_box_enabled(world, window), "the dialog lost the user's choice")
        world.hold_key("Escape")
        expect_exit(world, process)


def as_wine_writes(data):
    """A profile file the way Wine's writer leaves it: CR LF after every line, no empty
    lines, no blanks between "=" and the value; a UTF-16 file stays UTF-16."""
    unicode = data.startswith(b"\xff\xfe")
    text = data[2:].decode("utf-16-le") if unicode else data.decode("latin-1")
    lines = []
    for line in text.replace("\r\n", "\n").replace("\r", "\n").split("\n"):
        if line.strip():
            key, equals, value = line.partition("=")
            lines.append(key + equals + value.lstrip(" \t"))
    text = "".join(line + "\r\n" for line in lines)
    return b"\xff\xfe" + text.encode("utf-16-le") if unicode else text.encode("latin-1")


def system_error_text(world, code):
    """The system's text for an error number: Japanese when it has one, else its own."""
    output = world.probe_ok("error-text", str(code))
    texts = {key: bytes.fromhex(value.strip()).decode("utf-8").strip()
             for key, value in (line.split("=", 1) for line in output.splitlines() if "=" in line)}
    check(texts.get("ja") or texts.get("default"), f"the system has no text for {code}: {output!r}")
    return texts.get("ja") or texts["default"]


def our_temporaries(folder):
    return glob.glob(os.path.join(folder, INI + ".*.tmp")) + glob.glob(
        os.path.join(folder, INI + ".tmp"))


@scenario(screen="1024x768x24")
def file_held_open_by_a_scanner_is_waited_for_and_stored_beside_the_program(world):
    with no_user_settings():
        folder, process, window = open_dialog(world, ORIGINAL_INI)
        choose_audio_cd(world, window)
        # Read sharing only, as a scanner opens a file: no replace, no delete for 700 ms after
        # the store begins.
        ini = os.path.join(folder, INI)
        holder = world.logged([tool("wine64"), world.program("velmora_probe.exe"), "hold",
                               windows_path(ini), "700"], "hold")
        wait_until(lambda: "held" in process_output(holder), 15, "the probe to hold the file",
                   process=holder)
        world.click(*client_point(window, *STORE_BUTTON))
        expect_exit(world, process)
        check(world.wait_exit(holder, 10) == 0, "the probe did not let go of the file")
        check("store_seen=1" in process_output(holder),
              f"no store began while the file was held: {process_output(holder)!r}")
        stored = read_ini(folder)
        check(stored is not None and KEY_KIND + b"= 1" in stored,
              f"not stored beside the program: {stored!r}")
        check(not user_settings_folders() or not os.path.exists(user_settings_path()),
              "stored per user")
        check(not our_temporaries(folder), f"temporary files left: {our_temporaries(folder)}")


@scenario(screen="1024x768x24")
def store_removes_a_stale_temporary_file_of_ours(world):
    folder = world.program_folder("programs", [SAVER, RENDERER])
    two_days_ago = time.time() - 2 * 24 * 3600
    files = {INI + ".77-1.tmp": two_days_ago,    # ours, from a store long gone
             INI + ".88-1.tmp": time.time(),     # ours, a store may still be running
             INI + ".bak": two_days_ago}         # not ours
    for name, written in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(b"[Section]\r\n")
        os.utime(os.path.join(folder, name), (written, written))
    # The stored kind 2 names a missing file: the dialog opens with no music chosen.
    _, process, window = open_dialog(world, ORIGINAL_INI, folder=folder)
    world.click(*client_point(window, *STORE_BUTTON))
    expect_exit(world, process)
    stored = read_ini(folder)
    check(stored is not None and KEY_KIND + b"= 0" in stored, f"not stored: {stored!r}")
    check(not os.path.exists(os.path.join(folder, INI + ".77-1.tmp")),
          "the stale temporary file is still there")
    for name in (INI + ".88-1.tmp", INI + ".bak"):
        check(os.path.exists(os.path.join(folder, name)), f"{name} was removed")


@scenario(screen="1024x768x24")
def stored_bytes_are_those_of_the_systems_profile_writer(world):
    """What "設定" leaves in a file is what the system's own three profile writes leave in a
    copy of it: the A form for ANSI files, the W form for a UTF-16 one. Wine's writer rewrites
    the whole file (CR LF after every line, no empty lines, no blank before a value), where
    Windows changes only the lines it writes; both files are compared in Wine's form, so that
    the encoding, the sections, the keys, their order and their values count."""
    folder = world.program_folder("programs", [SAVER, RENDERER])
    other = os.path.join(folder, "system.ini")
    none, cd = (b" 0", b" 0", b""), (b" 1", b" 0", b"")  # what the dialog stores for each
    starts = (
        ("empty file", b"", none),
        ("LF file without a final line break", b"[Other]\nx=1\n[Section]\ny=2", none),
        ("other sections", b"[A]\r\na=1\r\n\r\n[Section]\r\n" + KEY_KIND +
         b"= 1\r\n\r\n[B]\r\nb=2\r\n", cd),
        ("UTF-16 file", b"\xff\xfe" + "[Section]\r\nBGM区分= 1\r\n[B]\r\n".encode("utf-16-le"),
         cd),
    )
    differ = []
    with no_user_settings():
        for what, start, values in starts:
            _, process, _ = open_dialog(world, start, folder=folder)
            world.hold_key("Return")
            expect_exit(world, process)
            ours = read_ini(folder)
            with open(other, "wb") as out:
                out.write(start)
            unicode = start.startswith(b"\xff\xfe")
            for key, value in zip(("BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ"), values):
                if unicode:
                    args = ("profile-write-w", key.encode("utf-8").hex(), value.hex())
                else:
                    args = ("profile-write", key.encode("cp932").hex(), value.hex())
                world.probe_ok(args[0], windows_path(other), "Section", *args[1:])
            system = open(other, "rb").read()
            if as_wine_writes(ours) != as_wine_writes(system):
                differ.append(f"{what}: ours {ours!r}, the system's {system!r}")
        check(not differ, "; ".join(differ))

run_scenarios(globals())
