#!/usr/bin/env python3
"""The word editor as a person uses it, by real X input under Xvfb on a copy of the default data: edit
mode and "Edit words..." from the menus, the data files' words listed through the editor's Filter menu
and the list rebuilt, the first word chosen in the list, a new description typed on its Basic page and
saved with Enter. The description must then be in the user's file on disk. The program is started
again and the editor opened the same way: the word, now the user's own, shows the new description,
and the data files are unchanged after the program quits.

usage: word_editor.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from page_editor import choose_from_file_menu, find_window, key, name_in_user_files
from smoke import (data_hashes, fail, install_program, measure_until, note, pixels, pointer_to, quit_program,
                   scenario_main, screenshot, start_program, xdotool)

DESCRIPTION = "Smoketest beskrivelse"
WAIT_EDITOR_S = 20
WAIT_SAVE_S = 10
# Enabled items above "Edit mode" in the File menu at the first start, and above "Edit words..." in the
# Edit menu, opened from the File menu with Right: its first enabled item is active at once.
EDIT_MODE_STEPS = 9
EDITOR_STEPS = 1
# From the list, Tab goes to the sheet's tabs, then the name, the class and the description (inflexion and
# base form are off for a word without a class, and so are the buttons until something changes).
TABS_TO_DESCRIPTION = 4


def open_editor(process, window, shots, label):
    choose_from_file_menu(window, shots, EDIT_MODE_STEPS)
    choose_from_file_menu(window, shots, EDITOR_STEPS, then_right=True)
    editor = find_window(process.pid, ["Rediger ord", "Edit words"], WAIT_EDITOR_S)
    if editor is None:
        screenshot(os.path.join(shots, "word-editor-no-editor-%s.png" % label))
        fail("the word editor did not open from the menu (%s)" % label)
    note("the word editor opened (%s): %dx%d" % (label, editor["WIDTH"], editor["HEIGHT"]))
    return editor


def choose_from_editor_menu(editor, keys):
    """The editor's Filter menu, the first title of its own menu bar."""
    pointer_to(editor["X"] + 15, editor["Y"] + 10)
    xdotool("click", "1")
    time.sleep(0.5)
    key(*keys)
    time.sleep(1.0)


def choose_first_word(editor):
    """The list: its first letter opened and the first word under it chosen."""
    pointer_to(editor["X"] + 30, editor["Y"] + editor["HEIGHT"] - 60)
    xdotool("click", "1")
    key("Home", "Right", "Down")
    time.sleep(0.8)


def go_to_description():
    key(*(["Tab"] * TABS_TO_DESCRIPTION))
    key("End")


def sheet_region(editor):
    """The right half of the editor, where the sheet shows the word."""
    half = editor["WIDTH"] // 2
    return {"X": editor["X"] + half, "Y": editor["Y"] + 40, "WIDTH": half - 10, "HEIGHT": editor["HEIGHT"] - 80}


def differing_pixels(first, second, region):
    _, _, a = pixels(first, region)
    _, _, b = pixels(second, region)
    return sum(1 for index in range(0, min(len(a), len(b)), 3) if a[index:index + 3] != b[index:index + 3])


def start(program, env, shots, label):
    return start_program(program, env, os.path.join(shots, "word-editor-start-%s.png" % label))


def edit_and_save(program, env, shots):
    """The first run: a data file's word found and given a new description."""
    process, window = start(program, env, shots, "first")
    editor = open_editor(process, window, shots, "first")
    # Filter: the data files' words too (second item), then the list rebuilt (the last item).
    choose_from_editor_menu(editor, ["Down", "Down", "Return"])
    choose_from_editor_menu(editor, ["Up", "Return"])
    choose_first_word(editor)
    before = os.path.join(shots, "word-editor-chosen.png")
    screenshot(before)
    go_to_description()
    key("ctrl+a")
    xdotool("type", "--delay", "40", DESCRIPTION)
    key("Return")
    deadline = time.time() + WAIT_SAVE_S
    while time.time() < deadline and not name_in_user_files(program, DESCRIPTION):
        time.sleep(0.3)
    after = os.path.join(shots, "word-editor-saved.png")
    screenshot(after)
    if not name_in_user_files(program, DESCRIPTION):
        fail("the new description was not saved in the user's file")
    note("the word was saved with its new description in the user's file")
    quit_program(process, window)
    return editor, before, after


def reopen_and_look(program, env, shots, saved, before):
    """The second run: the editor lists the user's own words, the changed word first among them."""
    process, window = start(program, env, shots, "again")
    editor = open_editor(process, window, shots, "again")
    choose_first_word(editor)
    go_to_description()
    again = os.path.join(shots, "word-editor-reopened.png")
    region = sheet_region(editor)
    changed = differing_pixels(before, saved, region)

    def differing_from_saved():
        screenshot(again)
        return differing_pixels(again, saved, region)
    # The same sheet as after the save (the text cursor may blink), unlike the sheet before the edit.
    same = measure_until(differing_from_saved, lambda same: same * 4 <= changed)
    note("pixels of the sheet differing from the saved one: %d; the edit itself changed %d" % (same, changed))
    if changed < 100 or same * 4 > changed:
        fail("the reopened editor does not show the new description")
    quit_program(process, window)


def inside(lumivo, work, shots):
    program, env = install_program(lumivo, work)
    data_before = data_hashes(os.path.join(program, "Data"))
    _, before, saved = edit_and_save(program, env, shots)
    reopen_and_look(program, env, shots, saved, before)
    if data_hashes(os.path.join(program, "Data")) != data_before:
        fail("a data file changed")
    note("the reopened editor shows the new description; the data files unchanged")


def main():
    scenario_main(__file__, "lumivo-word-editor-", inside)


if __name__ == "__main__":
    main()
