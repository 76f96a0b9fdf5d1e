#!/usr/bin/env python3
"""The output file and the users, driven as a person would with real X input under Xvfb: a new output
file from the Translate menu (its name typed into the file dialog) puts the output file's suffix into
the window title; the page shown is transferred into it with everything it uses; closing it saves it
and takes the suffix away. A second new output file, closed without a change (nothing is asked), opens
again from the same menu. Then a new user is made from the File menu, and choosing the standard user
again from the list brings back its start page with its pictures. The data files stay as they were.

usage: output_file.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from smoke import (data_hashes, fail, geometry_of, icon_spots, install_program, message_boxes, note, pixels,
                   quit_program, read_text, run, scenario_main, screenshot, start_program, titled, wait_for,
                   xdotool)

MENU_GREY = 239  # the menu bar's background in Qt's own style
TRANSLATE = 2  # the titles: File, Go to, Translate, ...


def window_name(window):
    return run("xdotool", "getwindowname", str(window["WINDOW"])).strip()


def wait_for_dialog(title):
    """The visible window titled `title`, once it shows."""
    return wait_for("window \"%s\"" % title, lambda: titled(title))[0]


def menu_bar_titles(window, shot):
    """The centres of the menu bar's titles (runs of dark text pixels in its band), left to right; none
    when the bar does not lie over the window's top (no band of the menu's grey)."""
    screenshot(shot)
    width, _, body = pixels(shot, window)

    def at(x, y):
        offset = (y * width + x) * 3
        return body[offset:offset + 3]
    grey = sum(1 for x in range(min(width, 300)) if all(abs(c - MENU_GREY) <= 8 for c in at(x, 2)))
    if grey < 250:
        return []
    columns = [x for x in range(width) if any(max(at(x, y)) < 100 for y in range(4, 18))]
    titles, start, last = [], None, None
    for x in columns:
        if start is None or x - last > 8:
            if start is not None:
                titles.append((start + last) // 2)
            start = x
        last = x
    if start is not None:
        titles.append((start + last) // 2)
    return titles


def open_menu(window, shots, index):
    """ESC shows the menu bar when it is hidden; a click opens the popup of the `index`-th title."""
    shot = os.path.join(shots, "output-file-menu.png")
    time.sleep(1.0)  # a reload that has just run may still hide the bar
    for _ in range(3):
        titles = menu_bar_titles(window, shot)
        if len(titles) > index:
            break
        xdotool("key", "--window", str(window["WINDOW"]), "Escape")
        time.sleep(0.5)
    else:
        fail("the menu bar does not show its titles")
    # No --sync: it waits for the pointer to move, which it does not when it is there already.
    xdotool("mousemove", str(window["X"] + titles[index]), str(window["Y"] + 10))
    time.sleep(0.2)
    xdotool("click", "1")
    time.sleep(0.5)


def choose(window, shots, index, *keys):
    open_menu(window, shots, index)
    for key in keys[:-1]:
        xdotool("key", key)
        time.sleep(0.2)
    screenshot(os.path.join(shots, "output-file-chosen-item.png"))
    xdotool("key", keys[-1])


def close_output_file(window, shots):
    """The Translate menu's Close, answering Yes (the default) once the question shows."""
    choose(window, shots, TRANSLATE, "Down", "Return")
    wait_for("question whether to save", message_boxes)
    xdotool("key", "Return")


def leave_translation_settings():
    """A new output file, and one opened without a language of its own, open the translation settings;
    Escape leaves them as they are."""
    settings = wait_for_dialog("Settings")
    xdotool("windowfocus", "--sync", settings)
    xdotool("key", "Escape")


def no_message(shots, what):
    """Fails, with what the message box says, when one shows."""
    boxes = message_boxes()
    if boxes:
        shot = os.path.join(shots, "output-file-message.png")
        screenshot(shot)
        fail("%s: a message shows: %r (see %s)" % (what, read_text(shot, geometry_of(boxes[0])), shot))


def make_new_output_file(window, shots, path):
    """New output file, the Translate menu's first item, with the name typed into the file dialog; waits
    until it is on disk and the title tells that it is open."""
    choose(window, shots, TRANSLATE, "Down", "Return")
    type_into(wait_for_dialog("New output file"), path)
    leave_translation_settings()
    wait_for("the output file on disk", lambda: os.path.exists(path))
    wait_for("the title's suffix", lambda: "( Translate :" in window_name(window))


def new_file_closed_unchanged_opens_again(window, work, shots, plain_title):
    """New output file, Close at once (nothing changed, so nothing is asked), then Open output file on
    the same file: it opens as the output file, not refused as a file of an unknown kind."""
    fresh = os.path.join(work, "fresh.tvf")
    make_new_output_file(window, shots, fresh)
    choose(window, shots, TRANSLATE, "Down", "Return")
    wait_for("the title without its suffix", lambda: window_name(window) == plain_title)
    no_message(shots, "closing an unchanged output file")
    # Open is the second item while no output file is open.
    choose(window, shots, TRANSLATE, "Down", "Down", "Return")
    type_into(wait_for_dialog("Open output file"), fresh)
    wait_for("the translation settings or a message", lambda: titled("Settings") or message_boxes())
    no_message(shots, "opening the output file closed unchanged")
    leave_translation_settings()
    wait_for("the title's suffix again", lambda: "( Translate :" in window_name(window))
    note("a new output file closed unchanged opens again (title \"%s\")" % window_name(window))
    choose(window, shots, TRANSLATE, "Down", "Return")
    wait_for("the title without its suffix", lambda: window_name(window) == plain_title)
    no_message(shots, "closing the output file opened again")


def type_into(dialog, text):
    """Types into the field that has the focus in the dialog, then Enter."""
    xdotool("windowfocus", "--sync", dialog)
    xdotool("type", "--delay", "20", text)
    time.sleep(0.3)
    xdotool("key", "Return")


def inside(lumivo, work, shots):
    started = time.time()
    program, env = install_program(lumivo, work)
    before = data_hashes(os.path.join(program, "Data"))
    process, window = start_program(program, env, os.path.join(shots, "output-file-start.png"))
    plain_title = window_name(window)

    output = os.path.join(work, "translation.tvf")
    make_new_output_file(window, shots, output)
    made_size = os.path.getsize(output)
    note("output file made (%d bytes); title \"%s\"" % (made_size, window_name(window)))

    # The page shown goes into it with its pictures and words: the Translate menu's last enabled item.
    choose(window, shots, TRANSLATE, "Up", "Return")
    transfer = wait_for_dialog("Transfer background with assets")
    xdotool("windowfocus", "--sync", transfer)
    screenshot(os.path.join(shots, "output-file-transfer.png"))
    xdotool("key", "Tab")  # from the list to "Transfer all"
    xdotool("key", "space")
    # The copies are written to the file at once; the file's map follows when it is saved.
    wait_for("the assets in the output file", lambda: os.path.getsize(output) > made_size + 1000)
    xdotool("key", "Return")
    wait_for("the transfer dialog to close",
             lambda: not titled("Transfer background with assets"))

    # Closing asks to save (Yes is the default); the suffix goes.
    close_output_file(window, shots)
    wait_for("the title without its suffix", lambda: window_name(window) == plain_title)
    saved_size = os.path.getsize(output)
    if saved_size <= made_size + 1000:
        fail("the output file did not receive the page (%d bytes, %d when made)" % (saved_size, made_size))
    note("page transferred and output file saved (%d bytes); title back to \"%s\"" % (saved_size, plain_title))

    new_file_closed_unchanged_opens_again(window, work, shots, plain_title)

    # A new user from the File menu, then the standard user chosen again from the list.
    choose(window, shots, 0, "Down", "Return")
    type_into(wait_for_dialog("Create a new user file"), os.path.join(program, "Users", "Other"))
    type_into(wait_for_dialog("Usersettings"), "Other")
    wait_for("the new user's file", lambda: os.path.exists(os.path.join(program, "Users", "Other.tvf")))
    time.sleep(1.0)
    screenshot(os.path.join(shots, "output-file-new-user.png"))
    choose(window, shots, 0, "Down", "Down", "Return")
    chooser = wait_for_dialog("Choose user")
    xdotool("key", "--window", chooser, "Down")
    time.sleep(0.3)
    xdotool("key", "--window", chooser, "Return")
    shot = os.path.join(shots, "output-file-chosen-user.png")

    def start_page_drawn():
        screenshot(shot)
        total, _ = icon_spots(shot, window)
        return total >= 2000
    wait_for("the standard user's start page", start_page_drawn)
    note("the standard user chosen again; its start page shows (%s)" % shot)

    quit_program(process, window)
    if data_hashes(os.path.join(program, "Data")) != before:
        fail("a data file changed")
    note("quit; the data files unchanged; %.1f s in all" % (time.time() - started))


def main():
    scenario_main(__file__, "lumivo-smoke-output-", inside)


if __name__ == "__main__":
    main()
