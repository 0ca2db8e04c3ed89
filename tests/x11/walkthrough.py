#!/usr/bin/env python3
"""Walks through Strandmoor the way a user does: the real program in a real X window, driven
only by keys sent through the window system (xdotool), checked only from outside (files on
disk, the hive through `reg`, and the pixels of a screenshot).

Run inside an X session (the ctest entry wraps it in xvfb-run):
    walkthrough.py --bin BUILD/bin [--keep]
"""
import argparse
import configparser
import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time

CHECK_TIMEOUT_MS = 1500
TLS_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "checking", "tls")
UNICODE_TITLE = "\u041f\u0440\u0438\u043c\u0435\u0440 \u0441\u0442\u0440\u0430\u043d\u0438\u0446\u044b"


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


# --- the scripted loopback web --------------------------------------------------------------

def titled(title, body=""):
    page = '<html><head><meta charset="utf-8"><title>%s</title></head><body>%s</body></html>' % (title, body)
    return page.encode("utf-8")


class Pages(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    port = 0

    def log_message(self, *args):
        pass

    def do_GET(self):
        status, body, headers = {
            "/charts": (200, titled("Harbour Charts", "tides"), []),
            "/old": (301, b"<html><body>moved</body></html>", [("Location", "http://127.0.0.1:%d/new" % Pages.port)]),
            "/unicode": (200, titled(UNICODE_TITLE), []),
            "/new": (200, titled("Tide Tables", "new home"), []),
        }.get(self.path, (404, titled("Not Found", "no"), []))
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    do_HEAD = do_GET


# --- the window system ------------------------------------------------------------------------

def xdotool(*args):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return result.stdout.strip()


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "120", *keys], check=True)
    time.sleep(0.4)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.3)


def wait_for(what, test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.2)
    raise Failure("timed out waiting for " + what)


def find_window(title):
    found = xdotool("search", "--onlyvisible", "--name", "^" + title + "$")
    return found.split()[0] if found else None


def focus(window):
    xdotool("windowraise", window)
    xdotool("windowfocus", "--sync", window)
    time.sleep(0.3)


def screenshot(window, path):
    subprocess.run(["import", "-window", window, path], check=True)


def read_pixels(path):
    """The rows of (r, g, b) of a picture, through ImageMagick's PPM: three header lines, then the bytes."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    _, size, _, pixels = data.split(b"\n", 3)
    width, height = map(int, size.split())
    row = width * 3
    return [[tuple(pixels[at:at + 3]) for at in range(y * row, (y + 1) * row, 3)] for y in range(height)]


def ball_colour(pixel):
    r, g, b = pixel
    if r > 150 and g < 70 and b < 70:
        return "red"
    if r > 170 and g > 140 and b < 90 and r - b > 120:
        return "yellow"
    if g > 110 and r < 90 and b < 90:
        return "green"
    if b > 110 and r < 70 and g < 70:
        return "blue"
    return None


def link_column(rows):
    """The result pictures of the tree's link rows, top to bottom, as (colour, centre y): the
    balls down the column of pixels that crosses the most of them (the tool bar's pictures lie
    side by side instead). A ball is a run of at least four pixels of one colour."""
    best = []
    for x in range(len(rows[0])):
        runs = []  # [colour, first y, last y]
        for y, row in enumerate(rows):
            colour = ball_colour(row[x])
            if colour and runs and runs[-1][0] == colour and runs[-1][2] == y - 1:
                runs[-1][2] = y
            elif colour:
                runs.append([colour, y, y])
        balls = [(colour, (first + last) / 2) for colour, first, last in runs if last - first >= 3]
        if len(balls) > len(best):
            best = balls
    return best


# --- the walk-through -------------------------------------------------------------------------

def settings(reg, env):
    """The program's saved settings as `reg query` lists them: name -> (type, data)."""
    query = subprocess.run([reg, "query", r"HKCU\Software\Orrindale\Strandmoor"], env=env, capture_output=True,
                           text=True)
    expect(query.returncode == 0, "reg query failed: " + query.stderr)
    rows = [line.split("    ", 3) for line in query.stdout.splitlines()]
    return {fields[1]: (fields[2], fields[3]) for fields in rows if len(fields) == 4}


def start(program, env, running):
    """Starts the program and waits for its window, with the pointer off it so no row is drawn hovered."""
    running.append(subprocess.Popen([program], env=env))
    window = wait_for("the main window", lambda: find_window("Strandmoor"), 30)
    time.sleep(0.5)
    xdotool("mousemove", "4000", "4000")
    focus(window)
    return running[-1], window


def exit_by_menu(process, window):
    """File > Exit closes the window, which saves the settings."""
    focus(window)
    key("alt+f")
    key("x")
    try:
        status = process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end after File > Exit")
    expect(status == 0, "the program ended with status %d" % status)


def dialog(title, text):
    """Types into the dialog titled `title` once it shows, then presses Enter."""
    focus(wait_for("the %s dialog" % title, lambda: find_window(title), 10))
    type_text(text)
    key("Return")


def wait_closed(title):
    wait_for("the %s dialog to close" % title, lambda: not find_window(title), 10)


def read_url(path):
    shortcut = configparser.ConfigParser(interpolation=None)
    shortcut.read(path, encoding="latin-1")
    return shortcut.get("InternetShortcut", "URL", fallback=None)


def run(bin_dir, keep):
    program, reg, regsvr, library = (os.path.join(bin_dir, name)
                                     for name in ("Strandmoor", "reg", "regsvr", "Tarnhold.so"))
    for tool in (program, reg, regsvr, library):
        expect(os.path.exists(tool), "missing " + tool)

    top = tempfile.mkdtemp(prefix="strandmoor-x11-")
    favorites = os.path.join(top, "Favorites")
    os.makedirs(favorites)
    env = dict(os.environ, STRANDMOOR_HIVE=os.path.join(top, "registry.hive"), QT_QPA_PLATFORM="xcb",
               LANG="C.UTF-8", LC_ALL="C.UTF-8")
    # A home and data folders of its own; the runtime folder must be private to the user.
    for variable in ("HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"):
        env[variable] = os.path.join(top, variable.lower())
        os.makedirs(env[variable], mode=0o700)
    # A sanitizer build: the window system's libraries keep caches LeakSanitizer reports.
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
    env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS", ""), "suppressions=" + suppressions]))
    # Whole call stacks, so a cache of a system library is known by the library that made it.
    if "ASAN_OPTIONS" in env:
        env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("SESSION_MANAGER", None)

    servers = [http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pages) for _ in range(2)]
    pages, secure = servers
    Pages.port = pages.server_address[1]
    # The same pages over TLS, with a certificate from the test authority that the program is
    # told to trust through SSL_CERT_FILE.
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(TLS_FOLDER, "server.pem"))
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    env["SSL_CERT_FILE"] = os.path.abspath(os.path.join(TLS_FOLDER, "ca.pem"))
    # Never accepts: the kernel completes the connections in its backlog and no word comes back.
    silent = socket.create_server(("127.0.0.1", 0))
    base = "http://127.0.0.1:%d" % Pages.port

    for name, url in (("alpha", base + "/charts"), ("bravo", base + "/missing"), ("charlie", base + "/old"),
                      ("delta", "http://127.0.0.1:%d/" % silent.getsockname()[1]),
                      ("echo", "https://127.0.0.1:%d/unicode" % secure.server_address[1])):
        with open(os.path.join(favorites, name + ".url"), "w", newline="\r\n") as f:
            f.write("[InternetShortcut]\nURL=%s\n[Orrindale]\nTimeout=%d\nRename=1\n" % (url, CHECK_TIMEOUT_MS))

    running = []  # killed at the end if still there
    # A window manager puts a frame round the window, as on a desktop: the saved size must
    # not grow by it.
    if shutil.which("openbox"):
        running.append(subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL))
        time.sleep(1)
    try:
        subprocess.run([regsvr, "/s", library], env=env, check=True)
        subprocess.run([reg, "add", r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders",
                        "/v", "Favorites", "/d", favorites, "/f"], env=env, check=True, stdout=subprocess.DEVNULL)
        process, window = start(program, env, running)

        # Links > Check All Links, then wait: two answers, a redirect followed, one time-out.
        key("alt+l")
        key("a")
        wait_for("the renames after the page titles",
                 lambda: all(os.path.exists(os.path.join(favorites, title + ".url"))
                             for title in ("Harbour Charts", "Tide Tables", UNICODE_TITLE)), 30)
        shot = os.path.join(top, "checked.png")  # kept with --keep

        def finished_pictures():
            # The run is over when no link shows the not-checked picture any more; the silent
            # server is the last one and takes its whole time-out.
            screenshot(window, shot)
            column = link_column(read_pixels(shot))
            return column if column and all(c[0] != "blue" for c in column) else None

        column = wait_for("the end of the check run", finished_pictures, 30)
        colours = [c[0] for c in column]
        # Rows in load order: Harbour Charts (was alpha), bravo, Tide Tables (was charlie), delta,
        # and the https page renamed after its title in Cyrillic (was echo).
        expect(colours == ["green", "red", "green", "yellow", "green"],
               "result pictures down the link rows: %s" % colours)
        gaps = [b[1] - a[1] for a, b in zip(column, column[1:])]
        expect(max(gaps) - min(gaps) <= 2 and min(gaps) >= 12,
               "the result pictures are not one per row: gaps %s" % gaps)

        # Find a favorite: Edit > Find (Ctrl+F), type, Enter finds, Escape closes the dialog.
        key("ctrl+f")
        dialog("Search", "bravo")
        time.sleep(0.5)
        key("Escape")
        wait_closed("Search")
        focus(window)

        # Edit > Rename on the found favorite: type the new name, Enter.
        key("alt+e")
        key("r")
        key("ctrl+a")
        type_text("Dead End")
        key("Return")
        wait_for("the rename of bravo", lambda: os.path.exists(os.path.join(favorites, "Dead End.url")), 10)

        # Edit > New Folder: the dialog, a name, Enter.
        key("alt+e")
        key("f")
        dialog("New Folder", "Archive")
        wait_for("the new folder", lambda: os.path.isdir(os.path.join(favorites, "Archive")), 10)
        wait_closed("New Folder")
        exit_by_menu(process, window)

        # From outside: the files, the shortcuts' addresses, the folder, the settings.
        names = sorted(os.listdir(favorites))
        expect(names == ["Archive", "Dead End.url", "Harbour Charts.url", "Tide Tables.url", "delta.url",
                         UNICODE_TITLE + ".url"],
               "favorites on disk: %s" % names)
        for name, path, fault in (("Tide Tables", "/new", "the redirect was not written into the shortcut"),
                                  ("Harbour Charts", "/charts", "an answered link's address changed"),
                                  ("Dead End", "/missing", "the renamed favorite lost its address")):
            expect(read_url(os.path.join(favorites, name + ".url")) == base + path, fault)
        placement = ("Top", "Left", "Height", "Width")
        saved = settings(reg, env)
        numbers = sorted(name for name, (kind, _) in saved.items() if kind == "REG_DWORD")
        expect(numbers == sorted(placement + ("Timeout", "ChangeName", "IEToolMenu", "IEToolbar")),
               "expected eight settings saved as numbers, found: %s" % saved)

        # Started and left twice more: the placement comes back exactly as it was saved.
        for _ in range(2):
            exit_by_menu(*start(program, env, running))
            now = settings(reg, env)
            expect(all(now.get(name) == saved[name] for name in placement),
                   "the placement changed: %s, then %s" % (saved, now))
        print("walk-through passed")
        return 0
    finally:
        for process in running:
            if process.poll() is None:
                process.kill()
                process.wait()
        for server in servers:
            server.shutdown()
        silent.close()
        if keep:
            print("left in " + top)
        else:
            shutil.rmtree(top, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the folder holding Strandmoor, reg, regsvr and Tarnhold.so")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder and the screenshot in it")
    arguments = parser.parse_args()
    for tool in ("xdotool", "import", "convert"):
        if shutil.which(tool) is None:
            print("missing tool: " + tool, file=sys.stderr)
            return 1
    if not os.environ.get("DISPLAY"):
        print("no X display: run this under xvfb-run", file=sys.stderr)
        return 1
    try:
        return run(os.path.abspath(arguments.bin), arguments.keep)
    except Failure as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
