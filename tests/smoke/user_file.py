#!/usr/bin/env python3
"""The user file that the program may not write, by real input under Xvfb, with the program run as the
unprivileged account nobody (its installation copy nobody's, the user file root's):

(a) The user file is taken from nobody while the program runs (as after one start with sudo): File >
    Exit keeps the main window and says why, naming the file. Once the file is nobody's again, Exit
    ends the program and the file holds its user.
(b) A start with the user file root's and not writable by nobody leaves the file as it was (the same
    bytes under the same name, no ".damaged" file beside it) and says so over the main window. The
    program goes on with the file's user, and Exit then ends it without asking again; the file is still
    as it was.

Skipped (77) where the program cannot be run as another account (not root, or no runuser).

usage: user_file.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import hashlib
import os
import pwd
import shutil
import signal
import subprocess
import sys
import time

from smoke import (SKIPPED, WAIT_EXIT_S, WAIT_WINDOW_S, close_message, colourful, fail, icon_spots,
                   install_program, measure_until, message_boxes, note, open_file_menu, pixels, pointer_to,
                   quit_program, read_message, scenario_main, screenshot, stored_records, visible_windows, wait_for,
                   wait_for_main_window, xdotool)

ACCOUNT = "nobody"
USER_FILE = os.path.join("Users", "SUF.tvf")  # the standard user's file, made from the template
USER_RECORD_TYPE = "675f7573"  # a user record's type, as the records tool prints it
NOT_SAVED = "could not be saved"
MAY_NOT_WRITE = "may not write"
STAYS_OPEN = "The program stays open"
NOT_KEPT = "will not be kept"
WAIT_CHILD_S = 10
# Where the writer strip shows its sentence, as parts of the main window's width and height; the
# strip's own tools lie left and right of it.
WRITER_BAND = (0.06, 0.86, 0.86, 0.98)
WRITER_CLICK = (0.45, 0.92)
# The main pane's lower row of word icons (yes, no, stop), which link to no page.
WORD_ROW = (0.40, 0.45, 1.0, 0.72)
WORDS_WRITTEN = 2
PICTURE_ENOUGH = 400  # pixels of picture in the strip for each icon written into it


class RunAs:
    """The program started as `ACCOUNT` through runuser, which keeps the environment given. runuser
    stays as the program's parent and ends with its exit status: `poll`, `wait` and `kill` go to it,
    while `pid` is the program's own, which its windows carry."""

    def __init__(self, program, env):
        self.runner = subprocess.Popen(["runuser", "-u", ACCOUNT, "-m", "--", os.path.join(program, "lumivo")],
                                       env=env)
        self.pid = wait_for("the program started as %s" % ACCOUNT, self.child, WAIT_CHILD_S)

    def child(self):
        try:
            with open("/proc/%d/task/%d/children" % (self.runner.pid, self.runner.pid)) as listed:
                ids = listed.read().split()
        except OSError:
            return None
        return int(ids[0]) if ids else None

    @property
    def returncode(self):
        return self.runner.returncode

    def poll(self):
        return self.runner.poll()

    def wait(self, timeout=None):
        return self.runner.wait(timeout)

    def kill(self):
        try:
            os.kill(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.runner.kill()


def can_run_as_account():
    if os.geteuid() != 0 or not shutil.which("runuser"):
        return False
    try:
        pwd.getpwnam(ACCOUNT)
    except KeyError:
        return False
    return True


def give_to_account(work, program):
    """Everything of the work folder to the account, as an installation of its own would be; the
    program file stays root's (it may be a link to the build's own)."""
    account = pwd.getpwnam(ACCOUNT)
    for root, folders, files in os.walk(work):
        os.chown(root, account.pw_uid, account.pw_gid)
        for name in folders + files:
            path = os.path.join(root, name)
            if path != os.path.join(program, "lumivo") and not os.path.islink(path):
                os.chown(path, account.pw_uid, account.pw_gid)


def take_from_account(path):
    """The file root's, readable by everyone and writable by root only."""
    os.chown(path, 0, 0)
    os.chmod(path, 0o644)


def give_back(path):
    account = pwd.getpwnam(ACCOUNT)
    os.chown(path, account.pw_uid, account.pw_gid)


def digest(path):
    with open(path, "rb") as file:
        return hashlib.sha256(file.read()).hexdigest()


def users(lumivo, path):
    """The users the file holds, by id and name, as the records tool reads them."""
    return [(row[0], row[3]) for row in stored_records(lumivo, path, check=False) if row[1] == USER_RECORD_TYPE]


def damaged_files(program):
    folder = os.path.join(program, "Users")
    return sorted(name for name in os.listdir(folder) if ".damaged" in name)


def inside_box(point, window, box):
    x, y = point
    return (box[0] * window["WIDTH"] <= x < box[2] * window["WIDTH"]
            and box[1] * window["HEIGHT"] <= y < box[3] * window["HEIGHT"])


def writer_pictures(window, shot):
    """The pixels of picture in the writer strip's sentence."""
    screenshot(shot)
    width, _, body = pixels(shot, window)
    x0, y0 = int(WRITER_BAND[0] * window["WIDTH"]), int(WRITER_BAND[1] * window["HEIGHT"])
    x1, y1 = int(WRITER_BAND[2] * window["WIDTH"]), int(WRITER_BAND[3] * window["HEIGHT"])
    return sum(1 for y in range(y0, y1) for x in range(x0, x1)
               for at in [(y * width + x) * 3] if colourful(body[at], body[at + 1], body[at + 2]))


def click_at(window, x, y):
    pointer_to(window["X"] + x, window["Y"] + y)
    xdotool("click", "1")
    time.sleep(0.5)


def write_sentence(window, shots):
    """Word icons of the main pane put into the writer strip as a person does: a click on the icon,
    then one on the strip. Gives the pixels of picture the strip then shows."""
    shot = os.path.join(shots, "user-file-writing.png")
    before = writer_pictures(window, shot)
    _, spots = icon_spots(shot, window)
    words = [point for point, _ in spots if inside_box(point, window, WORD_ROW)]
    chosen = []
    for point in words:
        if all(abs(point[0] - x) > 150 for x, _ in chosen):
            chosen.append(point)
    if len(chosen) < WORDS_WRITTEN:
        fail("no %d word icons in the main pane's lower row (see %s)" % (WORDS_WRITTEN, shot))
    for x, y in chosen[:WORDS_WRITTEN]:
        click_at(window, x, y)
        click_at(window, int(WRITER_CLICK[0] * window["WIDTH"]), int(WRITER_CLICK[1] * window["HEIGHT"]))
    wanted = before + WORDS_WRITTEN * PICTURE_ENOUGH
    after = measure_until(lambda: writer_pictures(window, shot), lambda count: count >= wanted)
    if after < wanted:
        fail("the writer strip did not take the icons (%d pixels of picture, %d before; see %s)"
             % (after, before, shot))
    return after


def choose_exit(window):
    """File > Exit: the File menu's last item."""
    open_file_menu(window)
    xdotool("key", "Up")
    xdotool("key", "Return")


def exit_without_question(process, window):
    """File > Exit, which must end the program without a message box; gives its exit status."""
    choose_exit(window)

    def ended():
        if message_boxes():
            fail("Exit asked again about a user the person was told is not kept")
        return process.poll() is not None
    wait_for("the end of the program after Exit", ended, WAIT_EXIT_S)
    return process.returncode


def exit_kept_open(lumivo, program, env, shots):
    """(a): the file taken away while the program runs; Exit says why and the window stays."""
    process = RunAs(program, env)
    window = wait_for_main_window(process, os.path.join(shots, "user-file-start.png"))
    user_file = os.path.join(program, USER_FILE)
    kept = users(lumivo, user_file)
    if not kept:
        fail("the first start left no user in %s" % user_file)
    written = write_sentence(window, shots)
    note("two icons written into the writer strip (%d pixels of picture)" % written)
    take_from_account(user_file)
    choose_exit(window)
    text = read_message(os.path.join(shots, "user-file-exit-message.png"), NOT_SAVED, WAIT_EXIT_S)
    for wanted in ("SUF.tvf", MAY_NOT_WRITE, STAYS_OPEN):
        if "".join(wanted.split()) not in "".join(text.split()):
            fail("the message at Exit lacks \"%s\": %r" % (wanted, text))
    note("Exit with the user file root's: %s" % " ".join(text.split()))
    close_message()
    if process.poll() is not None or not visible_windows(process.pid):
        fail("the program ended although its user file could not be saved")
    shown = writer_pictures(window, os.path.join(shots, "user-file-after-exit-refused.png"))
    if shown < written:
        fail("the writer strip lost its sentence (%d pixels of picture, %d before)" % (shown, written))
    note("the main window stays, with the sentence")
    give_back(user_file)
    quit_program(process, window)
    if users(lumivo, user_file) != kept:
        fail("the user file lost its user: %s, before %s" % (users(lumivo, user_file), kept))
    note("once the file was nobody's again, Exit saved it and ended the program")


def start_with_file_of_root(lumivo, program, env, shots):
    """(b): a start with the file root's: left as it was, and the person is told."""
    user_file = os.path.join(program, USER_FILE)
    take_from_account(user_file)
    before = digest(user_file)
    kept = users(lumivo, user_file)
    process = RunAs(program, env)
    wait_for("message at start", message_boxes, WAIT_WINDOW_S)
    text = read_message(os.path.join(shots, "user-file-start-message.png"), MAY_NOT_WRITE)
    for wanted in ("SUF.tvf", NOT_KEPT):
        if "".join(wanted.split()) not in "".join(text.split()):
            fail("the message at start lacks \"%s\": %r" % (wanted, text))
    note("start with the user file root's: %s" % " ".join(text.split()))
    close_message()
    window = wait_for_main_window(process, os.path.join(shots, "user-file-start-read-only.png"))
    if digest(user_file) != before or damaged_files(program):
        fail("the start changed or moved the user file (%s)" % damaged_files(program))
    shown = writer_pictures(window, os.path.join(shots, "user-file-start-read-only.png"))
    if shown < WORDS_WRITTEN * PICTURE_ENOUGH:
        fail("the sentence written before is not shown (%d pixels of picture)" % shown)
    note("the file's user is shown with the sentence written before (%d pixels of picture)" % shown)
    code = exit_without_question(process, window)
    if code != 0:
        fail("lumivo ended with %s" % code)
    if digest(user_file) != before or damaged_files(program) or users(lumivo, user_file) != kept:
        fail("the user file was changed, replaced or moved aside (%s)" % damaged_files(program))
    note("the user file is left as it was: same bytes, same name, nothing moved aside")


def inside(lumivo, work, shots):
    if not can_run_as_account():
        note("SKIP: the program cannot be run as %s here (not root, or no runuser)" % ACCOUNT)
        sys.exit(SKIPPED)
    program, env = install_program(lumivo, work)
    give_to_account(work, program)
    exit_kept_open(lumivo, program, env, shots)
    start_with_file_of_root(lumivo, program, env, shots)


def main():
    scenario_main(__file__, "lumivo-smoke-user-file-", inside)


if __name__ == "__main__":
    main()
