#!/usr/bin/env python3
"""The user settings as a person changes them, by real input under Xvfb: opens "User settings..." from
the File menu, goes to the Writer pane tab and types a new sentence maximum, goes back to the Main
pane tab and picks the next background colour with the arrow key, and presses Enter. The main pane
must repaint in the new colour at once, and show it again after the program is quit and started
anew.

usage: user_settings.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import subprocess
import time

from smoke import (fail, install_program, measure_until, note, open_file_menu, pixels, quit_program, scenario_main,
                   screenshot, start_program, visible_ids, wait_for, xdotool)

SHEET_TITLE = "Edit user settings"
# The colour after the standard background in the palette: colour 4, pure green.
NEW_COLOUR = (0, 255, 0)
GREEN_ENOUGH = 5000
WAIT_SHEET_S = 20
# Items of the File menu up to "User settings...": new user, choose user, archive as profile, save
# user, export page, import page, user settings.
DOWNS_TO_USER_SETTINGS = 7
# Tabs of the sheet from the first: Profile, Identity, Language, Voice, Main pane, Navigator, Word, Writer.
TABS_TO_WRITER = 7
TABS_WRITER_TO_MAIN = 3


def keys(*names, delay=120):
    xdotool("key", "--delay", str(delay), *names)


def count_colour(path, window, colour):
    width, height, body = pixels(path, window)
    wanted = bytes(colour)
    return sum(1 for at in range(0, width * height * 3, 3) if body[at:at + 3] == wanted)


def sheet_window():
    found = visible_ids("--name", SHEET_TITLE)
    return found[0] if found else None


def open_user_settings(window):
    """The File menu's item, walked to with the arrow keys."""
    open_file_menu(window)
    keys(*(["Down"] * DOWNS_TO_USER_SETTINGS), "Return")
    return wait_for("\"%s\" sheet" % SHEET_TITLE, sheet_window, WAIT_SHEET_S)


def change_settings(sheet):
    """From the tab bar (the sheet's first stop): the Writer pane's maximum, then the Main pane's colour."""
    # No window manager runs here: the keyboard focus is given to the sheet directly.
    subprocess.run(["xdotool", "windowfocus", "--sync", sheet], check=False)
    time.sleep(0.5)
    keys(*(["Right"] * TABS_TO_WRITER))
    keys("Tab", "Tab", "Tab", "ctrl+a")
    xdotool("type", "--delay", "120", "12")
    keys("shift+Tab", "shift+Tab", "shift+Tab")
    keys(*(["Left"] * TABS_WRITER_TO_MAIN))
    keys("Tab", "Tab", "Down")
    time.sleep(0.3)
    keys("Return")
    wait_for("closing of the sheet on Enter", lambda: sheet_window() is None, WAIT_SHEET_S)


def inside(lumivo, work, shots):
    program, env = install_program(lumivo, work)
    process, window = start_program(program, env, os.path.join(shots, "settings-start.png"))
    before = count_colour(os.path.join(shots, "settings-start.png"), window, NEW_COLOUR)

    sheet = open_user_settings(window)
    note("the sheet \"%s\" opened" % SHEET_TITLE)
    change_settings(sheet)
    shot = os.path.join(shots, "settings-after-ok.png")

    def new_colour_pixels():
        screenshot(shot)
        return count_colour(shot, window, NEW_COLOUR)
    after = measure_until(new_colour_pixels, lambda count: count >= before + GREEN_ENOUGH, WAIT_SHEET_S)
    if after < before + GREEN_ENOUGH:
        fail("the main pane did not repaint in the new colour (%d pixels before, %d after); see %s"
             % (before, after, shot))
    note("the main pane repainted: %d pixels of the new colour" % after)

    quit_program(process, window)
    process, window = start_program(program, env, os.path.join(shots, "settings-restart.png"))
    again = count_colour(os.path.join(shots, "settings-restart.png"), window, NEW_COLOUR)
    quit_program(process, window)
    if again < before + GREEN_ENOUGH:
        fail("after a restart the main pane lost its colour (%d pixels)" % again)
    note("after a restart the colour is still there: %d pixels" % again)


def main():
    scenario_main(__file__, "lumivo-smoke-settings-", inside)


if __name__ == "__main__":
    main()
