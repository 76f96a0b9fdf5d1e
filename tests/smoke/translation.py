#!/usr/bin/env python3
"""Translation, driven as a person would with real X input under Xvfb: a new output file from the
Translate menu opens the translation settings; "New" there makes language 20 "Tyve", and OK stores its
record in the output file, which the window title then names. The system-strings editor from the
Translate menu takes a translation typed into its first row and stored by Enter alone (OK); closing the
output file saves it, and the file on disk holds the language's name and the translation.

usage: translation.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import time

from output_file import TRANSLATE, choose, close_output_file, type_into, wait_for_dialog, window_name
from smoke import (fail, install_program, note, quit_program, scenario_main, screenshot, start_program, titled,
                   wait_for, xdotool)

TRANSLATION = "Lumivo oversat"
# Enabled items of the Translate menu above "System strings..." while an output file with a
# translation language is open: Close, Save, Save as, Save copy, Input files, Settings, Edit userlevels.
SYSTEM_STRINGS_DOWNS = 8


def keys(window, *names):
    """Keys to the focused `window`, through the server's input: a key that closes the window must not
    name it."""
    xdotool("windowfocus", "--sync", window)
    for name in names:
        xdotool("key", name)
        time.sleep(0.2)


def make_language(work, window, shots):
    """A new output file; in the settings it opens, a new language 20 "Tyve" and OK."""
    output = os.path.join(work, "translation.tvf")
    choose(window, shots, TRANSLATE, "Down", "Return")
    type_into(wait_for_dialog("New output file"), output)
    settings = wait_for_dialog("Settings")
    xdotool("windowfocus", "--sync", settings)
    keys(settings, "Tab", "Tab", "space")  # the number, the list, then "New..."
    new_language = wait_for_dialog("New lanugage")
    xdotool("windowfocus", "--sync", new_language)
    xdotool("type", "--delay", "20", "20")
    keys(new_language, "Tab")
    xdotool("type", "--delay", "20", "Tyve")
    screenshot(os.path.join(shots, "translation-new-language.png"))
    keys(new_language, "Return")
    time.sleep(0.5)
    xdotool("windowfocus", "--sync", settings)
    screenshot(os.path.join(shots, "translation-settings.png"))
    keys(settings, "Return")
    wait_for("the language in the title", lambda: "Tyve" in window_name(window))
    note("language 20 made; title \"%s\"" % window_name(window))
    return output


def translate_first_string(window, shots):
    """The editor from the menu: the first row, its translation typed, then Enter for OK."""
    choose(window, shots, TRANSLATE, *(["Down"] * SYSTEM_STRINGS_DOWNS + ["Return"]))
    editor = wait_for_dialog("System strings")
    xdotool("windowfocus", "--sync", editor)
    keys(editor, "Down")  # the list has the focus: its first row
    keys(editor, "Tab", "Tab", "Tab")  # id, text, translation
    xdotool("type", "--delay", "20", TRANSLATION)
    screenshot(os.path.join(shots, "translation-system-strings.png"))
    keys(editor, "Return")
    wait_for("closing of the editor", lambda: not titled("System strings"))


def close_saving(window, shots, output):
    """Closes the output file, answering Yes (the default) to the save question; gives what it holds."""
    close_output_file(window, shots)
    wait_for("the title without the language", lambda: "Tyve" not in window_name(window))
    with open(output, "rb") as saved:
        return saved.read()


def inside(lumivo, work, shots):
    started = time.time()
    program, env = install_program(lumivo, work)
    process, window = start_program(program, env, os.path.join(shots, "translation-start.png"))

    output = make_language(work, window, shots)
    translate_first_string(window, shots)

    stored = close_saving(window, shots, output)
    for text in (b"Tyve", TRANSLATION.encode("cp1252")):
        if text not in stored:
            fail("the output file lacks %r" % text)
    note("the output file holds the language and the translation (%d bytes)" % len(stored))

    quit_program(process, window)
    note("quit; %.1f s in all" % (time.time() - started))


def main():
    scenario_main(__file__, "lumivo-smoke-translation-", inside)


if __name__ == "__main__":
    main()
