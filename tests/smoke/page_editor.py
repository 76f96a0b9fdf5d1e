#!/usr/bin/env python3
"""The page editor as a person uses it, by real X input under Xvfb on a copy of the default data: edit
mode and "Edit backgrounds..." from the menus, the data files' pages listed through the editor's Filter
menu, a page chosen in the tree with Ctrl held (the main pane shows it), its name typed anew and saved
with Enter. The new name must then be in the user's file on disk, the main pane must still show the
page, and the data files must be unchanged after the program quits.

usage: page_editor.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from smoke import (data_hashes, fail, geometry_of, install_program, menu_bar_shown, note, open_file_menu, pixels,
                   pointer_to, quit_program, scenario_main, screenshot, start_program, visible_ids, xdotool)

NEW_NAME = "Smoketest side"
WAIT_EDITOR_S = 20
WAIT_SAVE_S = 10
# Enabled items above "Edit mode" in the File menu at the first start, and above "Edit backgrounds..."
# in the Edit menu, opened from the File menu with Right: its first enabled item is active at once, and
# "Edit icon..." above it is greyed while no icon is selected.
EDIT_MODE_STEPS = 9
EDITOR_STEPS = 2


def key(*names):
    for name in names:
        xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def open_main_menu(window, shots):
    """The File menu; ESC would hide the menu bar again where edit mode keeps it shown."""
    open_file_menu(window, bar_shown=menu_bar_shown(window, os.path.join(shots, "page-editor-menu-check.png")))


def choose_from_file_menu(window, shots, steps, then_right=False):
    open_main_menu(window, shots)
    if then_right:
        key("Right")
    key(*(["Down"] * steps))
    key("Return")
    time.sleep(0.8)


def window_named(pid, names):
    """The program's visible window with one of the titles, its place and size; None while there is none."""
    for name in names:
        found = visible_ids("--all", "--pid", str(pid), "--name", name)
        if found:
            return geometry_of(found[0])
    return None


def find_window(pid, names, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = window_named(pid, names)
        if found:
            return found
        time.sleep(0.3)
    return None


def region_bytes(path, window):
    return pixels(path, window)[2]


def name_in_user_files(program, text):
    encoded = text.encode("cp1252")
    folder = os.path.join(program, "Users")
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as file:
            if encoded in file.read():
                return True
    return False


def inside(lumivo, work, shots):
    program, env = install_program(lumivo, work)
    before = data_hashes(os.path.join(program, "Data"))
    process, window = start_program(program, env, os.path.join(shots, "page-editor-start.png"))
    start_shot = os.path.join(shots, "page-editor-start.png")

    choose_from_file_menu(window, shots, EDIT_MODE_STEPS)
    choose_from_file_menu(window, shots, EDITOR_STEPS, then_right=True)
    editor = find_window(process.pid, ["Rediger baggrunde", "Edit backgrounds"], WAIT_EDITOR_S)
    if editor is None:
        screenshot(os.path.join(shots, "page-editor-no-editor.png"))
        fail("the page editor did not open from the menu")
    note("the page editor opened: %dx%d" % (editor["WIDTH"], editor["HEIGHT"]))
    screenshot(os.path.join(shots, "page-editor-open.png"))

    # Filter, second item: the data files' pages too.
    pointer_to(editor["X"] + 15, editor["Y"] + 10)
    xdotool("click", "1")
    time.sleep(0.5)
    key("Down", "Down", "Return")
    time.sleep(0.8)

    # The tree: its first letter opened, its first page chosen with Ctrl held, so the main pane shows it.
    pointer_to(editor["X"] + 30, editor["Y"] + editor["HEIGHT"] - 60)
    xdotool("click", "1")
    key("Home", "Right")
    xdotool("keydown", "ctrl")
    xdotool("key", "Down")
    xdotool("keyup", "ctrl")
    time.sleep(1.0)
    shown_shot = os.path.join(shots, "page-editor-page-shown.png")
    screenshot(shown_shot)
    if region_bytes(shown_shot, window) == region_bytes(start_shot, window):
        fail("the main pane did not show the page chosen in the editor")

    # Tab goes from the tree to the sheet's tabs and on to the name.
    key("Tab", "Tab", "ctrl+a")
    xdotool("type", "--delay", "40", NEW_NAME)
    key("Return")
    deadline = time.time() + WAIT_SAVE_S
    while time.time() < deadline and not name_in_user_files(program, NEW_NAME):
        time.sleep(0.3)
    screenshot(os.path.join(shots, "page-editor-saved.png"))
    if not name_in_user_files(program, NEW_NAME):
        fail("the new name was not saved in the user's file")
    note("the page was saved under its new name in the user's file")

    quit_program(process, window)
    if data_hashes(os.path.join(program, "Data")) != before:
        fail("a data file changed")
    note("quit through the exit command; the data files unchanged")


def main():
    scenario_main(__file__, "lumivo-page-editor-", inside)


if __name__ == "__main__":
    main()
