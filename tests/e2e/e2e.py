#!/usr/bin/env python3
"""End-to-end cases: the built program under Xvfb, driven with xdotool like a person.

Each case gets a fresh copy of the program folder (the executable and dll/), its own HOME, and
its own X server, and checks only what a person could see: files on disk, the configuration
files, the window title.
"""
import argparse
import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

CASES = {}


def case(fn):
    CASES[fn.__name__] = fn
    return fn


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def wait_for(pred, what, timeout=20.0):
    # A monotonic clock, and one last look after the deadline: a test descheduled past it on a
    # busy machine still sees what happened meanwhile.
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if pred():
            return
        time.sleep(0.05)
    if pred():
        return
    raise Failure("timed out waiting for " + what)


class Xvfb:
    def __init__(self, screen="1280x1024x24"):
        for _ in range(3):
            r, w = os.pipe()
            self.proc = subprocess.Popen(
                # -noreset: by default the server resets when its last client leaves, and a
                # program connecting in that moment is refused.
                ["Xvfb", "-displayfd", str(w), "-screen", "0", screen, "-nolisten", "tcp",
                 "-noreset"],
                pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(w)
            with os.fdopen(r) as f:
                line = f.readline().strip()
            self.display = ":" + line
            # A server whose display another one was just leaving may have lost its socket:
            # make sure a client really gets through before a case relies on it.
            if line and reachable(self.display):
                return
            self.stop()
        raise Failure("Xvfb did not start")

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Session:
    """One program folder, one HOME, one X server."""

    def __init__(self, program_dir):
        self.root = tempfile.mkdtemp(prefix="orvane-e2e-")
        self.prog = os.path.join(self.root, "prog")
        os.makedirs(self.prog)
        shutil.copy2(os.path.join(program_dir, "orvane"), self.prog)
        if os.path.isdir(os.path.join(program_dir, "dll")):
            shutil.copytree(os.path.join(program_dir, "dll"), os.path.join(self.prog, "dll"))
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.home)
        self.x = Xvfb()
        self.env = dict(os.environ)
        self.env.update({
            "HOME": self.home, "DISPLAY": self.x.display, "QT_QPA_PLATFORM": "xcb",
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.root, "LANG": "C.UTF-8",
        })
        self.env.pop("XDG_DOCUMENTS_DIR", None)
        self.app = None
        self.window = None

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def config(self, name):
        return os.path.join(self.prog, "config", name)

    def write_config(self, name, text):
        os.makedirs(os.path.join(self.prog, "config"), exist_ok=True)
        with open(self.config(name), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))

    def image(self, path, w=64, h=48, color="red"):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["convert", "-size", "%dx%d" % (w, h), "xc:" + color, path], check=True)

    def xdo(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.env, check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout

    def start(self, *args):
        self.log = open(self.path("orvane.log"), "w")
        self.app = subprocess.Popen([os.path.join(self.prog, "orvane")] + list(args), env=self.env,
                                    cwd=self.root, stdout=self.log, stderr=subprocess.STDOUT)

        def found():
            if self.app.poll() is not None:
                raise Failure("the program exited early with %s" % self.app.returncode)
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Orvane"], env=self.env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            ids = r.stdout.split()
            if ids:
                self.window = ids[-1]
                return True
            return False

        # The folder or file named is loaded before the window is shown: once it is visible
        # and has the keyboard, keys typed act on what it shows.
        wait_for(found, "the main window")
        self.xdo("windowfocus", "--sync", self.window)

    def title(self):
        return self.xdo("getwindowname", self.window).strip()

    def keys(self, *names, delay=0.15):
        """Presses and releases each key in turn, as a person types."""
        for n in names:
            self.xdo("keydown", n)
            self.xdo("keyup", n)
            time.sleep(delay)

    def close(self):
        """Asks the window to close as a window manager does (WM_DELETE_WINDOW)."""
        send_delete_window(self.x.display, int(self.window))
        try:
            rc = self.app.wait(30)
        except subprocess.TimeoutExpired:
            self.app.kill()
            raise Failure("the program did not close")
        check(rc == 0, "the program exited with %s (see %s)" % (rc, self.path("orvane.log")))

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        self.x.stop()


def reachable(display_name, tries=20):
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    for _ in range(tries):
        d = x.XOpenDisplay(display_name.encode())
        if d:
            x.XCloseDisplay(d)
            return True
        time.sleep(0.1)
    return False


def send_delete_window(display_name, window):
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    d = x.XOpenDisplay(display_name.encode())
    if not d:
        raise Failure("cannot open display " + display_name)
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = window
    ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    ev.xclient.data[1] = 0  # CurrentTime
    x.XSendEvent(d, window, 0, 0, ctypes.byref(ev))
    x.XFlush(d)
    x.XCloseDisplay(d)


def read_config(s, name):
    with open(s.config(name), "rb") as f:
        return f.read()


def xtest_keys(s, *keycodes):
    """Presses the physical keys (X keycodes) in order and releases them in reverse, through
    XTEST: what a key types is then up to the server's layout alone."""
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    xt = ctypes.cdll.LoadLibrary("libXtst.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xt.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    d = x.XOpenDisplay(s.x.display.encode())
    if not d:
        raise Failure("cannot open display " + s.x.display)
    for k in keycodes:
        xt.XTestFakeKeyEvent(d, k, 1, 0)
    for k in reversed(keycodes):
        xt.XTestFakeKeyEvent(d, k, 0, 0)
    x.XFlush(d)
    x.XCloseDisplay(d)
    time.sleep(0.15)


class BusyCores:
    """Two loops that keep two cores busy: the program then reads its events late, as on a
    loaded machine."""

    def __enter__(self):
        self.loops = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(2)]
        return self

    def __exit__(self, *exc):
        for p in self.loops:
            p.kill()
            p.wait()


# --- cases ---------------------------------------------------------------------------------

@case
def first_run_writes_default_files(s):
    s.start()
    check(s.title() == "Orvane", "caption at start: %r" % s.title())
    check(os.path.isdir(os.path.join(s.prog, "config")), "config/ created at start")
    # The window carries Orvane's own icon, small and large, for the panel and the switcher.
    props = subprocess.run(["xprop", "-id", s.window, "_NET_WM_ICON"], env=s.env, text=True,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    sizes = re.findall(r"Icon \((\d+) x \d+\)", props)
    check("16" in sizes and "128" in sizes, "the window's icon sizes: %r" % sizes)
    s.close()
    opts = read_config(s, "設定_オプション.ini")
    check(opts.count(b"\r\n") == 11, "eleven lines in the options file: %r" % opts)
    check(opts.startswith(b'"DelTrash",0\r\n'), "DelTrash first: %r" % opts[:40])
    seq = read_config(s, "設定_個別転送.ini")
    check(seq.count(b"\r\n") == 10, "ten lines in the sequence file")
    check(seq.startswith(b'"IndividualTrans",0,0,0,"",1\r\n'), "first sequence line: %r" % seq[:40])


@case
def digit_moves_file_from_command_line_folder(s):
    photos = s.path("photos")
    dest = s.path("sorted", "keep")
    os.makedirs(dest)
    for i, c in enumerate(["red", "green", "blue"]):
        s.image(os.path.join(photos, "p%d.jpg" % (i + 1)), color=c)
    s.write_config("設定_ページ.ini", "仕分け\n")
    lines = []
    for slot in range(10):
        lines += (["残す", dest + "/"] if slot == 3 else ["", ""])
    s.write_config("設定_フォルダ.ini", "\n".join(lines) + "\n")
    s.start(photos)
    wait_for(lambda: photos in s.title(), "the folder in the caption")
    check(s.title() == "Orvane [ %s/ ]" % photos, "caption: %r" % s.title())
    s.keys("3")
    wait_for(lambda: os.listdir(dest) == ["p1.jpg"], "p1.jpg in the slot's folder")
    check(sorted(os.listdir(photos)) == ["p2.jpg", "p3.jpg"], "p1.jpg gone from the source")
    s.keys("space", "3")
    wait_for(lambda: sorted(os.listdir(dest)) == ["p1.jpg", "p3.jpg"], "p3.jpg sorted after a step")
    s.close()



def library(s, pages, slots):
    """Writes the page file and the folder file: `slots` maps (page, slot) to (title, path)."""
    s.write_config("設定_ページ.ini", "".join(n + "\n" for n in pages))
    lines = []
    for p in range(len(pages)):
        for slot in range(10):
            title, path = slots.get((p, slot), ("", ""))
            lines += [title, path]
    s.write_config("設定_フォルダ.ini", "\n".join(lines) + "\n")


def options(s, **values):
    """Writes option file 0 with the given keys over the defaults."""
    order = ["DelTrash", "DelCaution", "CursorKeyMode", "owMode", "owConnectText", "owSequenceNum",
             "owSeqStart", "owMemIndSeqNum", "CurrentPageNum", "CurrentFullMode"]
    defaults = dict(DelTrash=0, DelCaution=0, CursorKeyMode=1, owMode=0, owConnectText='"_"',
                    owSequenceNum=2, owSeqStart=1, owMemIndSeqNum=0, CurrentPageNum=0,
                    CurrentFullMode=0)
    defaults.update(values)
    s.write_config("設定_オプション.ini", "".join('"%s",%s\n' % (k, defaults[k]) for k in order))


def photos(s, names, folder="photos"):
    d = s.path(folder)
    colors = ["red", "green", "blue", "yellow", "cyan", "magenta", "gray", "orange"]
    for i, n in enumerate(names):
        s.image(os.path.join(d, n), color=colors[i % len(colors)])
    return d


def slot_dirs(s, *names):
    out = []
    for n in names:
        d = s.path("sorted", n)
        os.makedirs(d, exist_ok=True)
        out.append(d)
    return out


def listing(d):
    return sorted(os.listdir(d))


def chord(s, *keys):
    """Presses the keys in order and releases them in reverse, as a person plays a chord."""
    for k in keys:
        s.xdo("keydown", k)
    for k in reversed(keys):
        s.xdo("keyup", k)
    time.sleep(0.15)


def find_window(s, name, timeout=10.0):
    found = []

    def look():
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=s.env,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        ids = [i for i in r.stdout.split() if i != s.window]
        if ids:
            found.append(ids[-1])
            return True
        return False

    wait_for(look, "the window " + name, timeout)
    return found[0]


def answer_box(s, title, *keys):
    """Finds the message box titled `title`, gives it the keyboard and types `keys`."""
    box = find_window(s, title)
    s.xdo("windowfocus", "--sync", box)
    time.sleep(0.2)
    s.keys(*keys)
    wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=s.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0,
             "the box to close")
    s.xdo("windowfocus", "--sync", s.window)
    time.sleep(0.2)


@case
def stepping_keys_choose_the_file_a_digit_sends(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg"])
    (dest,) = slot_dirs(s, "one")
    library(s, ["P"], {(0, 1): ("one", dest + "/")})
    s.start(src)
    # Space, Right: forward; BkSpace, Left, Shift+Space: back; from the first, back wraps.
    s.keys("space", "Right")             # c
    s.keys("BackSpace")                  # b
    s.keys("Left")                       # a
    chord(s, "shift", "space")           # wraps to d
    s.keys("1")
    wait_for(lambda: listing(dest) == ["d.jpg"], "d.jpg moved after wrapping back")
    s.keys("space", "space", "1")        # after the move a is shown (d was last): a -> b -> c
    wait_for(lambda: listing(dest) == ["c.jpg", "d.jpg"], "c.jpg moved")
    s.close()


@case
def move_and_copy_on_two_pages(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg"])
    first, second = slot_dirs(s, "first", "second")
    library(s, ["P1", "P2"], {(0, 2): ("first", first + "/"), (1, 2): ("second", second + "/")})
    s.start(src)
    s.keys("c", "2")                     # copy a to page 1 slot 2
    wait_for(lambda: listing(first) == ["a.jpg"], "a.jpg copied")
    check(listing(src) == ["a.jpg", "b.jpg", "c.jpg"], "a copy leaves the source")
    s.keys("Down", "m", "2")             # page 2, move mode: a moves to page 2 slot 2
    wait_for(lambda: listing(second) == ["a.jpg"], "a.jpg moved on page 2")
    check(listing(src) == ["b.jpg", "c.jpg"], "the move removed the source")
    s.keys("Up", "2")                    # back on page 1: b moves there
    wait_for(lambda: listing(first) == ["a.jpg", "b.jpg"], "b.jpg moved on page 1")
    s.close()
    check(b'"CurrentPageNum",0\r\n' in read_config(s, "設定_オプション.ini"), "current page saved")


@case
def collision_modes(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg"])
    (dest,) = slot_dirs(s, "d")
    for n in ["a.jpg", "b.jpg", "c.jpg"]:
        s.image(os.path.join(dest, n), color="white")
    before = {n: open(os.path.join(dest, n), "rb").read() for n in listing(dest)}
    incoming = {n: open(os.path.join(src, n), "rb").read() for n in listing(src)}
    library(s, ["P"], {(0, 0): ("d", dest + "/")})
    options(s, owMode=0, DelTrash=1)
    s.start(src)
    s.keys("0")                          # ask: No keeps both
    answer_box(s, "上書き確認", "Tab", "Return")
    check(open(os.path.join(dest, "a.jpg"), "rb").read() == before["a.jpg"], "No kept the old a.jpg")
    check("a.jpg" in listing(src), "No kept the source")
    s.keys("0")                          # ask again: Yes (the default) replaces
    answer_box(s, "上書き確認", "Return")
    wait_for(lambda: "a.jpg" not in listing(src), "a.jpg moved after Yes")
    check(open(os.path.join(dest, "a.jpg"), "rb").read() == incoming["a.jpg"], "Yes replaced a.jpg")
    s.close()
    # The Return that closed the box went down in the box: the window did not toggle fit mode.
    check(b'"CurrentFullMode",0\r\n' in read_config(s, "設定_オプション.ini"), "fit mode untouched")

    options(s, owMode=1, DelTrash=0)
    s.start(src)
    s.keys("0")                          # overwrite: the old b.jpg goes to the trash
    wait_for(lambda: "b.jpg" not in listing(src), "b.jpg moved")
    trash = os.path.join(s.home, ".local/share/Trash")
    check(open(os.path.join(trash, "files", "b.jpg"), "rb").read() == before["b.jpg"], "old b.jpg in the trash")
    check(open(os.path.join(dest, "b.jpg"), "rb").read() == incoming["b.jpg"], "new b.jpg in place")
    s.close()

    options(s, owMode=2)
    s.start(src)
    s.keys("0")                          # numbered: c_001.jpg beside c.jpg
    wait_for(lambda: "c_001.jpg" in listing(dest), "c_001.jpg")
    check(open(os.path.join(dest, "c.jpg"), "rb").read() == before["c.jpg"], "c.jpg untouched")
    check(listing(src) == [], "all sorted")
    s.close()


@case
def individual_sequence_transfer(s):
    src = photos(s, ["x.jpg", "y.jpg", "z.jpg", "w.jpg"])
    plain, kept = slot_dirs(s, "plain", "kept")
    with open(os.path.join(plain, "trip_001.png"), "wb") as f:
        f.write(b"taken")
    library(s, ["P"], {(0, 4): ("plain", plain + "/"), (0, 5): ("kept", kept + "/")})
    s.write_config("設定_個別転送.ini",
                   '"IndividualTrans",0,4,1,"trip",1\n"IndividualTrans",0,5,1,"",41\n')
    s.start(src)
    s.keys("4", "4")
    wait_for(lambda: listing(plain) == ["trip_001.png", "trip_002.jpg", "trip_003.jpg"], "trip names")
    s.close()
    check(b'"IndividualTrans",0,4,1,"trip",1\r\n' in read_config(s, "設定_個別転送.ini"),
          "the number is not remembered with owMemIndSeqNum 0")
    options(s, owMemIndSeqNum=1)
    s.start(src)
    s.keys("5", "5")
    wait_for(lambda: listing(kept) == ["041.jpg", "042.jpg"], "bare numbers from 41")
    s.close()
    check(b'"IndividualTrans",0,5,1,"",43\r\n' in read_config(s, "設定_個別転送.ini"), "next number 43 saved")


@case
def delete_to_trash_and_directly(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    s.start(src)
    s.keys("Delete")
    wait_for(lambda: listing(src) == ["b.jpg"], "a.jpg deleted")
    trash = os.path.join(s.home, ".local/share/Trash")
    check(os.path.exists(os.path.join(trash, "files", "a.jpg")), "a.jpg in the trash")
    with open(os.path.join(trash, "info", "a.jpg.trashinfo")) as f:
        info = f.read()
    check(info.startswith("[Trash Info]") and ("Path=" + src + "/a.jpg") in info and "DeletionDate=" in info,
          "a valid .trashinfo: %r" % info)
    s.close()
    options(s, DelTrash=1)
    s.start(src)
    s.keys("Delete")
    wait_for(lambda: listing(src) == [], "b.jpg deleted")
    check(not os.path.exists(os.path.join(trash, "files", "b.jpg")), "b.jpg not in the trash")
    s.close()


@case
def lock_blocks_digits_and_delete(s):
    src = photos(s, ["a.jpg", "b.jpg"])
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 7): ("d", dest + "/")})
    s.start(src)
    s.keys("l", "Delete", "7")
    s.keys("l", "7")
    wait_for(lambda: listing(dest), "a file moved once unlocked")
    s.close()
    # Every key was handled before the close, in the order typed: the locked ones did nothing.
    check(listing(src) == ["b.jpg"] and listing(dest) == ["a.jpg"],
          "nothing moved or deleted while locked: %r, %r" % (listing(src), listing(dest)))


@case
def ctrl_digit_opens_the_slots_folder(s):
    src = photos(s, ["a.jpg"])
    other = photos(s, ["o1.jpg", "o2.jpg"], folder="sorted/other")
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 3): ("other", other + "/"), (0, 4): ("d", dest + "/")})
    s.start(src)
    chord(s, "ctrl", "3")
    wait_for(lambda: other in s.title(), "the slot's folder in the caption")
    s.keys("4")
    wait_for(lambda: listing(dest) == ["o1.jpg"], "o1.jpg moved from the opened folder")
    check(listing(src) == ["a.jpg"], "the first folder untouched")
    # Ctrl let go before the digit: a plain transfer of o2.
    s.xdo("keydown", "ctrl")
    s.xdo("keydown", "4")
    s.xdo("keyup", "ctrl")
    s.xdo("keyup", "4")
    wait_for(lambda: listing(dest) == ["o1.jpg", "o2.jpg"], "o2.jpg moved")
    s.close()


@case
def keys_typed_while_a_big_folder_is_listed_act_on_its_list(s):
    src = photos(s, ["a.jpg"])
    # Enough names that listing them takes a visible while (the window goes on painting). They
    # are made in memory where there is a tmpfs for it: quicker to make and to remove.
    shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None
    big_root = tempfile.mkdtemp(prefix="orvane-e2e-big-", dir=shm or s.root)
    try:
        big = os.path.join(big_root, "big")
        s.image(os.path.join(big, "a_first.jpg"))
        for i in range(200000):
            os.close(os.open(os.path.join(big, "img_%06d.jpg" % i), os.O_CREAT | os.O_WRONLY, 0o644))
        (dest,) = slot_dirs(s, "d")
        library(s, ["P"], {(0, 3): ("big", big + "/"), (0, 4): ("d", dest + "/")})
        s.start(src)
        started = time.time()
        chord(s, "ctrl", "3")
        s.keys("4")  # typed before the list is there: it must wait for it, not act on the old one
        wait_for(lambda: listing(dest) == ["a_first.jpg"], "a_first.jpg moved from the big folder", 60)
        check(listing(src) == ["a.jpg"], "the first folder untouched")
        check(big in s.title(), "the big folder in the caption: %r" % s.title())
        print("    the big folder was listed and its first file moved %.1f s after Ctrl+3"
              % (time.time() - started))
        s.close()
    finally:
        shutil.rmtree(big_root, ignore_errors=True)


@case
def enter_and_right_click_toggle_fit_mode(s):
    src = photos(s, ["a.jpg"])
    s.start(src)
    s.keys("Return")
    s.close()
    check(b'"CurrentFullMode",-1\r\n' in read_config(s, "設定_オプション.ini"), "Enter turned fit mode on")
    s.start(src)
    x, y = 400, 250
    s.xdo("mousemove", "--window", s.window, str(x), str(y))
    s.xdo("click", "3")
    time.sleep(0.3)
    s.close()
    check(b'"CurrentFullMode",0\r\n' in read_config(s, "設定_オプション.ini"), "right click turned it off")


@case
def window_placement_is_restored(s):
    s.start()
    s.xdo("windowsize", "--sync", s.window, "800", "600")
    s.xdo("windowmove", "--sync", s.window, "120", "90")
    time.sleep(0.3)
    s.close()
    opts = read_config(s, "設定_オプション.ini").decode("cp932")
    line = [l for l in opts.split("\r\n") if l.startswith('"StateWndMain"')][0]
    left, top, right, bottom, show = [int(v) for v in line.split(",")[1:]]
    check((right - left, bottom - top) == (800, 600), "saved size: %s" % line)
    check(show == 1, "saved state: %s" % line)
    s.start()
    geo = s.xdo("getwindowgeometry", s.window)
    check("800x600" in geo, "restored size: %s" % geo)
    s.close()


@case
def a_held_key_acts_once_on_a_busy_machine(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"])
    one, two = slot_dirs(s, "one", "two")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("two", two + "/")})
    s.start(src)
    trash = os.path.join(s.home, ".local/share/Trash", "files")
    with BusyCores():
        for key, marker, moved, what in [("1", ["b.jpg"], lambda: listing(one), "slot 1"),
                                         ("Delete", ["b.jpg", "d.jpg"],
                                          lambda: listing(trash) if os.path.isdir(trash) else [],
                                          "the trash")]:
            s.xdo("keydown", key)
            time.sleep(1.5)  # held: the server repeats it
            s.xdo("keyup", key)
            # A plain 2 after it: once its photo is in slot 2, every event before it was handled.
            s.keys("2")
            wait_for(lambda: len(listing(two)) == len(marker) or not listing(src), "the 2 after " + key)
            check(len(moved()) == 1, "holding %s once sent %r to %s" % (key, moved(), what))
            check(listing(two) == marker, "the 2 after %s moved %r" % (key, listing(two)))
    s.close()


@case
def page_keys_of_the_main_keyboard_on_us_jis_and_german_layouts(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg"])
    dirs = slot_dirs(s, "p0", "p1", "p2", "p3", "p4")
    library(s, ["P%d" % i for i in range(5)], {(i, 1): ("p%d" % i, d + "/") for i, d in enumerate(dirs)})
    s.start(src)
    shift, one = 50, 10
    # (layout, the key that types "+" on one of its levels, the key that types "-" unshifted)
    for n, (layout, plus, minus) in enumerate([("us", 21, 20), ("jp", 47, 20), ("de", 35, 61)]):
        subprocess.run(["setxkbmap", "-layout", layout], env=s.env, check=True)
        # Three pages on with Shift+plus, back one with Shift+minus and one with minus: one on.
        for keys in [(shift, plus)] * 3 + [(shift, minus), (minus,), (one,)]:
            xtest_keys(s, *keys)
        photo = "abc"[n] + ".jpg"
        wait_for(lambda: photo not in listing(src), photo + " sent")
        where = [i for i, d in enumerate(dirs) if photo in listing(d)]
        check(where == [n + 1], "%s: the page keys went to page %r, not %d" % (layout, where, n + 1))
    s.close()



@case
def second_start_hands_its_path_to_the_running_window(s):
    first = photos(s, ["a.jpg"], folder='my "best" photos')
    second = photos(s, ["a.jpg", 'say "hi".jpg'], folder='x/a"b')
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 1): ("d", dest + "/")})
    # Relative, with blanks, double quotes and a ".." step: used as it stands, shown tidy.
    s.start('my "best" photos/../my "best" photos')
    wait_for(lambda: first in s.title(), "the first folder in the caption")
    check(s.title() == "Orvane [ %s/ ]" % first, "caption: %r" % s.title())
    os.makedirs(s.path("elsewhere"))
    try:
        other = subprocess.run([os.path.join(s.prog, "orvane"), '../x/a"b/say "hi".jpg'], env=s.env,
                               cwd=s.path("elsewhere"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the second start did not end: it opened a window of its own")
    check(other.returncode == 0, "the second start ended with %s" % other.returncode)
    wait_for(lambda: second in s.title(), "the handed folder in the caption")
    s.xdo("windowfocus", "--sync", s.window)
    time.sleep(0.3)
    s.keys("1")  # the handed file is the one shown, not the folder's first
    wait_for(lambda: listing(dest) == ['say "hi".jpg'], "the handed file moved")
    s.close()



def tree(d):
    """Relative path -> bytes of every file below `d` (empty when `d` is missing)."""
    out = {}
    for root, _, files in os.walk(d):
        for n in files:
            with open(os.path.join(root, n), "rb") as f:
                out[os.path.relpath(os.path.join(root, n), d)] = f.read()
    return out


@case
def ctrl_z_takes_back_each_action_in_turn(s):
    src = photos(s, ["a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"])
    one, trip, three = slot_dirs(s, "one", "trip", "three")
    library(s, ["P"], {(0, 1): ("one", one + "/"), (0, 2): ("trip", trip + "/"), (0, 3): ("three", three + "/")})
    options(s, owMemIndSeqNum=1)
    numbers = "".join('"IndividualTrans",0,%d,%s\n' % (n, '1,"trip",41' if n == 2 else '0,"",1')
                      for n in range(10))
    s.write_config("設定_個別転送.ini", numbers)
    stored = read_config(s, "設定_個別転送.ini")
    trash = os.path.join(s.home, ".local/share/Trash")

    def disk():
        return {"src": tree(src), "sorted": tree(s.path("sorted")), "trash": tree(trash)}

    before = disk()
    s.start(src)
    # a -> one, b -> trip_041.jpg, c copied to three, d to the trash, e -> three.
    s.keys("1", "2", "c", "3", "m", "space", "Delete", "3")
    wait_for(lambda: listing(src) == ["c.jpg"] and listing(three) == ["c.jpg", "e.jpg"], "five actions")
    check(listing(trip) == ["trip_041.jpg"] and listing(one) == ["a.jpg"], "moved: %r" % disk()["sorted"].keys())
    check(os.listdir(os.path.join(trash, "files")) == ["d.jpg"], "d.jpg in the trash")
    for _ in range(3):
        chord(s, "ctrl", "z")
    wait_for(lambda: listing(src) == ["c.jpg", "d.jpg", "e.jpg"] and listing(three) == [], "three taken back")
    with BusyCores():
        s.xdo("keydown", "ctrl", "keydown", "z")
        time.sleep(1.5)  # held: the server repeats it
        s.xdo("keyup", "z", "keyup", "ctrl")
        s.keys("1")  # a transfer after it: once it is done, every event before it was handled
        wait_for(lambda: len(listing(one)) == 2, "the 1 after the held Ctrl+Z")
    check(listing(trip) == [] and listing(one) == ["a.jpg", "b.jpg"],
          "a held Ctrl+Z took back one action: %r %r" % (listing(trip), listing(one)))
    chord(s, "ctrl", "z")                    # the 1
    chord(s, "ctrl", "z")                    # a
    wait_for(lambda: disk() == before, "the source, the slots and the trash as before")
    s.close()
    check(read_config(s, "設定_個別転送.ini") == stored, "the next numbers as before: %r" % read_config(
        s, "設定_個別転送.ini"))


def click(s, window, x, y, button="1"):
    s.xdo("mousemove", "--window", window, str(x), str(y))
    s.xdo("click", button)
    time.sleep(0.2)


def open_menu(s, menu_key, item_key, title):
    """Alt+menu key, then the item's access key; returns the window that opens."""
    s.xdo("windowfocus", "--sync", s.window)
    time.sleep(0.3)
    chord(s, "alt", menu_key)
    time.sleep(0.3)
    s.keys(item_key)
    w = find_window(s, title)
    s.xdo("windowfocus", "--sync", w)
    time.sleep(0.3)
    return w


@case
def editor_and_options_dialog_rewrite_their_files(s):
    dest = s.path("typed", "folder")
    os.makedirs(dest)
    s.start()
    ed = open_menu(s, "o", "f", "ショートカットフォルダ設定")
    click(s, ed, 50, 399)                    # 新規: a new page before the current one, current
    click(s, ed, 559, 167)                   # slot 2's folder path
    s.xdo("type", "--delay", "20", dest + "/")
    click(s, ed, 266, 167)                   # slot 2's title
    s.xdo("type", "--delay", "20", "Typed")
    click(s, ed, 842, 430)                   # 閉じる
    # Written in this order at close: folder file, page file, option file 1.
    wait_for(lambda: os.path.exists(s.config("設定_個別転送.ini")), "option file 1 written at close")
    pages = read_config(s, "設定_ページ.ini").decode("cp932").split("\r\n")
    check(pages == ["新しいページ", "新規ページ", ""], "pages: %r" % pages)
    folders = read_config(s, "設定_フォルダ.ini").decode("cp932").split("\r\n")
    check(len(folders) == 41, "folder file of two pages: %d lines" % (len(folders) - 1))
    check(folders[4:6] == ["Typed", dest + "/"], "slot 2 of the new page: %r" % folders[4:6])
    check(folders[20] == "マイドキュメント", "the default page moved on: %r" % folders[20])
    check(read_config(s, "設定_個別転送.ini").count(b"\r\n") == 20, "option file 1 rewritten for two pages")

    opt = open_menu(s, "o", "o", "オプション")
    click(s, opt, 282, 155)                  # 0の桁数
    s.keys("Down", "Return")                 # 3 -> 4 digits
    click(s, opt, 292, 253)                  # 決定
    wait_for(lambda: os.path.exists(s.config("設定_オプション.ini")), "option file 0 written on OK")
    check(b'"owSequenceNum",3\r\n' in read_config(s, "設定_オプション.ini"), "four digits saved")
    before = read_config(s, "設定_オプション.ini")
    opt = open_menu(s, "o", "o", "オプション")
    click(s, opt, 282, 155)
    s.keys("Down", "Return")
    s.keys("Escape")                         # cancel: nothing written
    time.sleep(0.5)
    check(read_config(s, "設定_オプション.ini") == before, "cancel wrote nothing")
    s.close()
    check(b'"owSequenceNum",3\r\n' in read_config(s, "設定_オプション.ini"), "kept at exit")

def png_claiming_a_huge_chunk(path):
    """A 1 x 1 PNG of about a hundred bytes whose text chunk declares 2 GiB."""
    def chunk(kind, data, length=None):
        n = len(data) if length is None else length
        return struct.pack(">I", n) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0))
                + chunk(b"tEXt", b"Comment\0hi", 0x7fffffff)
                + chunk(b"IDAT", zlib.compress(b"\0\0")) + chunk(b"IEND", b""))


def progressive_jpeg_claiming(s, path, width, height):
    """A progressive 16 x 16 JPEG (a few kilobytes) whose frame header claims width x height."""
    s.image(path, 16, 16, "blue")
    subprocess.run(["convert", path, "-interlace", "JPEG", path], check=True)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    sof = data.find(b"\xff\xc2")
    check(sof > 0, "ImageMagick wrote a progressive JPEG")
    data[sof + 5:sof + 9] = struct.pack(">HH", height, width)
    with open(path, "wb") as f:
        f.write(data)


def peak_resident_mb(proc):
    with open("/proc/%d/status" % proc.pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) // 1024
    return -1


@case
def files_claiming_gigabytes_fail_at_once_and_a_pipe_is_no_plugin(s):
    src = s.path("photos")
    os.makedirs(src)
    png_claiming_a_huge_chunk(os.path.join(src, "a.png"))
    progressive_jpeg_claiming(s, os.path.join(src, "b.jpg"), 16384, 16384)
    s.image(os.path.join(src, "c.jpg"))
    (dest,) = slot_dirs(s, "d")
    library(s, ["P"], {(0, 3): ("d", dest + "/")})
    s.start(os.path.join(src, "a.png"))
    # Each refused file fails like a broken one, so a digit sends nothing; the good one goes.
    s.keys("3", "space", "3", "space", "3")
    wait_for(lambda: listing(dest) == ["c.jpg"], "c.jpg moved", 60)
    check(listing(src) == ["a.png", "b.jpg"], "the refused files stay: %r" % listing(src))
    peak = peak_resident_mb(s.app)
    print("    peak memory %d MB" % peak)
    check(peak < 1024, "peak memory %d MB" % peak)
    s.close()

    # A named pipe where the plug-in should be: opening it would wait for a writer for ever.
    os.remove(os.path.join(s.prog, "dll", "ifPNG.spi"))
    os.mkfifo(os.path.join(s.prog, "dll", "ifPNG.spi"))
    s.start(os.path.join(src, "a.png"))
    s.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("cases", nargs="*")
    a = ap.parse_args()
    names = a.cases or sorted(CASES)
    failed = 0
    for name in names:
        s = Session(a.program_dir)
        try:
            CASES[name](s)
            print("PASS", name)
        except Failure as e:
            failed += 1
            print("FAIL", name, "-", e)
            try:
                with open(s.path("orvane.log")) as f:
                    print(f.read()[-3000:])
            except OSError:
                pass
        finally:
            s.stop()
            if not failed:
                shutil.rmtree(s.root, ignore_errors=True)
    print("%d passed, %d failed" % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
