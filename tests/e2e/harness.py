"""What every end-to-end case stands on: a Session (a copy of the program folder, its own HOME
and its own X server), the program started and closed as a person would, keys and clicks through
xdotool and XTEST, and the folders and configuration files a case sets up and reads back."""
import ctypes
import os
import shutil
import subprocess
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


def tree(d):
    """Relative path -> bytes of every file below `d` (empty when `d` is missing)."""
    out = {}
    for root, _, files in os.walk(d):
        for n in files:
            with open(os.path.join(root, n), "rb") as f:
                out[os.path.relpath(os.path.join(root, n), d)] = f.read()
    return out


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
