#!/usr/bin/env python3
"""Makes a demo photo folder and starts Orvane on it, so a newcomer can sort at once.

The demo gets a program folder of its own (a copy of the build's), so the user's own
configuration beside the built program is never touched. Its first page has four slots that
point at demo destination folders. Without a display it runs the same demo under Xvfb, types a
short sorting session, saves screenshots and prints where the files went.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

# No __pycache__ in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness as e2e  # noqa: E402  (the Xvfb and window-closing helpers)

KINDS = ["jpg", "png", "bmp", "gif"]
COLORS = ["tomato", "gold", "seagreen", "steelblue", "orchid", "sienna", "slateblue", "coral"]
SLOTS = [("風景", "landscape"), ("人物", "people"), ("あとで", "later"), ("ボツ", "rejected")]


def make_photos(folder, count):
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        kind = KINDS[i % len(KINDS)]
        color = COLORS[i % len(COLORS)]
        # Every eighth one is a large photo, to show fitting and sliding.
        w, h = (4000, 3000) if i % 8 == 7 else (800 + 40 * (i % 5), 600)
        name = os.path.join(folder, "demo_%02d.%s" % (i + 1, kind))
        subprocess.run(["convert", "-size", "%dx%d" % (w, h), "gradient:%s-white" % color,
                        "-font", "DejaVu-Sans", "-gravity", "center", "-pointsize", str(h // 6), "-fill", "black",
                        "-annotate", "0", "%d" % (i + 1), name], check=True)


def write_cp932(path, lines):
    with open(path, "wb") as f:
        f.write("".join(l + "\r\n" for l in lines).encode("cp932"))


def prepare(program_dir, out, count):
    if os.path.isdir(out):
        shutil.rmtree(out)
    prog = os.path.join(out, "program")
    os.makedirs(os.path.join(prog, "config"))
    shutil.copy2(os.path.join(program_dir, "orvane"), prog)
    if os.path.isdir(os.path.join(program_dir, "dll")):
        shutil.copytree(os.path.join(program_dir, "dll"), os.path.join(prog, "dll"))
    photos = os.path.join(out, "photos")
    print("Making %d demo images in %s ..." % (count, photos))
    make_photos(photos, count)
    folders = []
    for title, name in SLOTS:
        d = os.path.join(out, "sorted", name)
        os.makedirs(d)
        folders += [title, d + "/"]
    folders += [""] * (20 - len(folders))
    write_cp932(os.path.join(prog, "config", "設定_ページ.ini"), ["デモ"])
    write_cp932(os.path.join(prog, "config", "設定_フォルダ.ini"), folders)
    return prog, photos


def headless(prog, photos, out):
    """Types a short session, then opens each window a newcomer meets and keeps a picture of
    it: the main window, the folder editor with a text box's menu, the folder browser, the
    options dialog and an overwrite question. QT_SCALE_FACTOR in the environment scales the
    whole session (1.5 shows it as at 144 dots per inch)."""
    print("No display: running the demo under Xvfb and typing a short session.")
    scale = float(os.environ.get("QT_SCALE_FACTOR") or 1)
    x = e2e.Xvfb("1280x1024x24" if scale <= 1 else "2560x1600x24")
    env = dict(os.environ, DISPLAY=x.display, QT_QPA_PLATFORM="xcb")
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots)
    # The folder browser opens at the desktop folder: give the demo one of its own.
    home = os.path.join(out, "home")
    for name in ["写真", "仕分け済み"]:
        os.makedirs(os.path.join(home, "Desktop", name))
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
    app = subprocess.Popen([os.path.join(prog, "orvane"), photos], env=env)
    try:
        def xdo(*a):
            return subprocess.run(["xdotool"] + list(a), env=env, check=True, text=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout

        def find(name, but=()):
            for _ in range(100):
                listed = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=env,
                                        text=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
                for w in reversed(listed.split()):
                    if w not in but and xdo("getwindowname", w).strip().startswith(name):
                        return w
                time.sleep(0.1)
            raise SystemExit("Orvane did not open the window %s" % name)

        def press(*keys):
            for key in keys:
                xdo("keydown", key)
                xdo("keyup", key)
                time.sleep(0.4)

        def chord(*keys):
            for key in keys:
                xdo("keydown", key)
            for key in reversed(keys):
                xdo("keyup", key)
            time.sleep(0.4)

        def click(window, px, py, button="1"):
            # Positions as at 96 dots per inch, scaled with the session.
            xdo("mousemove", "--window", window, str(round(px * scale)), str(round(py * scale)))
            xdo("click", button)
            time.sleep(0.8)

        def shot(name, window=None):
            target = window if window else "root"
            subprocess.run(["import", "-window", target, os.path.join(shots, name)], env=env, check=True)

        window = find("Orvane")
        xdo("windowfocus", "--sync", window)
        time.sleep(1)
        shot("01-start.png", window)
        press("0", "1", "space", "2", "3", "Return")
        shot("02-after-sorting.png", window)

        # The folder editor, a text box's own menu, and the folder browser of slot 4's "参照".
        chord("alt", "o")
        press("f")
        editor = find("ショートカットフォルダ設定", but=(window,))
        time.sleep(0.5)
        shot("03-editor.png", editor)
        click(editor, 260, 108, "3")
        shot("04-text-box-menu.png")
        geometry = dict(l.split("=") for l in xdo("getwindowgeometry", "--shell", editor).split())
        subprocess.run(["convert", os.path.join(shots, "04-text-box-menu.png"), "-crop",
                        "%(WIDTH)sx%(HEIGHT)s+%(X)s+%(Y)s" % geometry, "+repage",
                        os.path.join(shots, "04-text-box-menu.png")], check=True)
        press("Escape")
        click(editor, 350, 228)
        browser = find("フォルダを選択してください", but=(window, editor))
        time.sleep(1)
        shot("05-folder-browser.png", browser)
        press("Escape")
        xdo("windowfocus", "--sync", editor)
        press("Escape")

        # The options dialog.
        xdo("windowfocus", "--sync", window)
        time.sleep(0.3)
        chord("alt", "o")
        press("o")
        options = find("オプション", but=(window,))
        time.sleep(0.5)
        shot("06-options.png", options)
        press("Escape")

        # Copy the shown photo to slot 0, step away and back, copy it again: Orvane asks
        # before overwriting.
        xdo("windowfocus", "--sync", window)
        time.sleep(0.3)
        press("c", "0", "space", "BackSpace", "0")
        question = find("上書き確認", but=(window,))
        time.sleep(0.5)
        shot("07-overwrite-question.png", question)
        press("Escape")
        xdo("windowfocus", "--sync", window)
        press("m")
        e2e.send_delete_window(x.display, int(window))
        app.wait(30)
    finally:
        if app.poll() is None:
            app.kill()
        x.stop()
    print("Screenshots: %s" % shots)


def report(out):
    print("Where the files went:")
    for _, name in SLOTS:
        d = os.path.join(out, "sorted", name)
        print("  %-10s %s" % (name, ", ".join(sorted(os.listdir(d))) or "-"))
    print("  %-10s %d left in %s" % ("photos", len(os.listdir(os.path.join(out, "photos"))),
                                     os.path.join(out, "photos")))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program-dir", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--count", type=int, default=32)
    a = ap.parse_args()
    out = os.path.abspath(a.out)
    prog, photos = prepare(os.path.abspath(a.program_dir), out, a.count)
    if os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"):
        print("Orvane is open on %s: Space steps, 0-3 sort into %s." % (photos, os.path.join(out, "sorted")))
        subprocess.run([os.path.join(prog, "orvane"), photos])
    else:
        headless(prog, photos, out)
    report(out)


if __name__ == "__main__":
    main()
