#!/usr/bin/env python3
"""The word editor as a person uses it, by real X input under Xvfb on a copy of the default data: edit
mode and "Edit words..." from the menus, the data files' words listed through the editor's Filter menu
and the list rebuilt, the first word chosen in the list, a new description typed on its Basic page and
saved with Enter. The description must then be in the user's file on disk. The program is started
again and the editor opened the same way: the word, now the user's own, shows the new description.
On its Sound page a damaged WAVE (108 bytes, its data chunk claiming 0xFFFFFFD0 bytes) and a sparse
WAVE larger than a sound may be are picked through "Import...": each time a message naming the file
shows within a few seconds, the page never shows the file as imported, and after the program quits the
user's file holds no new sound and the data files are unchanged.

usage: word_editor.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import struct
import time

from output_file import type_into
from page_editor import choose_from_file_menu, find_window, key, name_in_user_files
from smoke import (close_message, data_hashes, fail, install_program, measure_until, note, pixels, pointer_to,
                   program_windows, quit_program, read_message, read_text, scenario_main, screenshot, shows,
                   start_program, stored_records, wait_for, xdotool)

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
# The sheet's tabs: Basic properties, Info, Image, Sound, Animation.
TABS = 5
SOUND_TAB = 3
# From the sound kind list to "Import...": the compression and the speaker are off until there is a
# sound, then the read-only file name.
TABS_KIND_TO_IMPORT = 2
MEDIA_LIMIT = 64 << 20  # the most bytes a sound or a clip record may take from a file
SOUND_TYPE_TAG = "6773"  # the high word of a sound record's type, as the records tool prints it


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


def reopen_and_look(process, window, shots, saved, before):
    """The second run: the editor lists the user's own words, the changed word first among them."""
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
    return editor


def make_wave(path, size, claimed_data):
    """A 16-bit mono WAVE header whose data chunk claims `claimed_data` bytes, in a sparse file of `size`
    bytes (zeros after the header, which take no disk)."""
    header = (b"RIFF" + struct.pack("<I", min(claimed_data + 36, 0xFFFFFFFF)) + b"WAVEfmt " +
              struct.pack("<IHHIIHH", 16, 1, 1, 44100, 88200, 2, 16) + b"data" +
              struct.pack("<I", min(claimed_data, 0xFFFFFFFF)))
    with open(path, "wb") as wave:
        wave.write(header)
        wave.truncate(size)
    return path


def to_sound_page(editor):
    """From the list to the tab bar, the Sound tab, and the first kind after "None" in the kind list;
    the focus then goes on to "Import...". The tab bar keeps the tab chosen last: Left to the first."""
    pointer_to(editor["X"] + 30, editor["Y"] + editor["HEIGHT"] - 60)
    xdotool("click", "1")
    key("Tab", *(["Left"] * TABS), *(["Right"] * SOUND_TAB), "Tab", "Down", *(["Tab"] * TABS_KIND_TO_IMPORT))


def pick_refused_sound(process, editor, path, shots, label):
    """"Import..." (which has the focus) with the file's path typed into the file dialog; a message naming
    the file must show within WAIT_MESSAGE_S, and OK closes it."""
    shown = program_windows(process.pid)
    key("space")
    dialog = wait_for("file dialog of \"Import...\"", lambda: program_windows(process.pid) - shown)
    type_into(sorted(dialog)[0], path)
    picked = time.time()
    text = read_message(os.path.join(shots, "word-editor-sound-%s.png" % label), os.path.basename(path))
    note("after %.1f s: %s" % (time.time() - picked, " ".join(text.split())))
    close_message()
    page = os.path.join(shots, "word-editor-sound-%s-after.png" % label)
    screenshot(page)
    shown_text = read_text(page, sheet_region(editor))
    if shows(shown_text, os.path.basename(path)):
        fail("the sound page shows the refused file %s as its sound: %r (see %s)" % (path, shown_text, page))


def sound_records(program, lumivo):
    """The sound records of the user files, as the records tool lists them."""
    records = []
    folder = os.path.join(program, "Users")
    for name in sorted(name for name in os.listdir(folder) if name.endswith(".tvf")):
        records += [(name,) + row for row in stored_records(lumivo, os.path.join(folder, name))
                    if row[1].startswith(SOUND_TYPE_TAG)]
    return records


def refuse_sounds(process, editor, work, shots):
    """A damaged WAVE, then one larger than a sound may be: both refused with a message."""
    damaged = make_wave(os.path.join(work, "damaged.wav"), 108, 0xFFFFFFD0)
    huge = make_wave(os.path.join(work, "huge.wav"), MEDIA_LIMIT + 1, MEDIA_LIMIT + 1 - 44)
    to_sound_page(editor)
    pick_refused_sound(process, editor, damaged, shots, "damaged")
    pick_refused_sound(process, editor, huge, shots, "huge")


def inside(lumivo, work, shots):
    program, env = install_program(lumivo, work)
    data_before = data_hashes(os.path.join(program, "Data"))
    _, before, saved = edit_and_save(program, env, shots)
    sounds_before = sound_records(program, lumivo)
    process, window = start(program, env, shots, "again")
    editor = reopen_and_look(process, window, shots, saved, before)
    note("the reopened editor shows the new description")
    refuse_sounds(process, editor, work, shots)
    quit_program(process, window)
    if sound_records(program, lumivo) != sounds_before:
        fail("a refused sound was stored: %s" % sound_records(program, lumivo))
    if data_hashes(os.path.join(program, "Data")) != data_before:
        fail("a data file changed")
    note("both sounds refused with a message and nothing stored; the data files unchanged")


def main():
    scenario_main(__file__, "lumivo-word-editor-", inside)


if __name__ == "__main__":
    main()
