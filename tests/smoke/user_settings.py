#!/usr/bin/env python3
"""The user settings as a person changes them, by real input under Xvfb: opens "User settings..." from
the File menu, goes to the Writer pane tab and types a new sentence maximum, goes back to the Main
pane tab and picks the next background colour with the arrow key, and presses Enter. The main pane
must repaint in the new colour at once, and show it again after the program is quit and started
anew. Then "Back to factory settings" on the Profile tab and OK: with no message, the pane loses the
colour at once, the Temp folder holds the old user file as <name>_<ddmmyy-HHMMSS>.tvf, and the next
start opens the reset user from its file.

Where a user namespace can be made without root, the reset runs once more on a full disk: the program's
folder on a 2 MiB tmpfs of its own (the program, its data and modules bound in from a normal folder),
filled up while the sheet is open. OK then says "The settings were not reset ...", the user file stays
with its user, and a start after room is made opens that user. Where no such namespace can be made,
that part is skipped and the scenario says so.

usage: user_settings.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import re
import shutil
import subprocess
import sys
import time

from smoke import (close_message, fail, install_copy, install_program, isolated_environment, measure_until,
                   message_boxes, note, open_file_menu, pixels, quit_program, read_message, scenario_main, screenshot,
                   start_program, stored_records, visible_ids, wait_for, xdotool)

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
USER_FILE = "SUF"  # the standard user's file, which the first start makes from the template
USER_RECORD_TYPE = "675f7573"  # a user record's type, as the records tool prints it
TINY_DISK = "2m"
NOT_RESET = "The settings were not reset"


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


def reset_to_factory_settings(sheet):
    """From the tab bar: the Profile tab's "Back to factory settings" (after the profile list; "Restore
    profile settings" is off without a profile), then back to the list, where Enter is the sheet's OK."""
    subprocess.run(["xdotool", "windowfocus", "--sync", sheet], check=False)
    time.sleep(0.5)
    keys("Tab", "Tab", "space")
    keys("shift+Tab", "Return")
    wait_for("closing of the sheet on Enter", lambda: sheet_window() is None, WAIT_SHEET_S)


def user_records(lumivo, path):
    """The users the file holds, by id and name, as the records tool reads them; none from a file it
    cannot read."""
    return [(row[0], row[3]) for row in stored_records(lumivo, path, check=False) if row[1] == USER_RECORD_TYPE]


def backups(program):
    """The user files that a reset moved to the Temp folder."""
    temp = os.path.join(program, "Temp")
    pattern = re.compile(r"^%s_\d{6}-\d{6}\.tvf$" % USER_FILE)
    return sorted(name for name in os.listdir(temp) if pattern.match(name)) if os.path.isdir(temp) else []


def reset_and_restart(lumivo, program, env, shots, process, window, plain):
    """The reset on the running program, then a new start; `plain` is the count of the new colour's
    pixels before it was chosen."""
    reset_to_factory_settings(open_user_settings(window))
    shot = os.path.join(shots, "settings-after-reset.png")

    def colour_pixels():
        screenshot(shot)
        return count_colour(shot, window, NEW_COLOUR)
    after = measure_until(colour_pixels, lambda count: count <= plain, WAIT_SHEET_S)
    if message_boxes():
        fail("the reset brought a message (see %s)" % shot)
    if after > plain:
        fail("the main pane kept the chosen colour after the reset (%d pixels; see %s)" % (after, shot))
    moved = backups(program)
    if len(moved) != 1:
        fail("the Temp folder holds %s, not one backup of the user file" % moved)
    note("reset: the pane back to its colour, the old file kept as Temp/%s" % moved[0])
    quit_program(process, window)

    user_file = os.path.join(program, "Users", USER_FILE + ".tvf")
    if not user_records(lumivo, user_file):
        fail("after the reset %s holds no user" % user_file)
    process, window = start_program(program, env, os.path.join(shots, "settings-after-reset-restart.png"))
    if message_boxes():
        fail("the start after the reset brought a message")
    again = count_colour(os.path.join(shots, "settings-after-reset-restart.png"), window, NEW_COLOUR)
    quit_program(process, window)
    if again > plain:
        fail("the start after the reset shows the old colour (%d pixels)" % again)
    note("the next start opened the reset user from %s" % user_file)


def fill_up(folder):
    """A file that takes every free byte of the folder's file system; gives its path."""
    filler = os.path.join(folder, "filler")
    with open(filler, "wb", buffering=0) as file:
        for chunk in (65536, 4096, 1):
            try:
                while True:
                    file.write(b"\0" * chunk)
            except OSError:
                pass
    return filler


def tiny_program(lumivo, work):
    """The program's folder on a tmpfs of its own, in this mount namespace: the program, its data and
    modules bound in from an installation on the normal disk, the rest (the users and the Temp folder
    among it) on the tmpfs. Gives the folder and the program's environment."""
    staged = os.path.join(work, "staged")
    install_copy(lumivo, os.path.dirname(lumivo), staged)
    program = os.path.join(work, "tiny")
    os.makedirs(program)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + TINY_DISK, "tmpfs", program], check=True)
    for name in os.listdir(staged):
        source, target = os.path.join(staged, name), os.path.join(program, name)
        if name in ("lumivo", "Data", "modules"):
            if os.path.isdir(source):
                os.makedirs(target)
            else:
                open(target, "wb").close()
            subprocess.run(["mount", "--bind", source, target], check=True)
        elif os.path.isdir(source):
            shutil.copytree(source, target)
        else:
            shutil.copy2(source, target)
    return program, isolated_environment(os.path.join(work, "full-disk"))


def full_disk_inside(lumivo, work, shots):
    """The reset on a full disk, run in a user and mount namespace of its own (see main)."""
    program, env = tiny_program(lumivo, work)
    process, window = start_program(program, env, os.path.join(shots, "settings-full-disk-start.png"))
    user_file = os.path.join(program, "Users", USER_FILE + ".tvf")
    kept = user_records(lumivo, user_file)
    sheet = open_user_settings(window)
    filler = fill_up(program)
    note("the sheet open on a full disk (%d bytes of filler)" % os.path.getsize(filler))
    reset_to_factory_settings(sheet)
    text = read_message(os.path.join(shots, "settings-full-disk-message.png"), NOT_RESET)
    note("OK on a full disk: %s" % " ".join(text.split()))
    close_message()
    if not kept or user_records(lumivo, user_file) != kept:
        fail("the user file lost its user on a full disk: %s, before %s" % (user_records(lumivo, user_file), kept))
    if backups(program):
        fail("a backup was left in the Temp folder: %s" % backups(program))
    os.remove(filler)
    quit_program(process, window)
    process, window = start_program(program, env, os.path.join(shots, "settings-full-disk-restart.png"))
    if message_boxes():
        fail("the start after the failed reset brought a message")
    quit_program(process, window)
    if user_records(lumivo, user_file) != kept:
        fail("the start after the failed reset changed the user: %s" % user_records(lumivo, user_file))
    note("the user file kept its user; the next start opened it")


def reset_on_a_full_disk(lumivo, work, shots):
    """full_disk_inside in a user and mount namespace of its own, where one can be made without root."""
    namespace = ["unshare", "--map-root-user", "--mount"]
    probe = subprocess.run(namespace + ["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", work],
                           capture_output=True, text=True, check=False)
    if probe.returncode != 0:
        note("SKIPPED the reset on a full disk: no tmpfs in a user namespace here (%s)" % probe.stderr.strip())
        return
    result = subprocess.run(namespace + [sys.executable, os.path.abspath(__file__), "--full-disk", lumivo, work,
                                         shots], check=False)
    if result.returncode != 0:
        sys.exit(result.returncode)


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
    if again < before + GREEN_ENOUGH:
        fail("after a restart the main pane lost its colour (%d pixels)" % again)
    note("after a restart the colour is still there: %d pixels" % again)
    reset_and_restart(lumivo, program, env, shots, process, window, before)
    reset_on_a_full_disk(lumivo, work, shots)


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--full-disk":
        full_disk_inside(*sys.argv[2:])
        return
    scenario_main(__file__, "lumivo-smoke-settings-", inside)


if __name__ == "__main__":
    main()
