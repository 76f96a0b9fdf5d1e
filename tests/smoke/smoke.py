#!/usr/bin/env python3
"""Starts the real lumivo under Xvfb on a copy of the default data, as a person would on a first start:
waits for the main window, saves a screenshot, checks that the start page's icons are drawn, activates
one by a long press sent as real X input, hears it through SDL's disk driver and quits through the
exit command of the menu. Afterwards no lock may be left and no data file changed.

usage: smoke.py [--press] LUMIVO BUILD_DIR       (runs itself again under an Xvfb of its own)

Without --press the icons are not pressed: the program starts, draws, refuses a second copy and quits.
"""

import hashlib
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

SCREEN = "1280x1024x24"
SKIPPED = 77
LONG_PRESS_S = 1.5
WAIT_WINDOW_S = 60
WAIT_SOUND_S = 5
ATTEMPTS = 4
WAIT_EXIT_S = 30
WAIT_S = 20
WAIT_MENU_BAR_S = 5
WAIT_MESSAGE_S = 3  # a person who picks a file learns within a second or two what became of it


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def note(message):
    print(message, flush=True)


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=False).stdout


def data_hashes(folder):
    hashes = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as file:
                hashes[os.path.relpath(path, folder)] = hashlib.sha256(file.read()).hexdigest()
    return hashes


def install_copy(lumivo, build, program):
    """The program with its modules, the default data and the help beside it, as an installation lays
    them out."""
    os.makedirs(os.path.join(program, "Users"))
    target = os.path.join(program, "lumivo")
    try:
        os.link(lumivo, target)  # the program's folder is where the link lies
    except OSError:
        shutil.copy2(lumivo, target)
    data = os.path.join(build, "Data")
    template = os.path.join(build, "Users", "TUF.tvf")
    if not os.path.isdir(data) or not os.path.isfile(template):
        print("SKIP: no default data (%s, %s) in this build" % (data, template), flush=True)
        sys.exit(SKIPPED)
    shutil.copytree(data, os.path.join(program, "Data"))
    # The media libraries' modules, which the program finds beside itself.
    modules = os.path.join(build, "modules")
    if os.path.isdir(modules):
        shutil.copytree(modules, os.path.join(program, "modules"))
    shutil.copy2(template, os.path.join(program, "Users"))
    for name in os.listdir(build):
        if name.endswith(".html") or name.endswith(".css"):
            shutil.copy2(os.path.join(build, name), program)


def isolated_environment(work):
    env = {key: value for key, value in os.environ.items() if not key.startswith(("QT_", "SDL_", "XDG_"))}
    for name in ("home", "config", "data", "cache", "runtime", "tmp"):
        os.makedirs(os.path.join(work, name), mode=0o700)
    env.update(
        HOME=os.path.join(work, "home"),
        XDG_CONFIG_HOME=os.path.join(work, "config"),
        XDG_DATA_HOME=os.path.join(work, "data"),
        XDG_CACHE_HOME=os.path.join(work, "cache"),
        XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
        TMPDIR=os.path.join(work, "tmp"),
        LANG="C.UTF-8",
        LC_ALL="C.UTF-8",
        TZ="Europe/Copenhagen",
        QT_QPA_PLATFORM="xcb",
        SDL_AUDIODRIVER="disk",
        SDL_DISKAUDIOFILE=os.path.join(work, "audio.raw"),
    )
    return env


# ---- The screen


def geometry_of(window_id):
    """The window's id, place and size as xdotool tells them (WINDOW, X, Y, WIDTH, HEIGHT), as numbers."""
    geometry = {}
    for row in run("xdotool", "getwindowgeometry", "--shell", str(window_id)).splitlines():
        key, _, value = row.partition("=")
        geometry[key] = int(value) if value.lstrip("-").isdigit() else value
    return geometry


def visible_ids(*criteria):
    """The ids of the visible windows that xdotool's search finds by `criteria` (--pid, --name, ...)."""
    return run("xdotool", "search", "--onlyvisible", *criteria).split()


def measure_until(measure, good, seconds=WAIT_S):
    """`measure()` taken again and again until `good` holds of it or `seconds` have passed; gives the last
    measure for the scenario to judge. A screen repaints later on a slow machine than on a fast one."""
    deadline = time.time() + seconds
    value = measure()
    while not good(value) and time.time() < deadline:
        time.sleep(0.3)
        value = measure()
    return value


def titled(title):
    """The ids of the visible windows titled exactly `title` (its brackets and dots taken as they are);
    none while it does not show."""
    return visible_ids("--name", "^%s$" % re.escape(title))


def visible_windows(pid):
    windows = [geometry_of(line) for line in visible_ids("--pid", str(pid))]
    return [window for window in windows if window.get("WIDTH", 0) > 1 and window.get("HEIGHT", 0) > 1]


def wait_for(what, check, seconds=WAIT_S):
    """What `check` gives once it is true, asked again and again for at most `seconds`; else the scenario
    fails for want of `what`."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        result = check()
        if result:
            return result
        time.sleep(0.3)
    fail("no %s within %d s" % (what, seconds))


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True)


def program_windows(pid):
    """The ids of the program's windows that show, dialogs and popups among them."""
    return set(visible_ids("--all", "--pid", str(pid)))


def message_boxes():
    """The message boxes and questions that show: titled with the program's name alone (xdotool's search
    ignores case, and the popup menus are titled in lower case)."""
    return [found for found in titled("Lumivo") if run("xdotool", "getwindowname", found).strip() == "Lumivo"]


def crop_geometry(window):
    """The window's region as ImageMagick's -crop takes it."""
    return "%dx%d+%d+%d" % (window["WIDTH"], window["HEIGHT"], window["X"], window["Y"])


def crop_png(path, window, scale=1):
    """The window's region of the screenshot in grey, enlarged `scale` times, as PNG bytes."""
    return subprocess.run(["convert", path, "-crop", crop_geometry(window), "+repage", "-resize",
                           "%d%%" % (scale * 100), "-colorspace", "Gray", "png:-"], capture_output=True,
                          check=True).stdout


def read_text(path, window):
    """The text of the window (or region) on the screenshot, as OCR reads it from the picture enlarged
    three times; whitespace as it falls, so a check compares without it (see `shows`)."""
    return subprocess.run(["tesseract", "-", "-"], input=crop_png(path, window, 3), capture_output=True,
                          check=True).stdout.decode("utf-8", "replace")


def shows(text, wanted):
    """Whether the OCR'd `text` holds `wanted`, line breaks and spaces left out of both."""
    return "".join(wanted.split()) in "".join(text.split())


def read_message(shot, wanted, seconds=WAIT_MESSAGE_S):
    """The text of the message box that shows, once it holds `wanted`; a box still being drawn is read
    again. Fails when no box shows it within `seconds` (a person waits no longer); the screenshot stays."""
    deadline = time.time() + seconds
    text = ""
    while time.time() < deadline:
        boxes = message_boxes()
        if boxes:
            screenshot(shot)
            text = read_text(shot, geometry_of(boxes[0]))
            if shows(text, wanted):
                return text
        time.sleep(0.2)
    fail("no message with \"%s\" within %d s (last read: %r; see %s)" % (wanted, seconds, text, shot))


def close_message():
    """Enter on the message box that shows (its default button), until it is gone."""
    def closed():
        boxes = message_boxes()
        if boxes:
            subprocess.run(["xdotool", "windowfocus", "--sync", boxes[0]], check=False)
            subprocess.run(["xdotool", "key", "--clearmodifiers", "Return"], check=False)
            time.sleep(0.3)
        return not message_boxes()
    wait_for("closing of the message box", closed)


def words_at(path, window):
    """The words OCR reads in the window, each with its box in the window's own pixels:
    (word, x, y, width, height)."""
    tsv = subprocess.run(["tesseract", "-", "-", "tsv"], input=crop_png(path, window, 3), capture_output=True,
                         check=True).stdout.decode("utf-8", "replace")
    words = []
    for row in tsv.splitlines()[1:]:
        fields = row.split("\t")
        if len(fields) == 12 and fields[11].strip():
            x, y, width, height = (int(field) // 3 for field in fields[6:10])
            words.append((fields[11].strip(), x, y, max(width, 1), max(height, 1)))
    return words


def phrase_box(words, phrase):
    """The box around the first run of `words` (as `words_at` gives them) that reads `phrase`, letters
    and digits compared only (OCR drops or doubles dots); None when no run reads it."""
    def plain(text):
        return "".join(character for character in text.lower() if character.isalnum())
    wanted = [plain(part) for part in phrase.split()]
    texts = [plain(word[0]) for word in words]
    for start in range(len(words) - len(wanted) + 1):
        if texts[start:start + len(wanted)] == wanted:
            run_of = words[start:start + len(wanted)]
            left, top = min(word[1] for word in run_of), min(word[2] for word in run_of)
            right = max(word[1] + word[3] for word in run_of)
            bottom = max(word[2] + word[4] for word in run_of)
            return (left, top, right - left, bottom - top)
    return None


def stored_records(lumivo, path, check=True):
    """The records of a resource file as the program's store reads them, through the records tool built
    beside the program: (id, type as 8 hex digits, stored size, name), as text. Unless `check`, a file
    the tool cannot read gives none."""
    tool = os.path.join(os.path.dirname(lumivo), "smoke_records")
    listed = subprocess.run([tool, "list", path], capture_output=True, text=True, check=check).stdout
    return [tuple(fields) for fields in (row.split(" ", 3) for row in listed.splitlines()) if len(fields) == 4]


def make_records_file(lumivo, path):
    """A new resource file of three word records under the ids 0, 5 and 7, made by the records tool."""
    subprocess.run([os.path.join(os.path.dirname(lumivo), "smoke_records"), "make", path], check=True)


def ink(path, window, box):
    """The darkest grey in the box (x, y, width, height) of the window: black text is near 0, the greyed
    text of a disabled control well above."""
    width, _, body = pixels(path, window)
    x0, y0, box_width, box_height = box
    return min(max(body[at:at + 3]) for y in range(y0, y0 + box_height) for x in range(x0, x0 + box_width)
               for at in [(y * width + x) * 3])


def pixels(path, window):
    """The window's pixels as rows of (r, g, b)."""
    ppm = subprocess.run(["convert", path, "-crop", crop_geometry(window), "+repage", "-depth", "8", "ppm:-"],
                         capture_output=True, check=True).stdout
    fields = ppm.split(maxsplit=4)
    width, height, body = int(fields[1]), int(fields[2]), fields[4]
    return width, height, body


def colourful(r, g, b):
    """A picture's pixel: saturated colour, unlike the grey and white of frames, bars and text."""
    high, low = max(r, g, b), min(r, g, b)
    return high > 60 and high - low > 90


def icon_spots(path, window, cell=16):
    """Cells of the window in which a picture is drawn, densest first, and the count of its pixels."""
    width, height, body = pixels(path, window)
    counts = {}
    total = 0
    for y in range(height):
        row = y * width * 3
        for x in range(0, width):
            at = row + x * 3
            if colourful(body[at], body[at + 1], body[at + 2]):
                total += 1
                key = (x // cell, y // cell)
                counts[key] = counts.get(key, 0) + 1
    spots = sorted(counts.items(), key=lambda item: -item[1])
    return total, [((cx * cell + cell // 2, cy * cell + cell // 2), n) for (cx, cy), n in spots]


def wait_for_main_window(process, shot):
    """The one window left once the splash has gone, with the start page's pictures drawn."""
    deadline = time.time() + WAIT_WINDOW_S
    while time.time() < deadline:
        if process.poll() is not None:
            fail("lumivo ended during start-up with %s" % process.returncode)
        windows = visible_windows(process.pid)
        # The splash (540 x 420) goes before the main frame shows at its standard size for the screen.
        if len(windows) == 1 and windows[0]["WIDTH"] >= 700 and windows[0]["HEIGHT"] >= 500:
            screenshot(shot)
            total, _ = icon_spots(shot, windows[0])
            if total >= 2000:
                return windows[0]
        time.sleep(0.5)
    fail("no main window with pictures within %d s" % WAIT_WINDOW_S)


# ---- Sound


def audio_size(path):
    return os.path.getsize(path) if os.path.exists(path) else 0


def sound_after(path, offset):
    """Whether the output has samples that are not silent after `offset` bytes."""
    if not os.path.exists(path):
        return False
    with open(path, "rb") as file:
        file.seek(offset)
        data = file.read()
    return sum(1 for byte in data if byte != 0) > 1000


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def pointer_to(x, y):
    """Moves the pointer and waits until it is there. xdotool's synchronous move waits out its whole
    bound when the pointer already is where it is sent, so it goes by the screen's corner first."""
    xdotool("mousemove", "0", "0")
    xdotool("mousemove", "--sync", str(x), str(y))


def menu_bar_shown(window, shot=None):
    """Whether the window's top row is the menu bar's plain grey rather than a pane."""
    shot = shot or os.path.join(tempfile.gettempdir(), "lumivo-smoke-menu-check-%d.png" % os.getpid())
    screenshot(shot)
    width, _, body = pixels(shot, window)
    row = 10 * width * 3
    greys = 0
    # The right end of the bar: the menus' titles grow from the left as the program gains menus.
    for x in range(width - 320, width - 20):
        r, g, b = body[row + x * 3], body[row + x * 3 + 1], body[row + x * 3 + 2]
        if max(r, g, b) - min(r, g, b) < 6 and 225 <= r <= 250:
            greys += 1
    return greys > 250


def show_menu_bar(window):
    """ESC until the menu bar shows and stays: a reload that is still at work (after the output file
    closed, on a slow build) puts the user's hidden bar back once more."""
    for _ in range(3):
        if not menu_bar_shown(window):
            xdotool("key", "--window", str(window["WINDOW"]), "Escape")
            measure_until(lambda: menu_bar_shown(window), bool, WAIT_MENU_BAR_S)
        time.sleep(0.5)
        if menu_bar_shown(window):
            return


def open_file_menu(window, bar_shown=None):
    """ESC shows the menu bar, which browse mode hides (and shows again where edit mode keeps it; unless
    told, the screen tells whether it shows); a click on its first title opens the File menu."""
    if bar_shown is None:
        show_menu_bar(window)
    elif not bar_shown:
        xdotool("key", "--window", str(window["WINDOW"]), "Escape")
        time.sleep(0.5)
    pointer_to(window["X"] + 12, window["Y"] + 10)
    xdotool("click", "1")
    time.sleep(0.5)


def long_press(window, spot):
    x, y = window["X"] + spot[0], window["Y"] + spot[1]
    pointer_to(x, y)
    time.sleep(0.3)
    xdotool("mousedown", "1")
    time.sleep(LONG_PRESS_S)
    xdotool("mouseup", "1")


def activate_until_heard(window, audio, shots):
    """Long presses on the icons, densest picture first, until one is heard: an icon that links to a
    page shows that page instead, and the next press goes to an icon of the page then shown."""
    tried = []
    for _ in range(ATTEMPTS):
        shot = os.path.join(shots, "smoke-before-press.png")
        screenshot(shot)
        _, spots = icon_spots(shot, window)
        spot = next((point for point, _ in spots
                     if all(abs(point[0] - x) + abs(point[1] - y) > 120 for x, y in tried)), None)
        if spot is None:
            break
        tried.append(spot)
        offset = audio_size(audio)
        long_press(window, spot)
        deadline = time.time() + WAIT_SOUND_S
        while time.time() < deadline:
            if sound_after(audio, offset):
                return spot
            time.sleep(0.2)
    fail("no sound after long presses at %s" % tried)


def quit_through_the_menu(process, window):
    """ESC shows the menu bar; the first popup's last item is the exit command."""
    for _ in range(3):
        open_file_menu(window)
        xdotool("key", "Up")
        xdotool("key", "Return")
        try:
            return process.wait(WAIT_EXIT_S / 3)
        except subprocess.TimeoutExpired:
            xdotool("key", "Escape")  # a popup that did not open the right way is closed
    process.kill()
    process.wait()
    fail("the exit command did not end the program")


def inside(lumivo, work, shots, press):
    program, env = install_program(lumivo, work)
    before = data_hashes(os.path.join(program, "Data"))
    audio = env["SDL_DISKAUDIOFILE"]
    started = time.time()
    process, window = start_program(program, env, os.path.join(shots, "smoke-start.png"))
    note("main window %dx%d after %.1f s; screenshot %s" %
         (window["WIDTH"], window["HEIGHT"], time.time() - started, os.path.join(shots, "smoke-start.png")))

    second = subprocess.run([os.path.join(program, "lumivo")], env=env, timeout=30, check=False)
    if second.returncode != 0 or process.poll() is not None:
        fail("a second start did not end quietly beside the first")

    if press:
        heard = activate_until_heard(window, audio, shots)
        note("heard the icon at %s" % (heard,))
        screenshot(os.path.join(shots, "smoke-after-press.png"))

    quit_program(process, window)
    lock = os.path.join(env["XDG_RUNTIME_DIR"], "lumivo.lock")
    if os.path.exists(lock):
        fail("the lock %s was left behind" % lock)
    if data_hashes(os.path.join(program, "Data")) != before:
        fail("a data file changed")
    note("quit through the exit command; no lock left, the data files unchanged")


def main():
    arguments = sys.argv[1:]
    press = "--press" in arguments
    arguments = [argument for argument in arguments if argument != "--press"]
    if len(arguments) == 4 and arguments[0] == "--inside":
        inside(arguments[1], arguments[2], arguments[3], press)
        return
    if len(arguments) != 2:
        fail(__doc__)
    lumivo, build = os.path.abspath(arguments[0]), os.path.abspath(arguments[1])
    rerun_under_xvfb(__file__, lumivo, build, "lumivo-smoke-", ["--press"] if press else [])


def own_xvfb():
    """Starts an Xvfb of its own and returns it with its display name. The server picks a free display
    itself (-displayfd), so scenarios started side by side (the two trees of CI, several worktrees)
    never race for one number as `xvfb-run -a` does. -noreset: by default the server resets whenever its
    last client leaves and refuses a client that connects meanwhile; every program started here
    (lumivo, its second copy, xdotool, import) is a new client."""
    reader, writer = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-noreset", "-nolisten", "tcp",
                               "-screen", "0", SCREEN], pass_fds=(writer,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writer)
    number = b""
    deadline = time.time() + 30
    while not number.endswith(b"\n") and time.time() < deadline:
        ready, _, _ = select.select([reader], [], [], 0.5)
        if ready:
            chunk = os.read(reader, 16)
            if not chunk:
                break
            number += chunk
    os.close(reader)
    if not number.strip().isdigit():
        server.kill()
        server.wait()
        fail("Xvfb did not start")
    return server, ":" + number.strip().decode()


def rerun_under_xvfb(script, lumivo, build, prefix, extra=()):
    """For a scenario in a script of its own: checks the tools, then runs `script --inside LUMIVO WORK
    SHOTS` again under an Xvfb of its own, with a fresh work folder that is removed afterwards, and
    exits with its status. Screenshots go to BUILD/smoke."""
    for tool in ("Xvfb", "xdotool", "import", "convert", "tesseract"):
        if not shutil.which(tool):
            fail("%s is missing: scripts/deps installs it" % tool)
    shots = os.path.join(build, "smoke")
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix=prefix)
    server, display = own_xvfb()
    try:
        result = subprocess.run([sys.executable, os.path.abspath(script), "--inside", lumivo, work, shots]
                                + list(extra), env=dict(os.environ, DISPLAY=display), check=False)
        sys.exit(result.returncode)
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


def run_scenario_under_xvfb(script, prefix):
    """The main() of a scenario script of its own: `script LUMIVO BUILD_DIR` runs `script --inside LUMIVO
    WORK SHOTS` again under an Xvfb of its own (without resets) in a fresh work folder, and exits with its
    status. The scenario's `inside` is called by the script itself when it sees --inside."""
    arguments = sys.argv[1:]
    if len(arguments) != 2:
        fail(sys.modules["__main__"].__doc__)
    lumivo, build = os.path.abspath(arguments[0]), os.path.abspath(arguments[1])
    rerun_under_xvfb(script, lumivo, build, prefix)


def install_program(lumivo, work):
    """The program copied into the work folder and the environment that keeps it apart; gives both."""
    env = isolated_environment(work)
    program = os.path.join(work, "program")
    install_copy(lumivo, os.path.dirname(lumivo), program)
    return program, env


def start_program(program, env, shot):
    """The installed program started; gives the process and its main window once it shows."""
    process = subprocess.Popen([os.path.join(program, "lumivo")], env=env)
    return process, wait_for_main_window(process, shot)


def quit_program(process, window):
    """The exit command from the menu; any exit code but 0 fails the scenario."""
    code = quit_through_the_menu(process, window)
    if code != 0:
        fail("lumivo ended with %s" % code)


def scenario_main(script, prefix, inside):
    """The main() of a scenario script: `inside` under --inside, else the scenario run under Xvfb."""
    arguments = sys.argv[1:]
    if len(arguments) == 4 and arguments[0] == "--inside":
        inside(arguments[1], arguments[2], arguments[3])
        return
    run_scenario_under_xvfb(script, prefix)


if __name__ == "__main__":
    main()
