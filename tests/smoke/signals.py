#!/usr/bin/env python3
"""A logout, a shutdown or Ctrl+C ends the program with nobody there to answer, driven under Xvfb: a new
output file is given a language in its translation settings by real input and left unsaved; SIGTERM,
as the session sends it, then ends the program within a bound and without a question, and the output
file on the disk lists the language's record. No lock is left and the data files stay as they were.
Started without a sound device, the program says so at start-up; SIGTERM while that message waits for
OK ends the program too.

usage: signals.py LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)
"""

import os
import signal
import subprocess

from smoke import (WAIT_WINDOW_S, data_hashes, fail, install_program, message_boxes, note, read_message,
                   scenario_main, start_program, stored_records, wait_for)
from translation import make_language

WAIT_END_S = 20  # a session that ends waits a little while before it kills what is left


def end_by_signal(process, when):
    """SIGTERM to the program, which must end by itself, with status 0, within WAIT_END_S."""
    process.send_signal(signal.SIGTERM)
    try:
        code = process.wait(WAIT_END_S)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        fail("SIGTERM %s did not end the program within %d s" % (when, WAIT_END_S))
    if code != 0:
        fail("the program ended with %s after SIGTERM %s" % (code, when))


def check_left_alone(program, env, data_before):
    lock = os.path.join(env["XDG_RUNTIME_DIR"], "lumivo.lock")
    if os.path.exists(lock):
        fail("the lock %s was left behind" % lock)
    if data_hashes(os.path.join(program, "Data")) != data_before:
        fail("a data file changed")


def unsaved_output_file(lumivo, work, shots):
    """The language made in a new output file's settings is written into the file, but the file's map
    lists it only once the file is saved: SIGTERM must save it."""
    program, env = install_program(lumivo, os.path.join(work, "output"))
    before = data_hashes(os.path.join(program, "Data"))
    process, window = start_program(program, env, os.path.join(shots, "signals-start.png"))
    output = make_language(os.path.join(work, "output"), window, shots)
    listed = stored_records(lumivo, output)
    end_by_signal(process, "with the output file changed")
    saved = stored_records(lumivo, output)
    if len(saved) <= len(listed):
        fail("the output file was not saved at the end (%d records listed, %d before)" % (len(saved), len(listed)))
    note("SIGTERM ended the program; the output file lists %d records, %d before" % (len(saved), len(listed)))
    check_left_alone(program, env, before)


def waiting_start_up_message(lumivo, work, shots):
    """Without a sound device start-up says so over the window and waits for OK."""
    program, env = install_program(lumivo, os.path.join(work, "no-sound"))
    env["SDL_AUDIODRIVER"] = "no-such-driver"
    before = data_hashes(os.path.join(program, "Data"))
    process = subprocess.Popen([os.path.join(program, "lumivo")], env=env)
    wait_for("the start-up's message", message_boxes, WAIT_WINDOW_S)
    read_message(os.path.join(shots, "signals-no-sound.png"), "No sound device")
    end_by_signal(process, "while the start-up's message waited")
    note("SIGTERM ended the program while the message about the sound device waited")
    check_left_alone(program, env, before)


def inside(lumivo, work, shots):
    unsaved_output_file(lumivo, work, shots)
    waiting_start_up_message(lumivo, work, shots)


def main():
    scenario_main(__file__, "lumivo-smoke-signals-", inside)


if __name__ == "__main__":
    main()
