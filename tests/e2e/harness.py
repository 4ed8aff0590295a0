"""What every end-to-end case stands on: a Session (a copy of the program folder, its own HOME
and its own X server), the program started and closed as a person would, keys and clicks through
xdotool and XTEST, and the folders and configuration files a case sets up and reads back."""
import ctypes
import os
import select
import shutil
import subprocess
import tempfile
import time

CASES = {}
# The tool writing camera RAW files in their makes' own layouts (tests/e2e/make_camera_files.cpp).
CAMERA_FILES = None


def case(fn):
    CASES[fn.__name__] = fn
    return fn


class Failure(Exception):
    pass


def check(cond, what):
    if not cond:
        raise Failure(what)


def wait_for(pred, what, timeout=20.0):
    """Waits until `pred()` holds, looking again each time something a case can see may have
    changed (see Changes), and once more after the deadline: a test descheduled past it on a
    busy machine still sees what happened meanwhile."""
    end = time.monotonic() + timeout
    while True:
        if pred():
            return
        left = end - time.monotonic()
        if left <= 0 or not Changes.current:
            break
        Changes.current.wait(left)
    if pred():
        return
    raise Failure("timed out waiting for " + what)


class Changes:
    """What a wait blocks on instead of the clock: the files and folders under a session's root
    (inotify; folders made meanwhile are watched as they appear) and its X server (windows
    mapped, unmapped, moved or renamed anywhere, and every repaint of the windows a case looks
    at, through the DAMAGE extension)."""
    current = None
    IN_EVENTS = 0x2 | 0x4 | 0x8 | 0x40 | 0x80 | 0x100 | 0x200  # modify attrib close-write moves create delete
    X_MASK = (1 << 17) | (1 << 19) | (1 << 22)  # StructureNotify, SubstructureNotify, PropertyChange

    def __init__(self, root, display_name):
        self.root = root
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.inotify = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.inotify < 0:
            raise Failure("inotify_init1 failed")
        self.folders = set()
        x = self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.damage = ctypes.cdll.LoadLibrary("libXdamage.so.1")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p]
        self.damage.XDamageCreate.restype = ctypes.c_ulong
        self.damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        # A window gone before it is watched is no error worth ending the harness for.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        x.XSetErrorHandler(self.on_error)
        self.display = x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise Failure("cannot open display " + display_name)
        base, error = ctypes.c_int(), ctypes.c_int()
        if not self.damage.XDamageQueryExtension(self.display, ctypes.byref(base), ctypes.byref(error)):
            raise Failure("the X server has no DAMAGE extension")
        x.XSelectInput(self.display, x.XDefaultRootWindow(self.display), self.X_MASK)
        x.XSync(self.display, 0)
        self.windows = set()
        self.watch_folders()

    def watch_window(self, window):
        if window and window not in self.windows:
            self.windows.add(window)
            self.x.XSelectInput(self.display, int(window), self.X_MASK)
            self.damage.XDamageCreate(self.display, int(window), 0)  # every repainted rectangle
            self.x.XSync(self.display, 0)

    def watch_folders(self):
        for folder, _, _ in os.walk(self.root):
            if folder not in self.folders and \
                    self.libc.inotify_add_watch(self.inotify, folder.encode(), self.IN_EVENTS) >= 0:
                self.folders.add(folder)

    def wait(self, timeout):
        """Returns once anything changed, or after `timeout` seconds."""
        event = ctypes.create_string_buffer(192)
        if not self.x.XPending(self.display):
            select.select([self.inotify, self.x.XConnectionNumber(self.display)], [], [], timeout)
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, event)
        try:
            while os.read(self.inotify, 65536):
                pass
        except BlockingIOError:
            pass
        self.watch_folders()

    def close(self):
        self.x.XCloseDisplay(self.display)
        os.close(self.inotify)


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
        Changes.current = Changes(self.root, self.x.display)
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
        Changes.current.watch_window(self.window)
        self.xdo("windowfocus", "--sync", self.window)

    def title(self):
        return self.xdo("getwindowname", self.window).strip()

    def keys(self, *names):
        """Presses and releases each key in turn, as a person types. The program handles them
        in the order typed, so a case waits for what the last one does, not for the clock."""
        for n in names:
            self.xdo("keydown", n)
            self.xdo("keyup", n)

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
        if Changes.current:
            Changes.current.close()
            Changes.current = None
        self.x.stop()


def reachable(display_name):
    # A server that refuses its first client is started again rather than tried again later.
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    d = x.XOpenDisplay(display_name.encode())
    if d:
        x.XCloseDisplay(d)
    return bool(d)


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


def camera_files(s, names, folder="photos"):
    """Writes `names` in `folder`: camera RAW files in their makes' layouts by their endings
    (.CR2 .NEF .ARW .dng), each a portrait picture, left half red and right half blue once
    turned upright, and plain green JPEG files (.jpg)."""
    check(CAMERA_FILES, "the case needs the make_camera_files tool (--camera-files)")
    d = s.path(folder)
    subprocess.run([CAMERA_FILES, d] + list(names), check=True)
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


def visible(s, title):
    """The visible windows named `title` (an xdotool search, a regular expression)."""
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=s.env,
                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return r.stdout.split()


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
    s.keys(*keys)
    wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=s.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0,
             "the box to close")
    s.xdo("windowfocus", "--sync", s.window)


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


def open_menu(s, menu_key, item_key, title):
    """Alt+menu key, then the item's access key; returns the window that opens. The item's key
    is handled after the Alt chord has opened the menu, as keys are handled in turn."""
    s.xdo("windowfocus", "--sync", s.window)
    chord(s, "alt", menu_key)
    s.keys(item_key)
    w = find_window(s, title)
    s.xdo("windowfocus", "--sync", w)
    return w
