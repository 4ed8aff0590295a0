#!/usr/bin/env python3
"""End-to-end cases: the built program under Xvfb, driven with xdotool like a person.

Each case gets a fresh copy of the program folder (the executable and dll/), its own HOME, and
its own X server, and checks only what a person could see: files on disk, the configuration
files, the window title.
"""
import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

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
    end = time.time() + timeout
    while time.time() < end:
        if pred():
            return
        time.sleep(0.05)
    raise Failure("timed out waiting for " + what)


class Xvfb:
    def __init__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            line = f.readline().strip()
        if not line:
            raise Failure("Xvfb did not start")
        self.display = ":" + line

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

        wait_for(found, "the main window")
        self.xdo("windowfocus", "--sync", self.window)
        time.sleep(0.3)

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


# --- cases ---------------------------------------------------------------------------------

@case
def first_run_writes_default_files(s):
    s.start()
    check(s.title() == "Orvane", "caption at start: %r" % s.title())
    check(os.path.isdir(os.path.join(s.prog, "config")), "config/ created at start")
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
