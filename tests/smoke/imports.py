#!/usr/bin/env python3
"""The picture import, driven as a person would with real X input under Xvfb: an output file translating
into a new language 20 is made from the Translate menu; "Import word images..." from the same menu opens
the import, where a type is chosen and a picture file named after a word of the default data ("baby",
the same in Danish and English) is chosen through "Import one or few files...". The log shows the OK
line; "Save log as..." writes it to disk, and closing the output file saves the picture into it. Before
that, "Import word animations..." opens the clip import with both its import buttons enabled, as the
screen shows them.

usage: imports.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from output_file import TRANSLATE, choose, type_into, wait_for_dialog
from smoke import (fail, geometry_of, ink, install_program, measure_until, note, phrase_box, quit_program, run,
                   scenario_main, screenshot, start_program, titled, wait_for, words_at)
from translation import close_saving, keys, make_language

WORD = "baby"
OK_LINE = WORD + "\tOK\tImportet ID: 1000000103"
# From the type list to "Import one or few files...": compression, the language check, overwrite,
# sub-folders, elsewhere (the adjusting buttons take no focus).
TABS_TO_IMPORT_FILES = 6
MIN_PICTURE_BYTES = 4000  # 64 x 48 pixels of noise, the first type stores them uncompressed
CLIP_IMPORT_TITLE = "Import animations and videos (avi)"
# The clip import's two import buttons, read off the screen. A disabled button's grey text is not read
# at all (as "Save log as..." is not before there is a log); a read one must be drawn dark.
CLIP_IMPORT_BUTTONS = ("Import one or few files...", "Import directory...")
DARK_TEXT = 80  # the darkest grey of a button's text when it is enabled; greyed text lies well above
WAIT_DRAWN_S = 5


def import_picture(window, work, shots):
    """The import from the menu's third last item; a type chosen, the picture chosen, the log saved."""
    picture = os.path.join(work, WORD + ".png")
    # Noise, so that the stored picture cannot be compressed below the size checked.
    run("convert", "-size", "64x48", "xc:", "+noise", "Random", picture)
    choose(window, shots, TRANSLATE, "Up", "Up", "Up", "Return")
    dialog = wait_for_dialog("Import word images")
    keys(dialog, "Down")  # the type list has the focus: its first type
    keys(dialog, *(["Tab"] * TABS_TO_IMPORT_FILES + ["space"]))
    type_into(wait_for_dialog("Open a file to import from."), picture)
    time.sleep(1.0)
    screenshot(os.path.join(shots, "imports-log.png"))
    log = os.path.join(work, "import-log.txt")
    keys(dialog, "Tab", "Tab", "space")  # past "Import directory..." to "Save log as..."
    type_into(wait_for_dialog("Save import log to text file."), log)
    wait_for("the saved log", lambda: os.path.exists(log) and os.path.getsize(log) > 0)
    with open(log, "rb") as saved:
        text = saved.read().decode("cp1252")
    if OK_LINE + "\r\n" not in text:
        fail("the saved log lacks the OK line: %r" % text)
    note("the saved log holds \"%s\"" % OK_LINE.replace("\t", " | "))
    keys(dialog, "Escape")
    wait_for("closing of the import dialog", lambda: not titled("Import word images"))


def enabled_buttons(shot, dialog):
    """The buttons of CLIP_IMPORT_BUTTONS drawn with dark text (enabled) on the screenshot."""
    words = words_at(shot, dialog)
    boxes = {text: phrase_box(words, text) for text in CLIP_IMPORT_BUTTONS}
    return [text for text, box in boxes.items() if box and ink(shot, dialog, box) < DARK_TEXT]


def look_at_clip_import(window, shots):
    """The clip import from the menu's last item: its import buttons enabled from the start."""
    choose(window, shots, TRANSLATE, "Up", "Return")
    dialog = wait_for_dialog(CLIP_IMPORT_TITLE)
    shot = os.path.join(shots, "imports-clip-dialog.png")

    def both_enabled():
        screenshot(shot)
        return len(enabled_buttons(shot, geometry_of(dialog))) == len(CLIP_IMPORT_BUTTONS)
    if not measure_until(both_enabled, bool, WAIT_DRAWN_S):
        fail("the clip import shows enabled only %s (see %s)" % (enabled_buttons(shot, geometry_of(dialog)), shot))
    note("the clip import opened with both import buttons enabled")
    keys(dialog, "Escape")
    wait_for("closing of the clip import", lambda: not titled(CLIP_IMPORT_TITLE))


def inside(lumivo, work, shots):
    started = time.time()
    program, env = install_program(lumivo, work)
    process, window = start_program(program, env, os.path.join(shots, "imports-start.png"))

    output = make_language(work, window, shots)
    choose(window, shots, TRANSLATE, "Down", "Down", "Return")  # Save
    wait_for("the saved output file", lambda: os.path.getsize(output) > 0)
    time.sleep(1.0)
    before = os.path.getsize(output)
    look_at_clip_import(window, shots)
    import_picture(window, work, shots)

    # Closing saves (Yes is the default); the saved file has grown by the picture.
    stored = close_saving(window, shots, output)
    if len(stored) < before + MIN_PICTURE_BYTES:
        fail("the output file did not receive the picture (%d bytes, %d before)" % (len(stored), before))
    note("the output file holds the picture (%d bytes, %d before)" % (len(stored), before))

    quit_program(process, window)
    note("quit; %.1f s in all" % (time.time() - started))


def main():
    scenario_main(__file__, "lumivo-smoke-imports-", inside)


if __name__ == "__main__":
    main()
