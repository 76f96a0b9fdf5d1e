#!/usr/bin/env python3
"""The icon wizard as a person uses it, by real X input under Xvfb on a copy of the default data: edit
mode and the icon-wizard tool from the menus, a click on an empty spot of the page, a word of the
default data typed, a picture file chosen in the file dialog and Finish. The new icon must show the
picture where the click was, and a long press on it in browse mode must be heard; the data files stay
as they were.

usage: wizards.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import subprocess
import time

from smoke import (audio_size, data_hashes, fail, install_program, long_press, note, pixels, pointer_to,
                   program_windows, quit_through_the_menu, scenario_main, screenshot, sound_after,
                   start_program, wait_for, xdotool)
# The page editor's scenario knows the way into the menu bar, which the program hides until Escape.
from page_editor import choose_from_file_menu, open_main_menu, window_named

WORD = "baby"  # a word of the default data, the same in both languages
WIZARD_NAMES = ["^Guide til at redigere ikonens indstillinger$", "^Wizard to edit icon settings$"]
# Enabled items above "Edit mode" in the File menu at the first start (as the page editor's scenario).
EDIT_MODE_STEPS = 9
# From the Edit menu's first enabled item ("Edit page...") down to "Add icon with the wizard tool...".
WIZARD_TOOL_STEPS = 12
CROP_NAMES = ["^Billedbeskæring$", "^Picture crop$"]
MAGENTA = (255, 0, 255)


def key(*names):
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.2)


def magenta_near(path, window, spot, reach=60):
    """How many pixels of the picture's colour lie within `reach` of the spot."""
    width, height, body = pixels(path, window)
    count = 0
    for y in range(max(0, spot[1] - reach), min(height, spot[1] + reach)):
        for x in range(max(0, spot[0] - reach), min(width, spot[0] + reach)):
            at = (y * width + x) * 3
            if all(abs(body[at + i] - MAGENTA[i]) < 60 for i in range(3)):
                count += 1
    return count


def page_top(path, window, pane):
    """The first row below the pane's own colour `pane` down the window's middle column."""
    width, height, body = pixels(path, window)
    x = width // 2

    def at(y):
        offset = (y * width + x) * 3
        return body[offset:offset + 3]
    y = 0
    while y < height // 2 and at(y) != pane:
        y += 1
    while y < height // 2 and at(y) == pane:
        y += 1
    return y


def empty_spot(path, window):
    """A spot of the page where no icon lies, with the pane's colour: the middle of the page's margin
    above its top row of icons, found down the window's middle column as the first run of a colour other
    than the pane's."""
    width, height, body = pixels(path, window)
    x = width // 2
    offset = (5 * width + x) * 3
    pane = body[offset:offset + 3]
    top = page_top(path, window, pane)
    page = body[(top * width + x) * 3:(top * width + x) * 3 + 3]
    y = top
    while y < height // 2 and body[(y * width + x) * 3:(y * width + x) * 3 + 3] == page:
        y += 1
    if y - top < 8:
        fail("no margin of the page above its icons (%d pixels)" % (y - top))
    return (x, (top + y) // 2), pane, top


def inside(lumivo, work, shots):
    program, env = install_program(lumivo, work)
    before = data_hashes(os.path.join(program, "Data"))
    picture = os.path.join(work, "magenta.png")
    subprocess.run(["convert", "-size", "320x240", "xc:#ff00ff", picture], check=True)
    audio = env["SDL_DISKAUDIOFILE"]
    start_shot = os.path.join(shots, "wizards-start.png")
    process, window = start_program(program, env, start_shot)
    spot, pane, top = empty_spot(start_shot, window)

    choose_from_file_menu(window, shots, EDIT_MODE_STEPS)
    choose_from_file_menu(window, shots, WIZARD_TOOL_STEPS, then_right=True)
    # In edit mode the menu bar stays and the page lies lower by its height.
    tool_shot = os.path.join(shots, "wizards-tool.png")
    screenshot(tool_shot)
    spot = (spot[0], spot[1] + page_top(tool_shot, window, pane) - top)
    note("an empty spot of the page at %s" % (spot,))
    pointer_to(window["X"] + spot[0], window["Y"] + spot[1])
    xdotool("click", "1")
    wizard = wait_for("icon wizard", lambda: window_named(process.pid, WIZARD_NAMES))
    note("the icon wizard opened: %dx%d" % (wizard["WIDTH"], wizard["HEIGHT"]))

    # The word page has the focus in its word box; Enter is Next while there is a next page.
    xdotool("windowfocus", "--sync", str(wizard["WINDOW"]))
    xdotool("type", "--delay", "60", WORD)
    time.sleep(0.5)
    screenshot(os.path.join(shots, "wizards-word.png"))
    key("Return")  # the look
    key("Return")  # the picture
    time.sleep(0.5)
    screenshot(os.path.join(shots, "wizards-picture-page.png"))
    # "Choose picture file..." is the picture page's first button, under its title and description.
    shown = program_windows(process.pid)
    pointer_to(wizard["X"] + 45, wizard["Y"] + 74)
    xdotool("click", "1")
    crop = wait_for("crop dialog", lambda: window_named(process.pid, CROP_NAMES))
    # The crop dialog (the default user asks for it): its "Open picture file..." button, the fourth of
    # the row at its foot, then the file's path typed into the file dialog, then OK.
    with_crop = program_windows(process.pid)
    pointer_to(crop["X"] + 113, crop["Y"] + crop["HEIGHT"] - 23)
    xdotool("click", "1")
    dialog = wait_for("file dialog", lambda: program_windows(process.pid) - with_crop)
    xdotool("windowfocus", "--sync", sorted(dialog)[0])
    time.sleep(0.5)
    xdotool("type", "--delay", "20", picture)
    time.sleep(0.3)
    screenshot(os.path.join(shots, "wizards-file-dialog.png"))
    key("Return")
    wait_for("file dialog to close", lambda: not (program_windows(process.pid) - with_crop))
    time.sleep(0.5)
    screenshot(os.path.join(shots, "wizards-crop.png"))
    xdotool("windowfocus", "--sync", str(crop["WINDOW"]))
    key("Return")
    wait_for("crop dialog to close", lambda: not (program_windows(process.pid) - shown))
    screenshot(os.path.join(shots, "wizards-picture-chosen.png"))
    # Finish: the third of the four buttons at the wizard's foot.
    pointer_to(wizard["X"] + wizard["WIDTH"] - 137, wizard["Y"] + wizard["HEIGHT"] - 23)
    xdotool("click", "1")
    wait_for("icon wizard to close", lambda: window_named(process.pid, WIZARD_NAMES) is None)

    done_shot = os.path.join(shots, "wizards-done.png")

    def picture_shown():
        screenshot(done_shot)
        return magenta_near(done_shot, window, spot) > 1500
    wait_for("new icon with the picture at %s" % (spot,), picture_shown, 10)
    note("the new icon shows the picture")

    # Browse mode again (the File menu's edit-mode item), and a long press speaks the word.
    choose_from_file_menu(window, shots, EDIT_MODE_STEPS)
    offset = audio_size(audio)
    long_press(window, spot)
    wait_for("sound after pressing the new icon", lambda: sound_after(audio, offset), 10)
    note("the new icon was heard")
    screenshot(os.path.join(shots, "wizards-heard.png"))

    # The exit command, the File menu's last item.
    open_main_menu(window, shots)
    key("Up", "Return")
    try:
        code = process.wait(10)
    except subprocess.TimeoutExpired:
        screenshot(os.path.join(shots, "wizards-no-exit.png"))
        code = quit_through_the_menu(process, window)
    if code != 0:
        fail("lumivo ended with %s" % code)
    if data_hashes(os.path.join(program, "Data")) != before:
        fail("a data file changed")
    note("quit through the exit command; the data files unchanged")


def main():
    scenario_main(__file__, "lumivo-wizards-", inside)


if __name__ == "__main__":
    main()
