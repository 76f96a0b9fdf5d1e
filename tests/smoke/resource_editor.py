#!/usr/bin/env python3
"""The resource editor of the developer menu, driven as a person would with real X input under Xvfb: a
resource file holding word records under the ids 0, 5 and 7 (made with the program's own store by the
records tool) is opened through the editor's File menu. The record of id 0 is chosen, then clicked away
from and back to, and renamed; the click on another record asks whether to save the change, and the
file is saved and the editor closed through its menu. No click may bring "The id must be a number other
than 0.": each one moves the selection at once. The saved file holds the new name under id 0.

usage: resource_editor.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from output_file import choose, type_into, wait_for_dialog
from page_editor import key
from smoke import (close_message, fail, geometry_of, install_program, make_records_file, message_boxes, note,
                   pixels, pointer_to, program_windows, quit_program, read_message, scenario_main, screenshot,
                   start_program, stored_records, titled, wait_for, xdotool)

PROGRAMMER = 3  # the titles in browse mode: File, Go to, Translate, Programmer, Help
EDITOR_TITLE = "Resource editor"
NEW_NAME = "Nul"
WAIT_CLICK_S = 2  # a click on a record is answered at once
WORD_TYPE = "67770001"  # the type of the records tool's word records, as it prints it


def selected_rows(shot, region):
    """The top and the height of the tree's highlighted row, from the selection's blue; None without."""
    width, height, body = pixels(shot, region)
    rows = []
    for y in range(height):
        line = y * width * 3
        blue = sum(1 for x in range(width)
                   if body[line + x * 3 + 2] > 150 and body[line + x * 3] < 100 and body[line + x * 3 + 1] < 190)
        if blue > width // 3:
            rows.append(y)
    return (rows[0], rows[-1] - rows[0] + 1) if rows else None


def editor_menu(editor, *keys):
    """The editor's File menu, the first title of its own menu bar."""
    pointer_to(editor["X"] + 20, editor["Y"] + 8)
    xdotool("click", "1")
    time.sleep(0.5)
    key(*keys)


class Tree:
    """The editor's tree, below the file's path, with the first record (id 0) chosen by the keyboard."""

    def __init__(self, editor, shots):
        self.shots = shots
        self.region = {"X": editor["X"] + 8, "Y": editor["Y"] + 45, "WIDTH": editor["WIDTH"] // 2 - 10,
                       "HEIGHT": editor["HEIGHT"] - 60}
        pointer_to(self.region["X"] + 60, self.region["Y"] + self.region["HEIGHT"] - 20)
        xdotool("click", "1")
        key("Home", "Right", "Down")  # the type opened, its first record chosen
        shot = os.path.join(shots, "resource-editor-record-0.png")
        self.first, self.row = wait_for("the chosen record", lambda: self.selected(shot))
        self.shown = 0

    def selected(self, shot):
        screenshot(shot)
        return selected_rows(shot, self.region)

    def click(self, index, label, answered=True):
        """A click on the `index`-th record (0, 5, 7 in this order); when `answered`, the selection must
        follow within WAIT_CLICK_S with no message."""
        top = self.first + (index - self.shown) * self.row
        pointer_to(self.region["X"] + 70, self.region["Y"] + top + self.row // 2)
        xdotool("click", "1")
        if not answered:
            return
        shot = os.path.join(self.shots, "resource-editor-%s.png" % label)
        moved = wait_for("the selection on the clicked record (%s)" % label,
                         lambda: (self.selected(shot) or (None,))[0] == top or message_boxes(), WAIT_CLICK_S)
        if message_boxes():
            text = read_message(shot, "")
            fail("a click on a record (%s) brought a message: %r (see %s)" % (label, text, shot))
        self.first, self.shown = top, index
        return moved


def inside(lumivo, work, shots):
    started = time.time()
    program, env = install_program(lumivo, work)
    path = os.path.join(work, "records.tvf")
    make_records_file(lumivo, path)
    process, window = start_program(program, env, os.path.join(shots, "resource-editor-start.png"))

    choose(window, shots, PROGRAMMER, "Down", "Return")  # "Test ResMgr", the first item
    editor = geometry_of(wait_for_dialog(EDITOR_TITLE))
    shown = program_windows(process.pid)
    editor_menu(editor, "Down", "Down", "Return")  # Open (New is first)
    type_into(wait_for_dialog("Open resource file"), path)
    wait_for("the file dialog to close", lambda: not (program_windows(process.pid) - shown))

    tree = Tree(editor, shots)
    note("the record of id 0 chosen; a row is %d pixels high" % tree.row)
    tree.click(1, "record-5")
    tree.click(0, "record-0-again")
    tree.click(2, "record-7")
    tree.click(0, "record-0-last")
    note("each click on a record moved the selection at once, with no message")

    # Tab goes from the tree to the id, then the name.
    key("Tab", "Tab", "ctrl+a")
    xdotool("type", "--delay", "40", NEW_NAME)
    tree.click(1, "rename", answered=False)
    read_message(os.path.join(shots, "resource-editor-save-question.png"), "Save the changes?")
    close_message()  # Yes, the default
    editor_menu(editor, "Down", "Down", "Return")  # Save (New and Open are off while a file is open)
    wait_for("the new name in the saved file",
             lambda: ("0", WORD_TYPE, "3", NEW_NAME) in stored_records(lumivo, path))
    screenshot(os.path.join(shots, "resource-editor-saved.png"))
    editor_menu(editor, "Up", "Return")  # Exit, the last item
    wait_for("the editor to close", lambda: not titled(EDITOR_TITLE))
    note("renamed, saved and closed: %s" % stored_records(lumivo, path))

    quit_program(process, window)
    names = {row[0]: row[3] for row in stored_records(lumivo, path) if row[1] == WORD_TYPE}
    if names != {"0": NEW_NAME, "5": "Five", "7": "Seven"}:
        fail("the saved file holds %s" % names)
    note("quit; %.1f s in all" % (time.time() - started))


def main():
    scenario_main(__file__, "lumivo-smoke-resource-editor-", inside)


if __name__ == "__main__":
    main()
